; The running program: it has one hidden top-level window titled
; "HourgaugeLite", and takes WM_COMMAND ID_APP_EXIT (57665) from another
; program as a close without password (it saves its state and ends).
;
; Other windows carry that title too: Explorer's window open on the install
; folder, or any program's; and another program may be named hourgauge.exe.
; The setup and the uninstaller close, or end, only a process that runs the
; installed exe, $INSTDIR\hourgauge.exe: its image path (QueryFullProcessImageNameW)
; is compared whole as Windows compares file names (ordinal, ignoring case),
; both sides in their long form (a folder given by its short 8.3 name is the
; same folder).
;
; The copy may run in another account than the administrator's the setup
; runs as (a parent elevating it in the child's session): that process's
; security descriptor grants the administrator nothing, so the setup enables
; SeDebugPrivilege (an elevated administrator holds it, disabled), with
; which OpenProcess grants the access asked for.

!define HG_ID_APP_EXIT 57665
!define HG_SYNCHRONIZE 0x00100000
; PROCESS_TERMINATE | SYNCHRONIZE
!define HG_PROCESS_TERMINATE_WAIT 0x00100001
!define HG_PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define HG_CSTR_EQUAL 2
; Process ids EnumProcesses is given room for at first (doubled while the
; list fills the room).
!define HG_PROCESS_IDS 1024

!macro HG_PROGRAM_FUNCTIONS un
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

; Pushes the installed exe's path in its long form. The uninstaller run
; from its copy in the temporary folder has the folder with a trailing
; backslash.
Function ${un}HgInstalledExe
  Push $0
  Push $1
  StrCpy $0 $INSTDIR
  ${DoWhile} $0 != ""
    StrCpy $1 $0 1 -1
    ${If} $1 != "\"
      ${Break}
    ${EndIf}
    StrCpy $0 $0 -1
  ${Loop}
  Push "$0\${HG_EXE_NAME}"
  Call ${un}HgLongPath
  Pop $0
  Pop $1
  Exch $0
FunctionEnd

; Stack: a process id -> its image path in its long form ("" when it
; cannot be read), and the failed call ("" when it could).
Function ${un}HgProcessImage
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 ""
  System::Call "kernel32::OpenProcess(i ${HG_PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r0) p .r1 ?e"
  Pop $3
  ${If} $1 = 0
    StrCpy $4 "OpenProcess($0, PROCESS_QUERY_LIMITED_INFORMATION) failed, GetLastError = $3"
    StrCpy $0 ""
  ${Else}
    System::Call "kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r2, *i ${NSIS_MAX_STRLEN}) i .r3 ?e"
    Pop $0
    System::Call "kernel32::CloseHandle(p r1)"
    ${If} $3 = 0
      StrCpy $4 "QueryFullProcessImageNameW failed, GetLastError = $0"
      StrCpy $0 ""
    ${Else}
      Push $2
      Call ${un}HgLongPath
      Pop $0
    ${EndIf}
  ${EndIf}
  StrCpy $1 $4
  Pop $4
  Pop $3
  Pop $2
  Exch $1
  Exch
  Exch $0
FunctionEnd

; Stack: a path -> 1 when it is the installed exe's, else 0.
Function ${un}HgIsInstalledExe
  Exch $0
  Push $1
  Push $2
  Call ${un}HgInstalledExe
  Pop $1
  System::Call "kernel32::CompareStringOrdinal(w r0, i -1, w r1, i -1, i 1) i .r2"
  ${If} $2 = ${HG_CSTR_EQUAL}
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
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
  StrCpy $4 0
  StrCpy $1 0
  System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
  Push $1
  Call ${un}HgProcessImage
  Pop $2
  Pop $3
  ${If} $2 == ""
    !insertmacro HG_LOG_IN "${un}" "window $0: process $1, $3; left alone"
  ${Else}
    Push $2
    Call ${un}HgIsInstalledExe
    Pop $4
    ${If} $4 = 1
      !insertmacro HG_LOG_IN "${un}" "window $0: process $1, $2: the program"
    ${Else}
      !insertmacro HG_LOG_IN "${un}" "window $0: process $1, $2: another program's, left alone"
    ${EndIf}
  ${EndIf}
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Ends by force every process that runs the installed exe. Pushes the
; number ended; logs each.
Function ${un}HgEndInstalledExeProcesses
  Push $0 ; buffer of process ids
  Push $1 ; its size in bytes
  Push $2 ; bytes filled, index
  Push $3 ; a process id
  Push $4 ; its image, a handle
  Push $5 ; a call's result
  Push $6 ; number ended
  Push $7 ; last error
  StrCpy $6 0
  IntOp $1 ${HG_PROCESS_IDS} * 4
  ${Do}
    System::Alloc $1
    Pop $0
    System::Call "kernel32::K32EnumProcesses(p r0, i r1, *i .r2) i .r5 ?e"
    Pop $7
    ${If} $5 = 0
      !insertmacro HG_LOG_IN "${un}" "K32EnumProcesses failed, GetLastError = $7"
      StrCpy $2 0
      ${Break}
    ${EndIf}
    ; A full list may have left some out: again with twice the room.
    ${If} $2 < $1
      ${Break}
    ${EndIf}
    System::Free $0
    IntOp $1 $1 * 2
  ${Loop}
  IntOp $2 $2 / 4
  ${DoWhile} $2 > 0
    IntOp $2 $2 - 1
    IntOp $3 $2 * 4
    IntOp $3 $0 + $3
    System::Call "*$3(i .r3)"
    ${If} $3 = 0
      ${Continue}
    ${EndIf}
    Push $3
    Call ${un}HgProcessImage
    Pop $4
    Pop $5
    ${If} $4 == ""
      ${Continue}
    ${EndIf}
    Push $4
    Call ${un}HgIsInstalledExe
    Pop $5
    ${If} $5 <> 1
      ${Continue}
    ${EndIf}
    System::Call "kernel32::OpenProcess(i ${HG_PROCESS_TERMINATE_WAIT}, i 0, i r3) p .r4 ?e"
    Pop $7
    ${If} $4 = 0
      !insertmacro HG_LOG_IN "${un}" "process $3: OpenProcess(PROCESS_TERMINATE|SYNCHRONIZE) failed, GetLastError = $7"
      ${Continue}
    ${EndIf}
    System::Call "kernel32::TerminateProcess(p r4, i 1) i .r5 ?e"
    Pop $7
    ${If} $5 = 0
      !insertmacro HG_LOG_IN "${un}" "process $3: TerminateProcess = 0, GetLastError = $7"
    ${Else}
      System::Call "kernel32::WaitForSingleObject(p r4, i 5000) i .r5"
      !insertmacro HG_LOG_IN "${un}" "process $3: ended by force (TerminateProcess = 1, WaitForSingleObject = $5)"
      IntOp $6 $6 + 1
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r4)"
  ${Loop}
  System::Free $0
  StrCpy $0 $6
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; A copy in another account's session (fast user switching) is out of
; FindWindow's reach and would keep its exe locked: when the exe still cannot
; be opened for writing, every process running it is ended by force. Pushes
; the number ended.
Function ${un}HgStopOtherCopies
  Push $0
  Push $1
  StrCpy $1 0
  ${If} ${FileExists} "$INSTDIR\${HG_EXE_NAME}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${HG_EXE_NAME}" a
    ${If} ${Errors}
      Call ${un}HgEndInstalledExeProcesses
      Pop $1
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
  Pop $0
  Exch $1
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
; Enables SeDebugPrivilege for this and for HgStopOtherCopies after it.
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
