# shellcheck shell=bash
# The tray program as the service's face. The service is installed by hand
# as 85-service.sh installs it (both exes in C:\Program Files\HourgaugeLite,
# the service made with sc.exe and started), or by the setup program for
# the uninstall; then hourgauge.exe is started from the service's folder.
# It must count nothing and write nothing: it asks the service over the
# pipe once a second and shows the service's figures in its tooltip, and its
# menu's commands go to the service with the password the parent typed.
# Uses the helpers of 85-service.sh, 82-setup-service.sh, 80-setup.sh and
# 80-english.sh (the tooltip read by hovering over the icon).
#
# What Wine cannot show, and where it is shown instead:
# - Wine sends services no session-change controls, so "the count pauses
#   until the next sign-in" is seen here only as "until the next start of
#   the service"; the sign-in is ServiceTest.ExitPausesTheCountUntilTheNextSignIn
#   on the simulated platform.
# - Wine 8's WTSEnumerateSessionsW succeeds and lists no session, so the
#   service, which starts the tray in each active session it lists, starts
#   none; WTSQueryUserToken and CreateProcessAsUserW themselves work for the
#   console session. The start within ten seconds is
#   ServiceTest.TrayThatEndedIsStartedAgainWithinTenSeconds; a real Windows
#   shows it for a signed-in account.
# - The pipe's DACL, the key's DACL and the service's rights are not
#   enforced by Wine: that a child's account cannot write the key or stop
#   the service needs a real Windows.
# - A tray killed with taskkill /F leaves its icon in Wine's tray until the
#   desktop ends (a real Explorer drops it when the pointer passes over it);
#   a tray started again adds its own icon to the right of it.

# The tooltip's first line, as the parent sees it when the pointer rests on
# the tray's rightmost icon (80-english.sh).
e2e__face_tip() {
  e2e__tooltip_of 2>/dev/null
}

# The tooltip shows exactly TEXT (status 1 otherwise); for e2e_wait.
e2e__face_tip_is() {
  [ "$(e2e__face_tip)" = "$1" ]
}

# The remaining seconds in the service's reply to a status request.
e2e__service_remaining() {
  local status
  status=$(e2e_driver pipe-status 2>/dev/null) || return 1
  e2e__status_field "$status" remaining | tr -d '\r'
}

# The tooltip shows the service's remaining time: "LastTime( MMmin )" with
# MM the whole minutes the service had left just before or just after the
# tooltip was read.
e2e__face_tip_is_the_services() {
  local before after tip minutes
  before=$(e2e__service_remaining) || return 1
  tip=$(e2e__face_tip) || return 1
  after=$(e2e__service_remaining) || return 1
  echo "service $before s, tooltip '$tip', service $after s"
  [[ $tip =~ ^LastTime\(\ ([0-9]+)min\ \)$ ]] || return 1
  minutes=$((10#${BASH_REMATCH[1]}))
  [ "$minutes" -le $((before / 60)) ] && [ "$minutes" -ge $((after / 60)) ]
}

# The service installed by hand and running with today's LastTime $1
# seconds of a LimitTime of $2 minutes, a session keeper and the Wine
# desktop's tray up, the service ticking.
e2e__face_service_up() {
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e__past_boot_grace
  e2e_avoid_midnight
  e2e_set_reg LastDate "$(hg_day_key)"
  e2e_set_reg LastTime "$1"
  e2e_set_reg LimitTime "$2"
  e2e_set_reg AdjustTime 0
  e2e__service_create demand
  e2e_start_tray
  e2e__service_start
  e2e_wait 30 e2e__end_time_within 5 || e2e__fail_not_ticking
}

# hourgauge.exe started from the service's folder (as the Run entry and the
# service start it): its window and one icon.
e2e__face_start() {
  e2e_start_exe "$HG_SERVICE_DIR_WIN\\hourgauge.exe"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 eval '[ "$(e2e_tray_icons)" = 1 ]' || e2e_fail "tray icons after the start: $(e2e_tray_icons), expected 1"
}

# The autostart entry in the machine's and in the account's Run key.
e2e__autostart_entries() {
  hg_reg_query "$HG_RUN_KEY" Hourgauge
  hg_reg_query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' Hourgauge
}

# The tray program beside the running service: its tooltip shows the
# service's remaining time, and follows the service when a parent's change
# reaches the service by another way (the pipe, here from the driver). It
# counts nothing (LastTime goes down by one a second, the service's tick)
# and writes nothing: no autostart entry, which the tray program alone
# writes first thing at its start.
case_face_shows_the_services_time_and_writes_nothing() {
  local out
  e2e__face_service_up 2000 50
  [ -z "$(e2e__autostart_entries)" ] || e2e_fail "an autostart entry before the tray started"
  e2e__face_start
  e2e_wait 20 e2e__face_tip_is_the_services || e2e_fail "the tooltip does not show the service's time: '$(e2e__face_tip)'"

  # 20 minutes: LastTime becomes 1200 less today's use in the System log
  # (empty under Wine), which no tray that counted itself would show.
  out=$(e2e_driver pipe-request settings limit=20 adjust=0 2>&1) || e2e_fail "settings through the pipe: $out"
  e2e_expect_eq "settings' result" "$(e2e__status_field "$out" result)" 0
  e2e_wait 15 eval '[[ "$(e2e__face_tip)" =~ ^LastTime\(\ (19|20)min\ \)$ ]]' ||
    e2e_fail "the tooltip did not follow the service's new limit: '$(e2e__face_tip)', expected LastTime( 19min )"
  e2e__face_tip_is_the_services || e2e_fail "the tooltip is not the service's time after the change"

  e2e__service_counts_down
  sleep 2
  e2e__service_counts_down
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 20
  [ -z "$(e2e__autostart_entries)" ] || e2e_fail "the tray wrote an autostart entry: $(e2e__autostart_entries)"
  e2e_program_alive || e2e_fail "the tray program ended"
  e2e_expect_eq "tray icons" "$(e2e_tray_icons)" 1
}

# The service stopped under a running tray: the tray stays, its tooltip
# says the service does not run, it refuses the protected commands with its
# message, and the program key rests, since nothing counts now. Started
# again, the service is found again and its time shown.
case_face_says_a_stopped_service_and_writes_nothing_meanwhile() {
  local out refused caption settings snap1 snap2 not_running
  not_running=$(e2e_string IDS_SERVICE_NOT_RUNNING) || e2e_fail "no IDS_SERVICE_NOT_RUNNING in res/hourgauge.rc"
  refused=$(e2e_string IDS_SERVICE_REFUSED) || e2e_fail "no IDS_SERVICE_REFUSED in res/hourgauge.rc"
  caption=$(e2e_string IDS_UNINSTALL_CAPTION) || e2e_fail "no IDS_UNINSTALL_CAPTION in res/hourgauge.rc"
  settings=$(e2e_rc_caption IDD_SETTINGS)
  e2e__face_service_up 2000 50
  e2e__face_start
  e2e_wait 20 e2e__face_tip_is_the_services || e2e_fail "the tooltip does not show the service's time"

  out=$(hg_wine sc stop HourgaugeLite 2>&1) || e2e_fail "sc stop failed: $out"
  e2e_wait 30 e2e__service_is STOPPED || e2e_fail "the service did not stop"
  e2e_wait 15 e2e__face_tip_is "$not_running" || e2e_fail "tooltip with the service stopped: '$(e2e__face_tip)', expected '$not_running'"
  snap1=$(e2e_reg_snapshot)
  sleep 3
  snap2=$(e2e_reg_snapshot)
  [ -n "$snap1" ] || e2e_fail "no values in the program key"
  e2e_expect_eq "the program key 3 s later, no service running" "$snap2" "$snap1"
  e2e_program_alive || e2e_fail "the tray program ended when the service stopped"

  e2e_expect "the settings command was not delivered" e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no message box '$caption' for a command with the service stopped"
  e2e_expect_eq "message for a command with the service stopped" "$(e2e_driver msgbox-text "$caption")" "$refused"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$caption"
  e2e_driver wait-no-window "$settings" 5 || e2e_fail "the settings dialog opened with the service stopped"
  [ -z "$(e2e__autostart_entries)" ] || e2e_fail "the tray wrote an autostart entry with the service stopped"

  e2e__service_start
  e2e_wait 20 e2e__face_tip_is_the_services || e2e_fail "the tooltip does not show the service's time after its new start: '$(e2e__face_tip)'"
  e2e__service_counts_down
}

# A parent sets a password in the tray's change dialog (the service stores
# it), then opens the settings: the check dialog asks for it. A wrong one
# gets the usual "Password Error" box and changes nothing; the right one
# (after the service's two seconds between tries) opens the settings dialog
# with the service's limit and day start, and the new limit reaches the
# registry through the service, the tooltip with it.
case_face_settings_go_through_the_service_with_the_password() {
  local change check settings error_caption wrong limit adjust tried_at out status left
  change=$(e2e_rc_caption IDD_PASSWORD_CHANGE)
  check=$(e2e_rc_caption IDD_PASSWORD_CHECK)
  settings=$(e2e_rc_caption IDD_SETTINGS)
  error_caption=$(e2e_string IDS_PASSWORD_ERROR_CAPTION) || e2e_fail "no IDS_PASSWORD_ERROR_CAPTION in res/hourgauge.rc"
  wrong=$(e2e_string IDS_PASSWORD_WRONG) || e2e_fail "no IDS_PASSWORD_WRONG in res/hourgauge.rc"
  limit=$(e2e_id IDC_DAILY_LIMIT)
  adjust=$(e2e_id IDC_ADJUST_TIME)
  e2e__face_service_up 2000 50
  e2e__face_start

  e2e_expect "the password command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_CHANGE_PASSWORD)"
  e2e_driver wait-dialog "$change" 30 || e2e_fail "no dialog captioned '$change'"
  e2e_driver dialog-enabled "$change" "$(e2e_id IDC_PASSWORD)"
  [ $? -eq 1 ] || e2e_fail "the old password field takes input although the service has no password"
  e2e_expect "could not type" e2e_driver dialog-set-text "$change" "$(e2e_id IDC_NEW_PASSWORD)" k1d5
  e2e_expect "could not type" e2e_driver dialog-set-text "$change" "$(e2e_id IDC_CONFIRM_PASSWORD)" k1d5
  e2e_expect "could not press OK" e2e_driver dialog-click "$change" 1
  e2e_driver wait-no-window "$change" 30 || e2e_fail "the change dialog stayed"
  e2e_wait 10 e2e_reg_exists PASSWORD || e2e_fail "the service stored no PASSWORD"
  e2e_expect_eq "PASSWORD" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex k1d5)"
  # The tray learns that a password is set from its next status request.
  e2e_wait 10 eval '(($(e2e__status_field "$(e2e_driver pipe-status)" flags) & 1))' ||
    e2e_fail "the service's status does not say a password is set"
  sleep 2

  e2e_expect "the settings command was not delivered" e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_SETTINGS)"
  e2e_driver wait-dialog "$check" 30 || e2e_fail "no dialog '$check' before the settings"
  e2e_driver window-exists "$settings" && e2e_fail "the settings dialog opened before the password"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" k1d4
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  tried_at=$(date +%s%3N)
  e2e_driver wait-dialog "$error_caption" 30 || e2e_fail "no '$error_caption' box for a wrong password"
  e2e_screenshot password-error
  e2e_expect_eq "message for a wrong password" "$(e2e_driver msgbox-text "$error_caption")" "$wrong"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$error_caption"
  e2e_driver wait-no-window "$error_caption" 30 || e2e_fail "the '$error_caption' box stayed"
  e2e_driver window-exists "$check" || e2e_fail "the check dialog closed on a wrong password"
  e2e_driver window-exists "$settings" && e2e_fail "the settings dialog opened for a wrong password"
  e2e_expect_eq "LimitTime after a wrong password" "$(e2e_reg LimitTime)" 50

  # The service takes a connection's next try two seconds after a wrong one.
  sleep "$(awk -v t="$tried_at" -v now="$(date +%s%3N)" 'BEGIN { d = (t + 2500 - now) / 1000; printf "%.1f", (d > 0 ? d : 0) }')"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" k1d5
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-dialog "$settings" 30 || e2e_fail "no dialog '$settings' after the right password"
  e2e_expect_eq "daily limit shown (the service's)" "$(e2e_driver dialog-get-text "$settings" "$limit")" 50
  e2e_expect_eq "adjustment shown (the service's)" "$(e2e_driver dialog-get-text "$settings" "$adjust")" 0
  e2e_expect "could not type the limit" e2e_driver dialog-set-text "$settings" "$limit" 75
  e2e_expect "could not press OK" e2e_driver dialog-click "$settings" 1
  e2e_driver wait-no-window "$settings" 30 || e2e_fail "the settings dialog stayed after OK"

  e2e_wait 10 eval '[ "$(e2e_reg LimitTime)" = 75 ]' || e2e_fail "LimitTime: got '$(e2e_reg LimitTime)', expected 75"
  status=$(e2e_driver pipe-status) || e2e_fail "no status reply"
  e2e_expect_eq "the service's limit" "$(e2e__status_field "$status" limit)" 75
  # 75 minutes less today's use in the System log (empty under Wine).
  left=$(e2e_reg LastTime)
  [[ $left =~ ^[0-9]+$ ]] && [ "$left" -le 4500 ] && [ "$left" -gt 4400 ] ||
    e2e_fail "LastTime after a limit of 75: got '$left', expected a little less than 4500"
  e2e_wait 15 eval '[[ "$(e2e__face_tip)" =~ ^LastTime\(\ 7[34]min\ \)$ ]]' ||
    e2e_fail "tooltip after the new limit: '$(e2e__face_tip)', expected LastTime( 74min )"
  [ -z "$(e2e__autostart_entries)" ] || e2e_fail "the tray wrote an autostart entry"
  e2e_program_alive || e2e_fail "the tray program ended"
}

# The exit command with the password: the tray ends, and the service, still
# running, stops counting: LastTime and EndTime stay as they were, and its
# status says it is paused. The next start of the service counts again.
case_face_exit_ends_the_tray_and_pauses_the_service() {
  local check out left1 left2 end1 end2 status flags
  check=$(e2e_rc_caption IDD_PASSWORD_CHECK)
  e2e__face_service_up 2000 50
  out=$(e2e_driver pipe-request change-password new-password=pw 2>&1) || e2e_fail "change-password: $out"
  e2e_expect_eq "change-password's result" "$(e2e__status_field "$out" result)" 0
  e2e__face_start
  e2e_wait 20 e2e__face_tip_is_the_services || e2e_fail "the tooltip does not show the service's time"

  e2e_expect "the exit command was not delivered" e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_QUIT)"
  e2e_driver wait-dialog "$check" 30 || e2e_fail "no dialog '$check' for the exit command"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" pw
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_wait 15 e2e_program_gone || e2e_fail "the tray program still runs 15 s after the exit command"
  e2e_driver wait-no-window "$HG_TITLE" 10 || e2e_fail "a window titled $HG_TITLE is left"

  e2e_expect_eq "the service after the exit command" "$(e2e__service_state)" RUNNING
  status=$(e2e_driver pipe-status) || e2e_fail "no status reply after the exit command"
  flags=$(e2e__status_field "$status" flags | tr -d '\r')
  [ $((flags & 2)) -ne 0 ] && [ $((flags & 4)) -eq 0 ] ||
    e2e_fail "status flags after the exit command: $flags, expected paused (2) and not counting (4)"
  left1=$(e2e_reg LastTime)
  end1=$(e2e_reg EndTime)
  sleep 3
  left2=$(e2e_reg LastTime)
  end2=$(e2e_reg EndTime)
  e2e_expect_eq "LastTime 3 s after the exit command" "$left2" "$left1"
  e2e_expect_eq "EndTime 3 s after the exit command" "$end2" "$end1"
  [[ $left1 =~ ^[0-9]+$ ]] && [ "$left1" -lt 2000 ] || e2e_fail "LastTime saved at the exit: got '$left1'"

  out=$(hg_wine sc stop HourgaugeLite 2>&1) || e2e_fail "sc stop failed: $out"
  e2e_wait 30 e2e__service_is STOPPED || e2e_fail "the service did not stop"
  e2e_expect_eq "LastTime after the stop of a paused service" "$(e2e_reg LastTime)" "$left1"
  e2e__service_start
  e2e_wait 30 e2e__end_time_within 5 || e2e__fail_not_ticking
  e2e__service_counts_down
  left2=$(e2e_reg LastTime)
  [ "$left2" -lt "$left1" ] && [ "$left2" -gt $((left1 - 60)) ] ||
    e2e_fail "LastTime after the new start: got '$left2', expected a little less than '$left1'"
}

# Every tray program killed (taskkill /F, as a child could): the service
# counts on, and starts the tray again in each active session it lists.
# Under Wine the list is empty (measured here by the same call the
# service makes), so the service starts nothing: the case then makes the
# service's two other calls itself for the console session, and the tray
# they start is the service's face again. Where a session is listed, the
# tray must be back within 15 s (the service looks every second and waits
# 3 s for a tray to ask).
case_face_killed_tray_is_started_again_in_a_listed_session() {
  local out sessions listed left_before
  e2e__face_service_up 2000 50
  e2e__face_start
  e2e_wait 20 e2e__face_tip_is_the_services || e2e_fail "the tooltip does not show the service's time"

  out=$(hg_wine taskkill /F /IM hourgauge.exe 2>&1) || e2e_fail "taskkill failed: $out"
  e2e_wait 30 e2e_program_gone || e2e_fail "the tray program still runs after taskkill"
  sessions=$(e2e_driver wts-sessions 2>&1)
  listed=$?
  echo "WTS calls as the service makes them:"
  echo "$sessions"
  if [ "$listed" -eq 0 ]; then
    e2e_wait 15 e2e_driver window-exists "$HG_TITLE" ||
      e2e_fail "a session is listed with its user's token, but no tray was started within 15 s"
  else
    grep -qx 'enumerate 1 error 0 count 0' <<<"$(tr -d '\r' <<<"$sessions")" ||
      e2e_fail "WTSEnumerateSessionsW answered otherwise than Wine 8 does: $sessions"
    echo "no session listed: the service has nowhere to start the tray"
    e2e__service_counts_down
    left_before=$(e2e__service_remaining)
    # Into a file: the tray started inherits the driver's output, and would
    # hold a pipe open for as long as it runs.
    e2e_driver wts-start "\"$HG_SERVICE_DIR_WIN\\hourgauge.exe\"" >"$HG_CASE_DIR/wts-start.out" 2>&1 ||
      e2e_fail "WTSQueryUserToken and CreateProcessAsUserW did not start the tray: $(tr '\n' ' ' <"$HG_CASE_DIR/wts-start.out")"
    cat "$HG_CASE_DIR/wts-start.out"
    e2e_driver wait-window "$HG_TITLE" 30 || e2e_fail "the tray started with the user's token shows no window"
  fi
  e2e_expect_eq "the service with the tray gone" "$(e2e__service_state)" RUNNING
  # The dead tray's icon stays in Wine's tray: the tooltip of the new one is
  # told from it by a change only the service knows.
  out=$(e2e_driver pipe-request settings limit=20 adjust=0 2>&1) || e2e_fail "settings through the pipe: $out"
  e2e_wait 20 eval '[[ "$(e2e__face_tip)" =~ ^LastTime\(\ (19|20)min\ \)$ ]]' ||
    e2e_fail "the tray started again does not show the service's time: '$(e2e__face_tip)', expected LastTime( 19min )"
  e2e__face_tip_is_the_services || e2e_fail "the tooltip is not the service's time"
  [ "$(e2e_driver list-windows | grep -cF " title=$HG_TITLE")" -eq 1 ] ||
    e2e_fail "more than one window titled $HG_TITLE"
  [ -z "$(e2e__autostart_entries)" ] || e2e_fail "the tray wrote an autostart entry"
}

# The setup installs the service and starts the tray as its face; the
# uninstall command in the tray, with the password, is carried out by the
# service, as the system: the program key, the autostart entry, the Safe
# Mode entries and the service are gone, the service's process ends, both
# exes are marked for deletion at the next start of Windows, and the tray
# says so and ends.
case_face_uninstall_through_the_service_removes_the_key_and_the_service() {
  local check caption message pending
  check=$(e2e_rc_caption IDD_PASSWORD_CHECK)
  caption=$(e2e_string IDS_UNINSTALL_CAPTION) || e2e_fail "no IDS_UNINSTALL_CAPTION in res/hourgauge.rc"
  message=$(e2e_string IDS_UNINSTALL_MESSAGE) || e2e_fail "no IDS_UNINSTALL_MESSAGE in res/hourgauge.rc"
  e2e__past_boot_grace
  # The key's security lives in the wineserver only: keep it for the case.
  wineserver -p 600 || e2e_fail "could not keep the wineserver"
  e2e_start_tray
  e2e__setup /S /LIMIT=600 /PASSWORD=pw || e2e_fail "the silent setup failed with exit code $?"
  e2e_wait 60 e2e__service_running || e2e_fail "the service did not run after the setup"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the setup did not start the tray program"
  e2e_reg_key_exists || e2e_fail "no program key after the setup"
  hg_reg_query "$HG_RUN_KEY" Hourgauge >/dev/null || e2e_fail "no autostart entry after the setup"
  [ -n "$(e2e__safeboot_entry Minimal)" ] || e2e_fail "no Safe Mode entry after the setup"

  e2e_expect "the uninstall command was not delivered" e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_UNINSTALL)"
  e2e_driver wait-dialog "$check" 30 || e2e_fail "no dialog '$check' for the uninstall command"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" pw
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no '$caption' box after the uninstall"
  e2e_expect_eq "message after the uninstall" "$(e2e_driver msgbox-text "$caption")" "$message"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$caption"
  e2e_driver wait-no-window "$HG_TITLE" 15 || e2e_fail "the tray program still runs after the uninstall"

  e2e_wait 30 e2e__service_absent || e2e_fail "the service is still there"
  e2e_wait 30 e2e__no_service_process || e2e_fail "the service's process still runs"
  e2e_reg_key_exists && e2e_fail "the program key is still there"
  hg_reg_query "$HG_RUN_KEY" Hourgauge >/dev/null && e2e_fail "the autostart entry is still there"
  e2e__safeboot_absent || e2e_fail "the Safe Mode entries are still there"
  pending=$(hg_reg_query 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations) ||
    e2e_fail "no file is marked for deletion at the restart"
  grep -qiF 'HourgaugeLite\hourgauge-service.exe' <<<"$pending" || e2e_fail "the service exe is not marked for deletion: $pending"
  grep -qiF 'HourgaugeLite\hourgauge.exe' <<<"$pending" || e2e_fail "the tray exe is not marked for deletion: $pending"
}
