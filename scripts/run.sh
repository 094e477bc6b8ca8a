#!/usr/bin/env bash
# Installs what is missing, builds HourgaugeLite and shows what a family gets,
# under Wine: the setup program run silently into the Wine prefix (the
# service and the tray program, as a parent's plain install), then the
# service HourgaugeLite and the tray program running, until Ctrl-C.
#
#   bash scripts/run.sh [SETUP OPTION...]    e.g. /LIMIT=90 /PASSWORD=secret
#   bash scripts/run.sh --tray-only          hourgauge.exe alone, started directly
#                                            (scripts/run-under-wine.sh)
#
# The prefix is kept between runs, as a PC keeps its state: $HG_WINEPREFIX,
# or ~/.local/share/hourgauge-wine; a second run upgrades the installation
# in it as a newer setup would. --tray-only uses a prefix of its own
# (~/.local/share/hourgauge-wine-tray unless $HG_WINEPREFIX is set), where
# no service is installed. Without $DISPLAY an own Xvfb shows the Wine
# desktop (the script prints how to take a screenshot of it). Ctrl-C, or
# the programs ending (a power-off ends every program of the prefix), stops
# every Wine process of the prefix and that Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

case ${1:-} in
-h | --help)
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
  exit 0
  ;;
--tray-only)
  shift
  bash scripts/install-deps.sh
  HG_WINEPREFIX=${HG_WINEPREFIX:-$HOME/.local/share/hourgauge-wine-tray} \
    exec bash scripts/run-under-wine.sh "$@"
  ;;
esac

bash scripts/install-deps.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

echo "run: building hourgauge.exe, hourgauge-service.exe and the setup program"
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
setup=$root/$(bash scripts/setup.sh --no-build)

hg_wine_ready

prefix=${HG_WINEPREFIX:-$HOME/.local/share/hourgauge-wine}
started_xvfb=0

cleanup() {
  trap - EXIT INT TERM
  echo "run: stopping"
  hg_wine_stop || true
  [ "$started_xvfb" = 1 ] && hg_xvfb_stop
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  # shellcheck disable=SC2119 # the default screen size
  hg_xvfb_start
  started_xvfb=1
  echo "run: Xvfb on $DISPLAY (pid $HG_XVFB_PID)"
fi

if [ ! -f "$prefix/.hourgauge-prefix" ]; then
  echo "run: preparing the Wine prefix $prefix (about 20 s)"
  hg_prefix_init "$prefix"
  touch "$prefix/.hourgauge-prefix"
fi
hg_use_prefix "$prefix"

install_dir="$prefix/drive_c/Program Files (x86)/HourgaugeLite"
echo "run: $(basename "$setup") /S $*"
status=0
hg_wine "$setup" /S "$@" || status=$?
if [ "$status" -ne 0 ]; then
  echo "run: the setup ended with exit code $status; its log:"
  tr -d '\r' <"$install_dir/setup.log" 2>/dev/null || true
  exit 1
fi

# The prefix's processes running EXE (Wine processes carry the prefix in
# their environment).
prefix_processes() {
  local pid
  for pid in $(pgrep -f "$1" || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" && echo "$pid"
  done
  return 0
}

wait_for() {
  local seconds=$1 deadline
  shift
  deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.5
  done
}

service_running() {
  hg_wine sc query HourgaugeLite 2>/dev/null | tr -d '\r' | grep -qE 'STATE +: +4 +RUNNING'
}

tray_running() {
  [ -n "$(prefix_processes 'HourgaugeLite\\hourgauge\.exe')" ]
}

if wait_for 60 service_running; then
  echo "run: the service HourgaugeLite runs (Linux pid $(prefix_processes 'hourgauge-service\.exe' | paste -sd ' '))"
  hg_wine sc query HourgaugeLite 2>/dev/null | tr -d '\r' | sed -n 's/^ *\(TYPE\|STATE\) .*/run:   &/p'
else
  echo "run: the service HourgaugeLite does not run; setup.log:"
  tr -d '\r' <"$install_dir/setup.log"
  exit 1
fi
if wait_for 60 tray_running; then
  echo "run: the tray program hourgauge.exe runs (Linux pid $(prefix_processes 'HourgaugeLite\\hourgauge\.exe' | paste -sd ' '))"
else
  echo "run: the tray program did not start"
  exit 1
fi
echo "run: prefix $prefix, installed in $install_dir (setup.log there)"
if [ "$started_xvfb" = 1 ]; then
  echo "run: screenshot: import -window root -display $DISPLAY shot.png"
fi
echo "run: Ctrl-C stops it"

# Until Ctrl-C, or until the prefix ends (a power-off ends all of it).
while hg_wineserver_pid >/dev/null; do
  sleep 1
done
echo "run: every program of the prefix has ended"
