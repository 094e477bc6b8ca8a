# shellcheck shell=bash
# The program on an English Windows (Wine with an English locale): the menu,
# the dialogs, the tooltip, the message boxes and the warnings are English.

# Every Wine call of the case runs with the English locale.
e2e__english() {
  export HG_WINE_LOCALE=en_US.UTF-8
}

e2e__tooltip_of() {
  local point
  point=$(e2e_tray_icon_point) || return 1
  xdotool mousemove 900 120
  sleep 0.3
  xdotool mousemove ${point% *} ${point#* }
  sleep 0.3
  xdotool mousemove $((${point% *} + 1)) ${point#* }
  e2e_wait 8 e2e_driver tooltip-text >/dev/null || return 1
  e2e_driver tooltip-text | head -n 1
}

# The tooltip, the settings dialog with its range message, and the tray
# menu: English texts from the resources' English block.
case_english_windows_shows_english_texts() {
  local tip settings range expected point
  e2e__english
  e2e_start_today_in_tray 3000

  tip=$(e2e__tooltip_of) || e2e_fail "no tooltip over the icon"
  [[ $tip =~ ^Time\ left\(\ 49min\ \)$|^Time\ left\(\ 50min\ \)$ ]] ||
    e2e_fail "tooltip: got '$tip', expected 'Time left( 49min )'"
  xdotool mousemove 900 120

  point=$(e2e_tray_icon_point) || e2e_fail "no icon to be seen in the tray"
  e2e_click "${point% *}" "${point#* }" 3
  e2e_wait 10 e2e_driver menu-open || e2e_fail "no popup menu after a right click on the icon"
  xdotool mousemove 900 120
  sleep 0.7
  e2e_crop_screen "$HG_CASE_DIR/menu.png" $(e2e_driver menu-rect) || e2e_fail "no picture of the menu"
  e2e_dismiss_menu || e2e_fail "the popup menu did not close"

  settings=$(e2e_rc_caption IDD_SETTINGS en)
  [ "$settings" = "Settings ( HourgaugeLite ver1.1 )" ] || e2e_fail "English settings caption: '$settings'"
  e2e_expect "the settings command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$settings" 30 || e2e_fail "no dialog '$settings'"
  e2e_screenshot settings
  e2e_driver dialog-set-text "$settings" "$(e2e_id IDC_DAILY_LIMIT)" 35791395 || e2e_fail "could not type"
  e2e_driver dialog-click "$settings" 1 || e2e_fail "could not press OK"
  e2e_driver wait-dialog Hourgauge 30 || e2e_fail "no range message captioned Hourgauge"
  range=$(e2e_driver msgbox-text Hourgauge)
  expected=$(e2e_string AFX_IDP_PARSE_INT_RANGE en)
  expected=${expected/\%1/0}
  e2e_expect_eq "range message" "$range" "${expected/\%2/35791394}"
  e2e_driver msgbox-ok Hourgauge || e2e_fail "could not answer the box"
  e2e_driver dialog-click "$settings" 2 || e2e_fail "could not press Cancel"
  e2e_driver wait-no-window "$settings" 30 || e2e_fail "the settings dialog stayed"
  e2e_program_alive || e2e_fail "the program ended"
}

# The warnings in English: the countdown window's text.
case_english_countdown_and_uninstall_message() {
  local boundary shown caption message
  e2e__english
  e2e_day_ends_in 30
  boundary=$HG_DAY_END
  e2e_set_reg LastTime 2000
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  while [ $(($(date +%s) + 55)) -lt "$boundary" ]; do sleep 1; done
  e2e_wait 10 e2e_driver countdown >/dev/null || e2e_fail "no countdown window"
  shown=$(e2e_driver countdown)
  e2e_screenshot countdown
  [[ ${shown#*text=} =~ ^Turning\ off\ in\ [0-9]+\ s$ ]] || e2e_fail "countdown: got '${shown#*text=}'"

  # The uninstall box, in English, before the day ends.
  caption=$(e2e_string IDS_UNINSTALL_CAPTION en)
  message=$(e2e_string IDS_UNINSTALL_MESSAGE en)
  e2e_expect "the uninstall command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_UNINSTALL)"
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no message box captioned '$caption'"
  e2e_expect_eq "uninstall message" "$(e2e_driver msgbox-text "$caption")" "$message"
  e2e_driver msgbox-ok "$caption" || e2e_fail "could not answer the box"
}
