# shellcheck shell=bash
# Closing the program: a close request from outside is refused, and the
# framework's exit command ends it, saving the accounting state and asking a
# companion window titled "sysconfig" to close as well.

# WM_CLOSE posted by another program: the program keeps running, hidden,
# with its one icon. Then a "sysconfig" window of another program is opened
# and ID_APP_EXIT is sent: the program ends within seconds, the companion
# logged a WM_CLOSE and went away, and LastDate and LastTime were saved:
# today's key, and the remaining seconds at the close (no more than were
# left just before the command, no fewer than a second a second since).
case_close_is_refused_and_the_exit_command_saves() {
  local sysconfig log log_win before_left before_date started after_left state
  sysconfig=$(e2e_text kSysconfigTitle) || e2e_fail "no kSysconfigTitle in res/Texts.h"
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"

  e2e_expect "WM_CLOSE was not delivered" e2e_driver post "$HG_TITLE" 0x10 0 0
  sleep 2
  e2e_program_alive || e2e_fail "the program ended on a WM_CLOSE from outside"
  e2e_driver window-exists "$HG_TITLE" || e2e_fail "the main window is gone after WM_CLOSE"
  # It is not opened either: it stays in the tray, hidden, with no taskbar
  # button.
  state=$(e2e_driver window-visible "$HG_TITLE")
  e2e_expect_eq "main window after WM_CLOSE" "$state" hidden
  e2e_expect_eq "tray icons after WM_CLOSE" "$(e2e_tray_icons)" 1

  log=$HG_CASE_DIR/sysconfig.log
  log_win=$(e2e_wine_path_of_case sysconfig.log)
  hg_wine_bg "$HG_CASE_DIR/sysconfig.out" "$HG_DRIVER" create-window "$sysconfig" 60 close "$log_win"
  e2e_driver wait-window "$sysconfig" 30 || e2e_fail "the $sysconfig window did not appear"

  before_date=$(hg_day_key)
  before_left=$(e2e_reg LastTime) || e2e_fail "no LastTime before the exit"
  [[ $before_left =~ ^[0-9]+$ ]] || e2e_fail "LastTime before the exit: got '$before_left'"
  started=$SECONDS
  e2e_expect "the exit command was not delivered" e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_APP_EXIT)"
  e2e_wait 15 eval '! e2e_program_alive' || e2e_fail "the program still runs 15 s after ID_APP_EXIT"
  e2e_driver wait-no-window "$sysconfig" 15 || e2e_fail "the $sysconfig window is still open"
  [ -f "$log" ] || e2e_fail "the $sysconfig window got no WM_CLOSE (no log)"
  grep -q '^WM_CLOSE 1 closing$' "$log" || e2e_fail "the $sysconfig window's log: $(tr '\n' ' ' <"$log")"

  e2e_expect_eq "LastDate after the exit" "$(e2e_reg LastDate)" "$before_date"
  after_left=$(e2e_reg LastTime) || e2e_fail "no LastTime after the exit"
  [[ $after_left =~ ^[0-9]+$ ]] || e2e_fail "LastTime after the exit: got '$after_left', expected a number"
  [ "$after_left" -le "$before_left" ] ||
    e2e_fail "LastTime after the exit: got $after_left, more than the $before_left left before it"
  [ "$after_left" -ge $((before_left - (SECONDS - started) - 2)) ] ||
    e2e_fail "LastTime after the exit: got $after_left, $before_left was left $((SECONDS - started)) s before"
}

# Another program asks whether the session may end (WM_QUERYENDSESSION, the
# question Windows sends first), says it ends (WM_ENDSESSION) and then sends
# WM_CLOSE. The question and the end save and the question says yes, but
# none of it closes the program (after a real end Windows ends the process
# itself): it keeps running, with its icon, and keeps counting.
case_session_end_question_then_close_keeps_running() {
  local answer before after
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"

  answer=$(e2e_driver send "$HG_TITLE" 0x11 0 0) || e2e_fail "WM_QUERYENDSESSION was not delivered"
  e2e_expect_eq "answer to WM_QUERYENDSESSION" "$answer" 1
  e2e_driver send "$HG_TITLE" 0x16 1 0 >/dev/null || e2e_fail "WM_ENDSESSION was not delivered"
  e2e_expect "WM_CLOSE was not delivered" e2e_driver post "$HG_TITLE" 0x10 0 0
  sleep 2
  e2e_program_alive || e2e_fail "the program ended on WM_QUERYENDSESSION, WM_ENDSESSION and WM_CLOSE from outside"
  e2e_driver window-exists "$HG_TITLE" || e2e_fail "the main window is gone"
  e2e_expect_eq "tray icons" "$(e2e_tray_icons)" 1
  before=$(e2e_reg LastTime) || e2e_fail "no LastTime"
  sleep 3
  after=$(e2e_reg LastTime) || e2e_fail "no LastTime"
  [ "$after" -lt "$before" ] || e2e_fail "LastTime did not count down: $before, then $after"
}
