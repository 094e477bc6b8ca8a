# shellcheck shell=bash
# The enforcing service hourgauge-service.exe under Wine's service manager,
# installed by hand as the setup program would: both exes in
# C:\Program Files\HourgaugeLite, the service HourgaugeLite (own process,
# LocalSystem, quoted image path) made with Wine's sc.exe. It counts with
# no tray program at all and after every tray program was killed, powers a
# spent day off by itself, answers the pipe, drops what a client should not
# send, and stops and saves on `sc stop`.
#
# Under Wine a service is a system process: when the last other process of
# the prefix ends, Wine ends the services with it. Every case keeps a window
# of its own open meanwhile, as a signed-in session would.
#
# Under Wine every access is granted and no control but stop is sent (a
# prefix's end terminates its services), FILE_FLAG_FIRST_PIPE_INSTANCE is
# not enforced, InitiateShutdownW is not implemented (the service falls back
# to ExitWindowsEx, which ends the prefix) and WTSEnumerateSessionsW lists
# no session (so the service neither messages a session nor starts the tray
# in one). Those parts are shown on the simulated platform and need a real
# Windows for the rest.

HG_SERVICE_DIR_WIN='C:\Program Files\HourgaugeLite'
# What `sc query` shows of the service, with the console's line ends gone.
e2e__service_query() {
  hg_wine sc query HourgaugeLite 2>/dev/null | tr -d '\r'
}

# RUNNING, STOPPED, ...; nothing when the service does not exist.
e2e__service_state() {
  e2e__service_query | sed -n 's/^ *STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p'
}

e2e__service_is() {
  [ "$(e2e__service_state)" = "$1" ]
}

# Copies both exes into the service's folder and creates the service with
# the given start type (auto: it starts with the prefix; demand: only by
# `sc start`).
e2e__service_create() {
  local dir out
  dir=$(e2e_unix_path "$HG_SERVICE_DIR_WIN")
  mkdir -p "$dir" && cp "$HG_SERVICE_EXE" "$dir/hourgauge-service.exe" &&
    cp "$HG_EXE" "$dir/hourgauge.exe" || e2e_fail "could not copy the exes into $dir"
  out=$(hg_wine sc create HourgaugeLite binPath= "\"$HG_SERVICE_DIR_WIN\\hourgauge-service.exe\"" \
    start= "$1" 2>&1) || e2e_fail "sc create failed: $out"
}

e2e__service_start() {
  local out
  out=$(hg_wine sc start HourgaugeLite 2>&1) || e2e_fail "sc start failed: $out"
  e2e_wait 30 e2e__service_is RUNNING || e2e_fail "the service is not running: $(e2e__service_query | tr '\n' ' ')"
}

# A window of another program keeps the prefix's session, and with it the
# service, alive for the rest of the case.
e2e__keep_session() {
  hg_wine_bg "$HG_CASE_DIR/keeper.log" "$HG_DRIVER" create-window "e2e session keeper" 115 ignore
  e2e_driver wait-window "e2e session keeper" 30 || e2e_fail "the keeper window did not appear"
}

# The service holds the count at a boot until somebody signs in, for at
# most five minutes of awake time. Under Wine awake time is the host's time
# since its boot, and no session is ever listed as signed in: on a host
# that booted a moment ago the count would wait those minutes out.
e2e__past_boot_grace() {
  local up
  up=$(cut -d. -f1 /proc/uptime)
  if [ "$up" -lt 310 ]; then
    echo "the host booted ${up} s ago: waiting past the service's boot grace"
    sleep $((310 - up))
  fi
}

# EndTime, the accounting time of the last tick (local time less
# AdjustTime minutes), names a moment at most $1 seconds ago.
e2e__end_time_within() {
  local end epoch now adjust
  end=$(e2e_reg EndTime) || return 1
  epoch=$(e2e_time_text_epoch "$end") || return 1
  adjust=$(e2e_reg AdjustTime) || adjust=0
  [[ $adjust =~ ^[0-9]+$ ]] || adjust=0
  epoch=$((epoch + adjust * 60))
  now=$(date +%s)
  [ "$epoch" -le $((now + 2)) ] && [ "$epoch" -ge $((now - $1)) ]
}

e2e__fail_not_ticking() {
  e2e_fail "the service does not tick: EndTime '$(e2e_reg EndTime)' at $(env "$(hg__tz_env)" date '+%m/%d %H:%M:%S'), LastTime '$(e2e_reg LastTime)', $(e2e__service_query | grep STATE | tr -s ' ')"
}

# LastTime read twice a few seconds apart goes down, by no more than the
# seconds between the reads (a loaded machine may lose ticks, never gain
# them); EndTime stays current.
e2e__service_counts_down() {
  # A recount between the reads (the 30th tick) gives back what was
  # counted down, since Wine's event log is empty: then read twice again.
  (e2e__service_counts_down_once) && return 0
  : >"$HG_E2E_REASON"
  e2e__service_counts_down_once
}

e2e__service_counts_down_once() {
  local ms1 ms2 left1 left2 elapsed
  ms1=$(date +%s%3N)
  left1=$(e2e_reg LastTime) || e2e_fail "no LastTime"
  sleep 2.5
  ms2=$(date +%s%3N)
  left2=$(e2e_reg LastTime) || e2e_fail "no LastTime"
  elapsed=$(((ms2 - ms1 + 999) / 1000))
  [[ $left1 =~ ^[0-9]+$ ]] && [[ $left2 =~ ^[0-9]+$ ]] ||
    e2e_fail "LastTime: got '$left1' and '$left2', expected numbers"
  [ "$left2" -lt "$left1" ] || e2e_fail "LastTime did not go down: $left1, then $left2 ${elapsed} s later"
  [ $((left1 - left2)) -le $((elapsed + 2)) ] ||
    e2e_fail "LastTime went down by $((left1 - left2)) s in ${elapsed} s: $left1, then $left2"
  e2e__end_time_within 15 || e2e_fail "EndTime '$(e2e_reg EndTime)' is not the time of a recent tick"
}

# One field of `hgdriver pipe-status`.
e2e__status_field() {
  sed -n "s/^$2 //p" <<<"$1"
}

# Installed to start with Windows and not started by hand: the prefix's
# next start starts it. It ticks every second (EndTime, LastTime) though no
# tray program has ever run: none has a window in the desktop.
case_service_starts_with_the_prefix_and_counts_without_a_tray() {
  local left
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 1000
  e2e_set_reg LimitTime 45
  e2e__service_create auto
  e2e_expect_eq "state once created" "$(e2e__service_state)" STOPPED
  # The prefix ends as a PC shuts down; its next start is the next boot.
  hg_wine_stop || e2e_fail "the prefix did not end"
  e2e__keep_session
  e2e_wait 60 e2e__service_is RUNNING || e2e_fail "the service did not start with the prefix: $(e2e__service_query | tr '\n' ' ')"
  e2e_wait 30 e2e__end_time_within 5 || e2e__fail_not_ticking
  e2e__service_counts_down
  left=$(e2e_reg LastTime)
  [ "$left" -le 1000 ] || e2e_fail "LastTime $left: more than the 1000 s stored for today"
  e2e_expect_eq "LastDate" "$(e2e_reg LastDate)" "$(hg_day_key)"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 45
  e2e_driver window-exists "$HG_TITLE" && e2e_fail "a window titled $HG_TITLE: a tray program runs"
  return 0
}

# A tray program runs beside the service, then every copy is killed as a
# child would kill it (taskkill /F): the service goes on counting.
case_service_counts_on_with_every_tray_killed() {
  local out
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 1500
  e2e__service_create auto
  e2e_start_tray
  e2e__service_start
  e2e_start_exe "$HG_SERVICE_DIR_WIN\\hourgauge.exe"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the tray program shows no window titled $HG_TITLE"
  sleep 2
  out=$(hg_wine taskkill /F /IM hourgauge.exe 2>&1) || e2e_fail "taskkill failed: $out"
  e2e_wait 30 e2e_program_gone || e2e_fail "the tray program still runs after taskkill"
  e2e_driver window-exists "$HG_TITLE" && e2e_fail "a window titled $HG_TITLE is left after taskkill"
  e2e_expect_eq "the service after the kill" "$(e2e__service_state)" RUNNING
  e2e__service_counts_down
  sleep 3
  e2e__service_counts_down
}

# No tray program; a parent sets the limit to 0 through the pipe, with the
# password the parent set through it before (a wrong one changes nothing):
# today is spent, and the service itself powers the PC off at its next
# tick. Under Wine that ends the whole prefix (its wineserver exits, the
# session keeper's window with it); what was stored is read in the next
# session, where the service, started by hand only, stays stopped.
case_service_powers_off_a_spent_day_without_a_tray() {
  local out today left
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  today=$(hg_day_key)
  e2e_set_reg LastDate "$today"
  e2e_set_reg LimitTime 45
  e2e_set_reg LastTime 1000
  e2e__service_create demand
  e2e__keep_session
  e2e__service_start
  e2e_wait 30 e2e__end_time_within 5 || e2e__fail_not_ticking

  out=$(e2e_driver pipe-request change-password new-password=k1d5 2>&1) || e2e_fail "change-password: $out"
  e2e_expect_eq "change-password's result" "$(e2e__status_field "$out" result)" 0
  e2e_reg_exists PASSWORD || e2e_fail "no PASSWORD stored"
  out=$(e2e_driver pipe-request settings password=wrong limit=0 adjust=0 2>&1) || e2e_fail "settings: $out"
  e2e_expect_eq "settings' result with a wrong password" "$(e2e__status_field "$out" result)" 1
  e2e_expect_eq "LimitTime after a wrong password" "$(e2e_reg LimitTime)" 45
  e2e_expect_eq "the service after a wrong password" "$(e2e__service_state)" RUNNING

  out=$(e2e_driver pipe-request settings password=k1d5 limit=0 adjust=0 2>&1) || e2e_fail "settings: $out"
  e2e_expect_eq "settings' result" "$(e2e__status_field "$out" result)" 0
  e2e_wait 30 e2e_session_ended || e2e_fail "the session still runs 30 s after the day was spent"
  e2e_expect_eq "LimitTime after the power-off" "$(e2e_reg LimitTime)" 0
  e2e_expect_eq "LastDate after the power-off" "$(e2e_reg LastDate)" "$today"
  left=$(e2e_reg LastTime)
  [[ $left =~ ^-?[0-9]+$ ]] && [ "$left" -le 0 ] || e2e_fail "LastTime after the power-off: got '$left', expected nothing left"
  e2e__end_time_within 60 || e2e_fail "EndTime '$(e2e_reg EndTime)' is not the time of the service's last ticks"
  e2e_expect_eq "the service in the next session" "$(e2e__service_state)" STOPPED
}

# The pipe's status reply as the tray reads it: a whole reply, the stored
# limit and day start, the remaining time the registry holds, counting;
# the pipe's server is the service's own process (what the tray checks
# before it sends a password); the pipe carries the service's DACL (Wine
# stores it, only Windows enforces it).
case_service_answers_status_over_the_pipe() {
  local status left remaining server service sddl
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 2000
  e2e_set_reg LimitTime 50
  e2e_set_reg AdjustTime 7
  e2e__service_create demand
  e2e__keep_session
  e2e__service_start
  e2e_wait 30 e2e__end_time_within 5 || e2e__fail_not_ticking

  left=$(e2e_reg LastTime)
  status=$(e2e_driver pipe-status) || e2e_fail "no status reply: $status"
  echo "$status"
  e2e_expect_eq "reply size" "$(e2e__status_field "$status" bytes)" 1024
  e2e_expect_eq "result" "$(e2e__status_field "$status" result)" 0
  (($(e2e__status_field "$status" flags) & 4)) || e2e_fail "the reply does not say the service counts"
  e2e_expect_eq "limit" "$(e2e__status_field "$status" limit)" 50
  e2e_expect_eq "day-start adjustment" "$(e2e__status_field "$status" adjust)" 7
  remaining=$(e2e__status_field "$status" remaining)
  [ "$remaining" -le "$left" ] && [ "$remaining" -ge $((left - 10)) ] ||
    e2e_fail "remaining $remaining s in the reply, LastTime $left s just before"
  server=$(e2e__status_field "$status" server_pid)
  service=$(e2e__status_field "$status" service_pid)
  [ "$service" -gt 0 ] || e2e_fail "the service manager names no process of the service"
  e2e_expect_eq "the pipe's server process" "$server" "$service"

  sddl=$(e2e_driver pipe-sddl) || e2e_fail "no DACL of the pipe: $sddl"
  e2e_expect_eq "the pipe's DACL" "$(tr -d '\r' <<<"$sddl")" 'D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x12019b;;;IU)'
}

# What a child's program might send: too short, too long, a wrong magic
# number; each connection is dropped without a reply, and the service
# answers the next client as before. A client that connects and sends
# nothing is dropped after the idle limit (10 s).
case_service_drops_bad_and_idle_connections() {
  local kind out ms n pids=()
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 1500
  e2e__service_create demand
  e2e__keep_session
  e2e__service_start
  for kind in short long magic; do
    out=$(e2e_driver pipe-garbage "$kind" 2>&1) || e2e_fail "a $kind message: $out"
    echo "$kind: $out"
    out=$(e2e_driver pipe-status 2>&1) || e2e_fail "no status reply after a $kind message: $out"
  done

  # Four idle clients hold every instance of the pipe: the count goes on
  # meanwhile, and each is dropped after the idle limit.
  for n in 1 2 3 4; do
    hg_wine_bg "$HG_CASE_DIR/idle$n.log" "$HG_DRIVER" pipe-idle 40
    pids+=("$HG_BG_PID")
  done
  sleep 1
  e2e__service_counts_down
  for n in 1 2 3 4; do
    e2e_wait 45 e2e_pid_gone "${pids[n - 1]}" || e2e_fail "idle client $n still waits after 45 s"
    wait "${pids[n - 1]}" || e2e_fail "idle client $n: $(tr -d '\r' <"$HG_CASE_DIR/idle$n.log")"
    out=$(tr -d '\r' <"$HG_CASE_DIR/idle$n.log")
    echo "idle client $n: $out"
    ms=$(sed -n 's/^dropped_after_ms //p' <<<"$out")
    [[ $ms =~ ^[0-9]+$ ]] && [ "$ms" -ge 9000 ] ||
      e2e_fail "idle client $n was dropped after '$ms' ms, before the 10 s limit"
  done
  e2e_driver pipe-status >/dev/null || e2e_fail "no status reply after the idle clients"
  e2e_expect_eq "the service at the end" "$(e2e__service_state)" RUNNING
}

# While it runs the service accepts stop, shutdown, power events and
# session changes (0xC5), nothing else. User-defined controls (128-255),
# which any account that may query the service can send, and an
# interrogation leave it running and counting; a pause is refused by the
# service manager, as the service does not accept it.
case_service_reports_its_controls_and_ignores_user_controls() {
  local status code out
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 1500
  e2e__service_create demand
  e2e__keep_session
  e2e__service_start
  status=$(e2e_driver service-status | tr -d '\r') || e2e_fail "no status of the service"
  echo "$status"
  e2e_expect_eq "controls accepted while running" "$(e2e__status_field "$status" controls)" 197
  e2e_expect_eq "exit code while running" "$(e2e__status_field "$status" exit)" 0
  for code in 128 129 170 254 255 4; do
    out=$(e2e_driver service-control "$code" | tr -d '\r')
    echo "control $code: $out"
    e2e_expect_eq "the service after control $code" "$(e2e__service_state)" RUNNING
  done
  out=$(e2e_driver service-control 2 | tr -d '\r') && e2e_fail "a pause was taken: $out"
  echo "control 2: $out"
  e2e_expect_eq "the service after a pause" "$(e2e__service_state)" RUNNING
  e2e__service_counts_down
}

# `sc stop`: the service reports STOPPED with exit code 0, its process is
# gone, and the state it saved stays as it was at the stop: no tick after
# it, nothing more spent.
case_service_stops_on_sc_stop_and_saves() {
  local out query left1 left2 end1 end2 stopped_at epoch
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime 1200
  e2e__service_create demand
  e2e__keep_session
  e2e__service_start
  e2e_wait 30 e2e__end_time_within 5 || e2e__fail_not_ticking
  out=$(hg_wine sc stop HourgaugeLite 2>&1) || e2e_fail "sc stop failed: $out"
  stopped_at=$(date +%s)
  e2e_wait 30 e2e__service_is STOPPED || e2e_fail "the service did not stop: $(e2e__service_query | tr '\n' ' ')"
  query=$(e2e__service_query)
  grep -qE '^ *WIN32_EXIT_CODE *: *0 ' <<<"$query" || e2e_fail "the stop reported an error: $(tr '\n' ' ' <<<"$query")"
  out=$(e2e_driver service-pid 2>&1) && e2e_fail "the service still has a process: $out"

  left1=$(e2e_reg LastTime)
  end1=$(e2e_reg EndTime)
  sleep 2.5
  left2=$(e2e_reg LastTime)
  end2=$(e2e_reg EndTime)
  e2e_expect_eq "LastTime after the stop" "$left2" "$left1"
  e2e_expect_eq "EndTime after the stop" "$end2" "$end1"
  [[ $left1 =~ ^[0-9]+$ ]] && [ "$left1" -lt 1200 ] && [ "$left1" -gt 1100 ] ||
    e2e_fail "LastTime saved at the stop: got '$left1', expected a little less than 1200"
  epoch=$(e2e_time_text_epoch "$end1") || e2e_fail "EndTime: got '$end1'"
  [ "$epoch" -le $((stopped_at + 2)) ] && [ "$epoch" -ge $((stopped_at - 10)) ] ||
    e2e_fail "EndTime '$end1' is not the time of the stop"
}
