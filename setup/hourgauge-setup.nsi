; The setup program of HourgaugeLite: installs hourgauge.exe for the whole PC,
; prepares the registry so that every account shares one state, and removes
; it all again. Built by scripts/setup.sh:
;
;   makensis -INPUTCHARSET UTF8 -DHG_VERSION=1.2.3.4 -DHG_EXE=.../hourgauge.exe
;            -DHG_SERVICE_EXE=.../hourgauge-service.exe -DHG_ICON=.../hourgauge.ico
;            -DHG_OUTFILE=.../hourgauge-setup-1.2.3.4.exe setup/hourgauge-setup.nsi
;
; By default it installs the service hourgauge-service.exe beside the tray
; program hourgauge.exe (setup/Service.nsh): the service keeps the count
; and the state, the tray program in each account is its face. Without the
; service it installs the tray program alone, as versions before it did.
;
; Setup options (all optional; /S runs without any window):
;   /S                 silent: no pages, no questions
;   /LIMIT=MINUTES     the daily limit, 0 to 35791394 (decimal digits)
;   /LIMITSUN=MINUTES .. /LIMITSAT=MINUTES (SUN MON TUE WED THU FRI SAT)
;                      that weekday's own limit, 0 to 35791394; empty
;                      (/LIMITSAT=) clears it: the day takes the daily limit
;   /BEDTIME=HH:MM     the bedtime, 00:00 to 23:59 (H:MM too, stored as
;                      HH:MM); from then until the accounting day ends the
;                      day counts as spent; empty (/BEDTIME=) clears it
;   /PASSWORD=TEXT     the settings password, 1 to 8 printable ASCII characters;
;                      quote it (/PASSWORD="a/b c" or "/PASSWORD=a/b c") when it
;                      holds a slash or blanks
;   /NOSTART           do not start the program at the end (nor the service,
;                      unless the setup stopped it to replace it: it starts
;                      with Windows)
;   /NOSERVICE         the tray program alone, without the service (one
;                      installed before is removed)
;   /FOLLOWZONE        the accounting day follows Windows' time zone whenever
;                      it changes; without it the service keeps to the zone
;                      chosen before, or on a first install to the zone set now
;   /D=FOLDER          another install folder (NSIS's own option; must be last);
;                      with the service it must lie inside Program Files
; Without /LIMIT, /LIMITxxx, /BEDTIME or /PASSWORD a silent setup keeps
; what is stored already: an upgrade writes only the values asked for.
; Neither a silent nor an interactive setup writes the count (LastDate,
; LastTime): the program's first start finds no stored day and gives today's
; allowance from that moment.
; A refused option ends the setup with exit code 2, before anything changes.
; A step that fails (the key's rights, the service) is said in a box and
; ends the setup with exit code 3; setup.log tells which call failed.
;
; Uninstaller options: /S, and /PASSWORD=TEXT, the program's password when one
; is set (without the right one a silent uninstall removes nothing and ends
; with exit code 2). A service that cannot be removed ends it with exit code 3.

Unicode true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifdef HG_VERSION & HG_EXE & HG_SERVICE_EXE & HG_ICON & HG_OUTFILE
!else
  !error "define HG_VERSION, HG_EXE, HG_SERVICE_EXE, HG_ICON and HG_OUTFILE (see scripts/setup.sh)"
!endif

!define HG_APP "HourgaugeLite"
!define HG_PUBLISHER "HourgaugeLite"
!define HG_EXE_NAME "hourgauge.exe"
!define HG_UNINSTALLER "uninstall.exe"
!define HG_LOG_NAME "setup.log"
; The program's own registry places (32-bit view, as the 32-bit program sees them).
!define HG_PROGRAM_KEY "SOFTWARE\Hourgauge"
!define HG_RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define HG_RUN_VALUE "Hourgauge"
!define HG_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HourgaugeLite"
!define HG_MAX_MINUTES 35791394
; Root keys for the registry calls made through System::Call.
!define HG_HKEY_LOCAL_MACHINE 0x80000002
!define HG_HKEY_USERS 0x80000003
; The exit code of a setup or an uninstall that did not finish every step.
!define HG_EXIT_STEP_FAILED 3

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include WordFunc.nsh
!include Program.nsh

Name "${HG_APP}"
OutFile "${HG_OUTFILE}"
InstallDir "$PROGRAMFILES32\${HG_APP}"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${HG_APP} ${HG_VERSION}"

!define MUI_ICON "${HG_ICON}"
!define MUI_UNICON "${HG_ICON}"
!define MUI_ABORTWARNING
; The uninstaller speaks the language the setup was run in.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${HG_UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

Var HgLimit       ; daily limit to store, "" to keep what is there
Var HgPassword    ; plain password to store, "" to keep what is there
Var HgNoStart     ; 1: do not start the program at the end
Var HgLogFile     ; handle of $INSTDIR\setup.log while the section runs
Var HgLimitEdit
Var HgPasswordEdit
Var HgConfirmEdit
Var HgUnPassword  ; the uninstaller's password, from /PASSWORD= or its page
Var HgUnPasswordEdit
Var HgService     ; 1: install the service, 0: the tray program alone
Var HgZoneChoice  ; "follow", "pin" (the zone set now), "" (keep what is stored)
Var HgZoneKey     ; Windows' current zone: its TimeZoneKeyName
Var HgZoneName    ; and its name as Windows shows it
Var HgServiceCheck
Var HgZoneCheck
Var HgFailures    ; the failed steps' texts, one a line
Var HgValueFailed ; 1: a value of the program key could not be written
Var HgBedtime      ; bedtime to store ("HH:MM", "" for none)
Var HgBedtimeGiven ; 1: store HgBedtime
Var HgBedtimeShown ; what the page showed
Var HgBedtimeEdit
Var HgBedtimePending
Var HgLimitPending

; Each weekday's own limit: HgLimitSun ... HgLimitSat, the text to store
; ("" for none: the daily limit), stored only when given (an option, or a
; field the parent changed), so that an upgrade keeps what it was not asked
; to change.
!macro HG_DAY_VARS day upper index
  Var HgLimit${day}
  Var HgLimit${day}Given
  Var HgLimit${day}Shown
  Var HgLimit${day}Edit
  Var HgLimit${day}Pending ; the field's text while the page is checked
!macroend
; Sunday first, as the program numbers the weekdays.
!macro HG_FOR_EACH_DAY macro
  !insertmacro ${macro} Sun SUN 0
  !insertmacro ${macro} Mon MON 1
  !insertmacro ${macro} Tue TUE 2
  !insertmacro ${macro} Wed WED 3
  !insertmacro ${macro} Thu THU 4
  !insertmacro ${macro} Fri FRI 5
  !insertmacro ${macro} Sat SAT 6
!macroend
!insertmacro HG_FOR_EACH_DAY HG_DAY_VARS

; The command line, with "/PASSWORD=text" (how scripting tools and Wine quote
; an argument that holds blanks) turned into /PASSWORD="text", the form
; GetOptions unquotes.
!macro HG_PARAMETERS un out
  ${${un}GetParameters} ${out}
  ${${un}WordReplace} ${out} '"/PASSWORD=' '/PASSWORD="' "+" ${out}
!macroend

!insertmacro MUI_PAGE_WELCOME
Page custom HgSettingsPage HgSettingsPageLeave
Page custom HgServicePage HgServicePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.HgPasswordPage un.HgPasswordPageLeave
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English first: the language of a Windows whose display language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_RESERVEFILE_LANGDLL
!include /CHARSET=UTF8 lang/English.nsh
!include /CHARSET=UTF8 lang/Japanese.nsh

VIProductVersion "${HG_VERSION}"
VIFileVersion "${HG_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${HG_APP}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${HG_APP} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${HG_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${HG_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" ""

!include Scramble.nsh
!insertmacro HG_SCRAMBLE_FUNCTIONS ""

; --- helpers -------------------------------------------------------------------

; Stack: text -> 1 when it is a daily limit the program's settings dialog
; accepts, written as "%d" writes it (no sign, no leading zero), else 0.
Function HgIsMinutes
  Exch $0
  Push $1
  Push $2
  Push $3
  StrLen $2 $0
  ${If} $2 < 1
  ${OrIf} $2 > 8
    StrCpy $0 0
  ${Else}
    StrCpy $1 0
    ${DoWhile} $1 < $2
      StrCpy $3 $0 1 $1
      Push $3
      Call HgCharCode
      Pop $3
      ${If} $3 < 0x30
      ${OrIf} $3 > 0x39
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
    StrCpy $3 $0 1
    ${If} $1 <> $2
      StrCpy $0 0
    ${ElseIf} $3 == "0"
    ${AndIf} $2 > 1
      StrCpy $0 0
    ${ElseIf} $0 > ${HG_MAX_MINUTES}
      StrCpy $0 0
    ${Else}
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Stack: text -> 1 when it is a weekday's limit: empty (none) or minutes.
Function HgIsDayLimit
  Exch $0
  ${If} $0 == ""
    StrCpy $0 1
  ${Else}
    Push $0
    Call HgIsMinutes
    Pop $0
  ${EndIf}
  Exch $0
FunctionEnd

; Stack: one character -> its digit 0 to 9, or -1.
Function HgDigit
  Exch $0
  Push $0
  Call HgCharCode
  Pop $0
  ${If} $0 < 0x30
  ${OrIf} $0 > 0x39
    StrCpy $0 -1
  ${Else}
    IntOp $0 $0 - 0x30
  ${EndIf}
  Exch $0
FunctionEnd

; Stack: text -> the bedtime as the program stores it, "HH:MM" from 00:00
; to 23:59 ("H:MM" gets its leading zero), "" for an empty text (none), or
; "error" for any other text. Digits are compared one by one: IntOp would
; read "08" as octal.
Function HgBedtimeText
  Exch $0
  Push $1
  Push $2
  Push $3
  StrLen $1 $0
  ${If} $1 = 4
    StrCpy $0 "0$0"
    StrCpy $1 5
  ${EndIf}
  ${If} $0 == ""
    ; none
  ${ElseIf} $1 <> 5
    StrCpy $0 error
  ${Else}
    StrCpy $3 $0 1 2
    StrCpy $2 $0 1 0
    Push $2
    Call HgDigit
    Pop $2
    StrCpy $1 $0 1 1
    Push $1
    Call HgDigit
    Pop $1
    ${If} $3 != ":"
    ${OrIf} $2 < 0
    ${OrIf} $1 < 0
      StrCpy $0 error
    ${Else}
      IntOp $2 $2 * 10
      IntOp $2 $2 + $1
      StrCpy $3 $0 1 3
      Push $3
      Call HgDigit
      Pop $3
      StrCpy $1 $0 1 4
      Push $1
      Call HgDigit
      Pop $1
      ${If} $2 > 23
      ${OrIf} $3 < 0
      ${OrIf} $3 > 5
      ${OrIf} $1 < 0
        StrCpy $0 error
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; A refused command-line option: said in a box unless silent, exit code 2.
; Without UAC (or with it turned off) "RequestExecutionLevel admin" does not
; raise a standard account: every write to HKLM and Program Files would fail.
; Exit code 740 is ERROR_ELEVATION_REQUIRED.
!macro HG_REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    ${IfNot} ${Silent}
      MessageBox MB_ICONSTOP|MB_OK "$(HG_NEED_ADMIN)"
    ${EndIf}
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

!macro HG_REFUSE_OPTION text
  ${IfNot} ${Silent}
    MessageBox MB_ICONSTOP|MB_OK "${text}"
  ${EndIf}
  SetErrorLevel 2
  Quit
!macroend

; One line into setup.log and the details list.
!macro HG_LOG text
  DetailPrint "${text}"
  FileWrite $HgLogFile "${text}$\r$\n"
!macroend
!define HgLog `!insertmacro HG_LOG`

; One line into setup.log (setup) or the details list (uninstaller).
!macro HG_LOG_IN un text
  !if "${un}" == ""
    ${HgLog} "${text}"
  !else
    DetailPrint "${text}"
  !endif
!macroend

; A call's result: a BOOL, or "handle" for a handle that is not NULL; the
; last error only where the call failed (elsewhere it means nothing).
!macro HG_LOG_CALL un call result error
  ${If} ${result} = 0
    !insertmacro HG_LOG_IN "${un}" "${call} = 0, GetLastError = ${error}"
  ${Else}
    !insertmacro HG_LOG_IN "${un}" "${call} = ${result}"
  ${EndIf}
!macroend

; One value of the program key, logged as shown; a write the key refuses
; marks the settings' step failed.
!macro HG_WRITE_VALUE name data shown
  ClearErrors
  WriteRegStr HKLM "${HG_PROGRAM_KEY}" "${name}" "${data}"
  ${If} ${Errors}
    ${HgLog} "HKLM\${HG_PROGRAM_KEY} ${name} = ${shown}: refused"
    StrCpy $HgValueFailed 1
  ${Else}
    ${HgLog} "HKLM\${HG_PROGRAM_KEY} ${name} = ${shown}"
  ${EndIf}
!macroend

; A failed step: logged, its text kept for the box at the end.
!macro HG_STEP_FAILED text what
  ${HgLog} "FAILED: ${what}"
  StrCpy $HgFailures "$HgFailures$\r$\n$(${text})"
!macroend

!insertmacro HG_PROGRAM_FUNCTIONS ""
!insertmacro HG_PROGRAM_FUNCTIONS "un."
!include KeySecurity.nsh
!include VirtualStore.nsh
!include Service.nsh
!insertmacro HG_SERVICE_FUNCTIONS ""
!insertmacro HG_SERVICE_FUNCTIONS "un."

; --- install -------------------------------------------------------------------

; /LIMITSUN= .. /LIMITSAT=: a weekday's own limit, empty for none.
!macro HG_DAY_OPTION day upper index
  StrCpy $HgLimit${day}Given 0
  ClearErrors
  ${GetOptions} $R0 "/LIMIT${upper}=" $R1
  ${IfNot} ${Errors}
    Push $R1
    Call HgIsDayLimit
    Pop $R2
    ${If} $R2 <> 1
      !insertmacro HG_REFUSE_OPTION "$(HG_BAD_OPTION) /LIMIT${upper}=$R1$\r$\n$(HG_BAD_DAY_LIMIT)"
    ${EndIf}
    StrCpy $HgLimit${day} $R1
    StrCpy $HgLimit${day}Given 1
  ${EndIf}
!macroend

Function .onInit
  SetRegView 32
  !insertmacro MUI_LANGDLL_DISPLAY
  !insertmacro HG_REQUIRE_ADMIN
  StrCpy $HgLimit ""
  StrCpy $HgPassword ""
  StrCpy $HgNoStart 0
  StrCpy $HgService 1
  StrCpy $HgZoneChoice ""
  StrCpy $HgFailures ""
  !insertmacro HG_PARAMETERS "" $R0

  ClearErrors
  ${GetOptions} $R0 "/LIMIT=" $R1
  ${IfNot} ${Errors}
    Push $R1
    Call HgIsMinutes
    Pop $R2
    ${If} $R2 <> 1
      !insertmacro HG_REFUSE_OPTION "$(HG_BAD_OPTION) /LIMIT=$R1$\r$\n$(HG_BAD_LIMIT)"
    ${EndIf}
    StrCpy $HgLimit $R1
  ${EndIf}

  ClearErrors
  ${GetOptions} $R0 "/PASSWORD=" $R1
  ${IfNot} ${Errors}
    Push $R1
    Call HgIsPasswordText
    Pop $R2
    ${If} $R2 <> 1
      !insertmacro HG_REFUSE_OPTION "$(HG_BAD_OPTION) /PASSWORD=$\r$\n$(HG_BAD_PASSWORD)"
    ${EndIf}
    StrCpy $HgPassword $R1
  ${EndIf}

  !insertmacro HG_FOR_EACH_DAY HG_DAY_OPTION

  StrCpy $HgBedtimeGiven 0
  ClearErrors
  ${GetOptions} $R0 "/BEDTIME=" $R1
  ${IfNot} ${Errors}
    Push $R1
    Call HgBedtimeText
    Pop $R2
    ${If} $R2 == error
      !insertmacro HG_REFUSE_OPTION "$(HG_BAD_OPTION) /BEDTIME=$R1$\r$\n$(HG_BAD_BEDTIME)"
    ${EndIf}
    StrCpy $HgBedtime $R2
    StrCpy $HgBedtimeGiven 1
  ${EndIf}

  ClearErrors
  ${GetOptions} $R0 "/NOSTART" $R1
  ${IfNot} ${Errors}
    StrCpy $HgNoStart 1
  ${EndIf}

  ClearErrors
  ${GetOptions} $R0 "/NOSERVICE" $R1
  ${IfNot} ${Errors}
    StrCpy $HgService 0
  ${EndIf}

  ClearErrors
  ${GetOptions} $R0 "/FOLLOWZONE" $R1
  ${IfNot} ${Errors}
    StrCpy $HgZoneChoice follow
  ${EndIf}

  ; A SYSTEM service must not run a file a child's account can replace,
  ; directly or by renaming a folder above it: outside Program Files nothing
  ; tells who may change the folders on the way. The wizard asks on its
  ; page, where the service can still be declined.
  ${If} ${Silent}
  ${AndIf} $HgService = 1
    Call HgInstallFolderIsProtected
    Pop $R2
    ${If} $R2 <> 1
      !insertmacro HG_REFUSE_OPTION "$(HG_BAD_FOLDER)"
    ${EndIf}
  ${EndIf}

  Call HgCurrentZone
  Pop $HgZoneKey
  Pop $HgZoneName
  ${If} $HgZoneName == ""
    StrCpy $HgZoneName $HgZoneKey
  ${EndIf}
FunctionEnd

; The page of the limits and the password. The weekday fields and the
; bedtime show what is stored (or what an option gave); only a field the
; parent changed is stored, so an upgrade keeps the others as they are.
; nsDialogs numbers the controls from 1200 in the order made: 1201 the
; limit, 1203 the bedtime, 1206 + 2 x weekday (Sunday first) the weekdays'
; limits, 1220 the password, 1222 its confirmation.
!define HG_DAY_COLUMN_U 42

; A weekday's label and field in its column.
!macro HG_DAY_FIELD day upper index
  IntOp $2 ${index} * ${HG_DAY_COLUMN_U}
  ${NSD_CreateLabel} $2u 39u 40u 9u "$(HG_DAY_${upper})"
  Pop $0
  ${If} $HgLimit${day}Given = 1
    StrCpy $1 $HgLimit${day}
  ${Else}
    ReadRegStr $1 HKLM "${HG_PROGRAM_KEY}" "LimitTime${day}"
  ${EndIf}
  StrCpy $HgLimit${day}Shown $1
  ${NSD_CreateNumber} $2u 49u 38u 12u "$1"
  Pop $HgLimit${day}Edit
  ${NSD_Edit_SetTextLimit} $HgLimit${day}Edit 8
!macroend

; A changed weekday field: checked, and kept to be stored.
!macro HG_DAY_FIELD_LEAVE day upper index
  ${NSD_GetText} $HgLimit${day}Edit $1
  ${If} $1 S!= $HgLimit${day}Shown
    Push $1
    Call HgIsDayLimit
    Pop $0
    ${If} $0 <> 1
      MessageBox MB_ICONEXCLAMATION|MB_OK "$(HG_DAY_${upper}): $(HG_BAD_DAY_LIMIT)"
      ${NSD_SetFocus} $HgLimit${day}Edit
      Abort
    ${EndIf}
  ${EndIf}
  StrCpy $HgLimit${day}Pending $1
!macroend

; A field that differs from what the page showed is stored.
!macro HG_DAY_FIELD_TAKE day upper index
  ${If} $HgLimit${day}Pending S!= $HgLimit${day}Shown
    StrCpy $HgLimit${day} $HgLimit${day}Pending
    StrCpy $HgLimit${day}Given 1
  ${EndIf}
!macroend

Function HgSettingsPage
  !insertmacro MUI_HEADER_TEXT "$(HG_SETTINGS_TITLE)" "$(HG_SETTINGS_SUBTITLE)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ; The limit shown: the one given, else the stored one, else the default.
  StrCpy $1 $HgLimit
  ${If} $1 == ""
    ReadRegStr $1 HKLM "${HG_PROGRAM_KEY}" "LimitTime"
  ${EndIf}
  ${If} $1 == ""
    StrCpy $1 60
  ${EndIf}
  ${NSD_CreateLabel} 0 0 145u 10u "$(HG_LIMIT_LABEL)"
  Pop $0
  ${NSD_CreateNumber} 0 11u 50u 12u "$1"
  Pop $HgLimitEdit
  ${NSD_Edit_SetTextLimit} $HgLimitEdit 8

  ${If} $HgBedtimeGiven = 1
    StrCpy $1 $HgBedtime
  ${Else}
    ReadRegStr $1 HKLM "${HG_PROGRAM_KEY}" "Bedtime"
  ${EndIf}
  StrCpy $HgBedtimeShown $1
  ${NSD_CreateLabel} 150u 0 150u 10u "$(HG_BEDTIME_LABEL)"
  Pop $0
  ${NSD_CreateText} 150u 11u 40u 12u "$1"
  Pop $HgBedtimeEdit
  ${NSD_Edit_SetTextLimit} $HgBedtimeEdit 5

  ${NSD_CreateLabel} 0 28u 100% 10u "$(HG_DAY_LIMITS_LABEL)"
  Pop $0
  !insertmacro HG_FOR_EACH_DAY HG_DAY_FIELD

  ${NSD_CreateLabel} 0 66u 100% 10u "$(HG_PASSWORD_LABEL)"
  Pop $0
  ${NSD_CreatePassword} 0 77u 100u 12u "$HgPassword"
  Pop $HgPasswordEdit
  ${NSD_Edit_SetTextLimit} $HgPasswordEdit ${HG_PASSWORD_MAX}
  ${NSD_CreateLabel} 0 92u 100% 10u "$(HG_CONFIRM_LABEL)"
  Pop $0
  ${NSD_CreatePassword} 0 103u 100u 12u "$HgPassword"
  Pop $HgConfirmEdit
  ${NSD_Edit_SetTextLimit} $HgConfirmEdit ${HG_PASSWORD_MAX}

  ReadRegStr $1 HKLM "${HG_PROGRAM_KEY}" "PASSWORD"
  ${If} $1 == ""
    ${NSD_CreateLabel} 0 119u 100% 20u "$(HG_PASSWORD_NONE)"
  ${Else}
    ${NSD_CreateLabel} 0 119u 100% 20u "$(HG_PASSWORD_KEEP)"
  ${EndIf}
  Pop $0
  nsDialogs::Show
FunctionEnd

Function HgSettingsPageLeave
  ${NSD_GetText} $HgLimitEdit $1
  Push $1
  Call HgIsMinutes
  Pop $0
  ${If} $0 <> 1
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(HG_BAD_LIMIT)"
    ${NSD_SetFocus} $HgLimitEdit
    Abort
  ${EndIf}
  StrCpy $HgLimitPending $1

  ${NSD_GetText} $HgBedtimeEdit $1
  ${If} $1 S!= $HgBedtimeShown
    Push $1
    Call HgBedtimeText
    Pop $1
    ${If} $1 == error
      MessageBox MB_ICONEXCLAMATION|MB_OK "$(HG_BAD_BEDTIME)"
      ${NSD_SetFocus} $HgBedtimeEdit
      Abort
    ${EndIf}
  ${EndIf}
  StrCpy $HgBedtimePending $1

  !insertmacro HG_FOR_EACH_DAY HG_DAY_FIELD_LEAVE

  ${NSD_GetText} $HgPasswordEdit $2
  ${NSD_GetText} $HgConfirmEdit $3
  ${If} $2 S!= $3
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(HG_PASSWORD_MISMATCH)"
    Abort
  ${EndIf}
  ${If} $2 == ""
    ; Without a password anyone may open the settings, and a child may set
    ; a password of their own: a first install asks for one.
    ReadRegStr $0 HKLM "${HG_PROGRAM_KEY}" "PASSWORD"
    ${If} $0 == ""
      MessageBox MB_ICONEXCLAMATION|MB_OK "$(HG_PASSWORD_REQUIRED)"
      ${NSD_SetFocus} $HgPasswordEdit
      Abort
    ${EndIf}
  ${Else}
    Push $2
    Call HgIsPasswordText
    Pop $0
    ${If} $0 <> 1
      MessageBox MB_ICONEXCLAMATION|MB_OK "$(HG_BAD_PASSWORD)"
      Abort
    ${EndIf}
  ${EndIf}

  ; Every field passed: what the page holds is what the setup stores.
  StrCpy $HgLimit $HgLimitPending
  StrCpy $HgPassword $2
  ${If} $HgBedtimePending S!= $HgBedtimeShown
    StrCpy $HgBedtime $HgBedtimePending
    StrCpy $HgBedtimeGiven 1
  ${EndIf}
  !insertmacro HG_FOR_EACH_DAY HG_DAY_FIELD_TAKE
FunctionEnd

; The service: what it protects, ticked unless /NOSERVICE; and the time
; zone of the accounting day, pinned to the zone set now unless the parent
; chose to follow Windows' zone (before, or now).
Function HgServicePage
  !insertmacro MUI_HEADER_TEXT "$(HG_SERVICE_TITLE)" "$(HG_SERVICE_SUBTITLE)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 72u "$(HG_SERVICE_TEXT)"
  Pop $0
  ${NSD_CreateCheckbox} 0 76u 100% 12u "$(HG_SERVICE_CHECK)"
  Pop $HgServiceCheck
  ${If} $HgService = 1
    ${NSD_Check} $HgServiceCheck
  ${EndIf}
  ${NSD_OnClick} $HgServiceCheck HgServiceCheckClicked
  ${NSD_CreateCheckbox} 0 96u 100% 12u "$(HG_ZONE_CHECK)"
  Pop $HgZoneCheck
  ${NSD_CreateLabel} 12u 110u -12u 20u "$(HG_ZONE_TEXT)"
  Pop $0
  ; Ticked when asked for, or when the zone followed so far is Windows'.
  ${If} $HgZoneChoice == follow
    ${NSD_Check} $HgZoneCheck
  ${ElseIf} $HgZoneChoice == ""
    ClearErrors
    ReadRegStr $1 HKLM "${HG_PROGRAM_KEY}" "TimeZone"
    ${IfNot} ${Errors}
    ${AndIf} $1 == ""
      ${NSD_Check} $HgZoneCheck
    ${EndIf}
  ${EndIf}
  Push $HgServiceCheck
  Call HgServiceCheckClicked
  nsDialogs::Show
FunctionEnd

; The zone matters to the service only.
Function HgServiceCheckClicked
  Pop $0
  ${NSD_GetState} $HgServiceCheck $0
  ${If} $0 == ${BST_CHECKED}
    EnableWindow $HgZoneCheck 1
  ${Else}
    EnableWindow $HgZoneCheck 0
  ${EndIf}
FunctionEnd

Function HgServicePageLeave
  ${NSD_GetState} $HgServiceCheck $0
  ${If} $0 == ${BST_CHECKED}
    Call HgInstallFolderIsProtected
    Pop $1
    ${If} $1 <> 1
      MessageBox MB_ICONEXCLAMATION|MB_OK "$(HG_BAD_FOLDER)"
      Abort
    ${EndIf}
    StrCpy $HgService 1
  ${Else}
    StrCpy $HgService 0
  ${EndIf}
  ${NSD_GetState} $HgZoneCheck $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $HgZoneChoice follow
  ${Else}
    StrCpy $HgZoneChoice pin
  ${EndIf}
FunctionEnd

; A weekday's own limit, when given ("" for none: the daily limit).
!macro HG_WRITE_DAY_LIMIT day upper index
  ${If} $HgLimit${day}Given = 1
    !insertmacro HG_WRITE_VALUE LimitTime${day} "$HgLimit${day}" "$\"$HgLimit${day}$\""
  ${EndIf}
!macroend

Section "-Install"
  SetOutPath "$INSTDIR"
  FileOpen $HgLogFile "$INSTDIR\${HG_LOG_NAME}" w
  ${HgLog} "${HG_APP} ${HG_VERSION} setup"
  ${If} $HgService = 1
    ${HgLog} "with the service ${HG_SERVICE_NAME}"
  ${Else}
    ${HgLog} "without the service (tray program alone)"
  ${EndIf}

  ; A service installed before goes first: it would start the tray program
  ; again as soon as it is closed, and it keeps its own exe open.
  DetailPrint "$(HG_STOPPING_SERVICE)"
  Call HgStopService
  Pop $R9
  ${If} $R9 == failed
    !insertmacro HG_STEP_FAILED HG_FAIL_STOP "stopping the service"
  ${EndIf}

  DetailPrint "$(HG_CLOSING)"
  Call HgCloseProgram
  Pop $0
  ${HgLog} "closed running copies: $0"
  Call HgStopOtherCopies
  Pop $0
  ${HgLog} "copies in other sessions ended by force: $0"

  File "/oname=${HG_EXE_NAME}" "${HG_EXE}"
  ${If} $HgService = 1
    File "/oname=${HG_SERVICE_EXE_NAME}" "${HG_SERVICE_EXE}"
  ${EndIf}
  WriteUninstaller "$INSTDIR\${HG_UNINSTALLER}"
  ${If} $HgService = 1
    ${HgLog} "files: $INSTDIR\${HG_EXE_NAME}, $INSTDIR\${HG_SERVICE_EXE_NAME}, $INSTDIR\${HG_UNINSTALLER}"
  ${Else}
    ${HgLog} "files: $INSTDIR\${HG_EXE_NAME}, $INSTDIR\${HG_UNINSTALLER}"
  ${EndIf}

  ; Quoted: the path holds blanks. Kept with the service too: the tray
  ; program is the service's face in every account.
  WriteRegStr HKLM "${HG_RUN_KEY}" "${HG_RUN_VALUE}" '"$INSTDIR\${HG_EXE_NAME}"'
  ${HgLog} "HKLM\${HG_RUN_KEY} ${HG_RUN_VALUE} = $\"$INSTDIR\${HG_EXE_NAME}$\""

  ; The key's owner and rights before any value: a child's account may hold
  ; it after an earlier tray-only install.
  ${If} $HgService = 1
    Push "${HG_KEY_SERVICE_SDDL}"
  ${Else}
    Push "${HG_KEY_TRAY_SDDL}"
  ${EndIf}
  Call HgSecureProgramKey
  Pop $0
  ${If} $0 <> 1
    !insertmacro HG_STEP_FAILED HG_FAIL_KEY_RIGHTS "the program key's owner and rights"
  ${EndIf}

  StrCpy $HgValueFailed 0
  ${If} $HgLimit != ""
    !insertmacro HG_WRITE_VALUE LimitTime "$HgLimit" "$HgLimit"
  ${EndIf}
  !insertmacro HG_FOR_EACH_DAY HG_WRITE_DAY_LIMIT
  ${If} $HgBedtimeGiven = 1
    !insertmacro HG_WRITE_VALUE Bedtime "$HgBedtime" "$\"$HgBedtime$\""
  ${EndIf}
  ${If} $HgPassword != ""
    Push $HgPassword
    Call HgScramble
    Pop $0
    !insertmacro HG_WRITE_VALUE PASSWORD "$0" "(scrambled)"
  ${EndIf}
  ${If} $HgService = 1
    Call HgStoreZone
  ${EndIf}
  ${If} $HgValueFailed = 1
    !insertmacro HG_STEP_FAILED HG_FAIL_VALUES "storing the settings"
  ${EndIf}

  Call HgDropVirtualCopies

  ${If} $HgService = 1
    Call HgInstallService
    Pop $0
    ${If} $0 <> 1
      !insertmacro HG_STEP_FAILED HG_FAIL_SERVICE "installing the service"
    ${EndIf}
    Call HgWriteSafeBootEntries
    Pop $0
    ${If} $0 <> 1
      !insertmacro HG_STEP_FAILED HG_FAIL_SAFE_MODE "the Safe Mode entries"
    ${EndIf}
  ${ElseIf} $R9 != absent
    ; Declined now, installed before: the tray program alone from now on.
    Call HgRemoveService
    Pop $0
    ${If} $0 <> 1
      !insertmacro HG_STEP_FAILED HG_FAIL_REMOVE "removing the service"
    ${EndIf}
    Delete /REBOOTOK "$INSTDIR\${HG_SERVICE_EXE_NAME}"
  ${EndIf}

  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "DisplayName" "${HG_APP}"
  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "DisplayVersion" "${HG_VERSION}"
  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "Publisher" "${HG_PUBLISHER}"
  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${HG_UNINSTALLER}"'
  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${HG_UNINSTALLER}" /S'
  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${HG_EXE_NAME},0"
  WriteRegDWORD HKLM "${HG_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${HG_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${HG_UNINSTALL_KEY}" "EstimatedSize" "$0"
  WriteRegStr HKLM "${HG_UNINSTALL_KEY}" "InstallerLanguage" "$LANGUAGE"
  ${HgLog} "HKLM\${HG_UNINSTALL_KEY} written"

  ; The service starts before the tray program, which then finds it. A
  ; service the setup stopped is started again even with /NOSTART: the PC
  ; stays protected.
  ${If} $HgService = 1
    ${If} $HgNoStart = 1
    ${AndIf} $R9 != ended
      ${HgLog} "service start: skipped (/NOSTART); it starts with Windows"
    ${Else}
      DetailPrint "$(HG_STARTING_SERVICE)"
      Call HgStartService
      Pop $0
      ${If} $0 <> 1
        !insertmacro HG_STEP_FAILED HG_FAIL_START "starting the service"
      ${EndIf}
    ${EndIf}
  ${EndIf}

  ${If} $HgNoStart = 1
    ${HgLog} "start: skipped (/NOSTART)"
  ${Else}
    ; The setup runs elevated; Explorer starts the program for the account
    ; signed in to the desktop, without the administrator's rights.
    DetailPrint "$(HG_STARTING)"
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${HG_EXE_NAME}"'
    ${HgLog} "start: $WINDIR\explorer.exe $\"$INSTDIR\${HG_EXE_NAME}$\""
  ${EndIf}

  ${If} $HgFailures != ""
    ${HgLog} "exit code ${HG_EXIT_STEP_FAILED}"
    FileClose $HgLogFile
    ${IfNot} ${Silent}
      MessageBox MB_ICONSTOP|MB_OK "$(HG_FAILED)$HgFailures"
    ${EndIf}
    SetErrorLevel ${HG_EXIT_STEP_FAILED}
  ${Else}
    ${HgLog} "done"
    FileClose $HgLogFile
  ${EndIf}
SectionEnd

; The zone the service's accounting day follows, in the program key's
; TimeZone: a TimeZoneKeyName, or empty for Windows' zone whatever it is.
Function HgStoreZone
  Push $0
  ${If} $HgZoneChoice == ""
    ClearErrors
    ReadRegStr $0 HKLM "${HG_PROGRAM_KEY}" "TimeZone"
    ${IfNot} ${Errors}
      ${HgLog} "HKLM\${HG_PROGRAM_KEY} TimeZone kept: $\"$0$\""
      Pop $0
      Return
    ${EndIf}
    StrCpy $HgZoneChoice pin
  ${EndIf}
  ${If} $HgZoneChoice == follow
    StrCpy $0 ""
  ${Else}
    StrCpy $0 $HgZoneKey
  ${EndIf}
  !insertmacro HG_WRITE_VALUE TimeZone "$0" "$\"$0$\""
  Pop $0
FunctionEnd

; --- uninstall -----------------------------------------------------------------

Function un.onInit
  SetRegView 32
  !insertmacro MUI_UNGETLANGUAGE
  !insertmacro HG_REQUIRE_ADMIN
  StrCpy $HgUnPassword ""
  !insertmacro HG_PARAMETERS "un." $R0
  ClearErrors
  ${GetOptions} $R0 "/PASSWORD=" $R1
  ${IfNot} ${Errors}
    StrCpy $HgUnPassword $R1
  ${EndIf}
  ${If} ${Silent}
    Push $HgUnPassword
    Call un.HgPasswordMatches
    Pop $0
    ${If} $0 <> 1
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.HgPasswordPage
  Push $HgUnPassword
  Call un.HgPasswordMatches
  Pop $0
  ${If} $0 = 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "$(HG_UN_PASSWORD_TITLE)" "$(HG_UN_PASSWORD_SUBTITLE)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 12u "$(HG_UN_PASSWORD_LABEL)"
  Pop $0
  ${NSD_CreatePassword} 0 13u 100u 12u ""
  Pop $HgUnPasswordEdit
  ${NSD_SetFocus} $HgUnPasswordEdit
  nsDialogs::Show
FunctionEnd

Function un.HgPasswordPageLeave
  ${NSD_GetText} $HgUnPasswordEdit $1
  Push $1
  Call un.HgPasswordMatches
  Pop $0
  ${If} $0 <> 1
    MessageBox MB_ICONSTOP|MB_OK "$(HG_UN_PASSWORD_WRONG)"
    Abort
  ${EndIf}
  StrCpy $HgUnPassword $1
FunctionEnd

Section "Uninstall"
  ; The service first: it would start the tray program again, and it would
  ; write the key again.
  DetailPrint "$(HG_STOPPING_SERVICE)"
  Call un.HgRemoveService
  Pop $R9

  DetailPrint "$(HG_CLOSING)"
  Call un.HgCloseProgram
  Pop $0
  DetailPrint "closed running copies: $0"
  Call un.HgStopOtherCopies
  Pop $0
  DetailPrint "copies in other sessions ended by force: $0"

  ; The files first: no running copy is left to write the key again.
  Delete /REBOOTOK "$INSTDIR\${HG_EXE_NAME}"
  Delete /REBOOTOK "$INSTDIR\${HG_SERVICE_EXE_NAME}"
  Delete "$INSTDIR\${HG_LOG_NAME}"
  Delete "$INSTDIR\${HG_UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"

  ; What the program's own uninstall removes: its key and its autostart entry.
  DeleteRegKey HKLM "${HG_PROGRAM_KEY}"
  DeleteRegValue HKLM "${HG_RUN_KEY}" "${HG_RUN_VALUE}"
  Call un.HgDropVirtualCopies
  DeleteRegKey HKLM "${HG_UNINSTALL_KEY}"

  ${If} $R9 <> 1
    ${IfNot} ${Silent}
      MessageBox MB_ICONSTOP|MB_OK "$(HG_UN_SERVICE_FAILED)"
    ${EndIf}
    SetErrorLevel ${HG_EXIT_STEP_FAILED}
  ${EndIf}
SectionEnd
