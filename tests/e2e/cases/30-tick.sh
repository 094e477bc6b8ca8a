# shellcheck shell=bash
# The one-second tick of the running program: the countdown and the time
# text it stores on every tick, and a new accounting day beginning while the
# program runs.

# Read twice a few seconds apart: LastTime went down, by no more than the
# seconds between the reads (a slow machine may lose ticks, never gain them),
# and EndTime, the accounting time of the last tick, went forward alike and
# shows the local time (no day-start adjustment is set).
case_tick_counts_down_every_second() {
  local snap1 snap2 ms1 ms2 elapsed left1 left2 end1 end2 e1 e2 now
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"

  ms1=$(date +%s%3N)
  snap1=$(e2e_reg_snapshot)
  sleep 2.5
  ms2=$(date +%s%3N)
  snap2=$(e2e_reg_snapshot)
  now=$(date +%s)
  # Whole seconds, rounded up, between the starts of the two reads.
  elapsed=$(((ms2 - ms1 + 999) / 1000))

  left1=$(e2e_snapshot_value "$snap1" LastTime) || e2e_fail "first read: no LastTime"
  left2=$(e2e_snapshot_value "$snap2" LastTime) || e2e_fail "second read: no LastTime"
  [[ $left1 =~ ^[0-9]+$ ]] || e2e_fail "LastTime: got '$left1', expected a number"
  [[ $left2 =~ ^[0-9]+$ ]] || e2e_fail "LastTime: got '$left2', expected a number"
  [ "$left2" -lt "$left1" ] || e2e_fail "LastTime did not go down: $left1, then $left2 ${elapsed} s later"
  [ $((left1 - left2)) -le $((elapsed + 2)) ] ||
    e2e_fail "LastTime went down by $((left1 - left2)) s in ${elapsed} s: $left1, then $left2"

  end1=$(e2e_snapshot_value "$snap1" EndTime) || e2e_fail "first read: no EndTime"
  end2=$(e2e_snapshot_value "$snap2" EndTime) || e2e_fail "second read: no EndTime"
  e1=$(e2e_time_text_epoch "$end1") || e2e_fail "EndTime: got '$end1', expected MM/DD hh:mm:ss"
  e2=$(e2e_time_text_epoch "$end2") || e2e_fail "EndTime: got '$end2', expected MM/DD hh:mm:ss"
  [ "$e2" -gt "$e1" ] || e2e_fail "EndTime did not go forward: '$end1', then '$end2'"
  [ $((e2 - e1)) -le $((elapsed + 2)) ] ||
    e2e_fail "EndTime went forward by $((e2 - e1)) s in ${elapsed} s: '$end1', then '$end2'"
  # The stored text is the local time of a tick at most a few seconds ago.
  if [ "$e2" -gt $((now + 2)) ] || [ "$e2" -lt $((now - 15)) ]; then
    e2e_fail "EndTime '$end2' is not the local time ($(env "$(hg__tz_env)" date -d "@$now" '+%m/%d %H:%M:%S') in $HG_TZ)"
  fi
  e2e_program_alive || e2e_fail "the program ended"
}

# The accounting day is local time less AdjustTime minutes. AdjustTime is set
# so that the accounting day ends 30 to 90 s after the set-up, and LastDate
# to the accounting day still running; the stored limit and remaining time
# differ from the defaults. The program starts into that day, then its tick
# sees the new day: it stores the new day's key, the full allowance less the
# second of that tick, clears the reset credit and requests a forced
# power-off, which under Wine ends every program of the prefix and its
# wineserver. The registry is read back afterwards in a new session.
case_new_accounting_day_while_running_powers_off() {
  local now midnight adjust boundary old_day new_day snap left end end_epoch credit
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  now=$(date +%s)
  midnight=$(e2e_midnight_epoch "$now")
  # The accounting clock reaches the midnight that began today at
  # midnight + adjust minutes of real time: the first whole minute at least
  # 30 s from now. Until then the accounting date is the day before today.
  adjust=$(((now - midnight + 30 + 59) / 60))
  boundary=$((midnight + adjust * 60))
  old_day=$(hg_day_key $((midnight - 1)))
  new_day=$(hg_day_key "$midnight")

  e2e_set_reg AdjustTime "$adjust"
  e2e_set_reg LastDate "$old_day"
  e2e_set_reg LimitTime 45
  e2e_set_reg LastTime 1000
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_program_alive || e2e_fail "the program ended at its start"

  # The start itself kept the stored day and its remaining time: looked at
  # when the read begins at least 3 s before the boundary (a slow start
  # leaves no time for it).
  if [ $(($(date +%s) + 3)) -le "$boundary" ]; then
    snap=$(e2e_reg_snapshot)
    e2e_expect_eq "LastDate after the start" "$(e2e_snapshot_value "$snap" LastDate)" "$old_day"
    left=$(e2e_snapshot_value "$snap" LastTime)
    [[ $left =~ ^[0-9]+$ ]] && [ "$left" -le 1000 ] ||
      e2e_fail "LastTime after the start: got '$left', expected at most the stored 1000"
  else
    echo "the start took until the boundary: its state is not looked at"
  fi

  e2e_wait $((boundary - $(date +%s) + 20)) e2e_session_ended ||
    e2e_fail "the session still runs 20 s after the new accounting day began (AdjustTime $adjust)"
  # On a loaded machine the process can take a while to notice its wineserver is gone.
  e2e_wait 40 e2e_program_gone || e2e_fail "the session ended but the program still runs 40 s later"

  snap=$(e2e_reg_snapshot)
  e2e_expect_eq "LastDate after the new day" "$(e2e_snapshot_value "$snap" LastDate)" "$new_day"
  e2e_expect_eq "LastTime after the new day (45 min less the tick)" \
    "$(e2e_snapshot_value "$snap" LastTime)" 2699
  e2e_expect_eq "AdjustTime" "$(e2e_snapshot_value "$snap" AdjustTime)" "$adjust"
  e2e_expect_eq "LimitTime" "$(e2e_snapshot_value "$snap" LimitTime)" 45
  # The reset credit is cleared with the empty text: no bytes at all.
  credit=$(e2e_driver reg-bytes "$HG_KEY" LastTimeAdjust) || e2e_fail "no LastTimeAdjust"
  [[ $credit =~ ^REG_SZ\ (0\ |1\ 00)$ ]] || e2e_fail "LastTimeAdjust: got '$credit', expected an empty REG_SZ"
  # The last tick stored the accounting time just after the new day began.
  end=$(e2e_snapshot_value "$snap" EndTime) || e2e_fail "no EndTime"
  end_epoch=$(e2e_time_text_epoch "$end") || e2e_fail "EndTime: got '$end', expected MM/DD hh:mm:ss"
  if [ "$end_epoch" -lt "$midnight" ] || [ "$end_epoch" -gt $((midnight + 10)) ]; then
    e2e_fail "EndTime: got '$end', expected the first seconds of $(env "$(hg__tz_env)" date -d "@$midnight" +%m/%d)"
  fi
}
