#!/usr/bin/env bash
# (Re)makes the pictures of the parent's guide, docs/img/*.png, from the real
# hourgauge.exe under Wine: an own Xvfb, Wine desktop and fresh prefix (the
# machinery of the end-to-end suite, scripts/wine-env.sh and
# tests/e2e/lib.sh), the program started as on a first run and driven the
# way a parent uses it, each picture cut to the tooltip, menu, dialog or
# message box it shows.
#
#   bash scripts/screenshots.sh [--no-build] [--lang ja|en] [--out DIR]
#
# --lang en runs Wine with an English locale, so the program shows its
# English texts; its pictures go to docs/img/en/ unless --out says otherwise.
#
# tooltip.png         the tray tooltip, over the icon at the right end of the taskbar
# menu.png            the tray menu, no password set yet ("パスワード設定")
# settings.png        the settings dialog with the current limit and adjustment
# password-change.png the password dialog, a new password typed twice
# password-check.png  the password check the exit command asks for
# password-error.png  the box for a wrong password
# uninstall.png       the box the uninstall command ends with (password cleared first)
# balloon.png         the balloon ten minutes before a power-off, over the tray
# countdown.png       the countdown window of the last minute, near the tray
#
# and, named after their language in docs/img/ (NAME.png, NAME.en.png):
#
# day-rules           "Limits by day" from the settings dialog, a week's figures and a bedtime typed
# extra-time          the extra-time dialog, 30 minutes typed
#
# Under Wine the System event log is empty, so the tooltip's three days show
# 0 minutes of use each. The caption buttons need Wine's Marlett font (Debian
# package fonts-wine): it is copied into the prefix's Fonts folder.
set -uo pipefail

HG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
source "$HG_ROOT/scripts/wine-env.sh"
# shellcheck source=scripts/screenshot-common.sh
source "$HG_ROOT/scripts/screenshot-common.sh"
# shellcheck source=tests/e2e/lib.sh
source "$HG_ROOT/tests/e2e/lib.sh"

build=1
lang=ja
out=
while [ $# -gt 0 ]; do
  case $1 in
  --no-build) build=0 ;;
  --lang)
    lang=${2:?--lang needs ja or en}
    shift
    ;;
  --out)
    out=${2:?--out needs a folder}
    shift
    ;;
  -h | --help)
    sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "screenshots: unknown argument $1" >&2
    exit 2
    ;;
  esac
  shift
done

die() {
  echo "screenshots: $*" >&2
  exit 1
}

named=${out:-$HG_ROOT/docs/img}
case $lang in
ja)
  out=${out:-$HG_ROOT/docs/img}
  suffix=
  ;;
en)
  out=${out:-$HG_ROOT/docs/img/en}
  suffix=.en
  export HG_WINE_LOCALE=en_US.UTF-8
  ;;
*) die "--lang must be ja or en" ;;
esac

cd "$HG_ROOT" || die "no repository"
if [ "$build" = 1 ]; then
  mkdir -p build
  { cmake --preset windows && cmake --build --preset windows; } >build/screenshots-build.log 2>&1 ||
    die "the Windows build failed (build/screenshots-build.log)"
fi
export HG_EXE=$HG_ROOT/build/windows/hourgauge.exe
export HG_DRIVER=$HG_ROOT/build/windows/tests/e2e/driver/hgdriver.exe
[ -f "$HG_EXE" ] || die "$HG_EXE is missing"
[ -f "$HG_DRIVER" ] || die "$HG_DRIVER is missing"

hg_shots_need_marlett screenshots
hg_shots_cleanup_at_exit screenshots

hg_wine_ready || die "Wine cannot run 32-bit programs here"
work=$(mktemp -d /tmp/hg-shots.XXXXXX) || die "no temporary folder"
hg_xvfb_start || die "Xvfb did not start"
export HG_TZ=${HG_TZ:-Asia/Tokyo}
e2e_use_fixed_zone || die "HG_TZ=$HG_TZ has daylight saving; use a zone with a fixed offset"
echo "screenshots: preparing a Wine prefix"
hg_prefix_init "$work/prefix" || die "the Wine prefix could not be prepared"
cp "$marlett" "$work/prefix/drive_c/windows/Fonts/" || die "could not add Marlett to the prefix"
export WINEPREFIX=$work/prefix
export HG_CASE_DIR=$work/shots
export HG_E2E_REASON=$work/reason
mkdir -p "$HG_CASE_DIR" "$out"

# The lib's checks end the script through e2e_fail; the reason is told here.
trap 'rc=$?; [ -s "$HG_E2E_REASON" ] && echo "screenshots: $(cat "$HG_E2E_REASON")" >&2; hg_shots_cleanup; exit $rc' EXIT

shot_file() {
  local file=$1 rect=$2 margin=${3:-0} x y w h
  read -r x y w h <<<"$rect"
  [ -n "${h:-}" ] || e2e_fail "no place for $(basename "$file")"
  e2e_crop_screen "$file" "$x" "$y" "$w" "$h" "$margin" || e2e_fail "could not write $file"
  echo "screenshots: $(basename "$file") ${w}x${h} at $x,$y"
}

shot_rect() {
  shot_file "$out/$1.png" "$2" "${3:-}"
}

dialog_shot_file() {
  local file=$1 caption=$2 rect
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no dialog '$caption'"
  xdotool mousemove 900 120
  sleep 0.7
  rect=$(e2e_driver dialog-rect "$caption") || e2e_fail "no dialog '$caption'"
  shot_file "$file" "$rect"
}

dialog_shot() {
  dialog_shot_file "$out/$1.png" "$2"
}

# A dialog opened by a posted click can come up with an inactive caption
# under Wine; a real click on its caption makes it the active window, as
# it is while a parent types into it.
activate_dialog() {
  local x y w h
  read -r x y w h <<<"$(e2e_driver dialog-rect "$1")"
  [ -n "${h:-}" ] || e2e_fail "no dialog '$1'"
  sleep 0.5
  e2e_click $((x + w / 2)) $((y + 10)) 1
  sleep 0.3
}

# A command chosen as a parent does: a right click on the icon, a click on
# the menu's item (1 password, 2 settings, 3 uninstall, 4 exit, 5 extra
# time). That also makes the program the foreground one, so its dialogs
# have active captions.
choose() {
  local item
  e2e_click "$px" "$py" 3
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no menu after a right click on the icon"
  item=$(e2e_menu_item_point "$1") || e2e_fail "the menu's items are not to be found"
  e2e_click "${item% *}" "${item#* }" 1
}

tray_up() { [ "$(e2e_tray_icons)" = 1 ]; }
tooltip_full() {
  local tip
  tip=$(e2e_driver tooltip-text 2>/dev/null) || return 1
  [[ $tip == *min*$'\n'*'('*min*')'* ]]
}
tooltip_gone() { ! e2e_driver tooltip-text >/dev/null 2>&1; }

settings=$(e2e_rc_caption IDD_SETTINGS "$lang")
day_rules=$(e2e_rc_caption IDD_DAY_RULES "$lang")
extra=$(e2e_rc_caption IDD_EXTRA_TIME "$lang")
change=$(e2e_rc_caption IDD_PASSWORD_CHANGE "$lang")
check=$(e2e_rc_caption IDD_PASSWORD_CHECK "$lang")
error_caption=$(e2e_string IDS_PASSWORD_ERROR_CAPTION "$lang")
uninstall_caption=$(e2e_string IDS_UNINSTALL_CAPTION "$lang")

echo "screenshots: starting hourgauge.exe"
e2e_start_program
started=$SECONDS
e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
e2e_wait 30 tray_up || e2e_fail "no tray icon"
point=$(e2e_tray_icon_point) || e2e_fail "no icon to be seen in the tray"
read -r px py <<<"$point"

# The tooltip gets its second line (the last three days) with the first
# recount, on the 30th tick.
sleep $((started + 33 - SECONDS > 0 ? started + 33 - SECONDS : 0))
for _ in 1 2 3; do
  xdotool mousemove 900 120
  sleep 0.5
  xdotool mousemove "$px" "$py"
  sleep 0.3
  xdotool mousemove $((px + 1)) "$py"
  e2e_wait 8 tooltip_full && break
done
tooltip_full || e2e_fail "no tooltip with two lines over the icon: '$(e2e_driver tooltip-text 2>/dev/null)'"
sleep 0.5
echo "screenshots: tooltip text: $(e2e_driver tooltip-text | tr '\n' '|')"
read -r tx ty tw th <<<"$(e2e_driver tooltip-rect)"
[ -n "${th:-}" ] || e2e_fail "the tooltip's place is unknown"
# The tooltip and the icon under it, to the screen's edges.
left=$((tx < px - 12 ? tx : px - 12))
left=$((left - 8))
bottom=$(e2e_driver tray-icons | sed -n 's/^tray //p' | awk '{ print $2 + $4 }')
right=$((tx + tw + 8 > 1024 ? 1024 : tx + tw + 8))
shot_rect tooltip "$left $((ty - 8)) $((right - left)) $((bottom - ty + 8))"
xdotool mousemove 900 120
e2e_wait 10 tooltip_gone || e2e_fail "the tooltip stayed"

e2e_click "$px" "$py" 3
e2e_wait 10 e2e_driver menu-open || e2e_fail "no menu after a right click on the icon"
xdotool mousemove 900 120
e2e_wait 10 tooltip_gone || e2e_fail "the tooltip stayed over the menu"
sleep 0.5
shot_rect menu "$(e2e_driver menu-rect)"
e2e_dismiss_menu || e2e_fail "the menu did not close"

choose 2
dialog_shot settings "$settings"
# A week as a family might set it: more at the weekend, less on Wednesday,
# the other school days the daily limit, and a bedtime.
e2e_driver dialog-click "$settings" "$(e2e_id IDC_DAY_RULES)" || e2e_fail "could not press 'Limits by day'"
e2e_driver wait-dialog "$day_rules" 30 || e2e_fail "no dialog '$day_rules'"
for field in "IDC_LIMIT_SUN 120" "IDC_LIMIT_WED 45" "IDC_LIMIT_FRI 90" "IDC_LIMIT_SAT 120" "IDC_BEDTIME 21:30"; do
  e2e_driver dialog-set-text "$day_rules" "$(e2e_id "${field% *}")" "${field#* }" || e2e_fail "could not type"
done
activate_dialog "$day_rules"
dialog_shot_file "$named/day-rules$suffix.png" "$day_rules"
e2e_driver dialog-click "$day_rules" 2 || e2e_fail "could not press Cancel"
e2e_driver wait-no-window "$day_rules" 30 || e2e_fail "the limits-by-day dialog stayed"
e2e_driver dialog-click "$settings" 2 || e2e_fail "could not press Cancel"
e2e_driver wait-no-window "$settings" 30 || e2e_fail "the settings dialog stayed"

# Straight from the menu while no password is set, as the settings above:
# with one, the password check comes first (pictured below for the exit).
choose 5
e2e_driver wait-dialog "$extra" 30 || e2e_fail "no dialog '$extra'"
e2e_driver dialog-set-text "$extra" "$(e2e_id IDC_EXTRA_MINUTES)" 30 || e2e_fail "could not type"
dialog_shot_file "$named/extra-time$suffix.png" "$extra"
e2e_driver dialog-click "$extra" 2 || e2e_fail "could not press Cancel"
e2e_driver wait-no-window "$extra" 30 || e2e_fail "the extra-time dialog stayed"

choose 1
e2e_driver wait-dialog "$change" 30 || e2e_fail "no dialog '$change'"
e2e_driver dialog-set-text "$change" "$(e2e_id IDC_NEW_PASSWORD)" abc || e2e_fail "could not type"
e2e_driver dialog-set-text "$change" "$(e2e_id IDC_CONFIRM_PASSWORD)" abc || e2e_fail "could not type"
dialog_shot password-change "$change"
e2e_driver dialog-click "$change" 1 || e2e_fail "could not press OK"
e2e_driver wait-no-window "$change" 30 || e2e_fail "the password dialog stayed"
e2e_wait 30 e2e_reg_exists PASSWORD || e2e_fail "no password stored"

choose 4
e2e_driver wait-dialog "$check" 30 || e2e_fail "no dialog '$check'"
e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" abd || e2e_fail "could not type"
dialog_shot password-check "$check"
e2e_driver dialog-click "$check" 1 || e2e_fail "could not press OK"
dialog_shot password-error "$error_caption"
e2e_driver msgbox-ok "$error_caption" || e2e_fail "could not answer the box"
e2e_driver wait-no-window "$error_caption" 30 || e2e_fail "the error box stayed"
# Esc: the check dialog ends with IDCANCEL, and the program stays.
e2e_driver post "$check" 0x111 2 0 || e2e_fail "could not cancel the check dialog"
e2e_driver wait-no-window "$check" 30 || e2e_fail "the check dialog stayed"
e2e_program_alive || e2e_fail "the program ended"

# The password cleared again (old one typed, new ones left empty), so that
# the uninstall box comes straight from the menu: after a password check the
# box would open behind the closed dialog with an inactive caption.
choose 1
e2e_driver wait-dialog "$change" 30 || e2e_fail "no dialog '$change'"
e2e_driver dialog-set-text "$change" "$(e2e_id IDC_PASSWORD)" abc || e2e_fail "could not type"
e2e_driver dialog-click "$change" 1 || e2e_fail "could not press OK"
e2e_driver wait-no-window "$change" 30 || e2e_fail "the password dialog stayed"
# (Read as bytes: the reg tool shows an empty value with leftovers.)
password_empty() { [[ $(e2e_driver reg-bytes "$HG_KEY" PASSWORD) =~ ^REG_SZ\ (0\ |1\ 00)$ ]]; }
e2e_wait 30 password_empty || e2e_fail "the password was not cleared"

choose 3
dialog_shot uninstall "$uninstall_caption"
e2e_driver msgbox-ok "$uninstall_caption" || e2e_fail "could not answer the box"
e2e_wait 15 eval '! e2e_program_alive' || e2e_fail "the program did not end after the uninstall"

# The warnings. Under Wine the System log is empty and every recount gives
# the whole limit back: with 10 minutes and 610 seconds stored, the tick
# after the one that reaches 600 is ten minutes before the power-off.
e2e_wait 30 eval '! e2e_reg_key_exists' || e2e_fail "the program key is still there"
e2e_set_reg LastDate "$(hg_day_key)"
e2e_set_reg LimitTime 10
e2e_set_reg LastTime 610
echo "screenshots: starting hourgauge.exe for the warnings"
e2e_start_program
e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
e2e_wait 40 e2e_driver balloon >/dev/null || e2e_fail "no balloon"
xdotool mousemove 500 300
sleep 1
read -r bx by bw bh _ <<<"$(e2e_driver balloon)"
# The balloon and the tray under it, to the screen's right edge.
tray_bottom=$(e2e_driver tray-icons | sed -n 's/^tray //p' | awk '{ print $2 + $4 }')
shot_rect balloon "$((bx - 8)) $((by - 8)) $((1024 - bx + 8)) $((tray_bottom - by + 8))"
e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_APP_EXIT)" || e2e_fail "could not close the program"
e2e_wait 15 eval '! e2e_program_alive' || e2e_fail "the program did not end"

# The countdown: the day-start adjustment puts the end of the accounting
# day a minute and a half from now.
e2e_day_ends_in 60
boundary=$HG_DAY_END
e2e_set_reg LimitTime 60
e2e_set_reg LastTime 3000
echo "screenshots: starting hourgauge.exe for the countdown"
e2e_start_program
e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
while [ $(($(date +%s) + 48)) -lt "$boundary" ]; do sleep 1; done
e2e_wait 10 e2e_driver countdown >/dev/null || e2e_fail "no countdown window"
countdown=$(e2e_driver countdown)
countdown=${countdown#*rect=}
countdown=${countdown% text=*}
read -r cx cy cw ch <<<"$countdown"
shot_rect countdown "$((cx - 12)) $((cy - 12)) $((1024 - cx + 12)) $((768 - cy + 12))"
e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_APP_EXIT)" || e2e_fail "could not close the program"
e2e_wait 15 eval '! e2e_program_alive' || e2e_fail "the program did not end"

too_big=
for f in tooltip menu settings password-change password-check password-error uninstall balloon countdown \
  "$named/day-rules$suffix" "$named/extra-time$suffix"; do
  [[ $f == */* ]] || f=$out/$f
  size=$(stat -c %s "$f.png")
  [ "$size" -lt 102400 ] || too_big+=" $(basename "$f").png ($size bytes)"
done
[ -z "$too_big" ] || e2e_fail "pictures of 100 KB or more:$too_big"
echo "screenshots: done, in $out"
