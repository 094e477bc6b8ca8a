# shellcheck shell=bash
# Start-up accounting of the real program: what it stores on its first start,
# and the forced power-off when the stored day lies after today (the clock
# was turned back).

# First start on a machine that never ran the program: the autostart entry
# names the exe itself, quoted (the value is a command line and the path has
# blanks), today's day key is stored, and the full hour of the
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
  e2e_expect_eq "autostart value" "$run_path" "\"$HG_EXE_WIN\""
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
e2e_timeout_later_stored_day_powers_off=240
case_later_stored_day_powers_off() {
  local key later witness_pid server_pid
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  key=$(hg_day_key)
  later=$((key + 1))
  e2e_set_reg LastDate "$later"
  e2e_expect_eq "LastDate as set up" "$(e2e_reg LastDate)" "$later"

  hg_wine_bg "$HG_CASE_DIR/witness.log" "$HG_DRIVER" create-window "e2e witness" 200 ignore
  witness_pid=$HG_BG_PID
  e2e_driver wait-window "e2e witness" 30 || e2e_fail "the witness window did not appear"
  server_pid=$(hg_wineserver_pid) || e2e_fail "no wineserver for the prefix"

  e2e_start_program
  # A minute for the parent's password first, then the power-off.
  sleep 20
  e2e_session_ended && e2e_fail "the session ended before the minute for the password"
  e2e_wait 130 e2e_session_ended || e2e_fail "the prefix's wineserver still runs 130 s after the start"
  # On a loaded machine the process can take a while to notice its wineserver is gone.
  e2e_wait 40 e2e_program_gone || e2e_fail "the session ended but the program still runs 40 s later"
  e2e_wait 15 e2e_pid_gone "$witness_pid" || e2e_fail "the witness program outlived the session"
  grep -q "lifetime over" "$HG_CASE_DIR/witness.log" && e2e_fail "the witness lived its whole time"
  # A wineserver that is ending leaves its prefix's folder before its
  # process has gone: wait for the process, as for the others.
  e2e_wait 15 e2e_pid_gone "$server_pid" || e2e_fail "the old wineserver (pid $server_pid) still runs 15 s after the session ended"

  # Read back in a new session of the same prefix.
  e2e_expect_eq "LastDate after the power-off" "$(e2e_reg LastDate)" "$later"
  e2e_expect_eq "autostart value" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "\"$HG_EXE_WIN\""
}

# An entry written by an older version, the bare path: Windows would read
# "C:\Program" as the program. The start rewrites it quoted.
case_old_unquoted_autostart_entry_is_rewritten_quoted() {
  hg_reg_add "$HG_RUN_KEY" Hourgauge REG_SZ "$HG_EXE_WIN" || e2e_fail "could not write the old entry"
  e2e_expect_eq "autostart value as set up" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "$HG_EXE_WIN"
  e2e_start_program
  e2e_wait 60 e2e_reg_exists LastTime || e2e_fail "LastTime not written within 60 s of the start"
  e2e_expect_eq "autostart value" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "\"$HG_EXE_WIN\""
  e2e_expect_eq "autostart value type" "$(hg_reg_type "$HG_RUN_KEY" Hourgauge)" REG_SZ
}

# The accounting day follows Windows' own time zone, not a TZ that the
# account sets for itself (HKCU\Environment, which Wine, like Windows, puts
# into the environment of every program the account starts). The zone is
# chosen so that its date differs from the prefix's at this moment.
case_time_zone_of_the_account_environment_does_not_move_the_day() {
  local zone own other date_now after
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  own=$(hg_day_key)
  for zone in HST10 LINT-14; do
    other=$(HG_TZ=$zone hg_day_key)
    [ "$other" != "$own" ] && break
  done
  [ "$other" != "$own" ] || e2e_fail "no zone whose date differs from the prefix's now"
  hg_wine reg add 'HKCU\Environment' /v TZ /t REG_SZ /d "$zone" /f >/dev/null 2>&1 ||
    e2e_fail "could not set TZ in HKCU\\Environment"
  e2e_start_program
  e2e_wait 60 e2e_reg_exists LastTime || e2e_fail "LastTime not written within 60 s of the start"
  date_now=$(e2e_reg LastDate) || e2e_fail "LastTime written but no LastDate"
  after=$(hg_day_key)
  [ "$date_now" != "$other" ] || e2e_fail "LastDate $date_now is the day of TZ=$zone, not Windows' own"
  [ "$date_now" = "$own" ] || [ "$date_now" = "$after" ] ||
    e2e_fail "LastDate: got '$date_now', expected today's day key $own (TZ=$zone would give $other)"
}

# The manifest Windows reads from the exe: the one in res/, system DPI
# aware, Common Controls 6, Windows Vista to 11 named, and no execution
# level (with one, Windows would stop redirecting a standard account's
# writes to HKEY_LOCAL_MACHINE).
case_exe_carries_its_manifest_without_an_execution_level() {
  local dir manifest os
  dir=$(e2e_unix_path "$HG_EXE_DIR_WIN")
  mkdir -p "$dir" && cp "$HG_EXE" "$dir/hourgauge.exe" || e2e_fail "could not install the exe"
  manifest=$(e2e_driver manifest "$HG_EXE_WIN") || e2e_fail "no RT_MANIFEST resource 1 in the exe"
  e2e_expect_eq "manifest" "$manifest" "$(cat "$HG_ROOT/res/hourgauge.manifest")"
  grep -qF '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' <<<"$manifest" ||
    e2e_fail "the manifest does not declare system DPI awareness"
  grep -qF 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest" ||
    e2e_fail "the manifest does not ask for Common Controls 6"
  for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
    4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
    8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    grep -qF "<supportedOS Id=\"{$os}\"/>" <<<"$manifest" || e2e_fail "no supportedOS $os"
  done
  grep -qE 'trustInfo|requestedExecutionLevel' <<<"$manifest" &&
    e2e_fail "the manifest asks for an execution level"
  return 0
}
