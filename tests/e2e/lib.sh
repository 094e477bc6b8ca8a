# shellcheck shell=bash
# What an end-to-end case can use. Sourced, after scripts/wine-env.sh, by
# scripts/e2e.sh in the process that runs one case. When a case starts, its
# prefix is fresh (a copy of a just-booted one), Xvfb and the Wine desktop
# are shared with nobody else, WINEPREFIX, DISPLAY and HG_TZ=Asia/Tokyo are
# exported, and every Wine process of the prefix is ended after the case,
# whatever happens to it.
#
#   e2e_start_program        copies hourgauge.exe into the prefix and starts it
#                            in the background (HG_APP_PID, log in $HG_CASE_DIR)
#   e2e_driver ARGS...       tests/e2e/driver/hgdriver.exe in the same desktop
#   e2e_reg VALUE            a value under HKLM\SOFTWARE\Hourgauge (1 if absent)
#   e2e_reg_exists VALUE     it is there
#   e2e_reg_type VALUE       its type (REG_SZ, ...)
#   e2e_set_reg VALUE DATA [TYPE]   writes one (REG_SZ unless told)
#   e2e_wait SECONDS CMD...  retries CMD every 0.3 s until it succeeds (1 at timeout)
#   e2e_fail REASON          ends the case as failed with that reason
#   e2e_expect_eq WHAT ACTUAL EXPECTED
#   e2e_expect WHAT CMD...   fails the case unless CMD succeeds
#   e2e_screenshot NAME      PNG of the screen into the case's folder
#   e2e_program_alive        the program's process still runs
#   e2e_unix_path WINPATH    a C:\ path of the prefix as a Unix path
#   e2e_session_ended        the prefix's wineserver is gone (all its programs ended)
#   e2e_avoid_midnight       waits past local midnight when it is less than 90 s away,
#                            for cases whose expectations name today's day key

# shellcheck disable=SC2034 # used by the cases
HG_TITLE=HourgaugeLite
HG_KEY='HKLM\SOFTWARE\Hourgauge'
# shellcheck disable=SC2034
HG_RUN_KEY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
HG_EXE_DIR_WIN='C:\Program Files (x86)\HourgaugeLite'
# shellcheck disable=SC2034
HG_EXE_WIN="$HG_EXE_DIR_WIN\\hourgauge.exe"
HG_APP_PID=

e2e_fail() {
  echo "$*" >"$HG_E2E_REASON"
  exit 1
}

e2e_expect_eq() {
  [ "$2" = "$3" ] || e2e_fail "$1: got '$2', expected '$3'"
}

e2e_expect() {
  local what=$1
  shift
  "$@" || e2e_fail "$what"
}

e2e_wait() {
  local seconds=$1 deadline
  shift
  deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.3
  done
}

e2e_driver() {
  hg_wine "$HG_DRIVER" "$@"
}

e2e_reg() {
  hg_reg_query "$HG_KEY" "$1"
}

e2e_reg_type() {
  hg_reg_type "$HG_KEY" "$1"
}

e2e_reg_exists() {
  e2e_reg "$1" >/dev/null
}

e2e_set_reg() {
  hg_reg_add "$HG_KEY" "$1" "${3:-REG_SZ}" "$2" || e2e_fail "could not write $1"
}

e2e_screenshot() {
  hg_screenshot "$HG_CASE_DIR/$1.png"
}

e2e_start_program() {
  local dir
  dir=$(e2e_unix_path "$HG_EXE_DIR_WIN")
  if ! mkdir -p "$dir" || ! cp "$HG_EXE" "$dir/hourgauge.exe"; then
    e2e_fail "could not install the exe"
  fi
  hg_wine_bg "$HG_CASE_DIR/hourgauge.log" "$dir/hourgauge.exe"
  HG_APP_PID=$HG_BG_PID
}

e2e_program_alive() {
  [ -n "$HG_APP_PID" ] && hg_pid_alive "$HG_APP_PID"
}

# C:\ paths of the prefix as Unix paths, without starting Wine.
e2e_unix_path() {
  local path=${1#[Cc]:\\}
  echo "$WINEPREFIX/drive_c/${path//\\//}"
}

e2e_session_ended() {
  ! hg_wineserver_pid >/dev/null
}

e2e_avoid_midnight() {
  local now midnight left
  now=$(date +%s)
  midnight=$(env "$(hg__tz_env)" date -d 'tomorrow 00:00' +%s)
  left=$((midnight - now))
  if [ "$left" -lt 90 ]; then
    sleep $((left + 2))
  fi
}

# Texts of the resource script, so that a case compares what is on the
# screen with the one place the text is written.
#   e2e_rc_string NAME       a string-table entry, e.g. AFX_IDP_PARSE_UINT
#   e2e_rc_caption NAME      a dialog's caption, e.g. IDD_SETTINGS
#   e2e_id NAME              a resource id from res/resource.h, e.g. ID_SETTINGS
e2e_rc_string() {
  awk -v name="$1" '$1 == name { sub(/^[^"]*"/, ""); sub(/"[^"]*$/, ""); print; exit }' \
    "$HG_ROOT/res/hourgauge.rc"
}

e2e_rc_caption() {
  awk -v name="$1" '$1 == name && $2 ~ /^DIALOG/ { inside = 1 }
    inside && $1 == "CAPTION" { sub(/^[^"]*"/, ""); sub(/"[^"]*$/, ""); print; exit }' \
    "$HG_ROOT/res/hourgauge.rc"
}

e2e_id() {
  awk -v name="$1" '$1 == "#define" && $2 == name { print $3; exit }' "$HG_ROOT/res/resource.h"
}
