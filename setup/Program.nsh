; The running program: it has one hidden top-level window titled
; "HourgaugeLite", and takes WM_COMMAND ID_APP_EXIT (57665) from another
; program as a close without password (it saves its state and ends).

!define HG_ID_APP_EXIT 57665
!define HG_SYNCHRONIZE 0x00100000

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

; Pushes the program's main window in this desktop, or 0. Its message boxes
; carry the same title: dialogs (#32770) are passed over.
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
      ${Break}
    ${EndIf}
    StrCpy $1 $0
  ${Loop}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Closes every running copy this desktop shows and waits for its process to
; end, so that its exe can be replaced or deleted. Pushes the number closed.
Function ${un}HgCloseProgram
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
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
