; One state for the whole PC. Under UAC a standard user's write to a key of
; HKLM\SOFTWARE that the account may not change is not refused: registry
; virtualization gives each account its own copy, so the parent's settings
; would never reach the child's session. The program key therefore
;   - gets full control for the Users group (the program opens it with
;     KEY_WRITE, and its uninstall command deletes it), and
;   - is marked not to be virtualized (reg flags), so that a write the key
;     refuses fails instead of landing in a per-account copy.
;
; The DACL is written whole by RegSetKeySecurity, which does not merge the
; parent's inheritable entries (only the higher-level SetSecurityInfo does),
; so SYSTEM and Administrators are named explicitly. It is left unprotected
; (AI, no P): a later change an administrator propagates from the parent key
; still reaches it, and our explicit entries survive such a propagation.

!define HG_KEY_SDDL "D:AI(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)(A;OICI;KA;;;BU)"
!define HG_SDDL_REVISION_1 1
!define HG_HKEY_LOCAL_MACHINE 0x80000002
; KEY_WOW64_32KEY | WRITE_DAC | READ_CONTROL
!define HG_KEY_ACCESS 0x00060200
!define HG_DACL_SECURITY_INFORMATION 4

; Creates the program key if needed (a silent setup without options may
; write no value), gives it the DACL above and the virtualization flags.
; Logs every call with its result; never fails the setup.
Function HgShareProgramKey
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 0
  System::Call "advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w '${HG_KEY_SDDL}', i ${HG_SDDL_REVISION_1}, *p .r0, p 0) i .r1 ?e"
  Pop $2
  ${HgLog} "ConvertStringSecurityDescriptorToSecurityDescriptorW($\"${HG_KEY_SDDL}$\", SDDL_REVISION_1) = $1"
  ${If} $1 = 0
    ${HgLog} "GetLastError = $2"
  ${Else}
    StrCpy $3 0
    System::Call "advapi32::RegCreateKeyExW(p ${HG_HKEY_LOCAL_MACHINE}, w '${HG_PROGRAM_KEY}', i 0, p 0, i 0, i ${HG_KEY_ACCESS}, p 0, *p .r3, p 0) i .r4"
    ${HgLog} "RegCreateKeyExW(HKLM, $\"${HG_PROGRAM_KEY}$\", KEY_WOW64_32KEY|WRITE_DAC|READ_CONTROL) = $4"
    ${If} $4 = 0
      System::Call "advapi32::RegSetKeySecurity(p r3, i ${HG_DACL_SECURITY_INFORMATION}, p r0) i .r4"
      ${HgLog} "RegSetKeySecurity(DACL_SECURITY_INFORMATION) = $4"
      System::Call "advapi32::RegCloseKey(p r3) i .r4"
    ${EndIf}
    System::Call "kernel32::LocalFree(p r0) p .r4"
    ${HgLog} "LocalFree = $4"
  ${EndIf}

  ; Windows' reg.exe knows "flags" since Vista; where it does not (Wine), the
  ; command fails and the setup goes on.
  nsExec::ExecToStack '"$SYSDIR\reg.exe" flags "HKLM\${HG_PROGRAM_KEY}" SET DONT_VIRTUALIZE DONT_SILENT_FAIL /reg:32'
  Pop $1
  Pop $2
  ${HgLog} "reg flags HKLM\${HG_PROGRAM_KEY} SET DONT_VIRTUALIZE DONT_SILENT_FAIL /reg:32 = $1"
  ${HgLog} "reg flags said: $2"
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Copies of the program key that registry virtualization made for an account
; before the key was shared: a copy shadows the shared key for that account's
; program. They live in each account's own registry, which Windows loads only
; while the account is signed in (HKU\<SID>_Classes); the setup and the
; uninstaller remove the copies of every account signed in now, which takes
; the child's when a parent elevates the setup in the child's session.
!macro HG_DROP_VIRTUAL_COPY un path
  ClearErrors
  EnumRegKey $3 HKU "${path}" 0
  ${IfNot} ${Errors}
    DeleteRegKey HKU "${path}"
    !if "${un}" == ""
      ${HgLog} "removed the per-account copy HKU\${path}"
    !else
      DetailPrint "removed the per-account copy HKU\${path}"
    !endif
  ${EndIf}
!macroend

!macro HG_VIRTUAL_COPY_FUNCTIONS un
Function ${un}HgDropVirtualCopies
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  ${Do}
    EnumRegKey $1 HKU "" $0
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    IntOp $0 $0 + 1
    StrCpy $2 $1 "" -8
    ${If} $2 == "_Classes"
      ; 64-bit Windows keeps a 32-bit program's copy under WOW6432Node.
      !insertmacro HG_DROP_VIRTUAL_COPY "${un}" "$1\VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Hourgauge"
      !insertmacro HG_DROP_VIRTUAL_COPY "${un}" "$1\VirtualStore\MACHINE\SOFTWARE\Hourgauge"
    ${EndIf}
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro HG_VIRTUAL_COPY_FUNCTIONS ""
!insertmacro HG_VIRTUAL_COPY_FUNCTIONS "un."
