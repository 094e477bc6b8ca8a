; Who may change HourgaugeLite's state, HKLM\SOFTWARE\Hourgauge.
;
; With the service, the service alone keeps the state: the key admits
; SYSTEM and Administrators only, its DACL protected from the parent key's
; inheritable entries, so that no standard account can read or change a
; value, or take the key over. The tray program then asks the service.
;
; Without the service (tray-only), the program in each account reads and
; writes the key itself (it opens it with KEY_READ and KEY_WRITE): Users
; get exactly that, KR and KW, and not KA, whose DELETE, WRITE_DAC and
; WRITE_OWNER would let a child delete the key, lock the parent out of it or
; take it over. Left unprotected (AI, no P): a change an administrator
; propagates from the parent key still reaches it, and our explicit entries
; survive such a propagation.
;
; In both the owner becomes Administrators first: an owner may always
; rewrite the DACL, and a child may own the key (a tray-only install of an
; earlier version gave Users full control). Taking a key over needs
; SeTakeOwnershipPrivilege, naming another owner than oneself
; SeRestorePrivilege; an elevated administrator holds both, disabled.
; The key is opened for each step with only the access that step needs:
; WRITE_OWNER (granted by the privilege whatever the DACL says), then,
; as its owner, WRITE_DAC.
;
; Under UAC a standard user's write to a key of HKLM\SOFTWARE that the
; account may not change is not refused: registry virtualization gives each
; account its own copy, so the parent's settings would never reach the
; child's session. The key is marked not to be virtualized (reg flags), so
; that such a write fails instead of landing in a per-account copy.
;
; The DACL is written whole by RegSetKeySecurity, which does not merge the
; parent's inheritable entries (only the higher-level SetSecurityInfo does),
; so SYSTEM and Administrators are named explicitly; the protection ("P") is
; the security descriptor's own control bit, stored with the DACL.

!define HG_KEY_OWNER_SDDL "O:BA"
!define HG_KEY_SERVICE_SDDL "D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)"
!define HG_KEY_TRAY_SDDL "D:AI(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)(A;OICI;KRKW;;;BU)"
!define HG_SDDL_REVISION_1 1
; KEY_WOW64_32KEY | WRITE_OWNER | READ_CONTROL
!define HG_KEY_OWNER_ACCESS 0x000A0200
; KEY_WOW64_32KEY | WRITE_DAC | READ_CONTROL
!define HG_KEY_DACL_ACCESS 0x00060200
!define HG_OWNER_SECURITY_INFORMATION 1
!define HG_DACL_SECURITY_INFORMATION 4
; TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
!define HG_TOKEN_ADJUST 0x28
!define HG_SE_PRIVILEGE_ENABLED 2

!macro HG_PRIVILEGE_FUNCTIONS un
; Enables one privilege the setup's token holds. Stack: its name -> 1 when
; enabled, else 0. AdjustTokenPrivileges succeeds for a privilege the token
; lacks too, with ERROR_NOT_ALL_ASSIGNED: only a last error of 0 counts.
Function ${un}HgEnablePrivilege
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $5 0
  System::Call "advapi32::OpenProcessToken(p -1, i ${HG_TOKEN_ADJUST}, *p .r1) i .r2 ?e"
  Pop $3
  ${If} $2 = 0
    !insertmacro HG_LOG_IN "${un}" "OpenProcessToken failed, GetLastError = $3"
  ${Else}
    ; TOKEN_PRIVILEGES with one LUID_AND_ATTRIBUTES: count, LUID, attributes.
    System::Call "*(i 1, i 0, i 0, i ${HG_SE_PRIVILEGE_ENABLED}) p .r4"
    IntOp $2 $4 + 4
    System::Call "advapi32::LookupPrivilegeValueW(p 0, w r0, p r2) i .r2 ?e"
    Pop $3
    ${If} $2 = 0
      !insertmacro HG_LOG_IN "${un}" "LookupPrivilegeValueW($0) failed, GetLastError = $3"
    ${Else}
      System::Call "advapi32::AdjustTokenPrivileges(p r1, i 0, p r4, i 0, p 0, p 0) i .r2 ?e"
      Pop $3
      ; Its last error tells whether the privilege was there to enable.
      !insertmacro HG_LOG_IN "${un}" "AdjustTokenPrivileges($0) = $2, GetLastError = $3"
      ${If} $2 <> 0
      ${AndIf} $3 = 0
        StrCpy $5 1
      ${EndIf}
    ${EndIf}
    System::Free $4
    System::Call "kernel32::CloseHandle(p r1)"
  ${EndIf}
  StrCpy $0 $5
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro HG_PRIVILEGE_FUNCTIONS ""
!insertmacro HG_PRIVILEGE_FUNCTIONS "un."

; One part of the program key's security descriptor, from SDDL, set on the
; key opened (created if needed) with the given access. Stack: SDDL,
; access, SECURITY_INFORMATION, its name for the log -> 1 when set, else 0.
Function HgSetProgramKeySecurity
  Exch $3 ; name of the part
  Exch
  Exch $2 ; SECURITY_INFORMATION
  Exch 2
  Exch $1 ; access
  Exch 3
  Exch $0 ; SDDL
  Push $4
  Push $5
  Push $6
  Push $7
  StrCpy $7 0
  System::Call "advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w r0, i ${HG_SDDL_REVISION_1}, *p .r4, p 0) i .r5 ?e"
  Pop $6
  ${HgLog} "ConvertStringSecurityDescriptorToSecurityDescriptorW($\"$0$\", SDDL_REVISION_1) = $5"
  ${If} $5 = 0
    ${HgLog} "GetLastError = $6"
  ${Else}
    System::Call "advapi32::RegCreateKeyExW(p ${HG_HKEY_LOCAL_MACHINE}, w '${HG_PROGRAM_KEY}', i 0, p 0, i 0, i r1, p 0, *p .r5, p 0) i .r6"
    ${If} $1 = ${HG_KEY_OWNER_ACCESS}
      StrCpy $1 KEY_WOW64_32KEY|WRITE_OWNER|READ_CONTROL
    ${Else}
      StrCpy $1 KEY_WOW64_32KEY|WRITE_DAC|READ_CONTROL
    ${EndIf}
    ${HgLog} "RegCreateKeyExW(HKLM, $\"${HG_PROGRAM_KEY}$\", $1) = $6"
    ${If} $6 = 0
      System::Call "advapi32::RegSetKeySecurity(p r5, i r2, p r4) i .r6"
      ${HgLog} "RegSetKeySecurity($3) = $6"
      ${If} $6 = 0
        StrCpy $7 1
      ${EndIf}
      System::Call "advapi32::RegCloseKey(p r5)"
    ${EndIf}
    System::Call "kernel32::LocalFree(p r4)"
  ${EndIf}
  StrCpy $0 $7
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Exch $0
  Exch 3
  Pop $1
  Pop $3
  Pop $2
FunctionEnd

; Gives the program key (created if needed) the owner Administrators and
; the DACL given as SDDL (stack), then the virtualization flags. Pushes 1
; when owner and DACL are set, else 0; logs every call with its result.
Function HgSecureProgramKey
  Exch $0
  Push $1
  Push $2
  Push SeTakeOwnershipPrivilege
  Call HgEnablePrivilege
  Pop $1
  Push SeRestorePrivilege
  Call HgEnablePrivilege
  Pop $1

  Push "${HG_KEY_OWNER_SDDL}"
  Push ${HG_KEY_OWNER_ACCESS}
  Push ${HG_OWNER_SECURITY_INFORMATION}
  Push OWNER_SECURITY_INFORMATION
  Call HgSetProgramKeySecurity
  Pop $1
  Push $0
  Push ${HG_KEY_DACL_ACCESS}
  Push ${HG_DACL_SECURITY_INFORMATION}
  Push DACL_SECURITY_INFORMATION
  Call HgSetProgramKeySecurity
  Pop $2
  IntOp $0 $1 & $2

  ; Windows' reg.exe knows "flags" since Vista; where it does not (Wine), the
  ; command fails and the setup goes on.
  nsExec::ExecToStack '"$SYSDIR\reg.exe" flags "HKLM\${HG_PROGRAM_KEY}" SET DONT_VIRTUALIZE DONT_SILENT_FAIL /reg:32'
  Pop $1
  Pop $2
  ${HgLog} "reg flags HKLM\${HG_PROGRAM_KEY} SET DONT_VIRTUALIZE DONT_SILENT_FAIL /reg:32 = $1"
  ${HgLog} "reg flags said: $2"
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

