#!/usr/bin/env bash
# What one second of HourgaugeLite costs under Wine, against the least a
# program doing the same work can cost: bench/baseline/tick_baseline.c, which
# every second writes EndTime and LastTime (REG_SZ, opening and closing the
# key for each write as hourgauge.exe does) and updates the tray tooltip.
#
#   bash scripts/bench-wine-cpu.sh [--no-build] [--settle S] [--idle S] [TICKS]
#
# One fresh Wine prefix, one own Xvfb and one Wine desktop (whose Explorer
# hosts the tray) serve the whole run. An idle window with a hidden keeper
# window holds the session open (so the wineserver and Explorer are the same
# processes throughout); then three windows, one after the other:
#
#   baseline   tick_baseline.exe
#   tray       hourgauge.exe alone (no service installed: it counts itself)
#   service    the service installation: hourgauge-service.exe made a
#              service (own process, started by Wine's services.exe, as the
#              setup makes it) and started, then hourgauge.exe, which finds
#              it and is its face (asks the pipe for the figures once a
#              second and writes nothing)
#
# Each is left S seconds to start and settle (default 40: past the one-off
# recount at the 30th tick), then the CPU time (user + system,
# /proc/PID/stat) of its programs (for the service installation both: the
# service's process and the tray's), of the prefix's wineserver and of
# Explorer is read, again TICKS seconds later (default 600), and the
# differences are printed. Every timer fires once a second, so each window
# holds TICKS ticks of its programs, give or take one.
#
# Reading the output: one column per window, CPU seconds used during it by
# the program(s), the wineserver and Explorer; "sum" adds those, and the
# ratios are each sum over the baseline's. Below, not in the sum: Xvfb
# (drawing the tray), the prefix's other processes (services.exe,
# winedevice, ...), and the idle window (wineserver and Explorer with only
# the keeper running, scaled to TICKS seconds), which every sum contains.
# The wineserver saves the registry to the prefix's files every 30 s when it
# has changed: all three change it every second, so that save is in every
# wineserver figure, not in the idle one.
# "machine busy" is the share of both cores in use during the window by
# anything: far above what the programs use means others' work was running
# and the figures may be disturbed (repeat the run). The first line says
# whether 32-bit Wine ran natively or under qemu-user.
#
# Environment: HG_BENCH_KEEP=1 keeps the work folder (prefix and logs).
# shellcheck disable=SC2154 # the M_* figures are set by measure through printf -v
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

ticks=600
settle=40
idle=60
build=1
while [ $# -gt 0 ]; do
  case $1 in
  --no-build) build=0 ;;
  --settle) settle=$2; shift ;;
  --idle) idle=$2; shift ;;
  -h | --help)
    sed -n '2,/^set -uo/p' "$0" | sed '$d; /^# shellcheck/d; s/^# \{0,1\}//'
    exit 0
    ;;
  *) ticks=$1 ;;
  esac
  shift
done
for n in "$ticks" "$settle" "$idle"; do
  [[ $n =~ ^[0-9]+$ ]] || { echo "bench: not a number: $n" >&2; exit 2; }
done
# The keeper window lives at most an hour (the driver's limit).
if [ $((idle + 3 * (settle + ticks + 30))) -gt 3500 ]; then
  echo "bench: a run must fit in an hour: at most about 1 000 ticks" >&2
  exit 2
fi

exe=$root/build/windows/hourgauge.exe
service_exe=$root/build/windows/hourgauge-service.exe
driver=$root/build/windows/tests/e2e/driver/hgdriver.exe
baseline=$root/build/bench-wine/tick_baseline.exe
if [ "$build" = 1 ]; then
  echo "bench: building hourgauge.exe, hourgauge-service.exe, the driver and the baseline"
  { cmake --preset windows && cmake --build --preset windows -j2; } >/dev/null || exit 1
  mkdir -p "$(dirname "$baseline")"
  i686-w64-mingw32-gcc -O2 -static -mwindows -Wall -Wextra -Werror -finput-charset=UTF-8 \
    -fexec-charset=CP932 -o "$baseline" bench/baseline/tick_baseline.c || exit 1
fi
for f in "$exe" "$service_exe" "$driver" "$baseline"; do
  [ -f "$f" ] || { echo "bench: $f is missing (run without --no-build)" >&2; exit 1; }
done

hg_wine_ready || exit 1
work=$(mktemp -d /tmp/hg-cpubench.XXXXXX) || exit 1
prefix=$work/prefix
keeper_pid=
cleanup() {
  trap - EXIT INT TERM
  WINEPREFIX=$prefix hg_wine_stop
  hg_xvfb_stop
  if [ "${HG_BENCH_KEEP:-0}" = 1 ]; then echo "bench: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'echo "bench: interrupted"; exit 130' INT TERM

hg_xvfb_start || exit 1
# A zone in which it is about noon now, so the run crosses no midnight (a new
# accounting day powers off), written the way the programs' C runtime reads.
utc_hour=$((10#$(date -u +%H)))
offset=$((12 - utc_hour))
if [ "$offset" -ge 0 ]; then export HG_TZ="BEN-$offset"; else export HG_TZ="BEN+$((-offset))"; fi
echo "bench: preparing a Wine prefix"
hg_prefix_init "$prefix" || exit 1
hg_use_prefix "$prefix"
key='HKLM\SOFTWARE\Hourgauge'
# A day's limit far longer than the run: neither hourgauge.exe nor the
# service may power off.
hg_reg_add "$key" LimitTime REG_SZ 1000 || exit 1
install_dir=$prefix/drive_c/bench
mkdir -p "$install_dir"
cp "$exe" "$baseline" "$install_dir/"
# The service installation's folder, as the setup's: both programs side by
# side (the service starts the tray from its own folder).
service_dir_win='C:\Program Files\HourgaugeLite'
service_dir=$prefix/drive_c/Program\ Files/HourgaugeLite
mkdir -p "$service_dir"
cp "$exe" "$service_exe" "$service_dir/"

# --- CPU readings ------------------------------------------------------------

hz=$(getconf CLK_TCK)

# user + system clock ticks of a process (all its threads); 1 when gone.
cpu_ticks() {
  local stat rest
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  rest=${stat##*) }
  awk '{ print $12 + $13 }' <<<"$rest"
}

# Every process of this prefix (by its environment), as "PID NAME" lines.
prefix_pids() {
  local f pid
  for f in $(grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
    pid=${f#/proc/}
    pid=${pid%/environ}
    echo "$pid $(cat "/proc/$pid/comm" 2>/dev/null)"
  done
}

explorer_pid() {
  prefix_pids | awk '$2 == "explorer.exe" { print $1; exit }'
}

# Busy and total jiffies of the whole machine.
machine_jiffies() {
  awk '/^cpu / { idle = $5 + $6; total = 0; for (i = 2; i <= 9; i++) total += $i;
    print total - idle, total; exit }' /proc/stat
}

# "PID:TICKS" for every process of the prefix.
snapshot_all() {
  local pid name t
  while read -r pid name; do
    t=$(cpu_ticks "$pid") && echo "$pid:$t"
  done < <(prefix_pids)
}

# Sum of the tick differences of the processes in both snapshots, leaving
# out the PIDs given.
others_delta() {
  local before=$1 after=$2
  shift 2
  awk -v skip=" $* " 'NR == FNR { split($0, a, ":"); t0[a[1]] = a[2]; next }
    { split($0, a, ":"); if ((a[1] in t0) && index(skip, " " a[1] " ") == 0) d += a[2] - t0[a[1]] }
    END { print d + 0 }' <(tr ' ' '\n' <<<"$before") <(tr ' ' '\n' <<<"$after")
}

seconds() { awk -v t="$1" -v hz="$hz" 'BEGIN { printf "%.2f", t / hz }'; }

# Sleeps until the given time from `date +%s.%N`.
sleep_until() {
  local left
  left=$(awk -v end="$1" -v now="$(date +%s.%N)" 'BEGIN { d = end - now; printf "%.3f", (d > 0 ? d : 0) }')
  sleep "$left"
}

# measure NAME "PROGRAM_PID..." SECONDS: fills M_<field>_<NAME>; M_prog_<NAME>
# is the sum over the programs, M_each_<NAME> each one's ticks ("-": none).
measure() {
  local name=$1 length=$3 ws ex t0 t1 w0 w1 e0 e1 x0 x1 all0 all1 m0 m1 end pid t sum each
  local progs=() p0=() p1=()
  [ "$2" = - ] || read -r -a progs <<<"$2"
  ws=$(hg_wineserver_pid) || { echo "bench: no wineserver" >&2; return 1; }
  ex=$(explorer_pid)
  [ -n "$ex" ] || { echo "bench: no Explorer in the prefix" >&2; return 1; }
  read -r m0 mt0 < <(machine_jiffies)
  all0=$(snapshot_all | tr '\n' ' ')
  t0=$(date +%s.%N)
  for pid in "${progs[@]}"; do
    t=$(cpu_ticks "$pid") || { echo "bench: $name: no process $pid" >&2; return 1; }
    p0+=("$t")
  done
  w0=$(cpu_ticks "$ws") || return 1
  e0=$(cpu_ticks "$ex") || return 1
  x0=$(cpu_ticks "$HG_XVFB_PID") || return 1
  end=$(awk -v t="$t0" -v n="$length" 'BEGIN { printf "%.3f", t + n }')
  sleep_until "$end"
  for pid in "${progs[@]}"; do
    t=$(cpu_ticks "$pid") || { echo "bench: $name: process $pid ended early" >&2; return 1; }
    p1+=("$t")
  done
  w1=$(cpu_ticks "$ws") || { echo "bench: the wineserver ended" >&2; return 1; }
  e1=$(cpu_ticks "$ex") || { echo "bench: Explorer ended" >&2; return 1; }
  x1=$(cpu_ticks "$HG_XVFB_PID") || return 1
  t1=$(date +%s.%N)
  all1=$(snapshot_all | tr '\n' ' ')
  read -r m1 mt1 < <(machine_jiffies)
  sum=0
  each=
  for ((i = 0; i < ${#progs[@]}; i++)); do
    sum=$((sum + p1[i] - p0[i]))
    each+="$((p1[i] - p0[i])) "
  done
  printf -v "M_prog_$name" %s "$sum"
  printf -v "M_each_$name" %s "${each:--}"
  printf -v "M_ws_$name" %s $((w1 - w0))
  printf -v "M_ex_$name" %s $((e1 - e0))
  printf -v "M_xvfb_$name" %s $((x1 - x0))
  printf -v "M_other_$name" %s "$(others_delta "$all0" "$all1" "$ws" "$ex" "${progs[@]}")"
  printf -v "M_wall_$name" %s "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", b - a }')"
  printf -v "M_busy_$name" %s "$(awk -v b=$((m1 - m0)) -v t=$((mt1 - mt0)) 'BEGIN { printf "%.0f", t ? 100 * b / t : 0 }')"
  printf -v "M_expid_$name" %s "$ex"
}

# The time text a program wrote last is at most a few seconds old: it ticked.
check_fresh_end_time() {
  local text written now
  text=$(hg_reg_query "$key" EndTime) || { echo "bench: $1 wrote no EndTime" >&2; return 1; }
  written=$(env TZ=$HG_TZ date -d "$(env TZ=$HG_TZ date +%Y)-${text:0:2}-${text:3:2} ${text:6}" +%s 2>/dev/null) ||
    { echo "bench: $1 wrote EndTime '$text'" >&2; return 1; }
  now=$(date +%s)
  if [ $((now - written)) -gt 5 ] || [ $((written - now)) -gt 5 ]; then
    echo "bench: $1's last EndTime '$text' is not from now: it did not tick" >&2
    return 1
  fi
}

# --- the run -----------------------------------------------------------------

hg_wine_bg "$work/keeper.log" "$driver" create-window CpuBenchKeeper 3600 ignore
keeper_pid=$HG_BG_PID
for ((i = 0; i < 100; i++)); do
  [ -n "$(explorer_pid)" ] && grep -q created "$work/keeper.log" && break
  sleep 0.2
done
[ -n "$(explorer_pid)" ] || { echo "bench: the Wine desktop did not start" >&2; exit 1; }
runs_under=natively
case $(readlink "/proc/$keeper_pid/exe") in *qemu*) runs_under="under qemu-user ($(readlink "/proc/$keeper_pid/exe"))" ;; esac
# The wineserver saves a changed registry every 30 s: the set-up's changes
# are saved before the idle window.
sleep 35

echo "bench: idle window, $idle s (only the keeper window)"
measure idle - "$idle" || exit 1

echo "bench: baseline, $settle s to settle, then $ticks s"
hg_wine_bg "$work/baseline.log" "$install_dir/tick_baseline.exe" $((settle + ticks + 3))
base_pid=$HG_BG_PID
sleep "$settle"
measure base "$base_pid" "$ticks" || exit 1
check_fresh_end_time baseline || exit 1
for ((i = 0; i < 100; i++)); do hg_pid_alive "$base_pid" || break; sleep 0.2; done
hg_pid_alive "$base_pid" && { echo "bench: the baseline did not end" >&2; exit 1; }
sleep 2

echo "bench: hourgauge.exe alone, $settle s to settle, then $ticks s"
hg_wine_bg "$work/hourgauge.log" "$install_dir/hourgauge.exe"
hg_pid=$HG_BG_PID
sleep "$settle"
measure hg "$hg_pid" "$ticks" || exit 1
check_fresh_end_time hourgauge.exe || exit 1
hg_wine "$driver" send-command HourgaugeLite 57665 >/dev/null 2>&1
for ((i = 0; i < 100; i++)); do hg_pid_alive "$hg_pid" || break; sleep 0.2; done
hg_pid_alive "$hg_pid" && { echo "bench: hourgauge.exe did not end" >&2; exit 1; }
sleep 2

# The Linux process of this prefix whose command line names the exe.
pid_running() {
  local pid name
  while read -r pid name; do
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qiF "$1" && { echo "$pid"; return 0; }
  done < <(prefix_pids)
  return 1
}

service_state() {
  hg_wine sc query HourgaugeLite 2>/dev/null | tr -d '\r' | sed -n 's/^ *STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p'
}

echo "bench: the service and its face, $settle s to settle, then $ticks s"
# The tray program alone wrote its autostart entry; the face writes nothing,
# so the entry is gone for good once removed here.
hg_wine reg delete 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Hourgauge /f /reg:32 >/dev/null 2>&1
out=$(hg_wine sc create HourgaugeLite binPath= "\"$service_dir_win\\hourgauge-service.exe\"" start= demand 2>&1) ||
  { echo "bench: sc create failed: $out" >&2; exit 1; }
out=$(hg_wine sc start HourgaugeLite 2>&1) || { echo "bench: sc start failed: $out" >&2; exit 1; }
for ((i = 0; i < 100; i++)); do [ "$(service_state)" = RUNNING ] && break; sleep 0.3; done
[ "$(service_state)" = RUNNING ] || { echo "bench: the service does not run" >&2; exit 1; }
svc_pid=$(pid_running 'hourgauge-service.exe') || { echo "bench: no process of the service" >&2; exit 1; }
hg_wine_bg "$work/face.log" "$service_dir/hourgauge.exe"
face_pid=$HG_BG_PID
sleep "$settle"
# The face answers for the service's figures: the pipe is up, and the tray
# wrote no autostart entry (a tray that counted itself would have).
hg_wine "$driver" pipe-status >"$work/pipe-status.log" 2>&1 || { echo "bench: the service does not answer its pipe" >&2; exit 1; }
if hg_reg_query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' Hourgauge >/dev/null; then
  echo "bench: the tray wrote its autostart entry: it is not the service's face" >&2
  exit 1
fi
measure svc "$svc_pid $face_pid" "$ticks" || exit 1
check_fresh_end_time "the service" || exit 1
hg_wine "$driver" send-command HourgaugeLite 57665 >/dev/null 2>&1
for ((i = 0; i < 100; i++)); do hg_pid_alive "$face_pid" || break; sleep 0.2; done
hg_pid_alive "$face_pid" && { echo "bench: the face did not end" >&2; exit 1; }
hg_wine sc stop HourgaugeLite >/dev/null 2>&1

# --- the report --------------------------------------------------------------

[ "$M_expid_base" = "$M_expid_hg" ] && [ "$M_expid_base" = "$M_expid_svc" ] ||
  echo "bench: warning: Explorer was restarted between the windows"
sum_base=$((M_prog_base + M_ws_base + M_ex_base))
sum_hg=$((M_prog_hg + M_ws_hg + M_ex_hg))
sum_svc=$((M_prog_svc + M_ws_svc + M_ex_svc))
read -r svc_alone face_alone <<<"$M_each_svc"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2fx", a / b; else print "-" }'; }
per_tick() { awk -v t="$1" -v n="$ticks" -v hz="$hz" 'BEGIN { printf "%.2f", 1000 * t / hz / n }'; }
scaled() { awk -v t="$1" -v n="$ticks" -v i="$idle" 'BEGIN { printf "%.0f", i ? t * n / i : 0 }'; }

echo
echo "== CPU time during $ticks ticks (user+sys, seconds; Wine $(wine --version 2>/dev/null), 32-bit code ran $runs_under)"
echo "== $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
line() { printf '%-28s %9s %9s %9s %8s %8s\n' "$@"; }
line "" baseline tray service tray/b service/b
row() { line "$1" "$(seconds "$2")" "$(seconds "$3")" "$(seconds "$4")" "$(ratio "$3" "$2")" "$(ratio "$4" "$2")"; }
row "program(s)" "$M_prog_base" "$M_prog_hg" "$M_prog_svc"
line "  the service's process" "" "" "$(seconds "$svc_alone")" "" ""
line "  the tray as its face" "" "" "$(seconds "$face_alone")" "" ""
row "wineserver" "$M_ws_base" "$M_ws_hg" "$M_ws_svc"
row "explorer (tray)" "$M_ex_base" "$M_ex_hg" "$M_ex_svc"
row "sum" "$sum_base" "$sum_hg" "$sum_svc"
line "sum per tick (ms)" "$(per_tick "$sum_base")" "$(per_tick "$sum_hg")" "$(per_tick "$sum_svc")" "" ""
echo "-- not in the sum:"
row "Xvfb" "$M_xvfb_base" "$M_xvfb_hg" "$M_xvfb_svc"
row "other prefix processes" "$M_other_base" "$M_other_hg" "$M_other_svc"
line "idle wineserver (scaled)" "$(seconds "$(scaled "$M_ws_idle")")" "" "" "" ""
line "idle explorer (scaled)" "$(seconds "$(scaled "$M_ex_idle")")" "" "" "" ""
line "window (s)" "$M_wall_base" "$M_wall_hg" "$M_wall_svc" "" ""
line "machine busy (both cores)" "$M_busy_base%" "$M_busy_hg%" "$M_busy_svc%" "" ""
echo
echo "ratio of the sums: tray alone $(ratio "$sum_hg" "$sum_base"), service installation $(ratio "$sum_svc" "$sum_base")"
