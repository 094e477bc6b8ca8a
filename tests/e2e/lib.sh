# shellcheck shell=bash
# What an end-to-end case can use. Sourced, after scripts/wine-env.sh, by
# scripts/e2e.sh in the process that runs one case. When a case starts, its
# prefix is fresh (a copy of a just-booted one), Xvfb and the Wine desktop
# are shared with nobody else, WINEPREFIX, DISPLAY and HG_TZ=JST-9 (Tokyo) are
# exported, and every Wine process of the prefix is ended after the case,
# whatever happens to it. HG_EXE, HG_SERVICE_EXE and HG_DRIVER name the
# built tray program, service and driver.
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
#   e2e_program_gone         it has ended (e2e_pid_gone PID: any process)
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

# The wineserver can be gone a moment before the last process of the prefix
# has finished exiting (under qemu-user a big process takes a while).
e2e_program_gone() {
  ! e2e_program_alive
}

e2e_pid_gone() {
  ! hg_pid_alive "$1"
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
  awk -v name="$1" -v want="$(e2e__rc_language "${2:-ja}")" '
    $1 == "LANGUAGE" { lang = $2 }
    lang == want && $1 == name && $2 ~ /^DIALOG/ { inside = 1 }
    inside && $1 == "CAPTION" { sub(/^[^"]*"/, ""); sub(/"[^"]*$/, ""); print; exit }' \
    "$HG_ROOT/res/hourgauge.rc"
}

# The LANGUAGE statement's first word of a block: ja (the first) or en.
e2e__rc_language() {
  if [ "$1" = en ]; then echo "LANG_ENGLISH,"; else echo "LANG_JAPANESE,"; fi
}

e2e_id() {
  awk -v name="$1" '$1 == "#define" && $2 == name { print $3; exit }' "$HG_ROOT/res/resource.h"
}

# --- more helpers -------------------------------------------------------------
#
#   e2e_start_tray           a hidden window of another program keeps the session (and
#                            with it the desktop's taskbar) alive; waits for the tray
#   e2e_start_today_in_tray SECONDS   e2e_start_tray, then the program started on today's
#                            accounting day with SECONDS left; waits for its one icon
#   e2e_day_ends_in SECONDS  stores AdjustTime and LastDate so that the accounting day
#                            ends at the first whole minute at least SECONDS from now;
#                            sets HG_DAY_END (that moment, seconds since 1970) and
#                            HG_DAY_ADJUST (the AdjustTime stored); needs a fixed zone
#   e2e_text NAME            a name of res/Texts.h, e.g. kSysconfigTitle
#   e2e_string NAME [ja|en]  a string-table text of res/hourgauge.rc by its id's name,
#                            e.g. IDS_PASSWORD_WRONG, in Japanese (default) or English
#                            (escapes such as \n turned into their characters, trailing
#                            blanks kept)
#   e2e_rc_caption NAME [ja|en]   a dialog's caption
#   e2e_reg_key_exists       HKLM\SOFTWARE\Hourgauge is there
#   e2e_reg_snapshot         every value of the program key at one moment, as
#                            "NAME<TAB>DATA" lines (one Wine start instead of one a value;
#                            Wine's reg shows a value of no bytes with leftovers of the one
#                            before: read those with `e2e_driver reg-bytes "$HG_KEY" NAME`)
#   e2e_snapshot_value SNAPSHOT NAME   one value of such a snapshot (1 if absent)
#   e2e_start_exe WINPATH    starts an exe already in the prefix (HG_APP_PID)
#   e2e_tray_icons           the number of icons in the Wine desktop's tray (status 1
#                            while there is no tray yet)
#   e2e_tray_icon_point      "X Y", the middle of the tray's rightmost icon on the
#                            screen, found in a screenshot
#   e2e_time_text_epoch TEXT "MM/DD hh:mm:ss" of the last twelve months as seconds
#                            since 1970 in $HG_TZ
#   e2e_midnight_epoch [EPOCH]   the local midnight that began that day (default now) in $HG_TZ
#   e2e_click X Y [BUTTON]   a real mouse click on the screen (xdotool; 1 left, 3 right)
#   e2e_menu_item_point N    "X Y", the middle of the shown tray menu's Nth command
#                            (1 password, 2 settings, 3 uninstall, 4 exit, 5 extra
#                            time, 6 usage history), found
#                            from the two separator lines in a screenshot
#   e2e_dismiss_menu         clicks the empty desktop until no popup menu is shown
#   e2e_crop_screen FILE X Y WIDTH HEIGHT [MARGIN]   a PNG of that part of the screen
#   e2e_wine_path_of_case FILE   the case folder's FILE as a path Wine programs can open
#   e2e_use_fixed_zone       HG_TZ in the form the programs' C runtime reads too (below)

e2e_text() {
  local literal
  literal=$(awk -v name="$1" '
    !inside && index($0, "char " name "[]") { inside = 1 }
    inside {
      line = $0
      while (match(line, /"([^"\\]|\\.)*"/)) {
        out = out substr(line, RSTART + 1, RLENGTH - 2)
        line = substr(line, RSTART + RLENGTH)
      }
      if (index($0, ";")) { found = 1; exit }
    }
    END { if (found) printf "%s", out; else exit 1 }' "$HG_ROOT/res/Texts.h") || return 1
  printf '%b' "$literal"
}

e2e_start_tray() {
  hg_wine_bg "$HG_CASE_DIR/keeper.log" "$HG_DRIVER" create-window "e2e session keeper" 110 ignore
  e2e_driver wait-window "e2e session keeper" 30 || e2e_fail "the keeper window did not appear"
  e2e_wait 60 eval '[ -n "$(e2e_tray_icons)" ]' || e2e_fail "the Wine desktop has no tray"
}

e2e_start_today_in_tray() {
  e2e_start_tray
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime "$1"
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 eval '[ "$(e2e_tray_icons)" = 1 ]' || e2e_fail "no icon after the start"
}

e2e_day_ends_in() {
  local now midnight
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  now=$(date +%s)
  midnight=$(e2e_midnight_epoch "$now")
  # The accounting clock reaches the midnight that began today at midnight
  # + AdjustTime minutes of real time; until then the day is the one before.
  HG_DAY_ADJUST=$(((now - midnight + $1 + 59) / 60))
  HG_DAY_END=$((midnight + HG_DAY_ADJUST * 60))
  e2e_set_reg AdjustTime "$HG_DAY_ADJUST"
  e2e_set_reg LastDate "$(hg_day_key $((midnight - 1)))"
}

e2e_string() {
  local literal
  literal=$(awk -v name="$1" -v want="$(e2e__rc_language "${2:-ja}")" '
    $1 == "LANGUAGE" { lang = $2; table = 0 }
    lang == want && $1 == "STRINGTABLE" { table = 1 }
    table && $1 == name {
      line = $0
      if (match(line, /"([^"\\]|\\.)*"/)) { printf "%s", substr(line, RSTART + 1, RLENGTH - 2); found = 1 }
      exit
    }
    END { if (!found) exit 1 }' "$HG_ROOT/res/hourgauge.rc") || return 1
  printf '%b' "$literal"
}

e2e_reg_key_exists() {
  hg_wine reg query "$HG_KEY" /reg:32 >/dev/null 2>&1
}

e2e_reg_snapshot() {
  hg_wine reg query "$HG_KEY" /reg:32 2>/dev/null | iconv -f CP932 -t UTF-8 -c | tr -d '\r' |
    sed -n 's/^    \([^ ].*\)    REG_[A-Z_]*    \(.*\)$/\1\t\2/p; s/^    \([^ ].*\)    REG_[A-Z_]*$/\1\t/p'
}

e2e_snapshot_value() {
  local line
  while IFS= read -r line; do
    if [ "${line%%$'\t'*}" = "$2" ]; then
      echo "${line#*$'\t'}"
      return 0
    fi
  done <<<"$1"
  return 1
}

e2e_start_exe() {
  hg_wine_bg "$HG_CASE_DIR/hourgauge.log" "$(e2e_unix_path "$1")"
  HG_APP_PID=$HG_BG_PID
}

e2e_tray_icons() {
  local out
  out=$(e2e_driver tray-icons 2>/dev/null)
  [[ $out =~ icons\ ([0-9]+) ]] || return 1
  echo "${BASH_REMATCH[1]}"
}

# Wine's desktop draws the tray icons itself, right-aligned in the taskbar's
# tray: the icon is whatever differs from the tray's background in the
# right quarter of the tray.
e2e_tray_icon_point() {
  local tray shot x y w h cw found iw ih ix iy
  tray=$(e2e_driver tray-icons 2>/dev/null | sed -n 's/^tray //p')
  read -r x y w h <<<"$tray"
  [ -n "${h:-}" ] || return 1
  shot=$(mktemp --suffix=.png)
  hg_screenshot "$shot" || { rm -f "$shot"; return 1; }
  cw=$((w / 4))
  found=$(convert "$shot" -crop "${cw}x${h}+$((x + w - cw))+$y" +repage -fuzz 10% -trim \
    -format '%w %h %X %Y' info: 2>/dev/null)
  rm -f "$shot"
  read -r iw ih ix iy <<<"$found"
  [ -n "${iy:-}" ] && [ "$iw" -gt 4 ] && [ "$ih" -gt 4 ] || return 1
  echo "$((x + w - cw + ${ix#+} + iw / 2)) $((y + ${iy#+} + ih / 2))"
}

e2e_time_text_epoch() {
  local text=$1 year now epoch
  [[ $text =~ ^([0-9]{2})/([0-9]{2})\ ([0-9]{2}):([0-9]{2}):([0-9]{2})$ ]] || return 1
  now=$(date +%s)
  year=$(env "$(hg__tz_env)" date -d "@$now" +%Y)
  epoch=$(env "$(hg__tz_env)" date -d "$year-${BASH_REMATCH[1]}-${BASH_REMATCH[2]} ${BASH_REMATCH[3]}:${BASH_REMATCH[4]}:${BASH_REMATCH[5]}" +%s) ||
    return 1
  # A date later than tomorrow belongs to last year (December read in January).
  if [ "$epoch" -gt $((now + 86400)) ]; then
    epoch=$(env "$(hg__tz_env)" date -d "$((year - 1))-${BASH_REMATCH[1]}-${BASH_REMATCH[2]} ${BASH_REMATCH[3]}:${BASH_REMATCH[4]}:${BASH_REMATCH[5]}" +%s) ||
      return 1
  fi
  echo "$epoch"
}

e2e_midnight_epoch() {
  local when=${1:-$(date +%s)}
  env "$(hg__tz_env)" date -d "$(env "$(hg__tz_env)" date -d "@$when" +%F) 00:00" +%s
}

e2e_crop_screen() {
  local file=$1 x=$2 y=$3 w=$4 h=$5 m=${6:-0} shot
  shot=$(mktemp --suffix=.png)
  hg_screenshot "$shot" || { rm -f "$shot"; return 1; }
  x=$((x - m)) y=$((y - m)) w=$((w + 2 * m)) h=$((h + 2 * m))
  [ "$x" -ge 0 ] || { w=$((w + x)); x=0; }
  [ "$y" -ge 0 ] || { h=$((h + y)); y=0; }
  convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -strip "$file"
  local rc=$?
  rm -f "$shot"
  return $rc
}

e2e_wine_path_of_case() {
  echo "Z:${HG_CASE_DIR//\//\\}\\$1"
}

# The C runtime inside Windows programs reads TZ itself and knows only the
# form NAME[+|-]HOURS[:MINUTES] (JST-9): a zone name such as Asia/Tokyo reads
# there as UTC, so the program would count in UTC while the case computes
# dates in the named zone. For a zone without daylight saving this switches
# HG_TZ, for the rest of the case, to that form, which Linux reads alike.
# Call it before the first Wine start of the case. 1 when the zone changes
# its offset during the year.
e2e_use_fixed_zone() {
  local zone=${HG_TZ:-} year winter summer name sign hours minutes
  case $zone in '' | *[+-][0-9]*) return 0 ;; esac
  year=$(date +%Y)
  winter=$(TZ=$zone date -d "$year-01-15 12:00" +%z)
  summer=$(TZ=$zone date -d "$year-07-15 12:00" +%z)
  [ "$winter" = "$summer" ] || return 1
  name=$(TZ=$zone date -d "$year-01-15 12:00" +%Z)
  [[ $name =~ ^[A-Za-z]{3,}$ ]] || name=LST
  # The offset east of UTC is written as the hours to add to get to UTC.
  if [ "${winter:0:1}" = + ]; then sign=-; else sign=+; fi
  hours=$((10#${winter:1:2}))
  minutes=${winter:3:2}
  if [ "$minutes" = 00 ]; then
    HG_TZ="$name$sign$hours"
  else
    HG_TZ="$name$sign$hours:$minutes"
  fi
  export HG_TZ
}

e2e_click() {
  # Moved first and given a moment: Wine takes the button press where it
  # last saw the pointer.
  xdotool mousemove "$1" "$2" && sleep 0.2 && xdotool click "${3:-1}"
}

# A click on the bare desktop beside the menu (not on a dialog of the
# program: those open at the top left or in the middle).
e2e_dismiss_menu() {
  local tries rect mx my mw mh x y
  for ((tries = 0; tries < 5; tries++)); do
    rect=$(e2e_driver menu-rect 2>/dev/null) || return 0
    read -r mx my mw mh <<<"$rect"
    for x in 900 120; do
      for y in 120 600; do
        if [ "$x" -lt "$mx" ] || [ "$x" -ge $((mx + mw)) ] || [ "$y" -lt "$my" ] || [ "$y" -ge $((my + mh)) ]; then
          break 2
        fi
      done
    done
    e2e_click "$x" "$y" 1
    sleep 0.5
  done
  ! e2e_driver menu-open
}

# The tray menu: four commands, a separator, one, a separator, one. In the
# menu's left margin a separator is a line one pixel high; the pointer is
# taken off the icon first, so that its tooltip does not cover the menu.
e2e_menu_item_point() {
  local n=$1 rect mx my mw mh shot seps s1 s2 y tries
  xdotool mousemove 900 120
  for ((tries = 0; tries < 20; tries++)); do
    e2e_driver tooltip-text >/dev/null 2>&1 || break
    sleep 0.3
  done
  rect=$(e2e_driver menu-rect 2>/dev/null) || return 1
  read -r mx my mw mh <<<"$rect"
  shot=$(mktemp --suffix=.png)
  hg_screenshot "$shot" || { rm -f "$shot"; return 1; }
  seps=$(convert "$shot" -crop "1x${mh}+$((mx + 8))+${my}" +repage txt:- 2>/dev/null |
    awk 'NR > 1 { c[NR - 2] = $3 }
      END { for (y = 1; y < NR - 2; y++) if (c[y] != c[y - 1] && c[y] != c[y + 1] && c[y - 1] == c[y + 1]) print y }')
  rm -f "$shot"
  read -r s1 s2 <<<"$(tr '\n' ' ' <<<"$seps")"
  [ -n "${s2:-}" ] || return 1
  case $n in
  1) y=$((1 + (s1 - 1) / 8)) ;;
  2) y=$((1 + 3 * (s1 - 1) / 8)) ;;
  5) y=$((1 + 5 * (s1 - 1) / 8)) ;;
  6) y=$((1 + 7 * (s1 - 1) / 8)) ;;
  3) y=$(((s1 + s2) / 2)) ;;
  4) y=$(((s2 + mh - 1) / 2)) ;;
  *) return 1 ;;
  esac
  echo "$((mx + mw / 2)) $((my + y))"
}
