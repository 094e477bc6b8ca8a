# shellcheck shell=bash
# A parent's dialogs of the running tray program: extra time behind the
# password, a weekday's own limit typed into "Limits by day", and the
# question before settings that would power the PC off at once.

# The password "pw" as the program stores it (each byte XOR 0x1F).
HG_E2E_PW_SCRAMBLED=oh

# VALUE holds TEXT.
e2e__reg_is() {
  [ "$(e2e_reg "$1")" = "$2" ]
}

# A message box captioned CAPTION shows TEXT.
e2e__box_says() {
  [ "$(e2e_driver msgbox-text "$1" 2>/dev/null)" = "$2" ]
}

e2e__box_gone() {
  ! e2e__box_says "$1" "$2"
}

# A number of seconds in (LOW, HIGH].
e2e__seconds_within() {
  [[ $1 =~ ^[0-9]+$ ]] && [ "$1" -gt "$2" ] && [ "$1" -le "$3" ]
}

# Command 32781 asks for the password (a wrong one is refused with the usual
# box), then for minutes, offering 15; 30 typed are today's credit at once,
# and the remaining time grows by them. Under Wine the System log is empty,
# so today's use is nothing and a recount gives credit plus limit.
case_extra_time_through_the_password_grows_the_remaining_time() {
  local check extra error_caption minutes left
  check=$(e2e_rc_caption IDD_PASSWORD_CHECK)
  extra=$(e2e_rc_caption IDD_EXTRA_TIME)
  error_caption=$(e2e_string IDS_PASSWORD_ERROR_CAPTION)
  minutes=$(e2e_id IDC_EXTRA_MINUTES)
  e2e_avoid_midnight
  e2e_set_reg LimitTime 10
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 600
  e2e_set_reg PASSWORD "$HG_E2E_PW_SCRAMBLED"
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"

  e2e_expect "the extra-time command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_EXTRA_TIME)"
  e2e_driver wait-dialog "$check" 30 || e2e_fail "no password check before the extra time"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" px
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-dialog "$error_caption" 30 || e2e_fail "no box for a wrong password"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$error_caption"
  e2e_driver wait-no-window "$error_caption" 30 || e2e_fail "the error box stayed"
  e2e_driver window-exists "$extra" && e2e_fail "the extra-time dialog opened on a wrong password"
  e2e_reg_exists LastTimeAdjust && e2e_fail "a credit stored after a wrong password"

  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" pw
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-dialog "$extra" 30 || e2e_fail "no dialog captioned '$extra' after the password"
  e2e_expect_eq "minutes offered" "$(e2e_driver dialog-get-text "$extra" "$minutes")" 15
  e2e_expect "could not type the minutes" e2e_driver dialog-set-text "$extra" "$minutes" 30
  e2e_screenshot extra-time
  e2e_expect "could not press OK" e2e_driver dialog-click "$extra" 1
  e2e_driver wait-no-window "$extra" 30 || e2e_fail "the extra-time dialog stayed open"

  e2e_wait 30 e2e__reg_is LastTimeAdjust 1800 ||
    e2e_fail "LastTimeAdjust: got '$(e2e_reg LastTimeAdjust)', expected 1800 (30 minutes)"
  sleep 2
  left=$(e2e_reg LastTime)
  e2e__seconds_within "$left" 2000 2400 ||
    e2e_fail "LastTime $left: expected the ten minutes and the extra thirty (at most 2400 s), less the seconds since"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 10
  e2e_program_alive || e2e_fail "the program ended"
}

# "Limits by day..." in the settings dialog: today's weekday given 7
# minutes there is stored as its LimitTimeXxx and is today's allowance at
# once, while the settings dialog goes on showing the every-day limit.
case_weekday_limit_typed_in_the_dialog_sets_todays_allowance() {
  local settings rules names weekday left
  settings=$(e2e_rc_caption IDD_SETTINGS)
  rules=$(e2e_rc_caption IDD_DAY_RULES)
  names=(LimitTimeSun LimitTimeMon LimitTimeTue LimitTimeWed LimitTimeThu LimitTimeFri LimitTimeSat)
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  weekday=$(env "$(hg__tz_env)" date +%w)
  e2e_set_reg LimitTime 60
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 3000
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"

  e2e_expect "the settings command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$settings" 30 || e2e_fail "no dialog captioned '$settings'"
  e2e_expect "could not press 'Limits by day'" \
    e2e_driver dialog-click "$settings" "$(e2e_id IDC_DAY_RULES)"
  e2e_driver wait-dialog "$rules" 30 || e2e_fail "no dialog captioned '$rules'"
  e2e_driver dialog-takes-input "$settings" && e2e_fail "the settings dialog takes input under its limits by day"
  e2e_expect_eq "today's field before" \
    "$(e2e_driver dialog-get-text "$rules" $(($(e2e_id IDC_LIMIT_SUN) + weekday)))" ""
  e2e_expect "could not type today's limit" \
    e2e_driver dialog-set-text "$rules" $(($(e2e_id IDC_LIMIT_SUN) + weekday)) 7
  e2e_expect "could not press OK" e2e_driver dialog-click "$rules" 1
  e2e_driver wait-no-window "$rules" 30 || e2e_fail "the limits-by-day dialog stayed open"
  e2e_reg_exists "${names[$weekday]}" && e2e_fail "${names[$weekday]} stored before the settings' OK"
  e2e_expect "could not press OK" e2e_driver dialog-click "$settings" 1
  e2e_driver wait-no-window "$settings" 30 || e2e_fail "the settings dialog stayed open"

  e2e_wait 30 e2e__reg_is "${names[$weekday]}" 7 ||
    e2e_fail "${names[$weekday]}: got '$(e2e_reg "${names[$weekday]}")', expected 7"
  sleep 2
  left=$(e2e_reg LastTime)
  e2e__seconds_within "$left" 380 420 ||
    e2e_fail "LastTime $left: expected today's own 7 minutes (420 s) less a few seconds"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 60
  # Stored empty: no bedtime. (Read as bytes: the reg tool shows an empty
  # value with leftovers.)
  [[ $(e2e_driver reg-bytes "$HG_KEY" Bedtime) =~ ^REG_SZ\ (0\ |1\ 00)$ ]] ||
    e2e_fail "Bedtime: got $(e2e_driver reg-bytes "$HG_KEY" Bedtime), expected the empty text"

  e2e_expect "the settings command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$settings" 30 || e2e_fail "no settings dialog the second time"
  e2e_expect_eq "the daily limit shown" \
    "$(e2e_driver dialog-get-text "$settings" "$(e2e_id IDC_DAILY_LIMIT)")" 60
  e2e_expect "could not press Cancel" e2e_driver dialog-click "$settings" 2
  e2e_driver wait-no-window "$settings" 30 || e2e_fail "the settings dialog stayed open after Cancel"
  e2e_program_alive || e2e_fail "the program ended"
}

# A daily limit of 0 leaves nothing of today: OK asks first. No keeps the
# dialog and stores nothing; Yes stores the limit and the PC is powered off
# (under Wine: the session of the prefix ends).
e2e_timeout_settings_that_power_off_ask_first=150
case_settings_that_power_off_ask_first() {
  local settings question box limit
  settings=$(e2e_rc_caption IDD_SETTINGS)
  question=$(e2e_string IDS_SETTINGS_POWER_OFF)
  box=$(e2e_string IDS_UNINSTALL_CAPTION)
  limit=$(e2e_id IDC_DAILY_LIMIT)
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 3000
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"

  e2e_expect "the settings command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$settings" 30 || e2e_fail "no dialog captioned '$settings'"
  e2e_expect "could not type the limit" e2e_driver dialog-set-text "$settings" "$limit" 0
  e2e_expect "could not press OK" e2e_driver dialog-click "$settings" 1
  e2e_wait 30 e2e__box_says "$box" "$question" || e2e_fail "no question '$question' for a limit of 0"
  e2e_screenshot power-off-question
  e2e_expect "could not answer No" e2e_driver dialog-click "$box" 7 # IDNO
  e2e_wait 30 e2e__box_gone "$box" "$question" || e2e_fail "the question stayed after No"
  e2e_driver window-exists "$settings" || e2e_fail "the settings dialog closed on No"
  sleep 2
  e2e_reg_exists LimitTime && e2e_fail "LimitTime stored although the parent answered No"
  e2e_program_alive || e2e_fail "the program ended after No"

  e2e_expect "could not press OK" e2e_driver dialog-click "$settings" 1
  e2e_wait 30 e2e__box_says "$box" "$question" || e2e_fail "no question the second time"
  e2e_expect "could not answer Yes" e2e_driver dialog-click "$box" 6 # IDYES
  e2e_wait 60 e2e_session_ended || e2e_fail "the session still runs 60 s after Yes to a limit of 0"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 0
}

# The tray as the service's face: the same password step and dialog, the
# password judged by the service with the request, and the service's own
# count and credit grow (it alone writes the program key).
e2e_timeout_face_extra_time_goes_through_the_service=200
case_face_extra_time_goes_through_the_service() {
  local check extra left
  check=$(e2e_rc_caption IDD_PASSWORD_CHECK)
  extra=$(e2e_rc_caption IDD_EXTRA_TIME)
  e2e_set_reg PASSWORD "$HG_E2E_PW_SCRAMBLED"
  e2e__face_service_up 600 10
  e2e__face_start
  sleep 2 # the tray learns from a status reply that a password is set

  e2e_expect "the extra-time command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_EXTRA_TIME)"
  e2e_driver wait-dialog "$check" 30 || e2e_fail "no password check before the extra time"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" pw
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-dialog "$extra" 30 || e2e_fail "no dialog captioned '$extra' after the password"
  e2e_expect "could not type the minutes" e2e_driver dialog-set-text "$extra" "$(e2e_id IDC_EXTRA_MINUTES)" 25
  e2e_expect "could not press OK" e2e_driver dialog-click "$extra" 1
  e2e_driver wait-no-window "$extra" 30 || e2e_fail "the extra-time dialog stayed open"

  e2e_wait 10 e2e__reg_is LastTimeAdjust 1500 ||
    e2e_fail "LastTimeAdjust: got '$(e2e_reg LastTimeAdjust)', expected 1500 (25 minutes)"
  left=$(e2e_reg LastTime)
  e2e__seconds_within "$left" 1900 2100 ||
    e2e_fail "LastTime $left: expected the ten minutes and the extra 25 (at most 2100 s), less the seconds since"
  e2e_program_alive || e2e_fail "the tray ended"
}
