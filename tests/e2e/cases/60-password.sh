# shellcheck shell=bash
# The password: set through the change dialog, stored scrambled, shown in
# the menu's first label, and asked for by the exit command.

# The middle of the menu's first item and of its last, as pictures: the
# first shows the password item's label, the last ("終了") never changes.
e2e__menu_rows() {
  local prefix=$1 point rect mx my mw mh row
  point=$(e2e_tray_icon_point) || e2e_fail "no icon to be seen in the tray"
  e2e_click "${point% *}" "${point#* }" 3
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no popup menu after a right click on the icon"
  # The pointer off the icon, so that no tooltip covers the menu.
  xdotool mousemove 900 120
  sleep 1
  rect=$(e2e_driver menu-rect) || e2e_fail "the menu's place is unknown"
  read -r mx my mw mh <<<"$rect"
  echo "$rect" >"$HG_CASE_DIR/$prefix-rect"
  e2e_crop_screen "$HG_CASE_DIR/$prefix.png" "$mx" "$my" "$mw" "$mh" || e2e_fail "no picture of the menu"
  row=$((mh / 6))
  convert "$HG_CASE_DIR/$prefix.png" -crop "$((mw - 8))x${row}+4+4" +repage "$HG_CASE_DIR/$prefix-first.png" &&
    convert "$HG_CASE_DIR/$prefix.png" -crop "$((mw - 8))x${row}+4+$((mh - row - 4))" +repage "$HG_CASE_DIR/$prefix-last.png" ||
    e2e_fail "could not cut the menu's rows"
  e2e_dismiss_menu || e2e_fail "the popup menu did not close on a click elsewhere"
}

# Pixels that differ between two pictures of one size.
e2e__pixels_differing() {
  compare -metric AE "$1" "$2" null: 2>&1 >/dev/null | sed 's/ .*//'
}

# No password: the change dialog's old field is disabled. New and confirm
# differing is refused with the program's warning; "abc" twice is taken and
# stored as three bytes that are not "abc". The menu's first label changes
# with it ("パスワード設定" becomes "パスワード変更"), the last stays. Then the
# exit command asks for the password: a wrong one is answered with the
# "Password Error" box and the dialog stays; the right one ends the program.
case_password_is_set_and_guards_the_exit() {
  local change check warning mismatch error_caption wrong bytes data
  change=$(e2e_rc_caption IDD_PASSWORD_CHANGE)
  check=$(e2e_rc_caption IDD_PASSWORD_CHECK)
  warning=$(e2e_string IDS_WARNING_CAPTION) || e2e_fail "no IDS_WARNING_CAPTION in res/hourgauge.rc"
  mismatch=$(e2e_string IDS_NEW_PASSWORD_MISMATCH) || e2e_fail "no IDS_NEW_PASSWORD_MISMATCH in res/hourgauge.rc"
  error_caption=$(e2e_string IDS_PASSWORD_ERROR_CAPTION) || e2e_fail "no IDS_PASSWORD_ERROR_CAPTION in res/hourgauge.rc"
  wrong=$(e2e_string IDS_PASSWORD_WRONG) || e2e_fail "no IDS_PASSWORD_WRONG in res/hourgauge.rc"

  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e__tray_holds 1 || e2e_fail "tray icons after the start: $(e2e_tray_icons), expected 1"
  e2e__menu_rows menu-before

  e2e_expect "the password command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_CHANGE_PASSWORD)"
  e2e_driver wait-dialog "$change" 30 || e2e_fail "no dialog captioned '$change'"
  e2e_driver dialog-enabled "$change" "$(e2e_id IDC_PASSWORD)"
  [ $? -eq 1 ] || e2e_fail "the old password field takes input although no password is set"

  e2e_expect "could not type" e2e_driver dialog-set-text "$change" "$(e2e_id IDC_NEW_PASSWORD)" abc
  e2e_expect "could not type" e2e_driver dialog-set-text "$change" "$(e2e_id IDC_CONFIRM_PASSWORD)" abd
  e2e_expect "could not press OK" e2e_driver dialog-click "$change" 1
  e2e_driver wait-dialog "$warning" 30 || e2e_fail "no '$warning' box for differing new passwords"
  e2e_expect_eq "message for differing passwords" "$(e2e_driver msgbox-text "$warning")" "$mismatch"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$warning"
  e2e_driver wait-no-window "$warning" 30 || e2e_fail "the '$warning' box stayed"
  e2e_driver window-exists "$change" || e2e_fail "the dialog closed on differing passwords"
  e2e_reg_exists PASSWORD && e2e_fail "PASSWORD stored although the passwords differed"

  e2e_expect "could not type" e2e_driver dialog-set-text "$change" "$(e2e_id IDC_CONFIRM_PASSWORD)" abc
  e2e_expect "could not press OK" e2e_driver dialog-click "$change" 1
  e2e_driver wait-no-window "$change" 30 || e2e_fail "the dialog stayed after a matching new password"
  e2e_wait 30 e2e_reg_exists PASSWORD || e2e_fail "PASSWORD not stored"
  bytes=$(e2e_driver reg-bytes "$HG_KEY" PASSWORD) || e2e_fail "PASSWORD unreadable"
  [[ $bytes =~ ^REG_SZ\ [0-9]+\ ([0-9a-f]*)$ ]] || e2e_fail "PASSWORD: got '$bytes', expected REG_SZ"
  # The read through the ANSI call may bring a terminating zero along.
  data=${BASH_REMATCH[1]%00}
  e2e_expect_eq "bytes of PASSWORD" "$((${#data} / 2))" 3
  [ "$data" != 616263 ] || e2e_fail "PASSWORD is stored as the plain text"
  [[ $data != *61* && $data != *62* && $data != *63* ]] ||
    e2e_fail "PASSWORD ($data) holds letters of the plain text in place"

  e2e__menu_rows menu-after
  e2e_expect_eq "menu's place" "$(cat "$HG_CASE_DIR/menu-after-rect")" "$(cat "$HG_CASE_DIR/menu-before-rect")"
  [ "$(e2e__pixels_differing "$HG_CASE_DIR/menu-before-last.png" "$HG_CASE_DIR/menu-after-last.png")" = 0 ] ||
    e2e_fail "the menu's last item looks different after the password was set (see menu-*.png)"
  [ "$(e2e__pixels_differing "$HG_CASE_DIR/menu-before-first.png" "$HG_CASE_DIR/menu-after-first.png")" != 0 ] ||
    e2e_fail "the menu's first label did not change when the password was set (see menu-*.png)"

  e2e_expect "the exit command was not delivered" e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_QUIT)"
  e2e_driver wait-dialog "$check" 30 || e2e_fail "no dialog captioned '$check' for the exit command"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" abd
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-dialog "$error_caption" 30 || e2e_fail "no '$error_caption' box for a wrong password"
  e2e_screenshot password-error
  e2e_expect_eq "message for a wrong password" "$(e2e_driver msgbox-text "$error_caption")" "$wrong"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$error_caption"
  e2e_driver wait-no-window "$error_caption" 30 || e2e_fail "the '$error_caption' box stayed"
  e2e_driver window-exists "$check" || e2e_fail "the check dialog closed on a wrong password"
  e2e_program_alive || e2e_fail "the program ended on a wrong password"

  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" abc
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_wait 15 eval '! e2e_program_alive' || e2e_fail "the program still runs 15 s after the right password"
}
