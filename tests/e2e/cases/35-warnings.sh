# shellcheck shell=bash
# The warnings before a forced power-off: a balloon from the tray icon ten
# minutes before, with the same warning for about 15 s in a small window
# over everything (Windows 10 and 11 may hold a balloon back), and in the
# last minute that window counting the seconds down, all without taking
# the focus.

# Under Wine the System log is empty, so every recount gives back the whole
# limit: with a limit of 10 minutes and 610 seconds stored, the tick that
# counts down to 600 recounts to 600 and the next one is ten minutes before
# the power-off. Explorer shows the balloon in a topmost balloon tooltip.
case_ten_minutes_before_a_balloon_appears() {
  local balloon explorer notice
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LimitTime 10
  e2e_set_reg LastTime 610
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 40 e2e_driver balloon >/dev/null ||
    e2e_fail "no balloon within 40 s of the start (LastTime $(e2e_reg LastTime))"
  balloon=$(e2e_driver balloon)
  e2e_screenshot balloon
  # The balloon belongs to the tray's process, not to the program.
  explorer=${balloon##*pid=}
  [ "$explorer" != "$(e2e_driver list-windows | grep -F " title=$HG_TITLE" | sed -n 's/.* pid=\([0-9]*\).*/\1/p' | head -n 1)" ] ||
    e2e_fail "the balloon window belongs to the program, not to the tray"
  e2e_program_alive || e2e_fail "the program ended"
  notice=$(e2e_driver countdown) || e2e_fail "no notice window with the ten-minute warning"
  echo "$notice"
  [[ $notice == "topmost=1 noactivate=1 toolwindow=1 active=0 rect="*" text=$(e2e_string IDS_NOTICE_10MIN)" ]] ||
    e2e_fail "notice window: got '$notice', expected topmost, no activation, a tool window, not active, the ten-minute text"
  e2e_wait 30 eval '! e2e_driver countdown >/dev/null' || e2e_fail "the warning was still shown 30 s later"
  return 0
}

# The accounting day ends half a minute to a minute and a half after the
# start (the day-start adjustment puts it there): in its last minute the
# countdown window is there,
# topmost, never active, its number falls each second, and the power-off
# (under Wine: the end of the prefix's session) comes at the day's end.
case_last_minute_counts_down_then_the_power_off() {
  local boundary first second n1 n2 text
  e2e_day_ends_in 25
  boundary=$HG_DAY_END
  e2e_set_reg LimitTime 45
  e2e_set_reg LastTime 2000
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  [ $(($(date +%s) + 6)) -le "$boundary" ] || e2e_fail "the start took until the day's end"
  # No countdown while more than a minute is left (the five minutes'
  # warning of the start may be shown).
  if [ $(($(date +%s) + 62)) -le "$boundary" ]; then
    text=$(e2e_driver countdown) && [[ $text != *" text=$(e2e_string IDS_NOTICE_5MIN)" ]] &&
      e2e_fail "a countdown window more than a minute before the day's end: $text"
  fi
  while [ $(($(date +%s) + 55)) -lt "$boundary" ]; do sleep 1; done
  e2e_wait 10 e2e_driver countdown >/dev/null || e2e_fail "no countdown window $((boundary - $(date +%s))) s before the day's end"
  first=$(e2e_driver countdown)
  e2e_screenshot countdown
  sleep 2
  second=$(e2e_driver countdown) || e2e_fail "the countdown window went away before the power-off"
  echo "$first"
  echo "$second"
  [[ $first == "topmost=1 noactivate=1 toolwindow=1 active=0 rect="*" text="* ]] ||
    e2e_fail "countdown window: got '$first', expected topmost, no activation, a tool window, not active"
  text=$(e2e_string IDS_COUNTDOWN)
  n1=$(sed -n 's/.*text=.* \([0-9][0-9]*\) .*/\1/p' <<<"$first")
  n2=$(sed -n 's/.*text=.* \([0-9][0-9]*\) .*/\1/p' <<<"$second")
  [ "${first#*text=}" = "${text/\%d/$n1}" ] || e2e_fail "countdown text: got '${first#*text=}', expected '${text/\%d/$n1}'"
  [ -n "$n1" ] && [ -n "$n2" ] && [ "$n2" -lt "$n1" ] || e2e_fail "the number did not fall: '$n1' then '$n2'"
  [ "$n1" -le 60 ] || e2e_fail "the window shows $n1 seconds, more than the last minute"
  e2e_wait $((boundary - $(date +%s) + 20)) e2e_session_ended ||
    e2e_fail "the session still runs 20 s after the day's end"
}

# "TaskbarCreated", which a new Explorer sends to every window: the program
# adds its icon again. Under Wine the tray cannot be restarted and keeps the
# icon, so the add is refused as a duplicate and the program sends its whole
# record as a modify: still one icon, with the current tooltip, and the
# program goes on. (That the icon returns to a new, empty tray is shown on
# the simulated platform.)
case_taskbar_created_keeps_one_icon_with_the_tooltip() {
  local tip
  e2e_start_today_in_tray 3000
  e2e_expect "TaskbarCreated was not delivered" e2e_driver taskbar-created "$HG_TITLE"
  sleep 3
  e2e_expect_eq "tray icons after TaskbarCreated" "$(e2e_tray_icons)" 1
  e2e_program_alive || e2e_fail "the program ended"
  # The tooltip still follows the tick.
  xdotool mousemove $(e2e_tray_icon_point) || e2e_fail "no icon to be seen in the tray"
  e2e_wait 10 e2e_driver tooltip-text >/dev/null || e2e_fail "no tooltip over the icon"
  tip=$(e2e_driver tooltip-text | head -n 1)
  [[ $tip =~ ^LastTime\(\ 4[89]min\ \) ]] || e2e_fail "tooltip: got '$tip', expected LastTime( 49min ) or so"
}
