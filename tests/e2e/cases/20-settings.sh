# shellcheck shell=bash
# The settings dialog of the running tray program, used as a parent would:
# opened from the menu command, a refused entry answered with the
# framework's message box, then a new daily limit stored.

# Without a password the command opens the dialog at once, showing the
# current limit (60) and adjustment (0). A limit that is not a number is
# refused with the string-table message and the dialog stays; 90 is taken,
# the dialog closes and LimitTime holds 90.
case_settings_dialog_refuses_text_and_stores_a_limit() {
  local caption box_title message limit adjust
  caption=$(e2e_rc_caption IDD_SETTINGS)
  box_title=$(e2e_rc_string AFX_IDS_APP_TITLE)
  message=$(e2e_rc_string AFX_IDP_PARSE_UINT)
  limit=$(e2e_id IDC_DAILY_LIMIT)
  adjust=$(e2e_id IDC_ADJUST_TIME)

  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_expect "the settings command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no dialog captioned '$caption'"
  e2e_expect_eq "daily limit shown" "$(e2e_driver dialog-get-text "$caption" "$limit")" 60
  e2e_expect_eq "adjustment shown" "$(e2e_driver dialog-get-text "$caption" "$adjust")" 0

  e2e_expect "could not type the limit" e2e_driver dialog-set-text "$caption" "$limit" "abc"
  e2e_expect "could not press OK" e2e_driver dialog-click "$caption" 1
  e2e_driver wait-dialog "$box_title" 30 || e2e_fail "no message box for a limit of 'abc'"
  e2e_screenshot refused-limit
  e2e_expect_eq "message for 'abc'" "$(e2e_driver msgbox-text "$box_title")" "$message"
  e2e_expect "could not answer the message box" e2e_driver msgbox-ok "$box_title"
  e2e_driver wait-no-window "$box_title" 30 || e2e_fail "the message box stayed"
  e2e_driver window-exists "$caption" || e2e_fail "the dialog closed on a refused limit"
  e2e_reg_exists LimitTime && e2e_fail "LimitTime stored although the entry was refused"

  e2e_expect "could not type the limit" e2e_driver dialog-set-text "$caption" "$limit" "90"
  e2e_expect "could not press OK" e2e_driver dialog-click "$caption" 1
  e2e_driver wait-no-window "$caption" 30 || e2e_fail "the dialog stayed open after a limit of 90"
  e2e_wait 30 e2e_reg_exists LimitTime || e2e_fail "LimitTime not stored"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 90
  e2e_program_alive || e2e_fail "the program ended"
}
