; The running program: it has one hidden top-level window titled
; "HourgaugeLite", and takes WM_COMMAND ID_APP_EXIT (57665) from another
; program as a close without password (it saves its state and ends).
;
; Other windows carry that title too: Explorer's window open on the install
; folder, or any program's. The exit command goes only to a window whose
; process runs the installed exe, $INSTDIR\hourgauge.exe, the full path
; compared as Windows compares file names (ordinal, ignoring case), both
; sides in their long form (a folder given by its short 8.3 name is the
; same folder).

!define HG_ID_APP_EXIT 57665
!define HG_SYNCHRONIZE 0x00100000
!define HG_PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define HG_CSTR_EQUAL 2

!macro HG_PROGRAM_FUNCTIONS un
; A copy in another account's session (fast user switching) is out of
; FindWindow's reach and would keep its exe locked: when the exe still cannot
; be opened for writing, every hourgauge.exe is ended by force. Pushes the
; number of such attempts (0 or 1).
Function ${un}HgStopOtherCopies
  Push $0
  Push $1
  StrCpy $1 0
  ${If} ${FileExists} "$INSTDIR\${HG_EXE_NAME}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${HG_EXE_NAME}" a
    ${If} ${Errors}
      nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM ${HG_EXE_NAME}'
      Pop $0
      StrCpy $1 1
      Sleep 1000
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
  Pop $0
  Exch $1
FunctionEnd

; Stack: a path -> its long form, or the path as it is when it has none
; (GetLongPathNameW fails for a file that is gone).
Function ${un}HgLongPath
  Exch $0
  Push $1
  Push $2
  System::Call "kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2"
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Stack: a window -> 1 when its process runs the installed exe, else 0.
; Logs the window, its process and that process's image path.
Function ${un}HgIsProgramWindow
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $6 0
  StrCpy $1 0
  System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
  System::Call "kernel32::OpenProcess(i ${HG_PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r1) p .r2 ?e"
  Pop $5
  ${If} $2 = 0
    !insertmacro HG_LOG_IN "${un}" "window $0: OpenProcess($1, PROCESS_QUERY_LIMITED_INFORMATION) failed, GetLastError = $5; left alone"
  ${Else}
    System::Call "kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i .r4 ?e"
    Pop $5
    System::Call "kernel32::CloseHandle(p r2)"
    ${If} $4 = 0
      !insertmacro HG_LOG_IN "${un}" "window $0: QueryFullProcessImageNameW (process $1) failed, GetLastError = $5; left alone"
    ${Else}
      Push $3
      Call ${un}HgLongPath
      Pop $3
      ; The uninstaller run from its copy in the temporary folder has the
      ; folder with a trailing backslash.
      StrCpy $4 $INSTDIR
      ${DoWhile} $4 != ""
        StrCpy $5 $4 1 -1
        ${If} $5 != "\"
          ${Break}
        ${EndIf}
        StrCpy $4 $4 -1
      ${Loop}
      Push "$4\${HG_EXE_NAME}"
      Call ${un}HgLongPath
      Pop $4
      System::Call "kernel32::CompareStringOrdinal(w r3, i -1, w r4, i -1, i 1) i .r5"
      ${If} $5 = ${HG_CSTR_EQUAL}
        StrCpy $6 1
        !insertmacro HG_LOG_IN "${un}" "window $0: process $1, $3: the program"
      ${Else}
        !insertmacro HG_LOG_IN "${un}" "window $0: process $1, $3: another program's, left alone"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  StrCpy $0 $6
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Pushes the program's main window in this desktop, or 0. Its message boxes
; carry the same title: dialogs (#32770) are passed over, and so is every
; window of another process than the installed exe.
Function ${un}HgFindProgramWindow
  Push $0
  Push $1
  Push $2
  StrCpy $1 0
  ${Do}
    System::Call "user32::FindWindowExW(p 0, p r1, p 0, w '${HG_APP}') p .r0"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call "user32::GetClassNameW(p r0, w .r2, i ${NSIS_MAX_STRLEN}) i"
    ${If} $2 != "#32770"
      Push $0
      Call ${un}HgIsProgramWindow
      Pop $2
      ${If} $2 = 1
        ${Break}
      ${EndIf}
    ${EndIf}
    StrCpy $1 $0
  ${Loop}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Closes every running copy this desktop shows and waits for its process to
; end, so that its exe can be replaced or deleted. Pushes the number closed.
; The copy may run in another account than the administrator's the setup
; runs as (a parent elevating it in the child's session): that process's
; security descriptor grants the administrator nothing, so the image path
; is asked for with SeDebugPrivilege enabled (an elevated administrator
; holds it, disabled), with which OpenProcess grants the access asked for.
Function ${un}HgCloseProgram
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push SeDebugPrivilege
  Call ${un}HgEnablePrivilege
  Pop $4
  StrCpy $4 0
  ${Do}
    Call ${un}HgFindProgramWindow
    Pop $0
    ${If} $0 = 0
    ${OrIf} $4 >= 5
      ${Break}
    ${EndIf}
    StrCpy $1 0
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
    System::Call "kernel32::OpenProcess(i ${HG_SYNCHRONIZE}, i 0, i r1) p .r2"
    SendMessage $0 ${WM_COMMAND} ${HG_ID_APP_EXIT} 0 $3 /TIMEOUT=5000
    ${If} $2 <> 0
      System::Call "kernel32::WaitForSingleObject(p r2, i 10000) i .r3"
      System::Call "kernel32::CloseHandle(p r2)"
    ${Else}
      Sleep 1000
    ${EndIf}
    IntOp $4 $4 + 1
  ${Loop}
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
