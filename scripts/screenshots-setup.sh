#!/usr/bin/env bash
# (Re)makes the guide's pictures of the setup program and its uninstaller,
# from the real setup (scripts/setup.sh) under Wine: an own Xvfb, Wine
# desktop and fresh prefix per language (the machinery of the end-to-end
# suite, scripts/wine-env.sh and tests/e2e/lib.sh), the wizard filled in as
# a parent would and each picture cut to the wizard's window.
#
#   bash scripts/screenshots-setup.sh [--no-build] [--lang ja|en|both] [--out DIR]
#
# docs/img/setup-limit.png         the limit page: daily limit, weekend days of
#                                  their own, bedtime, the password typed twice
# docs/img/setup-password.png      the same page refusing an empty password
# docs/img/uninstall-password.png  the uninstaller's password page, typed
# and the same three as *.en.png from a Wine with an English locale.
#
# --no-build takes build/windows/*.exe as they are (the setup itself is
# always packed again). The caption buttons need Wine's Marlett font (Debian
# package fonts-wine): it is copied into each prefix's Fonts folder.
set -uo pipefail

HG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
source "$HG_ROOT/scripts/wine-env.sh"
# shellcheck source=scripts/screenshot-common.sh
source "$HG_ROOT/scripts/screenshot-common.sh"
# shellcheck source=tests/e2e/lib.sh
source "$HG_ROOT/tests/e2e/lib.sh"

build=1
langs=(ja en)
out=$HG_ROOT/docs/img
while [ $# -gt 0 ]; do
  case $1 in
  --no-build) build=0 ;;
  --lang)
    case ${2:-} in
    ja | en) langs=("$2") ;;
    both) langs=(ja en) ;;
    *)
      echo "screenshots-setup: --lang needs ja, en or both" >&2
      exit 2
      ;;
    esac
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
    echo "screenshots-setup: unknown argument $1" >&2
    exit 2
    ;;
  esac
  shift
done

die() {
  echo "screenshots-setup: $*" >&2
  exit 1
}

cd "$HG_ROOT" || die "no repository"
if [ "$build" = 1 ]; then
  mkdir -p build
  { cmake --preset windows && cmake --build --preset windows; } >build/screenshots-build.log 2>&1 ||
    die "the Windows build failed (build/screenshots-build.log)"
fi
setup=$(bash scripts/setup.sh --no-build) || die "the setup program could not be built"
setup=$HG_ROOT/$setup
export HG_DRIVER=$HG_ROOT/build/windows/tests/e2e/driver/hgdriver.exe
[ -f "$HG_DRIVER" ] || die "$HG_DRIVER is missing"

hg_shots_need_marlett screenshots-setup
hg_shots_cleanup_at_exit screenshots-setup

hg_wine_ready || die "Wine cannot run 32-bit programs here"
work=$(mktemp -d /tmp/hg-setup-shots.XXXXXX) || die "no temporary folder"
hg_xvfb_start || die "Xvfb did not start"
export HG_TZ=${HG_TZ:-Asia/Tokyo}
e2e_use_fixed_zone || die "HG_TZ=$HG_TZ has daylight saving; use a zone with a fixed offset"
export HG_CASE_DIR=$work/shots
export HG_E2E_REASON=$work/reason
mkdir -p "$HG_CASE_DIR" "$out"
# The lib's checks end the script through e2e_fail; the reason is told here.
trap 'rc=$?; [ -s "$HG_E2E_REASON" ] && echo "screenshots-setup: $(cat "$HG_E2E_REASON")" >&2; hg_shots_cleanup; exit $rc' EXIT

# The settings page's controls, numbered by nsDialogs from 1200 in the
# order the page makes them (tests/e2e/cases/80-setup.sh uses the same).
limit_field=1201
bedtime_field=1203
password_field=1220
confirm_field=1222
day_field() { echo $((1206 + 2 * $1)); }

# A driver command on the wizard titled $2: NSIS ends the title of some
# pages with a blank.
wizard() {
  local cmd=$1 title=$2
  shift 2
  e2e_driver "$cmd" "$title" "$@" 2>/dev/null || e2e_driver "$cmd" "$title " "$@"
}

# The wizard's window (or the place $3 it had before a box of the same
# title came over it), the pointer out of the way.
wizard_shot() {
  local name=$1 title=$2 rect=${3:-} x y w h
  xdotool mousemove 1000 740
  sleep 0.7
  if [ -z "$rect" ]; then
    rect=$(wizard dialog-rect "$title") || e2e_fail "no wizard '$title' for $name.png"
    # Active, as it is while a parent types: a box that came and went, or
    # the uninstaller's second process, leaves Wine's desktop with no
    # active window, and a click does not change that there; the caption is
    # then drawn active with WM_NCACTIVATE.
    wizard send "$title" 0x86 1 0 >/dev/null || e2e_fail "could not draw the caption active"
    sleep 0.7
  fi
  read -r x y w h <<<"$rect"
  e2e_crop_screen "$out/$name.png" "$x" "$y" "$w" "$h" || e2e_fail "could not write $name.png"
  echo "screenshots-setup: $name.png ${w}x${h} at $x,$y"
}

setup_text() {
  sed -n "s/^LangString $1 \${LANG_$2} \"\(.*\)\"\$/\1/p" "$HG_ROOT/setup/lang/$3.nsh"
}

# The three pictures in one language, in a fresh prefix.
shoot() {
  local lang=$1 suffix setup_title uninstall_title lang_upper lang_file required pid rect
  case $lang in
  ja)
    suffix=
    export HG_WINE_LOCALE=ja_JP.UTF-8
    setup_title='HourgaugeLite セットアップ'
    uninstall_title='HourgaugeLite アンインストール'
    lang_upper=JAPANESE
    lang_file=Japanese
    ;;
  en)
    suffix=.en
    export HG_WINE_LOCALE=en_US.UTF-8
    setup_title='HourgaugeLite Setup'
    uninstall_title='HourgaugeLite Uninstall'
    lang_upper=ENGLISH
    lang_file=English
    ;;
  esac
  required=$(setup_text HG_PASSWORD_REQUIRED "$lang_upper" "$lang_file")
  [ -n "$required" ] || e2e_fail "no HG_PASSWORD_REQUIRED in setup/lang/$lang_file.nsh"

  if [ -n "$work" ] && [ -d "$work/prefix" ]; then
    WINEPREFIX=$work/prefix hg_wine_stop
    rm -rf "$work/prefix"
  fi
  echo "screenshots-setup: preparing a Wine prefix ($lang)"
  hg_prefix_init "$work/prefix" || e2e_fail "the Wine prefix could not be prepared"
  cp "$marlett" "$work/prefix/drive_c/windows/Fonts/" || e2e_fail "could not add Marlett to the prefix"
  export WINEPREFIX=$work/prefix

  hg_wine_bg "$HG_CASE_DIR/setup-$lang.log" "$setup" /NOSTART
  pid=$HG_BG_PID
  e2e_driver wait-dialog "Installer Language" 60 || e2e_fail "no language question"
  e2e_driver dialog-click "Installer Language" 1 || e2e_fail "could not answer the language question"
  e2e_driver wait-dialog "$setup_title" 30 || e2e_fail "no wizard '$setup_title'"
  e2e_driver dialog-click "$setup_title" 1 || e2e_fail "could not press Next"
  e2e_wait 15 eval '[ "$(wizard dialog-get-text "$setup_title" $limit_field)" = 60 ]' ||
    e2e_fail "no settings page"

  # A first install pressed on without a password: the refusal over the page.
  rect=$(wizard dialog-rect "$setup_title") || e2e_fail "no wizard '$setup_title'"
  wizard dialog-click "$setup_title" 1 || e2e_fail "could not press Next"
  e2e_wait 15 eval '[ "$(e2e_driver msgbox-text "$setup_title" 2>/dev/null)" = "$required" ]' ||
    e2e_fail "no message for an empty password"
  wizard_shot "setup-password$suffix" "$setup_title" "$rect"
  e2e_driver msgbox-ok "$setup_title" || e2e_fail "could not answer the box"

  # A family's week: 90 minutes, three hours on Saturday and Sunday, bed at
  # nine; the password typed twice shows as its mask.
  wizard dialog-set-text "$setup_title" $limit_field 90 || e2e_fail "could not type"
  wizard dialog-set-text "$setup_title" "$(day_field 0)" 180 || e2e_fail "could not type"
  wizard dialog-set-text "$setup_title" "$(day_field 6)" 180 || e2e_fail "could not type"
  wizard dialog-set-text "$setup_title" $bedtime_field 21:00 || e2e_fail "could not type"
  wizard dialog-set-text "$setup_title" $password_field "hg2026" || e2e_fail "could not type"
  wizard dialog-set-text "$setup_title" $confirm_field "hg2026" || e2e_fail "could not type"
  wizard_shot "setup-limit$suffix" "$setup_title"

  wizard dialog-click "$setup_title" 1 || e2e_fail "could not press Next"
  sleep 1
  wizard dialog-click "$setup_title" 1 || e2e_fail "could not press Install"
  e2e_wait 60 eval '[ -f "$(e2e_unix_path "C:\\Program Files (x86)\\HourgaugeLite\\uninstall.exe")" ]' ||
    e2e_fail "the wizard did not install"
  for _ in $(seq 30); do
    hg_pid_alive "$pid" || break
    wizard dialog-click "$setup_title" 1 >/dev/null 2>&1
    sleep 1
  done
  hg_pid_alive "$pid" && e2e_fail "the wizard did not end"

  hg_wine_bg "$HG_CASE_DIR/uninstall-$lang.log" "$(e2e_unix_path 'C:\Program Files (x86)\HourgaugeLite\uninstall.exe')"
  e2e_driver wait-dialog "$uninstall_title" 60 || e2e_fail "no wizard '$uninstall_title'"
  e2e_wait 15 wizard dialog-get-text "$uninstall_title" 1201 >/dev/null || e2e_fail "no password page"
  wizard dialog-set-text "$uninstall_title" 1201 "hg2026" || e2e_fail "could not type"
  wizard_shot "uninstall-password$suffix" "$uninstall_title"
  wizard dialog-click "$uninstall_title" 2 || e2e_fail "could not press Cancel"
  e2e_driver wait-no-window "$uninstall_title" 30 || e2e_fail "the uninstaller did not close"
}

for lang in "${langs[@]}"; do
  shoot "$lang"
done

too_big=
for f in "$out"/setup-limit*.png "$out"/setup-password*.png "$out"/uninstall-password*.png; do
  size=$(stat -c %s "$f")
  [ "$size" -lt 102400 ] || too_big+=" $(basename "$f") ($size bytes)"
done
[ -z "$too_big" ] || e2e_fail "pictures of 100 KB or more:$too_big"
echo "screenshots-setup: done, in $out"
