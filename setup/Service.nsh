; The enforcing service, hourgauge-service.exe: the service manager's calls
; that install, start, stop and remove it, and its Safe Mode entries. Every
; call is made through System::Call so that its result is checked and
; logged (sc.exe says less, and not the same on every Windows).
;
; The service is created as Windows' own services are: its own process,
; LocalSystem, automatic start, the image path quoted (the folder's name
; holds blanks: an unquoted path would let Windows try "C:\Program.exe"
; first), display name HourgaugeLite, a description in both languages.

!define HG_SERVICE_NAME "HourgaugeLite"
!define HG_SERVICE_EXE_NAME "hourgauge-service.exe"
; Safe Mode starts only the services named under these keys, each with the
; default value "Service".
!define HG_SAFEBOOT_MINIMAL "SYSTEM\CurrentControlSet\Control\SafeBoot\Minimal\${HG_SERVICE_NAME}"
!define HG_SAFEBOOT_NETWORK "SYSTEM\CurrentControlSet\Control\SafeBoot\Network\${HG_SERVICE_NAME}"
!define HG_SERVICE_DESCRIPTION "${HG_SERVICE_DESCRIPTION_EN} / ${HG_SERVICE_DESCRIPTION_JA}"

!define HG_SC_MANAGER_CONNECT 0x0001
!define HG_SC_MANAGER_CREATE_SERVICE 0x0002
!define HG_SERVICE_QUERY_STATUS 0x0004
!define HG_SERVICE_START 0x0010
!define HG_SERVICE_STOP 0x0020
!define HG_SERVICE_DELETE 0x00010000
!define HG_SERVICE_ALL_ACCESS 0x000F01FF
!define HG_SERVICE_WIN32_OWN_PROCESS 0x10
!define HG_SERVICE_AUTO_START 2
!define HG_SERVICE_ERROR_NORMAL 1
!define HG_SERVICE_NO_CHANGE 0xFFFFFFFF
!define HG_SERVICE_CONTROL_STOP 1
!define HG_SERVICE_STOPPED 1
!define HG_SERVICE_START_PENDING 2
!define HG_SERVICE_RUNNING 4
!define HG_SERVICE_CONFIG_DESCRIPTION 1
!define HG_SERVICE_CONFIG_FAILURE_ACTIONS 2
!define HG_SERVICE_CONFIG_FAILURE_ACTIONS_FLAG 4
!define HG_SC_ACTION_RESTART 1
!define HG_SC_STATUS_PROCESS_INFO 0
; SERVICE_STATUS_PROCESS: nine DWORDs.
!define HG_SERVICE_STATUS_PROCESS_SIZE 36
!define HG_ERROR_SERVICE_ALREADY_RUNNING 1056
!define HG_ERROR_SERVICE_DOES_NOT_EXIST 1060
!define HG_ERROR_SERVICE_EXISTS 1073
!define HG_WAIT_TIMEOUT 258
; Restart after a failure: after 5 s, three times; the count starts again
; after a day without failures.
!define HG_RESTART_DELAY_MS 5000
!define HG_FAILURE_RESET_SECONDS 86400
; How long the service may take to start or to stop (it saves its state
; when it stops), in half seconds.
!define HG_SERVICE_WAIT_STEPS 120

!macro HG_SERVICE_FUNCTIONS un
; The service's state and process id, from an open service handle:
; QueryServiceStatusEx into a buffer of SERVICE_STATUS_PROCESS's size.
; Stack: handle -> state (0 when the query failed), process id.
Function ${un}HgServiceStatus
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  System::Call "*(i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0) p .r1"
  System::Call "advapi32::QueryServiceStatusEx(p r0, i ${HG_SC_STATUS_PROCESS_INFO}, p r1, i ${HG_SERVICE_STATUS_PROCESS_SIZE}, *i 0) i .r2"
  StrCpy $3 0
  StrCpy $4 0
  ${If} $2 <> 0
    System::Call "*$1(i, i .r3, i, i, i, i, i, i .r4)"
  ${EndIf}
  System::Free $1
  StrCpy $0 $3
  StrCpy $1 $4
  Pop $4
  Pop $3
  Pop $2
  Exch $1
  Exch
  Exch $0
FunctionEnd

; Stops the service if it runs and waits until its process has ended, so
; that its exe can be replaced or deleted. Pushes "absent" (not installed),
; "stopped" (installed, not running), "ended" (it ran and has stopped now)
; or "failed" (it could not be asked, or did not stop within a minute).
Function ${un}HgStopService
  Push $0 ; service manager
  Push $1 ; service
  Push $2 ; state
  Push $3 ; process id
  Push $4 ; half seconds waited
  Push $5 ; a call's result
  Push $6 ; outcome
  Push $7 ; last error
  Push $8 ; buffer, process handle
  StrCpy $6 absent
  System::Call "advapi32::OpenSCManagerW(p 0, p 0, i ${HG_SC_MANAGER_CONNECT}) p .r0 ?e"
  Pop $7
  ${If} $0 = 0
    !insertmacro HG_LOG_IN "${un}" "OpenSCManagerW(SC_MANAGER_CONNECT) failed, GetLastError = $7"
    StrCpy $6 failed
  ${Else}
    System::Call "advapi32::OpenServiceW(p r0, w '${HG_SERVICE_NAME}', i ${HG_SERVICE_STOP}|${HG_SERVICE_QUERY_STATUS}) p .r1 ?e"
    Pop $7
    ${If} $1 = 0
      ${If} $7 <> ${HG_ERROR_SERVICE_DOES_NOT_EXIST}
        !insertmacro HG_LOG_IN "${un}" "OpenServiceW(${HG_SERVICE_NAME}, SERVICE_STOP|SERVICE_QUERY_STATUS) failed, GetLastError = $7"
        StrCpy $6 failed
      ${EndIf}
    ${Else}
      Push $1
      Call ${un}HgServiceStatus
      Pop $2
      Pop $3
      !insertmacro HG_LOG_IN "${un}" "service ${HG_SERVICE_NAME}: state $2, process $3"
      ${If} $2 = ${HG_SERVICE_STOPPED}
        StrCpy $6 stopped
      ${Else}
        StrCpy $6 failed
        StrCpy $4 0
        ${Do}
          ; A service still starting takes no stop yet: asked again every
          ; 5 s until it has stopped.
          IntOp $5 $4 % 10
          ${If} $5 = 0
            System::Call "*(i 0, i 0, i 0, i 0, i 0, i 0, i 0) p .r8"
            System::Call "advapi32::ControlService(p r1, i ${HG_SERVICE_CONTROL_STOP}, p r8) i .r5 ?e"
            Pop $7
            System::Free $8
            !insertmacro HG_LOG_CALL "${un}" "ControlService(SERVICE_CONTROL_STOP)" $5 $7
          ${EndIf}
          Sleep 500
          IntOp $4 $4 + 1
          Push $1
          Call ${un}HgServiceStatus
          Pop $2
          Pop $5
          ${If} $2 = ${HG_SERVICE_STOPPED}
            StrCpy $6 ended
            ${Break}
          ${EndIf}
        ${LoopUntil} $4 >= ${HG_SERVICE_WAIT_STEPS}
        IntOp $4 $4 / 2
        !insertmacro HG_LOG_IN "${un}" "service ${HG_SERVICE_NAME}: state $2 after $4 s"
        ; The service reports "stopped" just before its process exits.
        ${If} $6 == ended
        ${AndIf} $3 <> 0
          System::Call "kernel32::OpenProcess(i ${HG_SYNCHRONIZE}, i 0, i r3) p .r8"
          ${If} $8 <> 0
            System::Call "kernel32::WaitForSingleObject(p r8, i 30000) i .r5"
            System::Call "kernel32::CloseHandle(p r8)"
            ${If} $5 = ${HG_WAIT_TIMEOUT}
              StrCpy $6 failed
            ${EndIf}
            !insertmacro HG_LOG_IN "${un}" "process $3: WaitForSingleObject = $5"
          ${Else}
            !insertmacro HG_LOG_IN "${un}" "process $3: ended already"
          ${EndIf}
        ${EndIf}
      ${EndIf}
      System::Call "advapi32::CloseServiceHandle(p r1)"
    ${EndIf}
    System::Call "advapi32::CloseServiceHandle(p r0)"
  ${EndIf}
  !insertmacro HG_LOG_IN "${un}" "stop service ${HG_SERVICE_NAME}: $6"
  StrCpy $0 $6
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Removes the Safe Mode entries, then the service (stopped first). Pushes
; 1 when nothing of it is left (or nothing was there), 0 when the service
; could not be deleted.
Function ${un}HgRemoveService
  Push $0
  Push $1
  Push $2
  Push $3
  DeleteRegKey HKLM "${HG_SAFEBOOT_MINIMAL}"
  DeleteRegKey HKLM "${HG_SAFEBOOT_NETWORK}"
  !insertmacro HG_LOG_IN "${un}" "removed HKLM\${HG_SAFEBOOT_MINIMAL} and HKLM\${HG_SAFEBOOT_NETWORK}"
  Call ${un}HgStopService
  Pop $3
  ${If} $3 == absent
    StrCpy $3 1
  ${Else}
    StrCpy $3 0
    System::Call "advapi32::OpenSCManagerW(p 0, p 0, i ${HG_SC_MANAGER_CONNECT}) p .r0"
    ${If} $0 <> 0
      System::Call "advapi32::OpenServiceW(p r0, w '${HG_SERVICE_NAME}', i ${HG_SERVICE_DELETE}) p .r1 ?e"
      Pop $2
      ${If} $1 = 0
        !insertmacro HG_LOG_IN "${un}" "OpenServiceW(${HG_SERVICE_NAME}, DELETE) failed, GetLastError = $2"
      ${Else}
        System::Call "advapi32::DeleteService(p r1) i .r3 ?e"
        Pop $2
        !insertmacro HG_LOG_CALL "${un}" "DeleteService(${HG_SERVICE_NAME})" $3 $2
        ; The service manager removes it once the last handle is closed.
        System::Call "advapi32::CloseServiceHandle(p r1)"
      ${EndIf}
      System::Call "advapi32::CloseServiceHandle(p r0)"
    ${EndIf}
  ${EndIf}
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend

; --- the setup's own steps ----------------------------------------------------

; Creates the service, or points an existing one at this installation with
; the same settings, then gives it its description and its restarts.
; Pushes 1 when the service is installed as described above, else 0. The
; description and the restarts are logged but do not fail the setup: the
; service protects without them.
Function HgInstallService
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  StrCpy $6 0
  ; Quoted: the folder's name holds blanks.
  StrCpy $3 '"$INSTDIR\${HG_SERVICE_EXE_NAME}"'
  System::Call "advapi32::OpenSCManagerW(p 0, p 0, i ${HG_SC_MANAGER_CONNECT}|${HG_SC_MANAGER_CREATE_SERVICE}) p .r0 ?e"
  Pop $2
  ${If} $0 = 0
    ${HgLog} "OpenSCManagerW(SC_MANAGER_CONNECT|SC_MANAGER_CREATE_SERVICE) failed, GetLastError = $2"
  ${Else}
    ; lpServiceStartName NULL: LocalSystem.
    System::Call "advapi32::CreateServiceW(p r0, w '${HG_SERVICE_NAME}', w '${HG_APP}', i ${HG_SERVICE_ALL_ACCESS}, i ${HG_SERVICE_WIN32_OWN_PROCESS}, i ${HG_SERVICE_AUTO_START}, i ${HG_SERVICE_ERROR_NORMAL}, w r3, p 0, p 0, p 0, p 0, p 0) p .r1 ?e"
    Pop $2
    ${If} $1 = 0
      ${HgLog} "CreateServiceW(${HG_SERVICE_NAME}, $\"${HG_APP}$\", SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, $3, LocalSystem) = NULL, GetLastError = $2"
    ${Else}
      ${HgLog} "CreateServiceW(${HG_SERVICE_NAME}, $\"${HG_APP}$\", SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, $3, LocalSystem) = handle"
    ${EndIf}
    ${If} $1 = 0
    ${AndIf} $2 = ${HG_ERROR_SERVICE_EXISTS}
      System::Call "advapi32::OpenServiceW(p r0, w '${HG_SERVICE_NAME}', i ${HG_SERVICE_ALL_ACCESS}) p .r1 ?e"
      Pop $2
      ${If} $1 = 0
        ${HgLog} "OpenServiceW(${HG_SERVICE_NAME}, SERVICE_ALL_ACCESS) = NULL, GetLastError = $2"
      ${EndIf}
      ${If} $1 <> 0
        ; An empty password goes with LocalSystem.
        System::Call "advapi32::ChangeServiceConfigW(p r1, i ${HG_SERVICE_WIN32_OWN_PROCESS}, i ${HG_SERVICE_AUTO_START}, i ${HG_SERVICE_ERROR_NORMAL}, w r3, p 0, p 0, p 0, w 'LocalSystem', w '', w '${HG_APP}') i .r4 ?e"
        Pop $2
        !insertmacro HG_LOG_CALL "" "ChangeServiceConfigW(SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, $3, LocalSystem, $\"${HG_APP}$\")" $4 $2
        ${If} $4 = 0
          System::Call "advapi32::CloseServiceHandle(p r1)"
          StrCpy $1 0
        ${EndIf}
      ${EndIf}
    ${EndIf}

    ${If} $1 <> 0
      StrCpy $6 1
      ; SERVICE_DESCRIPTIONW: one pointer to the text.
      StrCpy $4 "${HG_SERVICE_DESCRIPTION}"
      System::Call "*(&w${NSIS_MAX_STRLEN} r4) p .r4"
      System::Call "*(p r4) p .r5"
      System::Call "advapi32::ChangeServiceConfig2W(p r1, i ${HG_SERVICE_CONFIG_DESCRIPTION}, p r5) i .r2 ?e"
      Pop $7
      !insertmacro HG_LOG_CALL "" "ChangeServiceConfig2W(SERVICE_CONFIG_DESCRIPTION)" $2 $7
      System::Free $5
      System::Free $4

      ; SERVICE_FAILURE_ACTIONSW: reset period, no reboot message, no
      ; command, three SC_ACTIONs of a restart after 5 s.
      System::Call "*(i ${HG_SC_ACTION_RESTART}, i ${HG_RESTART_DELAY_MS}, i ${HG_SC_ACTION_RESTART}, i ${HG_RESTART_DELAY_MS}, i ${HG_SC_ACTION_RESTART}, i ${HG_RESTART_DELAY_MS}) p .r4"
      System::Call "*(i ${HG_FAILURE_RESET_SECONDS}, p 0, p 0, i 3, p r4) p .r5"
      System::Call "advapi32::ChangeServiceConfig2W(p r1, i ${HG_SERVICE_CONFIG_FAILURE_ACTIONS}, p r5) i .r2 ?e"
      Pop $7
      !insertmacro HG_LOG_CALL "" "ChangeServiceConfig2W(SERVICE_CONFIG_FAILURE_ACTIONS, reset ${HG_FAILURE_RESET_SECONDS} s, 3 x restart after ${HG_RESTART_DELAY_MS} ms)" $2 $7
      System::Free $5
      System::Free $4

      ; SERVICE_FAILURE_ACTIONS_FLAG: an exit with an error counts as a
      ; failure too, not only a crash.
      System::Call "advapi32::ChangeServiceConfig2W(p r1, i ${HG_SERVICE_CONFIG_FAILURE_ACTIONS_FLAG}, *i 1) i .r2 ?e"
      Pop $7
      !insertmacro HG_LOG_CALL "" "ChangeServiceConfig2W(SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, TRUE)" $2 $7
      System::Call "advapi32::CloseServiceHandle(p r1)"
    ${EndIf}
    System::Call "advapi32::CloseServiceHandle(p r0)"
  ${EndIf}
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

; Writes both Safe Mode entries. Pushes 1 when both are there.
Function HgWriteSafeBootEntries
  Push $0
  Push $1
  StrCpy $0 1
  ClearErrors
  WriteRegStr HKLM "${HG_SAFEBOOT_MINIMAL}" "" "Service"
  WriteRegStr HKLM "${HG_SAFEBOOT_NETWORK}" "" "Service"
  ${If} ${Errors}
    StrCpy $0 0
  ${EndIf}
  ; Read back: the entries are what Safe Mode goes by.
  ReadRegStr $1 HKLM "${HG_SAFEBOOT_MINIMAL}" ""
  ${If} $1 != "Service"
    StrCpy $0 0
  ${EndIf}
  ReadRegStr $1 HKLM "${HG_SAFEBOOT_NETWORK}" ""
  ${If} $1 != "Service"
    StrCpy $0 0
  ${EndIf}
  ${HgLog} "HKLM\${HG_SAFEBOOT_MINIMAL} and HKLM\${HG_SAFEBOOT_NETWORK} (default) = Service: $0"
  Pop $1
  Exch $0
FunctionEnd

; Starts the service and waits until it runs. Pushes 1 when it runs.
Function HgStartService
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $5 0
  System::Call "advapi32::OpenSCManagerW(p 0, p 0, i ${HG_SC_MANAGER_CONNECT}) p .r0 ?e"
  Pop $2
  ${If} $0 = 0
    ${HgLog} "OpenSCManagerW(SC_MANAGER_CONNECT) failed, GetLastError = $2"
  ${Else}
    System::Call "advapi32::OpenServiceW(p r0, w '${HG_SERVICE_NAME}', i ${HG_SERVICE_START}|${HG_SERVICE_QUERY_STATUS}) p .r1 ?e"
    Pop $2
    ${If} $1 = 0
      ${HgLog} "OpenServiceW(${HG_SERVICE_NAME}, SERVICE_START|SERVICE_QUERY_STATUS) failed, GetLastError = $2"
    ${Else}
      System::Call "advapi32::StartServiceW(p r1, i 0, p 0) i .r3 ?e"
      Pop $2
      !insertmacro HG_LOG_CALL "" "StartServiceW(${HG_SERVICE_NAME})" $3 $2
      ${If} $3 <> 0
      ${OrIf} $2 = ${HG_ERROR_SERVICE_ALREADY_RUNNING}
        StrCpy $4 0
        ${Do}
          Push $1
          Call HgServiceStatus
          Pop $3
          Pop $2
          ${If} $3 = ${HG_SERVICE_RUNNING}
            StrCpy $5 1
            ${Break}
          ${EndIf}
          ; Stopped again: it ended during its start.
          ${If} $3 = ${HG_SERVICE_STOPPED}
          ${AndIf} $4 > 0
            ${Break}
          ${EndIf}
          Sleep 500
          IntOp $4 $4 + 1
        ${LoopUntil} $4 >= ${HG_SERVICE_WAIT_STEPS}
        IntOp $4 $4 / 2
        ${HgLog} "service ${HG_SERVICE_NAME}: state $3 after $4 s"
      ${EndIf}
      System::Call "advapi32::CloseServiceHandle(p r1)"
    ${EndIf}
    System::Call "advapi32::CloseServiceHandle(p r0)"
  ${EndIf}
  StrCpy $0 $5
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Windows' current time zone: pushes its TimeZoneKeyName (the name the
; service looks the zone up by), then its standard name as Windows shows
; it. Both empty when Windows cannot tell.
;   DYNAMIC_TIME_ZONE_INFORMATION: Bias (4 bytes), StandardName (32 WCHARs)
;   at 4, StandardDate, StandardBias, DaylightName, DaylightDate,
;   DaylightBias, TimeZoneKeyName (128 WCHARs) at 172, and one BOOLEAN.
!define HG_DTZI_SIZE 432
!define HG_DTZI_KEY_NAME_OFFSET 172
!define HG_TIME_ZONE_ID_INVALID 0xFFFFFFFF
Function HgCurrentZone
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  System::Alloc ${HG_DTZI_SIZE}
  Pop $0
  System::Call "kernel32::GetDynamicTimeZoneInformation(p r0) i .r1 ?e"
  Pop $4
  StrCpy $2 ""
  StrCpy $3 ""
  ${If} $1 <> ${HG_TIME_ZONE_ID_INVALID}
    System::Call "*$0(i, &w32 .r3)"
    IntOp $1 $0 + ${HG_DTZI_KEY_NAME_OFFSET}
    System::Call "*$1(&w128 .r2)"
  ${Else}
    ${HgLog} "GetDynamicTimeZoneInformation failed, GetLastError = $4"
  ${EndIf}
  System::Free $0
  StrCpy $0 $2
  StrCpy $1 $3
  Pop $4
  Pop $3
  Pop $2
  Exch $1
  Exch
  Exch $0
FunctionEnd

; 1 when $INSTDIR lies inside Program Files (either of them on 64-bit
; Windows), where only administrators may change files, else 0. The path is
; made full first, so that "..\" cannot lead out of it.
!macro HG_INSIDE_FOLDER full folder result
  System::Call "kernel32::GetFullPathNameW(w '${folder}', i ${NSIS_MAX_STRLEN}, w .r2, p 0) i"
  StrCpy $2 "$2\"
  StrLen $3 $2
  StrCpy $3 ${full} $3
  ${If} $3 == $2
  ${AndIf} ${full} != $2
    StrCpy ${result} 1
  ${EndIf}
!macroend

Function HgInstallFolderIsProtected
  Push $0
  Push $1
  Push $2
  Push $3
  System::Call "kernel32::GetFullPathNameW(w '$INSTDIR', i ${NSIS_MAX_STRLEN}, w .r1, p 0) i"
  StrCpy $0 0
  !insertmacro HG_INSIDE_FOLDER $1 $PROGRAMFILES32 $0
  !insertmacro HG_INSIDE_FOLDER $1 $PROGRAMFILES64 $0
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
