# shellcheck shell=bash
# The setup with the service, its default: hourgauge-service.exe beside the
# tray program, the service HourgaugeLite created and started, its Safe
# Mode entries, the program key taken back and locked to SYSTEM and
# Administrators, the time zone the accounting day follows, the day rules
# stored in the locked key and no count on a fresh install; an upgrade that
# keeps every stored value, a folder outside Program Files refused, a key a
# child's account holds taken back, /NOSERVICE over it, and the uninstaller
# removing it all. Uses the helpers of 80-setup.sh.
#
# Wine runs the service manager and the service, starts auto-start services
# when a prefix starts, and reads back what the setup set; it does not keep
# failure actions (ChangeServiceConfig2W says TRUE for them and stores
# nothing, and refuses SERVICE_CONFIG_FAILURE_ACTIONS_FLAG with
# ERROR_INVALID_LEVEL): those are checked as calls made, in setup.log.
# Every access is granted to Wine's user, who is in both Administrators and
# Users, except where a DACL names neither: Wine does not let
# SeTakeOwnershipPrivilege open a key for WRITE_OWNER. A key's security
# lives in the wineserver only (a restarted prefix has Wine's default), and
# Wine ends the services when the last other process of the prefix ends:
# cases that need either keep the wineserver, or a window, meanwhile.

HG_SERVICE=HourgaugeLite
HG_SERVICE_EXE_WIN="$HG_SETUP_DIR_WIN\\hourgauge-service.exe"
HG_SAFEBOOT='HKLM\SYSTEM\CurrentControlSet\Control\SafeBoot'
# SYSTEM and Administrators only, protected from the parent key's entries,
# owned by Administrators: as set, and as Wine reads it back.
HG_SERVICE_KEY_SD='O:BAD:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)'
# An account of a child (any SID that is neither Wine's user nor a group of it).
HG_CHILD_SID='S-1-5-21-1-2-3-1001'

# One line of the driver's service-config, without its name: e.g. "start".
e2e__service_field() {
  e2e_driver service-config "$HG_SERVICE" 2>/dev/null | tr -d '\r' | sed -n "s/^$1 //p"
}

# The STATE word of `sc query`, e.g. RUNNING; 1 when there is no service.
e2e__sc_state() {
  local out
  out=$(hg_wine sc query "$HG_SERVICE" 2>/dev/null | tr -d '\r') || return 1
  [[ $out =~ STATE\ +:\ +[0-9]+\ +([A-Z_]+) ]] || return 1
  echo "${BASH_REMATCH[1]}"
}

e2e__service_running() {
  [ "$(e2e__sc_state)" = RUNNING ]
}

# The service manager knows no such service (the driver's query says 1).
e2e__service_absent() {
  e2e_driver service-config "$HG_SERVICE" >/dev/null 2>&1
  [ $? -eq 1 ]
}

# Linux processes of this prefix running the service's exe.
e2e__service_processes() {
  local pid
  for pid in $(pgrep -f 'hourgauge-service\.exe'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
  return 0
}

e2e__no_service_process() {
  [ -z "$(e2e__service_processes)" ]
}

# The Safe Mode entry of KIND (Minimal or Network): its default value's
# type, size and bytes as a program reads them.
e2e__safeboot_entry() {
  e2e_driver reg-bytes "$HG_SAFEBOOT\\$1\\$HG_SERVICE" "" 2>/dev/null | tr -d '\r'
}

# "Service" as REG_SZ with its terminator.
HG_SAFEBOOT_SERVICE="REG_SZ 8 $(printf 'Service\0' | od -An -tx1 | tr -d ' \n')"

e2e__safeboot_absent() {
  [ -z "$(e2e__safeboot_entry Minimal)" ] && [ -z "$(e2e__safeboot_entry Network)" ]
}

e2e__setup_log() {
  tr -d '\r' <"$(e2e__setup_path setup.log)"
}

e2e__log_has() {
  grep -qxF "$1" <(e2e__setup_log) || e2e_fail "setup.log has no line '$1'"
}

# The service's description: the English and the Japanese halves, as the
# language files define them.
e2e__service_description() {
  local en ja
  en=$(sed -n 's/^!define HG_SERVICE_DESCRIPTION_EN "\(.*\)"$/\1/p' "$HG_ROOT/setup/lang/English.nsh")
  ja=$(sed -n 's/^!define HG_SERVICE_DESCRIPTION_JA "\(.*\)"$/\1/p' "$HG_ROOT/setup/lang/Japanese.nsh")
  [ -n "$en" ] && [ -n "$ja" ] || return 1
  echo "$en / $ja"
}

# The setup run through a batch file, so that /D= reaches it unquoted, as
# NSIS wants it (blanks and all, last on the line). Its exit code.
e2e__setup_into() {
  local folder=$1
  shift
  cp "$HG_SETUP" "$WINEPREFIX/drive_c/hg-setup.exe" || return 99
  printf '@C:\\hg-setup.exe %s /D=%s\r\n@exit /b %%errorlevel%%\r\n' "$*" "$folder" \
    >"$WINEPREFIX/drive_c/hg-setup.bat"
  hg_wine cmd /c 'C:\hg-setup.bat' >>"$HG_CASE_DIR/setup.out" 2>&1
}

# Every check of an installed and configured service.
e2e__service_installed_as_described() {
  local description
  description=$(e2e__service_description) || e2e_fail "no service description in setup/lang"
  cmp -s "$(e2e__setup_path hourgauge-service.exe)" "$HG_SERVICE_EXE" ||
    e2e_fail "the installed service exe is not the one built"
  e2e_expect_eq "the service's type (own process)" "$(e2e__service_field type)" 0x10
  e2e_expect_eq "the service's start (automatic)" "$(e2e__service_field start)" 2
  e2e_expect_eq "the service's error control (normal)" "$(e2e__service_field error-control)" 1
  e2e_expect_eq "the service's image path (quoted)" "$(e2e__service_field path)" "\"$HG_SERVICE_EXE_WIN\""
  e2e_expect_eq "the service's account" "$(e2e__service_field account)" LocalSystem
  e2e_expect_eq "the service's display name" "$(e2e__service_field display)" HourgaugeLite
  e2e_expect_eq "the service's description" "$(e2e__service_field description)" "$description"
  e2e_expect_eq "Safe Mode (Minimal) entry" "$(e2e__safeboot_entry Minimal)" "$HG_SAFEBOOT_SERVICE"
  e2e_expect_eq "Safe Mode (Network) entry" "$(e2e__safeboot_entry Network)" "$HG_SAFEBOOT_SERVICE"
  e2e_expect_eq "owner and DACL of the program key" "$(e2e_driver reg-sd "$HG_KEY" | tr -d '\r')" "$HG_SERVICE_KEY_SD"
  # The restarts: Wine stores none, so the calls and their values are what
  # can be seen.
  e2e__log_has 'ChangeServiceConfig2W(SERVICE_CONFIG_DESCRIPTION) = 1'
  e2e__log_has 'ChangeServiceConfig2W(SERVICE_CONFIG_FAILURE_ACTIONS, reset 86400 s, 3 x restart after 5000 ms) = 1'
  grep -qE '^ChangeServiceConfig2W\(SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, TRUE\) = (1|0, GetLastError = 124)$' <(e2e__setup_log) ||
    e2e_fail "setup.log: the failure-actions flag was not asked for"
}

# The default silent setup: both exes, the service created as described,
# started and running, the tray program started beside it with its
# autostart entry, the key locked, the zone pinned to Windows' (Tokyo here).
case_setup_installs_and_starts_the_service() {
  # The key's security lives in the wineserver only: keep it for the case.
  wineserver -p 600 || e2e_fail "could not keep the wineserver"
  e2e__setup /S /LIMIT=600 /PASSWORD=pw /LIMITFRI=90 /BEDTIME=22:30 || e2e_fail "the silent setup failed with exit code $?"
  cp "$(e2e__setup_path setup.log)" "$HG_CASE_DIR/"
  cmp -s "$(e2e__setup_path hourgauge.exe)" "$HG_EXE" || e2e_fail "the installed tray program is not the one built"
  e2e_wait 60 e2e__service_running || e2e_fail "sc query shows the service $(e2e__sc_state || echo missing), not RUNNING"
  e2e__service_installed_as_described
  e2e_expect_eq "the service's state (SERVICE_RUNNING)" "$(e2e__service_field state)" 4
  [ -n "$(e2e__service_processes)" ] || e2e_fail "no process runs hourgauge-service.exe"
  e2e__log_has 'StartServiceW(HourgaugeLite) = 1'
  e2e__log_has 'AdjustTokenPrivileges(SeTakeOwnershipPrivilege) = 1, GetLastError = 0'
  e2e__log_has 'AdjustTokenPrivileges(SeRestorePrivilege) = 1, GetLastError = 0'
  e2e__log_has 'done'

  e2e_expect_eq "autostart value" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "\"$HG_EXE_WIN\""
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 600
  e2e_expect_eq "PASSWORD" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex pw)"
  e2e_expect_eq "TimeZone (the zone set now)" "$(e2e_reg TimeZone)" "Tokyo Standard Time"
  e2e_expect_eq "LimitTimeFri in the locked key" "$(e2e_reg LimitTimeFri)" 90
  e2e_expect_eq "Bedtime in the locked key" "$(e2e_reg Bedtime)" 22:30
  e2e__log_has 'HKLM\SOFTWARE\Hourgauge LimitTimeFri = "90"'
  e2e__log_has 'HKLM\SOFTWARE\Hourgauge Bedtime = "22:30"'
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the tray program did not start beside the service"
}

# /FOLLOWZONE stores an empty TimeZone (follow Windows' zone); a later
# silent setup without it keeps that choice, and /NOSTART leaves a service
# that was not running as it is: it starts with Windows.
case_setup_follows_windows_zone_when_asked() {
  wineserver -p 600 || e2e_fail "could not keep the wineserver"
  e2e__setup /S /NOSTART /FOLLOWZONE || e2e_fail "the silent setup failed with exit code $?"
  # Nothing asked for, nothing else stored: no count (LastDate, LastTime)
  # before the service's first start, which then gives today from that moment.
  e2e_expect_eq "the values of a fresh install" "$(e2e__value_names)" "TimeZone "
  # Read as the program reads it: an empty text is its terminator alone.
  e2e_expect_eq "TimeZone with /FOLLOWZONE" "$(e2e_driver reg-bytes "$HG_KEY" TimeZone | tr -d '\r')" "REG_SZ 1 00"
  e2e__log_has 'service start: skipped (/NOSTART); it starts with Windows'
  e2e_expect_eq "the service after /NOSTART" "$(e2e__sc_state)" STOPPED
  e2e__setup /S /NOSTART || e2e_fail "the second silent setup failed with exit code $?"
  e2e_expect_eq "TimeZone kept" "$(e2e_driver reg-bytes "$HG_KEY" TimeZone | tr -d '\r')" "REG_SZ 1 00"
  e2e__log_has 'HKLM\SOFTWARE\Hourgauge TimeZone kept: ""'
}

# A tray-only install of an earlier version gave Users full control, so a
# child's account may have made itself the key's owner. The setup takes the
# key back (owner first, then the DACL) and keeps the values. A key whose
# DACL then shuts out everyone but the child cannot be taken back under
# Wine (which grants WRITE_OWNER by the DACL only): the setup says so in its
# log and ends with exit code 3, here for a tray-only install.
case_setup_takes_the_program_key_back_from_a_child() {
  wineserver -p 600 || e2e_fail "could not keep the wineserver"
  e2e_set_reg LimitTime 30
  e2e_set_reg LastTime 1234
  e2e_expect "could not hand the key to the child" e2e_driver reg-set-sd "$HG_KEY" \
    "O:${HG_CHILD_SID}D:AI(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)(A;OICI;KA;;;BU)"
  e2e_expect_eq "owner before the setup" "$(e2e_driver reg-sd "$HG_KEY" | tr -d '\r' | sed 's/D:.*//')" "O:$HG_CHILD_SID"
  e2e__setup /S /NOSTART || e2e_fail "the setup over a child's key failed with exit code $?"
  e2e_expect_eq "owner and DACL after the setup" "$(e2e_driver reg-sd "$HG_KEY" | tr -d '\r')" "$HG_SERVICE_KEY_SD"
  e2e_expect_eq "LimitTime kept" "$(e2e_reg LimitTime)" 30
  e2e_expect_eq "LastTime kept" "$(e2e_reg LastTime)" 1234

  e2e_expect "could not lock the key" e2e_driver reg-set-sd "$HG_KEY" \
    "O:${HG_CHILD_SID}D:P(A;OICI;KA;;;$HG_CHILD_SID)"
  e2e__setup /S /NOSTART /NOSERVICE
  e2e_expect_eq "exit code when the key's rights cannot be set" "$?" 3
  cp "$(e2e__setup_path setup.log)" "$HG_CASE_DIR/"
  e2e__log_has 'RegCreateKeyExW(HKLM, "SOFTWARE\Hourgauge", KEY_WOW64_32KEY|WRITE_OWNER|READ_CONTROL) = 5'
  e2e__log_has "FAILED: the program key's owner and rights"
  e2e__log_has 'exit code 3'
  # What else the setup does is done: the program and its autostart entry.
  e2e_expect_eq "autostart value" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "\"$HG_EXE_WIN\""
}

# An upgrade from a tray-only install keeps every value the program stored,
# byte for byte, and adds the zone; the service installed with /NOSTART is
# left stopped, so nothing changes them meanwhile. An upgrade over the
# running service stops it before replacing the exes, starts it again (a
# new process) and keeps the settings.
case_setup_upgrade_keeps_the_values() {
  local name i before=() after
  local names=(LimitTime PASSWORD LastDate LastTime LastTimeAdjust AdjustTime StartTime EndTime DayTotal
    LimitTimeMon LimitTimeSat Bedtime)
  wineserver -p 600 || e2e_fail "could not keep the wineserver"
  # A signed-in session: without another program Wine ends the service.
  hg_wine_bg "$HG_CASE_DIR/keeper.log" "$HG_DRIVER" create-window "e2e session keeper" 115 ignore
  e2e_driver wait-window "e2e session keeper" 30 || e2e_fail "the keeper window did not appear"
  e2e__setup /S /NOSTART /NOSERVICE /LIMIT=45 /PASSWORD=pw || e2e_fail "the tray-only setup failed with exit code $?"
  e2e_set_reg LastDate 62735
  e2e_set_reg LastTime 2400
  e2e_set_reg LastTimeAdjust 300
  e2e_set_reg AdjustTime 90
  e2e_set_reg StartTime '12/07 08:00:00'
  e2e_set_reg EndTime '12/07 08:20:00'
  e2e_set_reg DayTotal '12/07 08:00:00 - 12/07 08:20:00 (20min)'
  e2e_set_reg LimitTimeMon 30
  e2e_set_reg LimitTimeSat 150
  e2e_set_reg Bedtime 21:00
  for name in "${names[@]}"; do
    before+=("$(e2e_driver reg-bytes "$HG_KEY" "$name")") || e2e_fail "no $name before the upgrade"
  done

  e2e__setup /S /NOSTART || e2e_fail "the upgrade failed with exit code $?"
  e2e_expect_eq "the service after an upgrade with /NOSTART" "$(e2e__sc_state)" STOPPED
  for i in "${!names[@]}"; do
    after=$(e2e_driver reg-bytes "$HG_KEY" "${names[$i]}")
    e2e_expect_eq "${names[$i]} after the upgrade" "$after" "${before[$i]}"
  done
  e2e_expect_eq "TimeZone added" "$(e2e_reg TimeZone)" "Tokyo Standard Time"

  e2e_expect "could not start the service" hg_wine sc start "$HG_SERVICE"
  e2e_wait 60 e2e__service_running || e2e_fail "the service did not run after sc start"
  local pid_before pid_after
  pid_before=$(e2e__service_field process)
  e2e__setup /S /NOSTART || e2e_fail "the upgrade over the service failed with exit code $?"
  cp "$(e2e__setup_path setup.log)" "$HG_CASE_DIR/"
  e2e__log_has 'stop service HourgaugeLite: ended'
  e2e__log_has 'StartServiceW(HourgaugeLite) = 1'
  grep -qxF 'service start: skipped (/NOSTART); it starts with Windows' <(e2e__setup_log) &&
    e2e_fail "a service the setup stopped was not started again"
  e2e_wait 60 e2e__service_running || e2e_fail "the service does not run after the upgrade"
  pid_after=$(e2e__service_field process)
  [ -n "$pid_after" ] && [ "$pid_after" != 0 ] && [ "$pid_after" != "$pid_before" ] ||
    e2e_fail "the service's process was not replaced: $pid_before, then $pid_after"
  e2e__service_installed_as_described
  e2e_expect_eq "LimitTime kept over the service" "$(e2e_reg LimitTime)" 45
  e2e_expect_eq "PASSWORD kept over the service" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex pw)"
}

# With the service the folder must lie inside Program Files: another /D is
# refused before anything changes (also one that leads out with "..");
# /NOSERVICE installs there as before, and a subfolder of Program Files is
# taken, the service's path with it.
case_setup_refuses_a_folder_outside_program_files() {
  local dir
  for dir in 'C:\Hourgauge' 'C:\Program Files (x86)\..\Hourgauge' 'C:\Program Files (x86)'; do
    e2e__setup_into "$dir" /S /NOSTART
    e2e_expect_eq "exit code for /D=$dir" "$?" 2
    [ ! -e "$(e2e_unix_path 'C:\Hourgauge')" ] || e2e_fail "/D=$dir: files were installed"
    e2e_reg_key_exists && e2e_fail "/D=$dir: the program key was made"
    e2e__service_absent || e2e_fail "/D=$dir: a service was created"
  done
  e2e__setup_into 'C:\Hourgauge' /S /NOSTART /NOSERVICE || e2e_fail "/NOSERVICE /D=C:\\Hourgauge failed with exit code $?"
  [ -f "$(e2e_unix_path 'C:\Hourgauge\hourgauge.exe')" ] || e2e_fail "/NOSERVICE did not install into C:\\Hourgauge"
  dir='C:\Program Files\Family\HourgaugeLite'
  e2e__setup_into "$dir" /S /NOSTART || e2e_fail "/D=$dir failed with exit code $?"
  [ -f "$(e2e_unix_path "$dir\\hourgauge-service.exe")" ] || e2e_fail "no service exe in $dir"
  e2e_expect_eq "the service's image path" "$(e2e__service_field path)" "\"$dir\\hourgauge-service.exe\""
}

# /NOSERVICE over a service installation: the tray program alone from then
# on, as today's tray-only install: no service, no Safe Mode entries, no
# service exe, Users reading and writing the key.
case_setup_noservice_over_the_service_removes_it() {
  wineserver -p 600 || e2e_fail "could not keep the wineserver"
  e2e__setup /S /LIMIT=600 || e2e_fail "the silent setup failed with exit code $?"
  e2e_wait 60 e2e__service_running || e2e_fail "the service did not run"
  e2e__setup /S /NOSERVICE /NOSTART || e2e_fail "the /NOSERVICE setup failed with exit code $?"
  cp "$(e2e__setup_path setup.log)" "$HG_CASE_DIR/"
  e2e__log_has 'stop service HourgaugeLite: ended'
  e2e__log_has 'DeleteService(HourgaugeLite) = 1'
  e2e_wait 30 e2e__service_absent || e2e_fail "the service is still there"
  e2e_wait 30 e2e__no_service_process || e2e_fail "the service's process still runs"
  e2e__safeboot_absent || e2e_fail "the Safe Mode entries are still there"
  [ ! -e "$(e2e__setup_path hourgauge-service.exe)" ] || e2e_fail "the service exe is still there"
  e2e_expect_eq "owner and DACL of the program key" "$(e2e_driver reg-sd "$HG_KEY" | tr -d '\r')" "$HG_SETUP_SD_READ"
  e2e_expect_eq "LimitTime kept" "$(e2e_reg LimitTime)" 600
}

# The uninstaller, with the password, stops and deletes the service and
# removes the Safe Mode entries, then everything it removed before; as
# Windows' installed-apps list runs it (it copies itself away and returns
# at once), so the case waits for its work.
case_setup_uninstall_removes_the_service() {
  e2e__setup /S /LIMIT=600 /PASSWORD=pw || e2e_fail "the silent setup failed with exit code $?"
  e2e_wait 60 e2e__service_running || e2e_fail "the service did not run"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the tray program did not start"

  e2e__uninstall_in_place /S /PASSWORD=pW
  e2e_expect_eq "exit code of the uninstall with a wrong password" "$?" 2
  e2e__service_running || e2e_fail "a refused uninstall stopped the service"

  hg_wine "$(e2e__setup_path uninstall.exe)" /S /PASSWORD=pw >>"$HG_CASE_DIR/setup.out" 2>&1 ||
    e2e_fail "the uninstaller did not start"
  e2e_wait 90 e2e__service_absent || e2e_fail "the uninstaller left the service"
  e2e_wait 30 e2e__no_service_process || e2e_fail "the service's process still runs"
  e2e__safeboot_absent || e2e_fail "the uninstaller left the Safe Mode entries"
  e2e_wait 60 e2e__setup_removed || {
    ls -R "$(e2e_unix_path "$HG_SETUP_DIR_WIN")" >"$HG_CASE_DIR/left.txt" 2>&1
    e2e_fail "the uninstall left something behind (left.txt)"
  }
  e2e_driver wait-no-window "$HG_TITLE" 30 || e2e_fail "the tray program still runs"
}
