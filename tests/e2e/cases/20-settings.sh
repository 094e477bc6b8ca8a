# shellcheck shell=bash
# The settings dialog of the running tray program, used as a parent would:
# opened from the menu command, a refused entry answered with the
# framework's message box, then a new daily limit stored.

# Types TEXT as the daily limit of the open settings dialog and presses OK:
# the framework's message box must say MESSAGE, and after it the dialog is
# still open and nothing is stored. Uses the caller's caption, box_title and
# limit.
e2e__settings_refuse_limit() {
  e2e_expect "could not type the limit" e2e_driver dialog-set-text "$caption" "$limit" "$1"
  e2e_expect "could not press OK" e2e_driver dialog-click "$caption" 1
  e2e_driver wait-dialog "$box_title" 30 || e2e_fail "no message box for a limit of '$1'"
  e2e_screenshot "refused-limit-$1"
  e2e_expect_eq "message for '$1'" "$(e2e_driver msgbox-text "$box_title")" "$2"
  e2e_expect "could not answer the message box" e2e_driver msgbox-ok "$box_title"
  e2e_driver wait-no-window "$box_title" 30 || e2e_fail "the message box stayed"
  e2e_driver window-exists "$caption" || e2e_fail "the dialog closed on a refused limit '$1'"
  e2e_reg_exists LimitTime && e2e_fail "LimitTime stored although '$1' was refused"
}

# Without a password the command opens the dialog at once, showing the
# current limit (60) and adjustment (0). A limit that is not a number, and
# one too large to count in seconds, are refused with the string-table
# messages and the dialog stays; 90 is taken, the dialog closes and
# LimitTime holds 90.
case_settings_dialog_refuses_text_and_stores_a_limit() {
  local caption box_title message limit adjust range
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

  e2e__settings_refuse_limit "abc" "$message"
  # One more than the largest limit whose seconds still fit a signed
  # 32-bit number.
  range=$(e2e_rc_string AFX_IDP_PARSE_INT_RANGE)
  range=${range/\%1/0}
  e2e__settings_refuse_limit 35791395 "${range/\%2/35791394}"

  e2e_expect "could not type the limit" e2e_driver dialog-set-text "$caption" "$limit" "90"
  e2e_expect "could not press OK" e2e_driver dialog-click "$caption" 1
  e2e_driver wait-no-window "$caption" 30 || e2e_fail "the dialog stayed open after a limit of 90"
  e2e_wait 30 e2e_reg_exists LimitTime || e2e_fail "LimitTime not stored"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 90
  e2e_program_alive || e2e_fail "the program ended"
}

# The day-start adjustment: a new limit and an adjustment typed into the
# dialog are stored as LimitTime and AdjustTime, the remaining time is worked
# out again from the new limit at once, the tick's EndTime from then on shows
# local time less the adjustment, and the dialog opened again shows both.
# The adjustment is kept smaller than the time since midnight: reaching back
# into yesterday would be a change of the accounting day, and a power-off.
case_settings_dialog_stores_day_start_adjustment() {
  local caption limit adjust_id now midnight adjust snap left end end_epoch expected
  caption=$(e2e_rc_caption IDD_SETTINGS)
  limit=$(e2e_id IDC_DAILY_LIMIT)
  adjust_id=$(e2e_id IDC_ADJUST_TIME)
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  now=$(date +%s)
  midnight=$(e2e_midnight_epoch "$now")
  if [ $((now - midnight)) -lt 120 ]; then
    sleep $((midnight + 121 - now))
    now=$(date +%s)
  fi
  adjust=$(((now - midnight - 60) / 60))
  [ "$adjust" -le 90 ] || adjust=90

  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_expect "the settings command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no dialog captioned '$caption'"
  e2e_expect_eq "adjustment shown" "$(e2e_driver dialog-get-text "$caption" "$adjust_id")" 0
  e2e_expect "could not type the limit" e2e_driver dialog-set-text "$caption" "$limit" 75
  e2e_expect "could not type the adjustment" e2e_driver dialog-set-text "$caption" "$adjust_id" "$adjust"
  e2e_expect "could not press OK" e2e_driver dialog-click "$caption" 1
  e2e_driver wait-no-window "$caption" 30 || e2e_fail "the dialog stayed open"
  e2e_wait 30 e2e_reg_exists AdjustTime || e2e_fail "AdjustTime not stored"

  sleep 2
  snap=$(e2e_reg_snapshot)
  now=$(date +%s)
  e2e_expect_eq "AdjustTime" "$(e2e_snapshot_value "$snap" AdjustTime)" "$adjust"
  e2e_expect_eq "LimitTime" "$(e2e_snapshot_value "$snap" LimitTime)" 75
  # 75 minutes less what the event log shows of today, counting down since.
  left=$(e2e_snapshot_value "$snap" LastTime)
  [[ $left =~ ^[0-9]+$ ]] && [ "$left" -le 4500 ] && [ "$left" -gt 3600 ] ||
    e2e_fail "LastTime after a limit of 75: got '$left', expected more than 3600 and at most 4500"
  end=$(e2e_snapshot_value "$snap" EndTime)
  end_epoch=$(e2e_time_text_epoch "$end") || e2e_fail "EndTime: got '$end', expected MM/DD hh:mm:ss"
  expected=$((now - adjust * 60))
  if [ "$end_epoch" -gt $((expected + 2)) ] || [ "$end_epoch" -lt $((expected - 15)) ]; then
    e2e_fail "EndTime: got '$end', expected about $(env "$(hg__tz_env)" date -d "@$expected" '+%m/%d %H:%M:%S') (local time less $adjust min)"
  fi
  e2e_program_alive || e2e_fail "the program ended"

  e2e_expect "the settings command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no dialog captioned '$caption' the second time"
  e2e_expect_eq "limit shown again" "$(e2e_driver dialog-get-text "$caption" "$limit")" 75
  e2e_expect_eq "adjustment shown again" "$(e2e_driver dialog-get-text "$caption" "$adjust_id")" "$adjust"
  e2e_expect "could not press Cancel" e2e_driver dialog-click "$caption" 2
  e2e_driver wait-no-window "$caption" 30 || e2e_fail "the dialog stayed open after Cancel"
  e2e_expect_eq "AdjustTime after Cancel" "$(e2e_reg AdjustTime)" "$adjust"
}
