; Copies of the program key that registry virtualization made for an account
; before the key was shared: a copy shadows the shared key for that account's
; program (an old password, an old limit). They live in the account's
; classes hive, UsrClass.dat in its profile's AppData\Local\Microsoft\Windows,
; under VirtualStore\MACHINE\SOFTWARE (WOW6432Node on 64-bit Windows for a
; 32-bit program). Windows loads that hive, as HKU\<SID>_Classes, only
; while the account is signed in.
;
; The setup and the uninstaller remove the copies of every account: first
; in each classes hive loaded now, then in the hive of every other profile
; Windows knows (ProfileList, ProfileImagePath): the hive is loaded for the
; moment under a name of its own in HKU (RegLoadKeyW, which needs
; SeBackupPrivilege and SeRestorePrivilege enabled), the copies removed, the
; hive flushed when one was, and unloaded (RegUnLoadKeyW). A hive that
; cannot be loaded (in use by a session Windows has not let go of, or
; damaged) is logged and passed over, as is a profile without one:
; RegLoadKeyW would make a new, empty hive file where none is, so a missing
; file is passed over before the call. Every step goes to setup.log (the
; uninstaller's details list).
;
; The accounts of the services (SYSTEM, LOCAL SERVICE, NETWORK SERVICE)
; never have their writes virtualized: their profiles are passed over.

!define HG_PROFILE_LIST "SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList"
!define HG_CLASSES_HIVE "AppData\Local\Microsoft\Windows\UsrClass.dat"
; Where a profile's hive is loaded for the moment: HKU\HourgaugeLite-<SID>.
!define HG_HIVE_MOUNT "HourgaugeLite-"
!define HG_KEY_READ 0x20019
!define HG_KEY_QUERY_VALUE 0x0001
; RegUnLoadKeyW fails while any handle is open in the hive (another
; program's, for a moment); a hive left loaded would keep its account from
; signing in with its own settings. Tried this many times, half a second
; apart.
!define HG_UNLOAD_TRIES 5

; Removes one copy if it is there; counts it in $4. Uses $3.
!macro HG_DROP_VIRTUAL_COPY un path
  ClearErrors
  EnumRegKey $3 HKU "${path}" 0
  ${IfNot} ${Errors}
    ClearErrors
    DeleteRegKey HKU "${path}"
    ${If} ${Errors}
      !insertmacro HG_LOG_IN "${un}" "could not remove the per-account copy HKU\${path}"
    ${Else}
      !insertmacro HG_LOG_IN "${un}" "removed the per-account copy HKU\${path}"
      IntOp $4 $4 + 1
    ${EndIf}
  ${EndIf}
!macroend

!macro HG_VIRTUAL_COPY_FUNCTIONS un
; Stack: a classes hive's key under HKU -> the number of copies removed
; from it.
Function ${un}HgDropVirtualCopiesIn
  Exch $0
  Push $3
  Push $4
  StrCpy $4 0
  !insertmacro HG_DROP_VIRTUAL_COPY "${un}" "$0\VirtualStore\MACHINE\SOFTWARE\WOW6432Node\Hourgauge"
  !insertmacro HG_DROP_VIRTUAL_COPY "${un}" "$0\VirtualStore\MACHINE\SOFTWARE\Hourgauge"
  StrCpy $0 $4
  Pop $4
  Pop $3
  Exch $0
FunctionEnd

; Stack: the name a hive is loaded under in HKU -> 1 when it is unloaded,
; else 0.
Function ${un}HgUnloadHive
  Exch $0
  Push $1
  Push $2
  StrCpy $2 0
  ${Do}
    System::Call "advapi32::RegUnLoadKeyW(p ${HG_HKEY_USERS}, w r0) i .r1"
    IntOp $2 $2 + 1
    !insertmacro HG_LOG_IN "${un}" "RegUnLoadKeyW(HKU, $\"$0$\") = $1"
    ${If} $1 = 0
    ${OrIf} $2 >= ${HG_UNLOAD_TRIES}
      ${Break}
    ${EndIf}
    Sleep 500
  ${Loop}
  ${If} $1 = 0
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The copies in the hive of one profile whose hive is not loaded. Stack:
; the profile's SID, its folder (ProfileImagePath as stored) -> nothing.
Function ${un}HgDropVirtualCopiesOfProfile
  Exch $1 ; folder
  Exch
  Exch $0 ; SID
  Push $2 ; hive file
  Push $3 ; name loaded under
  Push $4 ; key handle
  Push $5 ; a call's result
  Push $6 ; copies removed
  ${If} $0 == "S-1-5-18"
  ${OrIf} $0 == "S-1-5-19"
  ${OrIf} $0 == "S-1-5-20"
    !insertmacro HG_LOG_IN "${un}" "profile $0: a service account's, passed over"
    Goto done
  ${EndIf}
  ExpandEnvStrings $1 $1
  StrCpy $2 "$1\${HG_CLASSES_HIVE}"
  System::Call "advapi32::RegOpenKeyExW(p ${HG_HKEY_USERS}, w '$0_Classes', i 0, i ${HG_KEY_READ}, *p .r4) i .r5"
  ${If} $5 = 0
    System::Call "advapi32::RegCloseKey(p r4)"
    !insertmacro HG_LOG_IN "${un}" "profile $0 ($1): its hive is loaded, HKU\$0_Classes"
    Goto done
  ${EndIf}
  ${IfNot} ${FileExists} "$2"
    !insertmacro HG_LOG_IN "${un}" "profile $0 ($1): no $2, passed over"
    Goto done
  ${EndIf}
  StrCpy $3 "${HG_HIVE_MOUNT}$0"
  ; Left loaded by a setup that ended before it could unload it.
  System::Call "advapi32::RegOpenKeyExW(p ${HG_HKEY_USERS}, w r3, i 0, i ${HG_KEY_READ}, *p .r4) i .r5"
  ${If} $5 = 0
    System::Call "advapi32::RegCloseKey(p r4)"
    !insertmacro HG_LOG_IN "${un}" "HKU\$3 is loaded already: unloading it first"
    Push $3
    Call ${un}HgUnloadHive
    Pop $5
  ${EndIf}
  System::Call "advapi32::RegLoadKeyW(p ${HG_HKEY_USERS}, w r3, w r2) i .r5"
  !insertmacro HG_LOG_IN "${un}" "RegLoadKeyW(HKU, $\"$3$\", $\"$2$\") = $5"
  ${If} $5 <> 0
    !insertmacro HG_LOG_IN "${un}" "profile $0 ($1): its hive could not be loaded, passed over"
    ; Nothing is left of a failed load on Windows; Wine leaves the key.
    System::Call "advapi32::RegOpenKeyExW(p ${HG_HKEY_USERS}, w r3, i 0, i ${HG_KEY_READ}, *p .r4) i .r5"
    ${If} $5 = 0
      System::Call "advapi32::RegCloseKey(p r4)"
      !insertmacro HG_LOG_IN "${un}" "HKU\$3 is there after the failed load: unloading it"
      Push $3
      Call ${un}HgUnloadHive
      Pop $5
    ${EndIf}
    Goto done
  ${EndIf}
  Push $3
  Call ${un}HgDropVirtualCopiesIn
  Pop $6
  ; On disk before the hive leaves the registry.
  ${If} $6 > 0
    System::Call "advapi32::RegOpenKeyExW(p ${HG_HKEY_USERS}, w r3, i 0, i ${HG_KEY_QUERY_VALUE}, *p .r4) i .r5"
    ${If} $5 = 0
      System::Call "advapi32::RegFlushKey(p r4) i .r5"
      System::Call "advapi32::RegCloseKey(p r4)"
    ${EndIf}
    !insertmacro HG_LOG_IN "${un}" "RegFlushKey(HKU\$3) = $5"
  ${EndIf}
  Push $3
  Call ${un}HgUnloadHive
  Pop $5
  done:
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $0
  Pop $1
FunctionEnd

; Removes the copies of every account: those in the classes hives loaded
; now, then those of every other profile.
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
      Push $1
      Call ${un}HgDropVirtualCopiesIn
      Pop $2
    ${EndIf}
  ${Loop}

  Push SeBackupPrivilege
  Call ${un}HgEnablePrivilege
  Pop $2
  Push SeRestorePrivilege
  Call ${un}HgEnablePrivilege
  Pop $3
  IntOp $2 $2 & $3
  ${If} $2 <> 1
    !insertmacro HG_LOG_IN "${un}" "profiles whose hive is not loaded: passed over (their hives cannot be loaded without SeBackupPrivilege and SeRestorePrivilege)"
  ${Else}
    StrCpy $0 0
    ${Do}
      ; The system's own view: on 64-bit Windows the profiles are not in
      ; the 32-bit one (on 32-bit Windows there is only one).
      SetRegView 64
      ClearErrors
      EnumRegKey $1 HKLM "${HG_PROFILE_LIST}" $0
      StrCpy $2 ""
      ${If} $1 != ""
        ReadRegStr $2 HKLM "${HG_PROFILE_LIST}\$1" "ProfileImagePath"
      ${EndIf}
      SetRegView 32
      ${If} $1 == ""
        ${Break}
      ${EndIf}
      IntOp $0 $0 + 1
      ${If} $2 == ""
        !insertmacro HG_LOG_IN "${un}" "profile $1: no ProfileImagePath, passed over"
      ${Else}
        Push $1
        Push $2
        Call ${un}HgDropVirtualCopiesOfProfile
      ${EndIf}
    ${Loop}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro HG_VIRTUAL_COPY_FUNCTIONS ""
!insertmacro HG_VIRTUAL_COPY_FUNCTIONS "un."
