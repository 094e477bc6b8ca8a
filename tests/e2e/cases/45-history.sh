# shellcheck shell=bash
# Command 32780, the usage history window, and the later stored day's
# minute with a parent's password.

# MM/DD of a day $1 days before today in $HG_TZ.
e2e__history_day() {
  env "$(hg__tz_env)" date -d "@$(($(date +%s) - $1 * 86400))" +%m/%d
}

# The history window opens on the command (no password), once however often
# it is asked for, at least 300x200, its title naming today's figures; its
# picture is kept as history.png (and, with HG_E2E_DOCS=1, copied to the
# guide's docs/img/history.png, or history.en.png under an English locale).
# Esc closes it, the program goes on, and nothing new is stored. Under
# Wine the System log is empty, so the bars show 0 minutes; the stored
# session lists and the weekday limits are seeded so that the rest shows
# real figures.
e2e_timeout_history_window_opens_once_and_closes_with_escape=180
case_history_window_opens_once_and_closes_with_escape() {
  local today yesterday rect x y w h before after title summary n
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  today=$(e2e__history_day 0)
  yesterday=$(e2e__history_day 1)
  e2e_set_reg LimitTime 60
  e2e_set_reg LimitTimeSat 120
  e2e_set_reg LimitTimeSun 120
  e2e_set_reg LimitTimeWed 45
  # The lists as the program writes them, a line feed before each session.
  e2e_set_reg DayTotal $'\n'"$today 07:02:11 - $today 07:31:40 (29min)"$'\n'"$today 16:05:00 - $today 16:40:12 (35min)"
  e2e_set_reg DayTotal2 $'\n'"$yesterday 17:02:05 - $yesterday 17:45:30 (43min)"
  e2e_start_today_in_tray 2400
  before=$(e2e_reg_snapshot | grep -v '^LastTime\|^EndTime')

  e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_HISTORY)" || e2e_fail "the command was not delivered"
  e2e_driver wait-window class:HourgaugeLiteHistory 15 || e2e_fail "no history window after command 32780"
  e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_HISTORY)" || e2e_fail "the second command was not delivered"
  sleep 2
  n=$(e2e_driver list-windows | grep -c 'class=HourgaugeLiteHistory ')
  e2e_expect_eq "history windows after two commands" "$n" 1
  rect=$(e2e_driver window-rect class:HourgaugeLiteHistory) || e2e_fail "the window's place is unknown"
  read -r _ _ w h <<<"$rect"
  [ "$w" -ge 300 ] && [ "$h" -ge 200 ] || e2e_fail "the history window is only ${w}x${h}"
  title=$(e2e_driver list-windows | sed -n 's/.*class=HourgaugeLiteHistory title=//p' | tr -d '\r')
  summary=$(e2e_string IDS_HISTORY_SUMMARY "${HG_E2E_LANG:-ja}")
  [[ $title == "${summary%%%d*}"* ]] || e2e_fail "the title '$title' does not name the figures ('$summary')"
  [[ $title =~ 60 ]] || e2e_fail "the title '$title' does not name today's limit"

  sleep 1
  read -r x y _ _ <<<"$rect"
  e2e_crop_screen "$HG_CASE_DIR/history.png" "$x" "$y" "$w" "$h" || e2e_fail "no picture of the history window"
  if [ "${HG_E2E_DOCS:-0}" = 1 ]; then
    if [ "${HG_E2E_LANG:-ja}" = en ]; then cp "$HG_CASE_DIR/history.png" "$HG_ROOT/docs/img/history.en.png"
    else cp "$HG_CASE_DIR/history.png" "$HG_ROOT/docs/img/history.png"; fi
  fi

  e2e_driver post class:HourgaugeLiteHistory 256 27 0 || e2e_fail "Esc was not delivered"
  e2e_driver wait-no-window class:HourgaugeLiteHistory 10 || e2e_fail "Esc did not close the history window"
  e2e_program_alive || e2e_fail "the program ended with its history window"
  after=$(e2e_reg_snapshot | grep -v '^LastTime\|^EndTime')
  [ "$before" = "$after" ] || e2e_fail "the history window changed stored values: '$before' -> '$after'"
}

# A later day than today stored: the countdown minute and the password
# prompt; the right password stores today's day key, and the program goes
# on counting past the minute (no power-off).
e2e_timeout_later_stored_day_right_password_keeps_running=200
case_later_stored_day_right_password_keeps_running() {
  local caption later
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  caption=$(e2e_string IDS_LATER_DAY_CAPTION) || e2e_fail "no IDS_LATER_DAY_CAPTION in res/hourgauge.rc"
  e2e_avoid_midnight
  later=$(hg_day_key $(($(date +%s) + 2 * 86400)))
  e2e_set_reg LastDate "$later"
  e2e_set_reg PASSWORD oh # "pw", scrambled
  e2e_start_tray
  e2e_start_program
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no password prompt in the later day's minute"
  e2e_driver countdown >/dev/null || e2e_fail "no countdown window beside the prompt"
  e2e_screenshot later-day
  e2e_expect "could not type the password" e2e_driver dialog-set-text "$caption" "$(e2e_id IDC_PASSWORD)" pw
  e2e_expect "could not press OK" e2e_driver dialog-click "$caption" 1
  e2e_driver wait-no-window "$caption" 10 || e2e_fail "the prompt stayed after the right password"
  e2e_wait 10 eval '[ "$(e2e_reg LastDate)" = "$(hg_day_key)" ]' ||
    e2e_fail "LastDate is $(e2e_reg LastDate), expected today's $(hg_day_key)"
  sleep 70
  e2e_session_ended && e2e_fail "the session ended although the right password was typed"
  e2e_program_alive || e2e_fail "the program ended"
}
