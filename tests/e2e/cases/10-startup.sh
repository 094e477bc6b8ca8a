# shellcheck shell=bash
# Start-up accounting of the real program: what it stores on its first start,
# and the forced power-off when the stored day lies after today (the clock
# was turned back).

# First start on a machine that never ran the program: the autostart entry
# names the exe itself, today's day key is stored, and the full hour of the
# default limit is the allowance. The program then keeps running in the tray,
# counting the allowance down one second at a time.
case_first_start_fills_an_empty_registry() {
  local before after started date_now time_now elapsed run_path
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_reg_exists LastDate && e2e_fail "the fresh prefix already holds LastDate"
  e2e_avoid_midnight
  before=$(hg_day_key)
  started=$SECONDS
  e2e_start_program
  e2e_wait 60 e2e_reg_exists LastTime || e2e_fail "LastTime not written within 60 s of the start"
  time_now=$(e2e_reg LastTime)
  elapsed=$((SECONDS - started))
  date_now=$(e2e_reg LastDate) || e2e_fail "LastTime written but no LastDate"
  after=$(hg_day_key)

  run_path=$(hg_reg_query "$HG_RUN_KEY" Hourgauge) || e2e_fail "no autostart value Hourgauge under the Run key"
  e2e_expect_eq "autostart value" "$run_path" "$HG_EXE_WIN"
  e2e_expect_eq "autostart value type" "$(hg_reg_type "$HG_RUN_KEY" Hourgauge)" REG_SZ

  [ "$date_now" = "$before" ] || [ "$date_now" = "$after" ] ||
    e2e_fail "LastDate: got '$date_now', expected today's day key $before"
  e2e_expect_eq "LastDate type" "$(e2e_reg_type LastDate)" REG_SZ

  # 3600 at the start; by the time it is read, at most one second less for
  # every second since the program was started.
  [[ $time_now =~ ^[0-9]+$ ]] || e2e_fail "LastTime: got '$time_now', expected a number of seconds"
  if [ "$time_now" -gt 3600 ] || [ "$time_now" -lt $((3600 - elapsed - 1)) ]; then
    e2e_fail "LastTime: got '$time_now', expected 3600 less at most the $elapsed s since the start"
  fi
  e2e_expect_eq "LastTime type" "$(e2e_reg_type LastTime)" REG_SZ

  e2e_driver wait-window "$HG_TITLE" 30 || e2e_fail "no window titled $HG_TITLE"
  sleep 2
  e2e_program_alive || e2e_fail "the program ended after its start-up; it should stay in the tray"
  hg_wineserver_pid >/dev/null || e2e_fail "the prefix's session ended; it should go on"
}

# A stored day one later than today: the program asks Windows for a forced
# power-off. Under Wine that ends every program of the prefix and then its
# wineserver; a witness window of another program, meant to live 90 s,
# shows that it was the whole session that ended, not just the program.
# What was stored before the request is still there afterwards.
case_later_stored_day_powers_off() {
  local key later witness_pid server_pid
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  key=$(hg_day_key)
  later=$((key + 1))
  e2e_set_reg LastDate "$later"
  e2e_expect_eq "LastDate as set up" "$(e2e_reg LastDate)" "$later"

  hg_wine_bg "$HG_CASE_DIR/witness.log" "$HG_DRIVER" create-window "e2e witness" 90 ignore
  witness_pid=$HG_BG_PID
  e2e_driver wait-window "e2e witness" 30 || e2e_fail "the witness window did not appear"
  server_pid=$(hg_wineserver_pid) || e2e_fail "no wineserver for the prefix"

  e2e_start_program
  e2e_wait 60 e2e_session_ended || e2e_fail "the prefix's wineserver still runs 60 s after the start"
  e2e_wait 15 e2e_program_gone || e2e_fail "the session ended but the program still runs 15 s later"
  e2e_wait 15 e2e_pid_gone "$witness_pid" || e2e_fail "the witness program outlived the session"
  grep -q "lifetime over" "$HG_CASE_DIR/witness.log" && e2e_fail "the witness lived its whole time"
  hg_pid_alive "$server_pid" && e2e_fail "the old wineserver (pid $server_pid) still runs"

  # Read back in a new session of the same prefix.
  e2e_expect_eq "LastDate after the power-off" "$(e2e_reg LastDate)" "$later"
  e2e_expect_eq "autostart value" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "$HG_EXE_WIN"
}
