# shellcheck shell=bash
# A parent's week in a service installation, through the service's pipe as
# the tray program asks it: the history (no password), extra time (with the
# password), today's weekday limit, and the way back from a later stored
# day. The service is installed by hand as 85-service.sh installs it, and
# driven with hgdriver's pipe-request; uses that file's helpers.

# One field of a reply or a history line, the console's line ends gone.
e2e__week_field() {
  tr -d '\r' <<<"$1" | sed -n "s/^$2 //p"
}

# The installed service, counting, with the password k1d5 set through the
# pipe (a service with no password takes any).
e2e__week_service() {
  local out
  e2e__service_create demand
  e2e__keep_session
  e2e__service_start
  e2e_wait 30 e2e__end_time_within 5 || e2e__fail_not_ticking
  out=$(e2e_driver pipe-request change-password new-password=k1d5 2>&1) ||
    e2e_fail "change-password: $out"
  e2e_expect_eq "change-password's result" "$(e2e__week_field "$out" result)" 0
}

# Today's weekday value (LimitTimeSun ... LimitTimeSat) is today's limit;
# the history, asked without a password, shows today's date, weekday and
# limit and the stored list of yesterday's sessions. Extra time with a wrong
# password changes nothing; with the right one the remaining time grows by
# the minutes at once, and the credit is stored.
# About twenty Wine calls (the service's set-up, the requests, the registry
# reads) take more than the default two minutes on a loaded machine.
# shellcheck disable=SC2034
e2e_timeout_service_answers_history_and_extra_time_over_the_pipe=240
case_service_answers_history_and_extra_time_over_the_pipe() {
  local names=(Sun Mon Tue Wed Thu Fri Sat) weekday date out before after left credit
  local d0date d0weekday d0limit
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  weekday=$(env "$(hg__tz_env)" date +%w)
  date=$(env "$(hg__tz_env)" date +%Y%m%d)
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 600
  e2e_set_reg LimitTime 30
  e2e_set_reg "LimitTime${names[weekday]}" 40
  e2e_set_reg DayTotal2 "01/01 08:00:00-01/01 09:00:00"
  e2e__week_service

  out=$(e2e_driver pipe-request history 2>&1) || e2e_fail "history: $out"
  echo "$out"
  e2e_expect_eq "history's result without a password" "$(e2e__week_field "$out" result)" 0
  e2e_expect_eq "reply size" "$(e2e__week_field "$out" bytes)" 1024
  e2e_expect_eq "today's limit" "$(e2e__week_field "$out" limit)" 40
  e2e_expect_eq "the every-day limit" "$(e2e__week_field "$out" everyday_limit)" 30
  e2e_expect_eq "today's weekday value in the rules" \
    "$(e2e__week_field "$out" "$(tr '[:upper:]' '[:lower:]' <<<"${names[weekday]}")")" 40
  # "day0 DATE WEEKDAY USE LIMIT"
  read -r d0date d0weekday _ d0limit <<<"$(e2e__week_field "$out" day0)"
  e2e_expect_eq "today's date in the history" "$d0date" "$date"
  e2e_expect_eq "today's weekday in the history" "$d0weekday" "$weekday"
  e2e_expect_eq "today's limit in the history" "$d0limit" 40
  e2e_expect_eq "yesterday's sessions" "$(e2e__week_field "$out" yesterday_sessions)" \
    "01/01 08:00:00-01/01 09:00:00"

  out=$(e2e_driver pipe-request extra-time password=wrong extra=15 2>&1) || e2e_fail "extra-time: $out"
  e2e_expect_eq "extra time's result with a wrong password" "$(e2e__week_field "$out" result)" 1
  before=$(e2e__week_field "$out" remaining)
  [ "$before" -le 600 ] || e2e_fail "remaining $before s after a wrong password: more than stored"
  e2e_reg_exists LastTimeAdjust && [ "$(e2e_reg LastTimeAdjust)" != 0 ] &&
    e2e_fail "LastTimeAdjust '$(e2e_reg LastTimeAdjust)' after a wrong password"

  out=$(e2e_driver pipe-request extra-time password=k1d5 extra=15 2>&1) || e2e_fail "extra-time: $out"
  echo "$out"
  e2e_expect_eq "extra time's result" "$(e2e__week_field "$out" result)" 0
  after=$(e2e__week_field "$out" remaining)
  # The ticks between the two requests (a few seconds at most) count down.
  [ "$after" -ge $((before + 900 - 10)) ] && [ "$after" -le $((before + 900)) ] ||
    e2e_fail "remaining $before s before the extra 15 minutes, $after s after"
  credit=$(e2e__week_field "$out" credit)
  e2e_expect_eq "the credit in the reply" "$credit" 900
  e2e_wait 10 e2e__reg_is LastTimeAdjust 900 ||
    e2e_fail "LastTimeAdjust '$(e2e_reg LastTimeAdjust)', expected 900"
  left=$(e2e_reg LastTime)
  [ "$left" -gt 1300 ] || e2e_fail "LastTime $left after the extra time: not raised"
  e2e__service_counts_down
}

# A value holds exactly TEXT (for e2e_wait).
e2e__reg_is() {
  [ "$(e2e_reg "$1")" = "$2" ]
}

# A day later than today was stored: the service starts with the minute's
# countdown and says so in every status; the parent's password over the
# pipe stores today as the day, and the PC stays on past the minute.
# The minute and a little more, after the service's set-up.
# shellcheck disable=SC2034
e2e_timeout_service_takes_today_back_from_a_later_stored_day_with_the_password=240
case_service_takes_today_back_from_a_later_stored_day_with_the_password() {
  local out today countdown started rest
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  today=$(hg_day_key)
  e2e_set_reg LastDate $((today + 400))
  e2e_set_reg LastTime 900
  e2e_set_reg LimitTime 30
  e2e__service_create demand
  e2e__keep_session
  e2e__service_start
  started=$SECONDS
  out=$(e2e_driver pipe-request change-password new-password=k1d5 2>&1) ||
    e2e_fail "change-password: $out"
  e2e_expect_eq "change-password's result" "$(e2e__week_field "$out" result)" 0

  out=$(e2e_driver pipe-status 2>&1) || e2e_fail "status: $out"
  echo "$out"
  (($(e2e__week_field "$out" flags) & 8)) || e2e_fail "the status does not name the later day"
  countdown=$(e2e__week_field "$out" countdown)
  [ "$countdown" -gt 0 ] && [ "$countdown" -le 60 ] ||
    e2e_fail "countdown $countdown s in the later day's minute"

  out=$(e2e_driver pipe-request accept-today password=k1d5 2>&1) || e2e_fail "accept-today: $out"
  echo "$out"
  e2e_expect_eq "accept-today's result" "$(e2e__week_field "$out" result)" 0
  (($(e2e__week_field "$out" flags) & 8)) && e2e_fail "the later day still runs after the password"
  e2e_wait 10 e2e__reg_is LastDate "$today" ||
    e2e_fail "LastDate '$(e2e_reg LastDate)', expected today's $today"
  # Past the end of the minute the service began with.
  rest=$((started + 70 - SECONDS))
  [ "$rest" -le 0 ] || sleep "$rest"
  e2e_session_ended && e2e_fail "the PC went off after the password was given"
  e2e_expect_eq "the service after the minute" "$(e2e__service_state)" RUNNING
  e2e__service_counts_down
}
