# shellcheck shell=bash
# The setup program (build/setup/hourgauge-setup-<version>.exe, $HG_SETUP) as
# a family scripts it, installing the tray program alone (/NOSERVICE, as
# every version before the service did; 82-setup-service.sh has the
# service): silent install with a limit and a password, what it leaves on
# the PC, the program taking that password, the start at the end, the
# uninstaller refusing a wrong password and removing everything with the
# right one. Wine has no UAC: the rights and the virtualization flags the
# setup gives the program key are checked as calls made (its log, and the
# key's owner and DACL while the wineserver keeps them), not as Windows
# enforcing them.

HG_SETUP_DIR_WIN='C:\Program Files (x86)\HourgaugeLite'
HG_UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\HourgaugeLite'
# SYSTEM and Administrators with full control, Users reading and writing
# values only, explicitly (the call that sets it does not merge the parent's
# entries), not protected; owned by Administrators.
HG_SETUP_SDDL='D:AI(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)(A;OICI;KRKW;;;BU)'
# The same as Wine reads it back: KR|KW (0x2001F) written as its rights,
# CC DC LC SW RP RC (query and set values, create and list subkeys, notify,
# read control); no DELETE (SD), WRITE_DAC (WD) or WRITE_OWNER (WO).
HG_SETUP_SD_READ='O:BAD:AI(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)(A;OICI;CCDCLCSWRPRC;;;BU)'

# The setup program with ARGS; its exit code.
e2e__setup() {
  hg_wine "$HG_SETUP" "$@" >>"$HG_CASE_DIR/setup.out" 2>&1
}

e2e__setup_path() {
  e2e_unix_path "$HG_SETUP_DIR_WIN\\$1"
}

# The uninstaller run in place (NSIS's _?=), so that its exit code is its
# own; it cannot remove itself then. A batch file passes the folder, blanks
# and all, unquoted as the uninstaller wants it.
e2e__uninstall_in_place() {
  printf '@"%s\\uninstall.exe" %%* _?=%s\r\n@exit /b %%errorlevel%%\r\n' \
    "$HG_SETUP_DIR_WIN" "$HG_SETUP_DIR_WIN" >"$WINEPREFIX/drive_c/hg-uninstall.bat"
  hg_wine cmd /c 'C:\hg-uninstall.bat' "$@" >>"$HG_CASE_DIR/setup.out" 2>&1
}

# The text the program stores for a password, as hex: each byte of its code
# page 932 text (one for an ASCII character, two for a Japanese one) XORed
# with the program's own scramble key.
e2e__scrambled_hex() {
  local key byte out=
  key=$(sed -n 's/.*kScrambleKey = \(0x[0-9A-Fa-f]*\);.*/\1/p' "$HG_ROOT/commands/Scramble.h")
  [ -n "$key" ] || return 1
  printf '%s' "$1" | iconv -f UTF-8 -t CP932 >/dev/null 2>&1 || return 1
  for byte in $(printf '%s' "$1" | iconv -f UTF-8 -t CP932 | od -An -v -tu1); do
    out+=$(printf '%02x' $((byte ^ key)))
  done
  echo "$out"
}

# PASSWORD's data as the program reads it, terminator dropped, as hex.
e2e__stored_password_hex() {
  local bytes
  bytes=$(e2e_driver reg-bytes "$HG_KEY" PASSWORD) || return 1
  [[ $bytes =~ ^REG_SZ\ [0-9]+\ ([0-9a-f]*)$ ]] || return 1
  echo "${BASH_REMATCH[1]%00}"
}

# Everything the setup puts on the PC is there.
e2e__setup_installed() {
  [ -f "$(e2e__setup_path hourgauge.exe)" ] && [ -f "$(e2e__setup_path uninstall.exe)" ] &&
    e2e_reg_key_exists && hg_reg_query "$HG_RUN_KEY" Hourgauge >/dev/null &&
    hg_reg_query "$HG_UNINSTALL_KEY" UninstallString >/dev/null
}

# Nothing the setup put on the PC is left.
e2e__setup_removed() {
  [ ! -e "$(e2e_unix_path "$HG_SETUP_DIR_WIN")" ] && ! e2e_reg_key_exists &&
    ! hg_reg_query "$HG_RUN_KEY" Hourgauge >/dev/null &&
    ! hg_wine reg query "$HG_UNINSTALL_KEY" /reg:32 >/dev/null 2>&1
}

# The program asks for the password at its exit command: a wrong one gets
# its error box and the dialog stays, the right one ends the program.
e2e__program_takes_password() {
  local right=$1 wrong=$2 check error_caption
  check=$(e2e_rc_caption IDD_PASSWORD_CHECK)
  error_caption=$(e2e_string IDS_PASSWORD_ERROR_CAPTION) || e2e_fail "no IDS_PASSWORD_ERROR_CAPTION in res/hourgauge.rc"
  e2e_expect "the exit command was not delivered" e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_QUIT)"
  e2e_driver wait-dialog "$check" 30 || e2e_fail "no dialog captioned '$check': the program saw no password"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" "$wrong"
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-dialog "$error_caption" 30 || e2e_fail "the program took the wrong password '$wrong'"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$error_caption"
  e2e_driver wait-no-window "$error_caption" 30 || e2e_fail "the '$error_caption' box stayed"
  e2e_driver window-exists "$HG_TITLE" || e2e_fail "the program ended on a wrong password"
  e2e_expect "could not type" e2e_driver dialog-set-text "$check" "$(e2e_id IDC_PASSWORD)" "$right"
  e2e_expect "could not press OK" e2e_driver dialog-click "$check" 1
  e2e_driver wait-no-window "$HG_TITLE" 15 ||
    e2e_fail "the program did not take the password '$right' set by the setup"
}

# A silent install with a limit and a password: the files, the quoted
# autostart entry, LimitTime and PASSWORD as the program stores them, the
# uninstall entry, the program key's DACL and the log of the calls that made
# it. Then the installed program counts from that limit and takes that
# password (and refuses another).
case_setup_installs_silently_with_limit_and_password() {
  local version log left password_hex
  e2e_avoid_midnight
  version=$(sed -n 's/^#define HG_VERSION_STRING "\(.*\)"$/\1/p' "$HG_ROOT/res/version.h")
  # The key's security lives in the wineserver only: keep it for the case.
  wineserver -p 600 || e2e_fail "could not keep the wineserver"

  e2e__setup /S /LIMIT=90 '/PASSWORD=Ab3 x' /NOSTART /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  cmp -s "$(e2e__setup_path hourgauge.exe)" "$HG_EXE" || e2e_fail "the installed exe is not the one built"
  [ -f "$(e2e__setup_path uninstall.exe)" ] || e2e_fail "no uninstall.exe"
  [ ! -e "$(e2e__setup_path hourgauge-service.exe)" ] || e2e_fail "the service's exe was installed with /NOSERVICE"
  e2e_driver service-config HourgaugeLite >/dev/null 2>&1
  e2e_expect_eq "the service's query with /NOSERVICE (1: no such service)" "$?" 1
  e2e_reg_exists TimeZone && e2e_fail "TimeZone written without the service"
  e2e_expect_eq "autostart value" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "\"$HG_EXE_WIN\""
  e2e_expect_eq "type of LimitTime" "$(e2e_reg_type LimitTime)" REG_SZ
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 90
  password_hex=$(e2e__stored_password_hex) || e2e_fail "no PASSWORD of type REG_SZ"
  e2e_expect_eq "PASSWORD's bytes" "$password_hex" "$(e2e__scrambled_hex 'Ab3 x')"

  e2e_expect_eq "DisplayName" "$(hg_reg_query "$HG_UNINSTALL_KEY" DisplayName)" HourgaugeLite
  e2e_expect_eq "DisplayVersion" "$(hg_reg_query "$HG_UNINSTALL_KEY" DisplayVersion)" "$version"
  [ -n "$(hg_reg_query "$HG_UNINSTALL_KEY" Publisher)" ] || e2e_fail "no Publisher"
  e2e_expect_eq "UninstallString" "$(hg_reg_query "$HG_UNINSTALL_KEY" UninstallString)" \
    "\"$HG_SETUP_DIR_WIN\\uninstall.exe\""
  e2e_expect_eq "QuietUninstallString" "$(hg_reg_query "$HG_UNINSTALL_KEY" QuietUninstallString)" \
    "\"$HG_SETUP_DIR_WIN\\uninstall.exe\" /S"
  e2e_expect_eq "InstallLocation" "$(hg_reg_query "$HG_UNINSTALL_KEY" InstallLocation)" "$HG_SETUP_DIR_WIN"
  e2e_expect_eq "DisplayIcon" "$(hg_reg_query "$HG_UNINSTALL_KEY" DisplayIcon)" "$HG_EXE_WIN,0"
  e2e_expect_eq "NoModify" "$(hg_reg_query "$HG_UNINSTALL_KEY" NoModify)" 0x1
  e2e_expect_eq "NoRepair" "$(hg_reg_query "$HG_UNINSTALL_KEY" NoRepair)" 0x1
  e2e_expect_eq "type of EstimatedSize" "$(hg_reg_type "$HG_UNINSTALL_KEY" EstimatedSize)" REG_DWORD
  [ $(($(hg_reg_query "$HG_UNINSTALL_KEY" EstimatedSize))) -ge \
    $(($(stat -c %s "$HG_EXE") / 1024)) ] || e2e_fail "EstimatedSize is smaller than the exe"

  e2e_expect_eq "owner and DACL of the program key" "$(e2e_driver reg-sd "$HG_KEY" | tr -d '\r')" "$HG_SETUP_SD_READ"
  log=$(e2e__setup_path setup.log)
  [ -f "$log" ] || e2e_fail "no setup.log"
  cp "$log" "$HG_CASE_DIR/"
  grep -qxF "ConvertStringSecurityDescriptorToSecurityDescriptorW(\"$HG_SETUP_SDDL\", SDDL_REVISION_1) = 1" <(tr -d '\r' <"$log") ||
    e2e_fail "setup.log: the SDDL was not converted"
  grep -qxF 'RegCreateKeyExW(HKLM, "SOFTWARE\Hourgauge", KEY_WOW64_32KEY|WRITE_DAC|READ_CONTROL) = 0' <(tr -d '\r' <"$log") ||
    e2e_fail "setup.log: the program key was not opened for its DACL"
  grep -qxF 'RegSetKeySecurity(OWNER_SECURITY_INFORMATION) = 0' <(tr -d '\r' <"$log") ||
    e2e_fail "setup.log: the owner was not set"
  grep -qxF 'RegSetKeySecurity(DACL_SECURITY_INFORMATION) = 0' <(tr -d '\r' <"$log") ||
    e2e_fail "setup.log: RegSetKeySecurity did not succeed"
  # Wine's reg.exe has no "flags": the command fails there, the setup goes on.
  grep -qE '^reg flags HKLM\\SOFTWARE\\Hourgauge SET DONT_VIRTUALIZE DONT_SILENT_FAIL /reg:32 = [0-9]+' <(tr -d '\r' <"$log") ||
    e2e_fail "setup.log: reg flags was not run"
  grep -qxF 'start: skipped (/NOSTART)' <(tr -d '\r' <"$log") || e2e_fail "setup.log: /NOSTART not taken"
  e2e_driver window-exists "$HG_TITLE" && e2e_fail "the program runs although /NOSTART was given"

  e2e_start_exe "$HG_EXE_WIN"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the installed program shows no window"
  e2e_wait 30 e2e_reg_exists LastTime || e2e_fail "LastTime not written within 30 s of the start"
  left=$(e2e_reg LastTime)
  [[ $left =~ ^[0-9]+$ ]] && [ "$left" -le 5400 ] && [ "$left" -gt 5000 ] ||
    e2e_fail "LastTime: got '$left', expected a little less than 90 minutes"
  e2e_expect_eq "autostart value once the program runs" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "\"$HG_EXE_WIN\""
  e2e__program_takes_password 'Ab3 x' 'ab3 x'
}

# Without /NOSTART the setup starts the program at its end (through
# Explorer). A second setup over a running program closes it first, keeps
# the limit and password already stored when given none, and starts the new
# copy again.
case_setup_starts_the_program_and_reinstalls_over_it() {
  local log
  e2e__setup /S /LIMIT=45 /PASSWORD=pw /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the program did not start after the setup"
  grep -qF 'start: ' <(tr -d '\r' <"$(e2e__setup_path setup.log)") || e2e_fail "setup.log: no start"
  e2e_wait 30 e2e_reg_exists LastTime || e2e_fail "the started program writes no LastTime"

  e2e__setup /S /NOSERVICE || e2e_fail "the second silent setup failed with exit code $?"
  log=$(e2e__setup_path setup.log)
  cp "$log" "$HG_CASE_DIR/"
  grep -qxF 'closed running copies: 1' <(tr -d '\r' <"$log") || e2e_fail "setup.log: the running program was not closed"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the program did not start after the second setup"
  e2e_expect_eq "LimitTime kept" "$(e2e_reg LimitTime)" 45
  e2e_expect_eq "PASSWORD kept" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex pw)"
  e2e__program_takes_password pw pW
}

# A line of the log $1 matches the extended regular expression $2 (case
# ignored: Windows' own folders are named in either case).
e2e__log_matches() {
  grep -qiE "$2" <(tr -d '\r' <"$1")
}

# The classes of the top-level windows titled $HG_TITLE, one a line, sorted.
e2e__classes_titled() {
  e2e_driver list-windows 2>/dev/null | tr -d '\r' |
    sed -n "s/^0x[0-9a-f]* pid=[0-9]* visible=[01] class=\(.*\) title=$HG_TITLE\$/\1/p" | sort
}

e2e__titled_window_of_class() {
  grep -qxF "$1" <(e2e__classes_titled)
}

# Other programs' windows titled as the program's: Explorer open on the
# install folder (Wine's, like Windows', is titled with the folder's name)
# and a program of another folder whose exe is named hourgauge.exe too. A
# new setup closes the installed program's copy, told by its process's image
# path (read with SeDebugPrivilege enabled), and sends them nothing: they
# stay open, and the other program's window logged no command.
case_setup_closes_only_its_own_program() {
  local other log
  e2e__setup /S /NOSTART /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  e2e_start_exe "$HG_EXE_WIN"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the installed program shows no window"
  hg_wine_bg "$HG_CASE_DIR/explorer.log" explorer "$HG_SETUP_DIR_WIN"
  other=$(e2e_unix_path 'C:\Other')
  mkdir -p "$other" && cp "$HG_DRIVER" "$other/hourgauge.exe" || e2e_fail "could not copy the other program"
  hg_wine_bg "$HG_CASE_DIR/other.out" "$other/hourgauge.exe" create-window "$HG_TITLE" 110 close \
    "$(e2e_wine_path_of_case other.log)"
  e2e_wait 60 e2e__titled_window_of_class ExplorerWClass || e2e_fail "no Explorer window titled $HG_TITLE"
  e2e_wait 30 e2e__titled_window_of_class HgDriverCompanion || e2e_fail "the other program shows no window"
  e2e__classes_titled >"$HG_CASE_DIR/titled-before.txt"
  e2e_expect_eq "windows titled $HG_TITLE before the setup" "$(wc -l <"$HG_CASE_DIR/titled-before.txt")" 3

  e2e__setup /S /NOSTART /NOSERVICE || e2e_fail "the setup over the running program failed with exit code $?"
  log=$(e2e__setup_path setup.log)
  cp "$log" "$HG_CASE_DIR/"
  e2e_wait 30 e2e_program_gone || e2e_fail "the setup did not close the installed program"
  grep -qxF 'closed running copies: 1' <(tr -d '\r' <"$log") || e2e_fail "setup.log: the program was not closed once"
  grep -qxF 'copies in other sessions ended by force: 0' <(tr -d '\r' <"$log") ||
    e2e_fail "setup.log: a copy was ended by force"
  # The program may run in another account than the setup's.
  e2e__log_has 'AdjustTokenPrivileges(SeDebugPrivilege) = 1, GetLastError = 0'
  e2e__log_matches "$log" '^window [0-9]+: process [0-9]+, C:\\Program Files \(x86\)\\HourgaugeLite\\hourgauge\.exe: the program$' ||
    e2e_fail "setup.log: the program's window was not told by its image path"
  e2e__log_matches "$log" '^window [0-9]+: process [0-9]+, C:\\windows\\[a-z0-9]+\\explorer\.exe: another program.s, left alone$' ||
    e2e_fail "setup.log: Explorer's window was not left alone"
  e2e__log_matches "$log" '^window [0-9]+: process [0-9]+, C:\\Other\\hourgauge\.exe: another program.s, left alone$' ||
    e2e_fail "setup.log: the other program's window was not left alone"
  e2e__titled_window_of_class ExplorerWClass || e2e_fail "the Explorer window is gone"
  e2e__titled_window_of_class HgDriverCompanion || e2e_fail "the other program's window is gone"
  [ ! -s "$HG_CASE_DIR/other.log" ] || e2e_fail "the other program's window was sent: $(tr '\n' ' ' <"$HG_CASE_DIR/other.log")"
  cmp -s "$(e2e__setup_path hourgauge.exe)" "$HG_EXE" || e2e_fail "the exe was not replaced"
}

# Options the program could not use stop the setup before it changes
# anything, with exit code 2.
case_setup_refuses_bad_options() {
  local args rc
  local snapshot
  for args in /LIMIT=abc /LIMIT=090 /LIMIT=-5 /LIMIT=35791395 /PASSWORD=123456789 '/PASSWORD=あ' /PASSWORD= \
    /LIMITMON=abc /LIMITTUE=090 /LIMITFRI=35791395 /LIMITSAT=-1 \
    /BEDTIME=24:00 /BEDTIME=7:60 /BEDTIME=0730 /BEDTIME=7.30 /BEDTIME=123:4 /BEDTIME=-1:00; do
    e2e__setup /S "$args" /NOSTART
    rc=$?
    e2e_expect_eq "exit code for $args" "$rc" 2
    [ ! -e "$(e2e_unix_path "$HG_SETUP_DIR_WIN")" ] || e2e_fail "$args: the setup installed files"
    e2e_reg_key_exists && e2e_fail "$args: the setup made the program key"
  done
  e2e__setup /S /LIMIT=0 /PASSWORD=12345678 /NOSTART /NOSERVICE || e2e_fail "the limit 0 and a password of 8 characters were refused"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 0
  e2e_expect_eq "PASSWORD" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex 12345678)"
  # Over an installation: a refused option changes no value, also where
  # the options before it were good ones.
  snapshot=$(e2e_reg_snapshot)
  [ -n "$snapshot" ] || e2e_fail "no values to compare"
  for args in '/LIMIT=30 /BEDTIME=25:00' '/LIMITSUN=20 /LIMITWED=1x' '/BEDTIME=21:00 /LIMITTHU=0045'; do
    # shellcheck disable=SC2086 # two options a line
    e2e__setup /S $args /NOSTART /NOSERVICE
    e2e_expect_eq "exit code for $args over an installation" "$?" 2
    e2e_expect_eq "the program key after $args" "$(e2e_reg_snapshot)" "$snapshot"
  done
}

# The names of the program key's values, sorted, on one line.
e2e__value_names() {
  e2e_reg_snapshot | cut -f1 | LC_ALL=C sort | tr '\n' ' '
}

# The day rules by option: weekdays' own limits and the bedtime stored as
# the program reads them (H:MM with its leading zero), and nothing else: a
# fresh install stores no count (LastDate, LastTime, LastTimeAdjust), so the
# program's first start gives today's allowance from that moment. A later
# setup changes only the values it names: an empty option clears one, the
# rest stay as stored, a weekday the program's dialog set included.
case_setup_stores_weekday_limits_and_bedtime() {
  e2e__setup /S /NOSTART /NOSERVICE /LIMIT=60 /LIMITSAT=120 /LIMITSUN=0 /BEDTIME=7:30 /PASSWORD=pw ||
    e2e_fail "the silent setup failed with exit code $?"
  e2e_expect_eq "the values a fresh install stores" "$(e2e__value_names)" \
    "Bedtime LimitTime LimitTimeSat LimitTimeSun PASSWORD "
  e2e_expect_eq "LimitTimeSat" "$(e2e_reg LimitTimeSat)" 120
  e2e_expect_eq "LimitTimeSun" "$(e2e_reg LimitTimeSun)" 0
  e2e_expect_eq "type of LimitTimeSun" "$(e2e_reg_type LimitTimeSun)" REG_SZ
  e2e_expect_eq "Bedtime" "$(e2e_reg Bedtime)" 07:30
  e2e_expect_eq "type of Bedtime" "$(e2e_reg_type Bedtime)" REG_SZ

  e2e_set_reg LimitTimeWed 45
  e2e__setup /S /NOSTART /NOSERVICE /LIMITSAT= /BEDTIME=21:05 /LIMITMON=30 ||
    e2e_fail "the second silent setup failed with exit code $?"
  e2e_expect_eq "LimitTimeSat cleared" "$(e2e_driver reg-bytes "$HG_KEY" LimitTimeSat | tr -d '\r')" "REG_SZ 1 00"
  e2e_expect_eq "Bedtime" "$(e2e_reg Bedtime)" 21:05
  e2e_expect_eq "LimitTimeMon" "$(e2e_reg LimitTimeMon)" 30
  e2e_expect_eq "LimitTimeSun kept" "$(e2e_reg LimitTimeSun)" 0
  e2e_expect_eq "LimitTimeWed kept" "$(e2e_reg LimitTimeWed)" 45
  e2e_expect_eq "LimitTime kept" "$(e2e_reg LimitTime)" 60
  e2e_expect_eq "the values after the second setup" "$(e2e__value_names)" \
    "Bedtime LimitTime LimitTimeMon LimitTimeSat LimitTimeSun LimitTimeWed PASSWORD "

  e2e__setup /S /NOSTART /NOSERVICE /BEDTIME= || e2e_fail "the third silent setup failed with exit code $?"
  e2e_expect_eq "Bedtime cleared" "$(e2e_driver reg-bytes "$HG_KEY" Bedtime | tr -d '\r')" "REG_SZ 1 00"
  e2e_expect_eq "LimitTimeMon kept" "$(e2e_reg LimitTimeMon)" 30
}

# The uninstaller asks for the program's password: a wrong one, or none,
# ends it with exit code 2 and everything stays, the program still running.
# The right one closes the program and removes the files, the program key,
# the autostart entry and the uninstall entry.
case_setup_uninstall_needs_the_password() {
  # A slash and a blank: the value must be quoted, as the setup's help says.
  e2e__setup /S /LIMIT=30 '/PASSWORD=my p/w' /NOSTART /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  e2e_expect_eq "PASSWORD" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex 'my p/w')"
  e2e_start_exe "$HG_EXE_WIN"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the installed program shows no window"
  e2e_wait 30 e2e_reg_exists LastTime || e2e_fail "LastTime not written within 30 s of the start"

  e2e__uninstall_in_place /S '/PASSWORD="My p/w"'
  e2e_expect_eq "exit code of the uninstall with a wrong password" "$?" 2
  e2e__setup_installed || e2e_fail "a wrong password removed something"
  e2e_expect_eq "PASSWORD after a refused uninstall" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex 'my p/w')"
  e2e__uninstall_in_place /S
  e2e_expect_eq "exit code of the uninstall without a password" "$?" 2
  e2e__setup_installed || e2e_fail "an uninstall without the password removed something"
  e2e_program_alive || e2e_fail "a refused uninstall ended the program"

  # As Windows' installed-apps list runs it: the uninstaller copies itself
  # away and returns at once, so the case waits for its work.
  hg_wine "$(e2e__setup_path uninstall.exe)" /S '/PASSWORD=my p/w' >>"$HG_CASE_DIR/setup.out" 2>&1 ||
    e2e_fail "the uninstaller did not start"
  e2e_wait 60 e2e_program_gone || e2e_fail "the uninstaller did not close the running program"
  e2e_wait 60 e2e__setup_removed || {
    ls -R "$(e2e_unix_path "$HG_SETUP_DIR_WIN")" >"$HG_CASE_DIR/left.txt" 2>&1
    e2e_fail "the uninstall left something behind (left.txt)"
  }
}

# A password a parent set in the program with Japanese characters, stored
# as the program keeps every text: code page 932 bytes (two a character
# here), scrambled. The uninstaller compares those bytes: it refuses other
# passwords given as /PASSWORD= (one character off, one short, one more,
# the half-width forms), refuses a wrong one typed on its page and leads on
# with the right one, and removes everything with the right one given as
# /PASSWORD=.
case_setup_uninstall_takes_a_japanese_password() {
  local change right='あいう' wrong rc title='HourgaugeLite アンインストール' message
  change=$(e2e_rc_caption IDD_PASSWORD_CHANGE)
  message=$(e2e__setup_text HG_UN_PASSWORD_WRONG JAPANESE Japanese)
  [ -n "$message" ] || e2e_fail "no HG_UN_PASSWORD_WRONG in setup/lang/Japanese.nsh"
  e2e__setup /S /NOSTART /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  e2e_start_exe "$HG_EXE_WIN"
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "the installed program shows no window"
  e2e_expect "the password command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_CHANGE_PASSWORD)"
  e2e_driver wait-dialog "$change" 30 || e2e_fail "no dialog captioned '$change'"
  e2e_expect "could not type" e2e_driver dialog-set-text "$change" "$(e2e_id IDC_NEW_PASSWORD)" "$right"
  e2e_expect "could not type" e2e_driver dialog-set-text "$change" "$(e2e_id IDC_CONFIRM_PASSWORD)" "$right"
  e2e_expect "could not press OK" e2e_driver dialog-click "$change" 1
  e2e_driver wait-no-window "$change" 30 || e2e_fail "the program did not take the password '$right'"
  e2e_wait 30 e2e_reg_exists PASSWORD || e2e_fail "PASSWORD not stored"
  e2e_expect_eq "PASSWORD's bytes" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex "$right")"

  for wrong in 'あいえ' 'あい' 'あいうえ' 'ｱｲｳ'; do
    e2e__uninstall_in_place /S "/PASSWORD=$wrong"
    rc=$?
    e2e_expect_eq "exit code of the uninstall with the password '$wrong'" "$rc" 2
  done
  e2e__setup_installed || e2e_fail "a wrong password removed something"
  e2e_program_alive || e2e_fail "a refused uninstall ended the program"

  # The page: the uninstaller copies itself away and runs from there.
  hg_wine_bg "$HG_CASE_DIR/uninstall-gui.log" "$(e2e__setup_path uninstall.exe)"
  e2e_driver wait-dialog "$title" 60 || e2e_fail "no wizard captioned '$title'"
  e2e_wait 15 e2e_driver dialog-get-text "$title" 1201 >/dev/null || e2e_fail "no password page"
  e2e_expect "could not type" e2e_driver dialog-set-text "$title" 1201 'あいえ'
  e2e_expect "could not press Next" e2e_driver dialog-click "$title" 1
  e2e_wait 15 eval '[ "$(e2e_driver msgbox-text "$title" 2>/dev/null)" = "$message" ]' ||
    e2e_fail "no message for a wrong password on the page"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$title"
  e2e_expect "could not type" e2e_driver dialog-set-text "$title" 1201 "$right"
  e2e_expect "could not press Next" e2e_driver dialog-click "$title" 1
  # The confirmation page, which names the folder, ended by a backslash
  # (a box for a wrong password would carry the same title, without that
  # field).
  e2e_wait 15 eval '[ "$(e2e__wizard dialog-get-text "$title" 1000 2>/dev/null)" = "$HG_SETUP_DIR_WIN\\" ]' ||
    e2e_fail "the page did not take the password '$right'"
  e2e_expect "could not press Cancel" e2e__wizard dialog-click "$title" 2
  e2e_wait 30 eval '! e2e_driver window-exists "$title" && ! e2e_driver window-exists "$title "' ||
    e2e_fail "the uninstall wizard did not close on Cancel"
  e2e__setup_installed || e2e_fail "the cancelled uninstall removed something"

  e2e__uninstall_in_place /S "/PASSWORD=$right" || e2e_fail "the uninstall with the password '$right' failed with exit code $?"
  e2e_wait 30 e2e_program_gone || e2e_fail "the uninstaller did not close the program"
  [ ! -e "$(e2e__setup_path hourgauge.exe)" ] || e2e_fail "the exe is still there"
  e2e_reg_key_exists && e2e_fail "the program key is still there"
  true
}

# Copies of the program key that registry virtualization made for accounts
# before the key was shared (Wine makes none: the case plants them where
# Windows keeps them, in signed-in accounts' HKU\<SID>_Classes\VirtualStore).
# The setup and the uninstaller remove them, and nothing else there.
case_setup_removes_per_account_copies() {
  local sid copies copy other
  sid='HKU\S-1-5-21-0-0-0-1000_Classes\VirtualStore\MACHINE\SOFTWARE'
  copies=("$sid\WOW6432Node\Hourgauge" 'HKU\S-1-5-21-1-2-3-1001_Classes\VirtualStore\MACHINE\SOFTWARE\Hourgauge')
  other="$sid\WOW6432Node\SomethingElse"
  for copy in "${copies[@]}" "$other"; do
    hg_reg_add "$copy" LimitTime REG_SZ 5 || e2e_fail "could not plant $copy"
  done
  e2e__setup /S /NOSTART /LIMIT=70 /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  for copy in "${copies[@]}"; do
    hg_reg_query "$copy" LimitTime >/dev/null && e2e_fail "the setup left the per-account copy $copy"
    grep -qxF "removed the per-account copy $copy" <(tr -d '\r' <"$(e2e__setup_path setup.log)") ||
      e2e_fail "setup.log does not tell the removal of $copy"
  done
  e2e_expect_eq "an unrelated key beside the copies" "$(hg_reg_query "$other" LimitTime)" 5
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 70

  hg_reg_add "${copies[0]}" LimitTime REG_SZ 5 || e2e_fail "could not plant ${copies[0]}"
  e2e__uninstall_in_place /S || e2e_fail "the uninstall failed with exit code $?"
  hg_reg_query "${copies[0]}" LimitTime >/dev/null && e2e_fail "the uninstaller left the per-account copy"
  e2e_expect_eq "an unrelated key beside the copies" "$(hg_reg_query "$other" LimitTime)" 5
}

# A profile's classes hive with the keys given (each holding LimitTime 5),
# in the text form Wine keeps hives in: Wine loads no other (Windows'
# binary UsrClass.dat it refuses as not a registry file).
e2e__write_hive() {
  local file=$1 key
  shift
  mkdir -p "$(dirname "$file")" || return 1
  {
    printf 'WINE REGISTRY Version 2\n'
    for key in "$@"; do
      printf '\n[%s] 1796682456\n"LimitTime"="5"\n' "${key//\\/\\\\}"
    done
  } >"$file"
}

# A profile as Windows lists it: HKLM\...\ProfileList\SID, ProfileImagePath
# FOLDER (REG_EXPAND_SZ, in the system's own view).
e2e__add_profile() {
  hg_wine reg add "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\$1" \
    /v ProfileImagePath /t REG_EXPAND_SZ /d "$2" /f /reg:64 >/dev/null 2>&1
}

HG_CLASSES_HIVE_WIN='AppData\Local\Microsoft\Windows\UsrClass.dat'

# The keys under HKU, one a line.
e2e__hku_keys() {
  hg_wine reg query HKU 2>/dev/null | tr -d '\r' | sed -n 's/^HKEY_USERS\\//p'
}

# Per-account copies in the hives of accounts not signed in: the setup finds
# every profile Windows lists and, where the account's classes hive is not
# loaded, loads its UsrClass.dat for the moment, removes the copies and
# unloads it again, every step in setup.log. Passed over, and said so: a
# hive in use (held open by another program, as Windows holds a signed-in
# account's), a damaged one, a profile without one (no file is made for
# it), a service account's, and an account's that is loaded (signed in),
# whose copy goes from HKU\<SID>_Classes instead. The uninstaller does the
# same. Wine keeps a loaded hive in memory only: that the removal reaches
# the hive's file shows on Windows alone.
case_setup_removes_copies_of_accounts_not_signed_in() {
  local sid=S-1-5-21-7-7-7 log users mount left copy
  users=$(e2e_unix_path 'C:\users')
  e2e__write_hive "$users/child/AppData/Local/Microsoft/Windows/UsrClass.dat" \
    'VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Hourgauge' 'VirtualStore\MACHINE\SOFTWARE\SomethingElse' ||
    e2e_fail "could not write the child's hive"
  e2e__write_hive "$users/busy/AppData/Local/Microsoft/Windows/UsrClass.dat" \
    'VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Hourgauge' || e2e_fail "could not write the busy hive"
  e2e__write_hive "$users/signedin/AppData/Local/Microsoft/Windows/UsrClass.dat" \
    'VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Hourgauge' || e2e_fail "could not write the signed-in hive"
  e2e__write_hive "$(e2e_unix_path 'C:\windows\system32\config\systemprofile')/AppData/Local/Microsoft/Windows/UsrClass.dat" \
    'VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Hourgauge' || e2e_fail "could not write the system's hive"
  mkdir -p "$users/damaged/AppData/Local/Microsoft/Windows" "$users/gone" &&
    printf 'not a hive\n' >"$users/damaged/AppData/Local/Microsoft/Windows/UsrClass.dat" ||
    e2e_fail "could not write the damaged hive"
  e2e__add_profile "$sid-1001" 'C:\users\child' &&
    e2e__add_profile "$sid-1002" 'C:\users\busy' &&
    e2e__add_profile "$sid-1003" 'C:\users\gone' &&
    e2e__add_profile "$sid-1004" 'C:\users\signedin' &&
    e2e__add_profile "$sid-1005" 'C:\users\damaged' &&
    e2e__add_profile S-1-5-18 '%systemroot%\system32\config\systemprofile' ||
    e2e_fail "could not list the profiles"
  hg_reg_add "HKU\\$sid-1004_Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Hourgauge" LimitTime REG_SZ 5 ||
    e2e_fail "could not plant the signed-in account's copy"
  hg_wine_bg "$HG_CASE_DIR/hold.out" "$HG_DRIVER" hold-file "C:\\users\\busy\\$HG_CLASSES_HIVE_WIN" 110
  e2e_wait 30 grep -q held "$HG_CASE_DIR/hold.out" || e2e_fail "the busy hive is not held"

  e2e__setup /S /NOSTART /LIMIT=70 /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  log=$(e2e__setup_path setup.log)
  cp "$log" "$HG_CASE_DIR/"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 70
  e2e__log_has 'AdjustTokenPrivileges(SeBackupPrivilege) = 1, GetLastError = 0'
  e2e__log_has 'AdjustTokenPrivileges(SeRestorePrivilege) = 1, GetLastError = 0'
  # The child's hive: loaded, the copy removed and flushed, unloaded.
  mount="HourgaugeLite-$sid-1001"
  e2e__log_has "RegLoadKeyW(HKU, \"$mount\", \"C:\\users\\child\\$HG_CLASSES_HIVE_WIN\") = 0"
  e2e__log_has "removed the per-account copy HKU\\$mount\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Hourgauge"
  e2e__log_has "RegFlushKey(HKU\\$mount) = 0"
  e2e__log_has "RegUnLoadKeyW(HKU, \"$mount\") = 0"
  e2e__log_matches "$log" 'SomethingElse' && e2e_fail "setup.log: a key beside the copy was touched"
  # In use: the load fails with ERROR_SHARING_VIOLATION and is passed over.
  e2e__log_has "RegLoadKeyW(HKU, \"HourgaugeLite-$sid-1002\", \"C:\\users\\busy\\$HG_CLASSES_HIVE_WIN\") = 32"
  e2e__log_has "profile $sid-1002 (C:\\users\\busy): its hive could not be loaded, passed over"
  e2e__log_has "profile $sid-1003 (C:\\users\\gone): no C:\\users\\gone\\$HG_CLASSES_HIVE_WIN, passed over"
  [ ! -e "$users/gone/AppData" ] || e2e_fail "a hive was made for the profile that had none"
  e2e__log_has "profile $sid-1004 (C:\\users\\signedin): its hive is loaded, HKU\\$sid-1004_Classes"
  e2e__log_matches "$log" "^RegLoadKeyW\\(HKU, \"HourgaugeLite-$sid-1004\"" && e2e_fail "setup.log: a loaded hive was loaded again"
  hg_reg_query "HKU\\$sid-1004_Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Hourgauge" LimitTime >/dev/null &&
    e2e_fail "the signed-in account's copy is still there"
  # ERROR_NOT_REGISTRY_FILE
  e2e__log_has "RegLoadKeyW(HKU, \"HourgaugeLite-$sid-1005\", \"C:\\users\\damaged\\$HG_CLASSES_HIVE_WIN\") = 1017"
  e2e__log_has "profile S-1-5-18: a service account's, passed over"
  e2e__log_matches "$log" '^RegLoadKeyW\(HKU, "HourgaugeLite-S-1-5-18"' && e2e_fail "setup.log: the system's hive was loaded"
  # Wine's own account, never signed in through Windows' profile service.
  e2e__log_matches "$log" '^profile S-1-5-21-0-0-0-1000 \(C:\\users\\[^)]*\): no C:\\users\\.*\\UsrClass\.dat, passed over$' ||
    e2e_fail "setup.log: Wine's own profile was not looked at"
  left=$(e2e__hku_keys | grep -i '^HourgaugeLite-')
  [ -z "$left" ] || e2e_fail "hives left loaded: $left"

  e2e__uninstall_in_place /S || e2e_fail "the uninstall failed with exit code $?"
  left=$(e2e__hku_keys | grep -i '^HourgaugeLite-')
  [ -z "$left" ] || e2e_fail "hives the uninstaller left loaded: $left"
  [ ! -e "$users/gone/AppData" ] || e2e_fail "the uninstaller made a hive for the profile that had none"
  e2e_reg_key_exists && e2e_fail "the program key is still there"
  true
}

# The program running in another account's session (fast user switching),
# where the setup cannot find its window: here a second Wine desktop. A new
# setup and the uninstaller still end it, so that its exe can be replaced or
# removed and it cannot write the program key again after the uninstall.
# Only the installed exe's processes are ended: another program of another
# folder, named hourgauge.exe too, keeps running. Starts it there and waits
# until it counts: LastTime written and no longer the text $1 it had before.
e2e__start_in_other_desktop() {
  HG_LAST_TIME_BEFORE=$1
  hg_wine_bg "$HG_CASE_DIR/other-desktop.log" explorer /desktop=other,640x480 "$HG_EXE_WIN"
  e2e_wait 60 e2e__counting_again || e2e_fail "the program in the other desktop does not count"
  e2e_driver window-exists "$HG_TITLE" && e2e_fail "the other desktop's window is visible from this one"
  true
}

e2e__counting_again() {
  local now
  now=$(e2e_reg LastTime 2>/dev/null) || return 1
  [ "$now" != "$HG_LAST_TIME_BEFORE" ]
}

case_setup_ends_a_copy_in_another_session() {
  local log other
  e2e__setup /S /NOSTART /PASSWORD=pw /NOSERVICE || e2e_fail "the silent setup failed with exit code $?"
  e2e__start_in_other_desktop ""
  other=$(e2e_unix_path 'C:\Other')
  mkdir -p "$other" && cp "$HG_DRIVER" "$other/hourgauge.exe" || e2e_fail "could not copy the other program"
  hg_wine_bg "$HG_CASE_DIR/other.out" "$other/hourgauge.exe" create-window "e2e other program" 110 close
  e2e_driver wait-window "e2e other program" 30 || e2e_fail "the other program shows no window"

  e2e__setup /S /NOSTART /NOSERVICE || e2e_fail "the setup over a copy in another session failed with exit code $?"
  log=$(e2e__setup_path setup.log)
  cp "$log" "$HG_CASE_DIR/"
  grep -qxF 'copies in other sessions ended by force: 1' <(tr -d '\r' <"$log") ||
    e2e_fail "setup.log: the copy in the other session was not ended"
  e2e_driver window-exists "e2e other program" || e2e_fail "the other program named hourgauge.exe was ended too"
  e2e__log_matches "$log" '^process [0-9]+: ended by force \(TerminateProcess = 1, WaitForSingleObject = 0\)$' ||
    e2e_fail "setup.log: the copy's end is not logged"
  cmp -s "$(e2e__setup_path hourgauge.exe)" "$HG_EXE" || e2e_fail "the exe was not replaced"

  e2e__start_in_other_desktop "$(e2e_reg LastTime)"
  e2e__uninstall_in_place /S /PASSWORD=pw || e2e_fail "the uninstall failed with exit code $?"
  [ ! -e "$(e2e__setup_path hourgauge.exe)" ] || e2e_fail "the exe is still there"
  e2e_reg_key_exists && e2e_fail "the program key is still there"
  sleep 3
  e2e_reg_key_exists && e2e_fail "the program key came back: a copy still runs"
  true
}

# A text of the setup program's own, from its language file.
e2e__setup_text() {
  sed -n "s/^LangString $1 \${LANG_$2} \"\(.*\)\"\$/\1/p" "$HG_ROOT/setup/lang/$3.nsh"
}

# A driver command on the wizard titled $2: NSIS ends the title of some pages
# with a blank (its Japanese page subcaptions are blanks).
e2e__wizard() {
  local cmd=$1 title=$2
  shift 2
  e2e_driver "$cmd" "$title" "$@" 2>/dev/null || e2e_driver "$cmd" "$title " "$@"
}

# Presses the default button of the wizard titled $1 (or of its last page,
# whose title NSIS ends with a blank) until process $2 has ended.
e2e__finish_wizard() {
  local title=$1 pid=$2 tries
  for ((tries = 0; tries < 30; tries++)); do
    hg_pid_alive "$pid" || return 0
    e2e__wizard dialog-click "$title" 1 >/dev/null 2>&1
    sleep 1
  done
  ! hg_pid_alive "$pid"
}

# The controls of the settings page: nsDialogs numbers them from 1200 in the
# order the page makes them (labels included).
HG_PAGE_LIMIT=1201
HG_PAGE_BEDTIME=1203
HG_PAGE_PASSWORD=1220
HG_PAGE_CONFIRM=1222
# A weekday's field, 0 Sunday to 6 Saturday.
e2e__page_day() {
  echo $((1206 + 2 * $1))
}

# Types a password on the settings page of the wizard titled $1, twice.
e2e__page_password() {
  e2e_expect "could not type" e2e_driver dialog-set-text "$1" "$HG_PAGE_PASSWORD" "$2"
  e2e_expect "could not type" e2e_driver dialog-set-text "$1" "$HG_PAGE_CONFIRM" "$2"
}

# Presses the wizard's Next, waits for the box saying $2 and answers it.
e2e__page_refuses() {
  local title=$1 text=$2 what=$3
  e2e_expect "could not press Next" e2e_driver dialog-click "$title" 1
  e2e_wait 15 eval '[ "$(e2e_driver msgbox-text "$title" 2>/dev/null)" = "$text" ]' ||
    e2e_fail "no message for $what"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$title"
  [ ! -e "$(e2e_unix_path "$HG_SETUP_DIR_WIN")" ] || e2e_fail "$what installed something"
}

# The wizards as a parent clicks through them on a Japanese Windows: the
# language question preselects Japanese; the settings page offers the
# default limit, refuses differing passwords with its message and stores
# what was typed; the protection page explains the service, ticked, and
# installs it; the uninstaller asks for that password on a page of its
# own, refuses a wrong one with its message and removes everything with the
# right one, the service too.
case_setup_wizards_in_japanese() {
  local setup_title uninstall_title mismatch wrong setup_pid service_text service_check
  # NSIS's Japanese captions: "<name> セットアップ", "<name> アンインストール".
  setup_title='HourgaugeLite セットアップ'
  uninstall_title='HourgaugeLite アンインストール'
  mismatch=$(e2e__setup_text HG_PASSWORD_MISMATCH JAPANESE Japanese)
  wrong=$(e2e__setup_text HG_UN_PASSWORD_WRONG JAPANESE Japanese)
  service_text=$(e2e__setup_text HG_SERVICE_TEXT JAPANESE Japanese)
  service_check=$(e2e__setup_text HG_SERVICE_CHECK JAPANESE Japanese)
  [ -n "$mismatch" ] && [ -n "$wrong" ] && [ -n "$service_text" ] && [ -n "$service_check" ] ||
    e2e_fail "no texts in setup/lang/Japanese.nsh"

  hg_wine_bg "$HG_CASE_DIR/setup-gui.log" "$HG_SETUP" /NOSTART
  setup_pid=$HG_BG_PID
  e2e_driver wait-dialog "Installer Language" 60 || e2e_fail "no language question"
  e2e_screenshot setup-language
  e2e_expect "could not answer the language question" e2e_driver dialog-click "Installer Language" 1
  e2e_driver wait-dialog "$setup_title" 30 || e2e_fail "no wizard captioned '$setup_title'"
  e2e_expect "could not press Next" e2e_driver dialog-click "$setup_title" 1
  e2e_wait 15 eval '[ "$(e2e_driver dialog-get-text "$setup_title" $HG_PAGE_LIMIT)" = 60 ]' ||
    e2e_fail "the settings page does not offer the default limit 60"
  e2e_screenshot setup-settings
  e2e_expect "could not type" e2e_driver dialog-set-text "$setup_title" $HG_PAGE_LIMIT 120
  e2e_expect "could not type" e2e_driver dialog-set-text "$setup_title" $HG_PAGE_PASSWORD "gui pw"
  e2e_expect "could not type" e2e_driver dialog-set-text "$setup_title" $HG_PAGE_CONFIRM "gui pq"
  e2e__page_refuses "$setup_title" "$mismatch" "differing passwords"
  e2e_expect "could not type" e2e_driver dialog-set-text "$setup_title" $HG_PAGE_CONFIRM "gui pw"
  e2e_expect "could not press Next" e2e_driver dialog-click "$setup_title" 1
  # The protection page: its text and the service's box; the zone's box
  # takes input while the service's is ticked.
  e2e_wait 15 eval '[ "$(e2e_driver dialog-get-text "$setup_title" 1200 2>/dev/null)" = "$service_text" ]' ||
    e2e_fail "no protection page after the settings"
  e2e_expect_eq "the service's box" "$(e2e_driver dialog-get-text "$setup_title" 1201)" "$service_check"
  e2e_driver dialog-enabled "$setup_title" 1202 || e2e_fail "the zone's box takes no input beside a ticked service"
  e2e_screenshot setup-service
  e2e_expect "could not press Install" e2e_driver dialog-click "$setup_title" 1
  e2e_wait 60 e2e__setup_installed || e2e_fail "the wizard did not install"
  e2e__finish_wizard "$setup_title" "$setup_pid" || e2e_fail "the wizard did not end"
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 120
  e2e_expect_eq "PASSWORD" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex 'gui pw')"
  # Installed, not started: the wizard ran with /NOSTART.
  e2e_expect_eq "the service the wizard installed by default" "$(e2e__service_field path)" "\"$HG_SERVICE_EXE_WIN\""
  e2e_expect_eq "TimeZone (the box left unticked)" "$(e2e_reg TimeZone)" "Tokyo Standard Time"

  hg_wine_bg "$HG_CASE_DIR/uninstall-gui.log" "$(e2e__setup_path uninstall.exe)"
  e2e_driver wait-dialog "$uninstall_title" 60 || e2e_fail "no wizard captioned '$uninstall_title'"
  e2e_wait 15 e2e_driver dialog-get-text "$uninstall_title" 1201 >/dev/null || e2e_fail "no password page"
  e2e_screenshot uninstall-password
  e2e_expect "could not type" e2e_driver dialog-set-text "$uninstall_title" 1201 "gui pW"
  e2e_expect "could not press Next" e2e_driver dialog-click "$uninstall_title" 1
  e2e_wait 15 eval '[ "$(e2e_driver msgbox-text "$uninstall_title" 2>/dev/null)" = "$wrong" ]' ||
    e2e_fail "no message for a wrong password"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$uninstall_title"
  e2e__setup_installed || e2e_fail "a wrong password removed something"
  e2e_expect "could not type" e2e_driver dialog-set-text "$uninstall_title" 1201 "gui pw"
  e2e_expect "could not press Next" e2e_driver dialog-click "$uninstall_title" 1
  # The confirmation page, then the removal.
  e2e_wait 15 eval '! e2e_driver dialog-get-text "$uninstall_title" 1201 >/dev/null 2>&1' ||
    e2e_fail "the right password did not lead on"
  e2e_expect "could not press Uninstall" e2e__wizard dialog-click "$uninstall_title" 1
  e2e_wait 60 e2e__setup_removed || e2e_fail "the wizard did not remove everything"
  e2e__service_absent || e2e_fail "the uninstall wizard left the service"
  e2e_expect "could not press Close" e2e__wizard dialog-click "$uninstall_title" 1
  e2e_driver wait-no-window "$uninstall_title" 30 && e2e_driver wait-no-window "$uninstall_title " 5 ||
    e2e_fail "the uninstall wizard did not close"
}

# The settings page checks what a parent typed before it leads on, and
# stays with the typing kept: no password on a first install (a child
# could then set one), a bedtime that is no time of day, a weekday's limit
# that is no number of minutes, each with its message and nothing
# installed. It shows a weekday's limit stored before and keeps it as it
# was when left alone, stores the fields typed (the bedtime as HH:MM) and
# nothing else: no count, so the first start gives today from then.
case_setup_limit_page_checks_what_is_typed() {
  local title='HourgaugeLite セットアップ' required bad_bedtime bad_day pid
  required=$(e2e__setup_text HG_PASSWORD_REQUIRED JAPANESE Japanese)
  bad_bedtime=$(e2e__setup_text HG_BAD_BEDTIME JAPANESE Japanese)
  bad_day="$(e2e__setup_text HG_DAY_FRI JAPANESE Japanese): $(e2e__setup_text HG_BAD_DAY_LIMIT JAPANESE Japanese)"
  [ -n "$required" ] && [ -n "$bad_bedtime" ] && [ "$bad_day" != ": " ] ||
    e2e_fail "no texts in setup/lang/Japanese.nsh"
  # Set in the program before (its dialog of the days, say).
  e2e_set_reg LimitTimeWed 45
  hg_wine_bg "$HG_CASE_DIR/setup-gui.log" "$HG_SETUP" /NOSTART
  pid=$HG_BG_PID
  e2e_driver wait-dialog "Installer Language" 60 || e2e_fail "no language question"
  e2e_expect "could not answer the language question" e2e_driver dialog-click "Installer Language" 1
  e2e_driver wait-dialog "$title" 30 || e2e_fail "no wizard captioned '$title'"
  e2e_expect "could not press Next" e2e_driver dialog-click "$title" 1
  e2e_wait 15 eval '[ "$(e2e_driver dialog-get-text "$title" $HG_PAGE_LIMIT 2>/dev/null)" = 60 ]' ||
    e2e_fail "no settings page"
  e2e_expect_eq "the Wednesday field" "$(e2e_driver dialog-get-text "$title" "$(e2e__page_day 3)")" 45
  e2e_expect_eq "the Saturday field" "$(e2e_driver dialog-get-text "$title" "$(e2e__page_day 6)")" ""
  e2e_expect_eq "the bedtime field" "$(e2e_driver dialog-get-text "$title" $HG_PAGE_BEDTIME)" ""

  e2e_expect "could not type" e2e_driver dialog-set-text "$title" $HG_PAGE_LIMIT 120
  e2e__page_refuses "$title" "$required" "an empty password"
  e2e_expect_eq "the limit typed, after the refusal" "$(e2e_driver dialog-get-text "$title" $HG_PAGE_LIMIT)" 120
  e2e__page_password "$title" "gui pw"
  e2e_expect "could not type" e2e_driver dialog-set-text "$title" "$(e2e__page_day 6)" 150
  e2e_expect "could not type" e2e_driver dialog-set-text "$title" $HG_PAGE_BEDTIME 24:00
  e2e__page_refuses "$title" "$bad_bedtime" "the bedtime 24:00"
  e2e_expect "could not type" e2e_driver dialog-set-text "$title" $HG_PAGE_BEDTIME 9:45
  # The field takes digits only from the keyboard; a pasted text still comes.
  e2e_expect "could not type" e2e_driver dialog-set-text "$title" "$(e2e__page_day 5)" -5
  e2e__page_refuses "$title" "$bad_day" "Friday's limit -5"
  e2e_expect "could not type" e2e_driver dialog-set-text "$title" "$(e2e__page_day 5)" ""
  e2e_expect "could not press Next" e2e_driver dialog-click "$title" 1
  # The protection page: the tray program alone, the quicker install.
  e2e_wait 15 eval 'e2e_driver dialog-enabled "$title" 1202 2>/dev/null' || e2e_fail "no protection page"
  e2e_expect "could not untick the service" e2e_driver dialog-click "$title" 1201
  e2e_expect "could not press Install" e2e_driver dialog-click "$title" 1
  e2e_wait 60 e2e__setup_installed || e2e_fail "the wizard did not install"
  e2e__finish_wizard "$title" "$pid" || e2e_fail "the wizard did not end"
  e2e_expect_eq "the values the wizard stored" "$(e2e__value_names)" \
    "Bedtime LimitTime LimitTimeSat LimitTimeWed PASSWORD "
  e2e_expect_eq "LimitTime" "$(e2e_reg LimitTime)" 120
  e2e_expect_eq "LimitTimeSat" "$(e2e_reg LimitTimeSat)" 150
  e2e_expect_eq "Bedtime" "$(e2e_reg Bedtime)" 09:45
  e2e_expect_eq "LimitTimeWed kept" "$(e2e_reg LimitTimeWed)" 45
  e2e_expect_eq "PASSWORD" "$(e2e__stored_password_hex)" "$(e2e__scrambled_hex 'gui pw')"
}

# On an English Windows the language question preselects English and the
# setup speaks it: a refused option is explained in a box in English, and
# the setup ends with exit code 2 having installed nothing.
case_setup_speaks_english_on_an_english_windows() {
  local text expected rc pid
  env "$(hg__tz_env)" LC_ALL=C.UTF-8 wine "$HG_SETUP" /LIMIT=abc >"$HG_CASE_DIR/setup-en.log" 2>&1 &
  pid=$!
  e2e_driver wait-dialog "Installer Language" 60 || e2e_fail "no language question"
  e2e_screenshot setup-language-en
  e2e_expect "could not answer the language question" e2e_driver dialog-click "Installer Language" 1
  e2e_driver wait-dialog "HourgaugeLite Setup" 30 || e2e_fail "no box captioned 'HourgaugeLite Setup'"
  text=$(e2e_driver msgbox-text "HourgaugeLite Setup" | tr -d '\r')
  expected="$(e2e__setup_text HG_BAD_OPTION ENGLISH English) /LIMIT=abc
$(e2e__setup_text HG_BAD_LIMIT ENGLISH English)"
  e2e_expect_eq "the refusal" "$text" "$expected"
  e2e_expect "could not answer the box" e2e_driver msgbox-ok "HourgaugeLite Setup"
  wait "$pid"
  rc=$?
  e2e_expect_eq "exit code" "$rc" 2
  [ ! -e "$(e2e_unix_path "$HG_SETUP_DIR_WIN")" ] || e2e_fail "the refused setup installed files"
}

# On an English Windows the protection page speaks English and names the
# zone the day would keep to; unticking the service disables the zone's
# box, and the setup installs the tray program alone, as /NOSERVICE does.
case_setup_wizard_can_decline_the_service() {
  local title='HourgaugeLite Setup' service_text zone_text label pid
  service_text=$(e2e__setup_text HG_SERVICE_TEXT ENGLISH English)
  zone_text=$(e2e__setup_text HG_ZONE_TEXT ENGLISH English)
  zone_text=${zone_text%%\$HgZoneName*}
  [ -n "$service_text" ] && [ -n "$zone_text" ] || e2e_fail "no texts in setup/lang/English.nsh"
  env "$(hg__tz_env)" LC_ALL=C.UTF-8 wine "$HG_SETUP" /NOSTART >"$HG_CASE_DIR/setup-en.log" 2>&1 &
  pid=$!
  e2e_driver wait-dialog "Installer Language" 60 || e2e_fail "no language question"
  e2e_expect "could not answer the language question" e2e_driver dialog-click "Installer Language" 1
  e2e_driver wait-dialog "$title" 30 || e2e_fail "no wizard captioned '$title'"
  e2e_expect "could not press Next" e2e_driver dialog-click "$title" 1
  e2e_wait 15 eval '[ "$(e2e_driver dialog-get-text "$title" $HG_PAGE_LIMIT 2>/dev/null)" = 60 ]' ||
    e2e_fail "no settings page"
  e2e__page_password "$title" "en pw"
  e2e_expect "could not press Next" e2e_driver dialog-click "$title" 1
  e2e_wait 15 eval '[ "$(e2e_driver dialog-get-text "$title" 1200 2>/dev/null)" = "$service_text" ]' ||
    e2e_fail "no protection page in English"
  label=$(e2e_driver dialog-get-text "$title" 1203)
  [[ $label == "$zone_text"?*. ]] || e2e_fail "the zone's text does not name the zone: '$label'"
  e2e_driver dialog-enabled "$title" 1202 || e2e_fail "the zone's box takes no input beside a ticked service"
  e2e_expect "could not untick the service" e2e_driver dialog-click "$title" 1201
  e2e_wait 10 eval '! e2e_driver dialog-enabled "$title" 1202' ||
    e2e_fail "the zone's box still takes input without the service"
  e2e_screenshot setup-service-declined
  e2e_expect "could not press Install" e2e_driver dialog-click "$title" 1
  e2e_wait 60 e2e__setup_installed || e2e_fail "the wizard did not install"
  e2e__finish_wizard "$title" "$pid" || e2e_fail "the wizard did not end"
  [ ! -e "$(e2e__setup_path hourgauge-service.exe)" ] || e2e_fail "the service's exe was installed"
  e2e__service_absent || e2e_fail "a service was created although it was declined"
  e2e_reg_exists TimeZone && e2e_fail "TimeZone written without the service"
  true
}
