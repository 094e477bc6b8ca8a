# shellcheck shell=bash
# Wine environment for running hourgauge.exe: sourced by run-under-wine.sh and
# the end-to-end suite. Functions only; nothing runs on sourcing.
#
#   hg_wine_ready                 32-bit programs can run (natively, or through
#                                 qemu-i386 where the kernel cannot run them)
#   hg_xvfb_start [WxHxD]         own Xvfb on a free display: exports DISPLAY,
#                                 sets HG_XVFB_PID;  hg_xvfb_stop ends it by pid
#   hg_use_prefix DIR             the prefix every following call works on
#   hg_prefix_init DIR            a new prefix: wineboot, Japanese fonts, Wine
#                                 desktop; returns once its wineserver is gone
#   hg_prefix_clone FROM TO       a fresh copy of an initialised prefix
#   hg_wine ARGS...               wine in the prefix, Japanese locale, $HG_TZ
#   hg_wine_bg LOG ARGS...        the same in the background: sets HG_BG_PID
#   hg_reg_query KEY VALUE        prints the value's data (32-bit view); 1 if absent
#   hg_reg_type KEY VALUE         prints the value's type (REG_SZ, ...)
#   hg_reg_add KEY VALUE TYPE DATA, hg_reg_delete_key KEY
#   hg_screenshot FILE            PNG of the whole Xvfb screen
#   hg_wineserver_pid             the prefix's running wineserver, if any
#   hg_wineserver_wait SECONDS    waits until the prefix's wineserver has exited
#   hg_wine_stop                  ends every process of the prefix (wineserver -k)
#   hg_pid_alive PID              the process runs (zombies do not count)
#   hg_day_key [EPOCH]            (year*12 + month)*31 + day of the local date in $HG_TZ
#
# Every wine call gets WINEPREFIX, WINEDEBUG=-all, the DLL overrides, DISPLAY
# and LC_ALL=$HG_WINE_LOCALE on its own command line: ja_JP.UTF-8 unless set
# (that is what switches Wine to a Japanese display language and code page
# 932); en_US.UTF-8 gives an English Windows with code page 1252.

HG_WINE_DESKTOP_SIZE=${HG_WINE_DESKTOP_SIZE:-1024x768}
HG_WINE_LOCALE=${HG_WINE_LOCALE:-ja_JP.UTF-8}
HG_XVFB_PID=${HG_XVFB_PID:-}
HG_BG_PID=${HG_BG_PID:-}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

hg_log() { echo "wine-env: $*" >&2; }

# --- 32-bit execution ------------------------------------------------------

hg__i386_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# qemu-i386 must honour MAP_FIXED_NOREPLACE (8.1 and later): with an older one
# Wine's start-up takes minutes instead of a second.
hg__qemu_i386() {
  local q major minor
  for q in /usr/bin/qemu-i386 /usr/bin/qemu-i386-static; do
    [ -x "$q" ] || continue
    read -r major minor < <("$q" --version 2>/dev/null |
      sed -n 's/.*version \([0-9]*\)\.\([0-9]*\).*/\1 \2/p' | head -n 1)
    [ -n "${minor:-}" ] || continue
    if [ "$major" -gt 8 ] || { [ "$major" -eq 8 ] && [ "$minor" -ge 1 ]; }; then
      echo "$q"
      return 0
    fi
  done
  return 1
}

# Some kernels (and some virtual machines) cannot execute 32-bit x86 code at
# all: there the i386 Wine loader runs under qemu's user-mode emulator,
# registered with binfmt_misc for i386 ELF files. Idempotent.
hg_wine_ready() {
  command -v wine >/dev/null || { hg_log "wine is not installed (scripts/install-deps.sh)"; return 1; }
  [ -e /usr/lib/wine/wine ] || { hg_log "wine32:i386 is not installed (scripts/install-deps.sh)"; return 1; }
  hg__i386_runs && return 0
  local qemu binfmt=/proc/sys/fs/binfmt_misc
  if ! qemu=$(hg__qemu_i386); then
    hg_log "this machine cannot run 32-bit programs and qemu-i386 >= 8.1 is missing (scripts/install-deps.sh)"
    return 1
  fi
  if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
      { hg_log "cannot mount binfmt_misc (needs root)"; return 1; }
  fi
  if [ -e "$binfmt/hg-i386" ] && ! grep -qx "interpreter $qemu" "$binfmt/hg-i386"; then
    echo -1 >"$binfmt/hg-i386"
  fi
  if [ ! -e "$binfmt/hg-i386" ]; then
    printf '%s' ':hg-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
      >"$binfmt/register" 2>/dev/null || { hg_log "cannot register qemu-i386 with binfmt_misc"; return 1; }
  fi
  hg__i386_runs || { hg_log "32-bit programs still do not run"; return 1; }
}

# --- Xvfb ------------------------------------------------------------------

hg_xvfb_start() {
  local screen=${1:-${HG_WINE_DESKTOP_SIZE}x24} numfile i
  numfile=$(mktemp)
  # -displayfd: Xvfb picks a free display and writes its number once ready.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$numfile" >/dev/null 2>&1 &
  HG_XVFB_PID=$!
  for ((i = 0; i < 100; i++)); do
    if [ -s "$numfile" ]; then
      DISPLAY=":$(tr -dc '0-9' <"$numfile")"
      export DISPLAY
      rm -f "$numfile"
      return 0
    fi
    hg_pid_alive "$HG_XVFB_PID" || break
    sleep 0.1
  done
  rm -f "$numfile"
  hg_log "Xvfb did not start"
  hg_xvfb_stop
  return 1
}

hg_xvfb_stop() {
  [ -n "$HG_XVFB_PID" ] || return 0
  kill "$HG_XVFB_PID" 2>/dev/null
  local i
  for ((i = 0; i < 50; i++)); do
    hg_pid_alive "$HG_XVFB_PID" || break
    sleep 0.1
  done
  hg_pid_alive "$HG_XVFB_PID" && kill -9 "$HG_XVFB_PID" 2>/dev/null
  wait "$HG_XVFB_PID" 2>/dev/null
  HG_XVFB_PID=
}

hg_screenshot() {
  import -window root -display "$DISPLAY" "$1"
}

# --- processes ---------------------------------------------------------------

hg_pid_alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [ -n "$state" ] && [[ $state != Z* ]]
}

# --- prefixes ----------------------------------------------------------------

hg_use_prefix() {
  export WINEPREFIX=$1
}

# The time zone: $HG_TZ when set, else whatever the caller has.
hg__tz_env() {
  if [ -n "${HG_TZ:-}" ]; then echo "TZ=$HG_TZ"; else echo "HG_TZ="; fi
}

hg_wine() {
  env "$(hg__tz_env)" LC_ALL="$HG_WINE_LOCALE" wine "$@"
}

hg_wine_bg() {
  local log=$1
  shift
  env "$(hg__tz_env)" LC_ALL="$HG_WINE_LOCALE" wine "$@" >"$log" 2>&1 &
  HG_BG_PID=$!
}

# Wine's own settings for a prefix, as a .reg file: the Japanese fonts the
# program's menus and dialogs ask for, and one Wine desktop for every program
# of the prefix (so the tray sits at the bottom right, windows have captions,
# and the test driver shares the program's desktop).
hg__prefix_settings() {
  local size=$HG_WINE_DESKTOP_SIZE
  printf '\xff\xfe'
  iconv -f UTF-8 -t UTF-16LE <<EOF
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"MS UI Gothic"="IPAPGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$size"
EOF
}

hg_prefix_init() {
  local dir=$1 settings
  mkdir -p "$dir"
  hg_use_prefix "$dir"
  hg_wine wineboot --init >/dev/null 2>&1 || { hg_log "wineboot failed in $dir"; return 1; }
  settings="$dir/drive_c/hourgauge-wine-settings.reg"
  hg__prefix_settings >"$settings"
  hg_wine regedit /S 'C:\hourgauge-wine-settings.reg' >/dev/null 2>&1 ||
    { hg_log "regedit failed in $dir"; return 1; }
  rm -f "$settings"
  # The registry reaches the prefix's files when the wineserver exits.
  hg_wineserver_wait 60 || { hg_log "wineserver of $dir did not exit"; return 1; }
}

# A copy of an initialised prefix whose wineserver has exited. The system
# DLL folders are hard links (nothing writes to them); the registry and
# everything else are real copies.
hg_prefix_clone() {
  local from=$1 to=$2 tries
  # A wineserver that has just let go of its prefix may still be writing the
  # registry files (a reg*.tmp renamed into place): copy again until a copy
  # sees the folder at rest.
  for tries in 1 2 3 4 5; do
    rm -rf "$to"
    hg__prefix_copy "$from" "$to" 2>/dev/null && return 0
    sleep 1
  done
  hg__prefix_copy "$from" "$to"
}

hg__prefix_copy() {
  local from=$1 to=$2 big=(system32 syswow64 winsxs) d excludes=()
  mkdir -p "$to"
  for d in "${big[@]}"; do excludes+=("--exclude=./drive_c/windows/$d"); done
  tar -C "$from" "${excludes[@]}" -cf - . | tar -C "$to" -xf - || return 1
  for d in "${big[@]}"; do
    [ -d "$from/drive_c/windows/$d" ] || continue
    cp -al "$from/drive_c/windows/$d" "$to/drive_c/windows/$d" 2>/dev/null ||
      cp -a "$from/drive_c/windows/$d" "$to/drive_c/windows/$d" || return 1
  done
}

# The running wineserver of the current prefix: it works in a folder named
# after the prefix's device and inode (under /tmp/.wine-UID, or with Debian's
# Wine under the /tmp folder named in the prefix's file "wineserver").
hg_wineserver_pid() {
  local dev ino suffix pid
  [ -d "${WINEPREFIX:-}" ] || return 1
  read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
  suffix=$(printf '/server-%x-%x' "$dev" "$ino")
  for pid in $(ps -eo pid=,comm= | awk '$2 ~ /^wineserver/ {print $1}'); do
    case $(readlink "/proc/$pid/cwd" 2>/dev/null) in
    *"$suffix") hg_pid_alive "$pid" && { echo "$pid"; return 0; } ;;
    esac
  done
  return 1
}

hg_wineserver_wait() {
  local seconds=${1:-30} deadline
  deadline=$((SECONDS + seconds))
  while hg_wineserver_pid >/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

hg_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
  hg_wineserver_pid >/dev/null || return 0
  wineserver -k 2>/dev/null
  hg_wineserver_wait 15
}

# --- registry ----------------------------------------------------------------

# `wine reg query KEY /v VALUE` prints, with CRLF line ends,
#   KEY
#       VALUE    TYPE    DATA
# in the console's code page (932 under the Japanese locale).
hg__reg_line() {
  local key=$1 value=$2 out line
  out=$(hg_wine reg query "$key" /v "$value" /reg:32 2>/dev/null | iconv -f CP932 -t UTF-8 -c | tr -d '\r') ||
    return 1
  while IFS= read -r line; do
    case $line in
    "    $value    REG_"*)
      echo "${line#"    $value    "}"
      return 0
      ;;
    esac
  done <<<"$out"
  return 1
}

hg_reg_query() {
  local rest
  rest=$(hg__reg_line "$1" "$2") || return 1
  case $rest in
  *"    "*) echo "${rest#*    }" ;;
  *) echo "" ;;
  esac
}

hg_reg_type() {
  local rest
  rest=$(hg__reg_line "$1" "$2") || return 1
  echo "${rest%%    *}"
}

hg_reg_add() {
  hg_wine reg add "$1" /v "$2" /t "$3" /d "$4" /f /reg:32 >/dev/null 2>&1
}

hg_reg_delete_key() {
  hg_wine reg delete "$1" /f /reg:32 >/dev/null 2>&1
}

# --- dates -------------------------------------------------------------------

hg_day_key() {
  local when=${1:-$(date +%s)} y m d
  read -r y m d < <(env "$(hg__tz_env)" date -d "@$when" '+%Y %m %d')
  echo $(((10#$y * 12 + 10#$m) * 31 + 10#$d))
}
