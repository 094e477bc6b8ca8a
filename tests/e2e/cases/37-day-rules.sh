# shellcheck shell=bash
# The rules of a day a parent sets in the registry: a weekday's own limit
# and the bedtime.

# Today's weekday has a limit of its own: a new day's allowance is that one,
# not LimitTime.
case_weekday_value_sets_todays_allowance() {
  local names weekday left
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  names=(LimitTimeSun LimitTimeMon LimitTimeTue LimitTimeWed LimitTimeThu LimitTimeFri LimitTimeSat)
  weekday=$(env "$(hg__tz_env)" date +%w)
  e2e_set_reg LimitTime 60
  e2e_set_reg "${names[$weekday]}" 7
  e2e_set_reg LastDate $(($(hg_day_key) - 1))
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"
  left=$(e2e_reg LastTime)
  [[ $left =~ ^[0-9]+$ ]] || e2e_fail "LastTime: got '$left', expected a number"
  [ "$left" -le 420 ] && [ "$left" -gt 380 ] ||
    e2e_fail "LastTime $left: expected today's own 7 minutes (420 s) less a few seconds"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 60
  e2e_program_alive || e2e_fail "the program ended"
}

# A start after the bedtime gets the minute and a half of a spent day, then
# the PC is powered off (under Wine: the session of the prefix ends).
e2e_timeout_bedtime_powers_off=240
case_bedtime_powers_off() {
  local now day_start bedtime left
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  now=$(date +%s)
  # The bedtime two minutes ago must be today's, and the day must last
  # until the power-off (the zone is fixed: a day is 86 400 s).
  day_start=$(e2e_midnight_epoch "$now")
  if [ $((now - day_start)) -lt 150 ] || [ $((day_start + 86400 - now)) -lt 200 ]; then
    sleep $((day_start + 86400 - now + 150))
    now=$(date +%s)
  fi
  bedtime=$(env "$(hg__tz_env)" date -d "@$((now - 120))" +%H:%M)
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 3000
  e2e_set_reg Bedtime "$bedtime"
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"
  left=$(e2e_reg LastTime)
  [[ $left =~ ^[0-9]+$ ]] && [ "$left" -le 60 ] ||
    e2e_fail "LastTime $left after a start past the bedtime $bedtime: expected at most a minute"
  echo "$(date +%T) started past the bedtime $bedtime with LastTime $left"
  e2e_wait 130 e2e_session_ended || e2e_fail "the session still runs 130 s after a start past the bedtime $bedtime"
  echo "$(date +%T) the session ended, LastTime $(e2e_reg LastTime)"
  e2e_wait 40 e2e_program_gone || e2e_fail "the session ended but the program still runs"
  e2e_expect_eq "LastTime after the power-off" "$(e2e_reg LastTime)" 0
  e2e_expect_eq "Bedtime" "$(e2e_reg Bedtime)" "$bedtime"
}
