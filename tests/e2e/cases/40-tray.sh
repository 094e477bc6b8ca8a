# shellcheck shell=bash
# The program in the notification area: it starts with its window hidden and
# an icon in the tray, and a button press on the icon opens its menu. In the
# Wine desktop the tray is the right end of the taskbar (Shell_TrayWnd); it
# draws the icons itself and keeps a tooltip tool for each, which is how the
# driver counts them.

e2e__tray_up() {
  [ -n "$(e2e_tray_icons)" ]
}

e2e__tray_holds() {
  [ "$(e2e_tray_icons)" = "$1" ]
}

e2e__menu_closed() {
  ! e2e_driver menu-open
}

# Before the start the tray holds no icon; after it, one, and the program's
# window exists but is not shown. The icon's callback message, as the tray
# sends it for a button press, opens the popup menu for either button and
# for nothing else.
case_starts_hidden_with_a_tray_icon() {
  local state rc point
  # A hidden window of another program keeps the session, and with it the
  # desktop's taskbar, alive between the driver's calls.
  hg_wine_bg "$HG_CASE_DIR/keeper.log" "$HG_DRIVER" create-window "e2e session keeper" 110 ignore
  e2e_driver wait-window "e2e session keeper" 30 || e2e_fail "the keeper window did not appear"
  e2e_wait 60 e2e__tray_up || e2e_fail "the Wine desktop has no tray"
  e2e_expect_eq "tray icons before the start" "$(e2e_tray_icons)" 0

  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e__tray_holds 1 || e2e_fail "tray icons after the start: $(e2e_tray_icons), expected 1"
  state=$(e2e_driver window-visible "$HG_TITLE")
  rc=$?
  [ "$rc" -eq 1 ] || e2e_fail "the main window is shown ('$state', exit $rc); it should be hidden in the tray"
  e2e_expect_eq "main window state" "$state" hidden
  e2e_screenshot tray

  # The menu opens where the pointer is: over the icon, as for a real press.
  point=$(e2e_tray_icon_point) || e2e_fail "no icon to be seen in the tray"
  xdotool mousemove "${point% *}" "${point#* }"
  e2e_expect "the right-button callback was not delivered" e2e_driver tray-click "$HG_TITLE" 0x204
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no popup menu after a right-button press on the icon"
  e2e_dismiss_menu || e2e_fail "the popup menu did not close on a click elsewhere"

  xdotool mousemove "${point% *}" "${point#* }"
  e2e_expect "the left-button callback was not delivered" e2e_driver tray-click "$HG_TITLE" 0x201
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no popup menu after a left-button press on the icon"
  e2e_dismiss_menu || e2e_fail "the popup menu did not close on a click elsewhere"

  xdotool mousemove "${point% *}" "${point#* }"
  # The pointer moving over the icon and a released button open nothing.
  e2e_expect "the callback was not delivered" e2e_driver tray-click "$HG_TITLE" 0x200
  e2e_expect "the callback was not delivered" e2e_driver tray-click "$HG_TITLE" 0x205
  sleep 2
  e2e_driver menu-open && e2e_fail "a popup menu opened for a pointer move or a button release"

  e2e_driver window-visible "$HG_TITLE" >/dev/null && e2e_fail "the main window is shown after the menus"
  e2e_expect_eq "tray icons at the end" "$(e2e_tray_icons)" 1
  e2e_program_alive || e2e_fail "the program ended"
}

# Real clicks on the tray icon, through the X server: the right button opens
# the menu (its picture is kept as menu.png in the case's folder), a click on
# its first item opens the password dialog (as "set a password": the old
# password field is disabled), its second the settings dialog, the left
# button opens the menu again, and a click on its last item ends the program
# (no password is set). The items are found from the menu's two separator
# lines.
case_clicks_on_the_tray_icon_and_its_menu() {
  local point px py rect mx my mw mh change settings item
  change=$(e2e_rc_caption IDD_PASSWORD_CHANGE)
  settings=$(e2e_rc_caption IDD_SETTINGS)
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e__tray_holds 1 || e2e_fail "tray icons after the start: $(e2e_tray_icons), expected 1"
  point=$(e2e_tray_icon_point) || e2e_fail "no icon to be seen in the tray"
  read -r px py <<<"$point"

  e2e_click "$px" "$py" 3
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no popup menu after a right click on the icon at $point"
  item=$(e2e_menu_item_point 1) || e2e_fail "the menu's items are not to be found"
  rect=$(e2e_driver menu-rect) || e2e_fail "the menu's place is unknown"
  read -r mx my mw mh <<<"$rect"
  e2e_crop_screen "$HG_CASE_DIR/menu.png" "$mx" "$my" "$mw" "$mh" || e2e_fail "no picture of the menu"
  # Four commands and two separators: taller than four lines of text.
  [ "$mw" -gt 60 ] && [ "$mh" -gt 60 ] || e2e_fail "the menu is only ${mw}x${mh}"
  [ "$px" -ge "$mx" ] && [ "$px" -lt $((mx + mw)) ] ||
    e2e_fail "the menu ($rect) does not lie over the clicked icon's column ($px)"

  e2e_click "${item% *}" "${item#* }" 1
  e2e_driver wait-dialog "$change" 10 || e2e_fail "the menu's first item did not open '$change'"
  e2e__menu_closed || e2e_fail "the menu stayed open after its item was chosen"
  e2e_driver dialog-enabled "$change" "$(e2e_id IDC_PASSWORD)"
  [ $? -eq 1 ] || e2e_fail "the old password field takes input although no password is set"
  e2e_driver dialog-enabled "$change" "$(e2e_id IDC_NEW_PASSWORD)" ||
    e2e_fail "the new password field is disabled"
  e2e_expect "could not press Cancel" e2e_driver dialog-click "$change" 2
  e2e_driver wait-no-window "$change" 10 || e2e_fail "the dialog stayed after Cancel"
  e2e_reg_exists PASSWORD && e2e_fail "a password was stored although the dialog was cancelled"

  e2e_click "$px" "$py" 3
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no popup menu after the second right click"
  item=$(e2e_menu_item_point 2) || e2e_fail "the menu's items are not to be found"
  e2e_click "${item% *}" "${item#* }" 1
  e2e_driver wait-dialog "$settings" 10 || e2e_fail "the menu's second item did not open '$settings'"
  e2e_expect "could not press Cancel" e2e_driver dialog-click "$settings" 2
  e2e_driver wait-no-window "$settings" 10 || e2e_fail "the settings dialog stayed after Cancel"

  e2e_click "$px" "$py" 1
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no popup menu after a left click on the icon"
  item=$(e2e_menu_item_point 4) || e2e_fail "the menu's items are not to be found"
  e2e_click "${item% *}" "${item#* }" 1
  e2e_wait 15 eval '! e2e_program_alive' || e2e_fail "the menu's last item did not end the program"
}

# A second start in the same session (a parent running the exe by hand) ends
# at once: one icon, one count.
case_second_start_leaves_one_icon() {
  local dir second
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"
  e2e_wait 20 eval '[ "$(e2e_tray_icons)" = 1 ]' || e2e_fail "the first copy's icon is not in the tray"
  dir=$(e2e_unix_path "$HG_EXE_DIR_WIN")
  hg_wine_bg "$HG_CASE_DIR/second.log" "$dir/hourgauge.exe"
  second=$HG_BG_PID
  e2e_wait 30 e2e_pid_gone "$second" || e2e_fail "the second copy still runs 30 s after its start"
  e2e_program_alive || e2e_fail "the first copy ended"
  e2e_expect_eq "tray icons" "$(e2e_tray_icons)" 1
  [ "$(e2e_driver list-windows | grep -cF " title=$HG_TITLE")" -eq 1 ] ||
    e2e_fail "more than one window titled $HG_TITLE"
}
