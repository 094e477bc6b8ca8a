; The password as the program stores it: every byte of its code page 932
; text XORed with one key byte (the program's kScrambleKey). The same
; routine scrambles and unscrambles; a byte equal to the key ends the text
; there, as the program's own routine does.
;
; The setup stores only passwords of printable ASCII characters, whose
; UTF-16 units and code page 932 bytes are the same numbers: it scrambles
; units (HgScramble). A parent may have set one with any characters in the
; program (Japanese ones are two bytes each): the uninstaller compares
; bytes, as the program does (un.HgPasswordMatches).

!define HG_SCRAMBLE_KEY 0x1F
!define HG_PASSWORD_MAX 8
; The program copies a stored value into a 20-byte buffer before it
; unscrambles it.
!define HG_STORED_PASSWORD_MAX 19
; The program reads a value through a buffer of this many bytes; a longer
; one reads as none.
!define HG_REG_READ_LIMIT 256
; The program's texts are code page 932 bytes.
!define HG_PROGRAM_CODE_PAGE 932
; KEY_QUERY_VALUE | KEY_WOW64_32KEY: the program's own key, as the 32-bit
; program sees it.
!define HG_KEY_QUERY_32 0x0201

!macro HG_SCRAMBLE_FUNCTIONS un
; Stack: one character -> its UTF-16 code.
Function ${un}HgCharCode
  Exch $0
  Push $1
  System::Call "*(&t2 r0) p .r1"
  System::Call "*$1(&i2 .r0)"
  System::Free $1
  IntOp $0 $0 & 0xFFFF
  Pop $1
  Exch $0
FunctionEnd

; Stack: text -> the text scrambled (or unscrambled).
Function ${un}HgScramble
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 ""
  StrLen $2 $0
  StrCpy $1 0
  ${DoWhile} $1 < $2
    StrCpy $3 $0 1 $1
    Push $3
    Call ${un}HgCharCode
    Pop $3
    IntOp $3 $3 ^ ${HG_SCRAMBLE_KEY}
    ${If} $3 = 0
      ${Break}
    ${EndIf}
    IntFmt $3 "%c" $3
    StrCpy $4 "$4$3"
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!macroend

; Stack: text -> 1 when it can be a password here (1 to 8 printable ASCII
; characters, blank included), else 0.
Function HgIsPasswordText
  Exch $0
  Push $1
  Push $2
  Push $3
  StrLen $2 $0
  ${If} $2 < 1
  ${OrIf} $2 > ${HG_PASSWORD_MAX}
    StrCpy $0 0
  ${Else}
    StrCpy $1 0
    ${DoWhile} $1 < $2
      StrCpy $3 $0 1 $1
      Push $3
      Call HgCharCode
      Pop $3
      ${If} $3 < 0x20
      ${OrIf} $3 > 0x7E
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
    ${If} $1 = $2
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Stack: a buffer, an index -> the byte there (0 to 255).
!macro HG_BYTE_AT buffer index out
  IntOp ${out} ${buffer} + ${index}
  System::Call "*${out}(&i1 .s)"
  Pop ${out}
  IntOp ${out} ${out} & 0xFF
!macroend

; Stack: typed text -> 1 when it is the password stored in the program key
; (or none is stored), else 0. The program's own check, byte for byte: the
; stored value read through the ANSI call as the program reads it (at most
; 256 bytes, else none), cut to the program's 19-byte buffer and
; unscrambled, equals the typed text converted to code page 932, whole
; (its size asked first: no character is cut), case-sensitive.
Function un.HgPasswordMatches
  Exch $0 ; typed text
  Push $1 ; key
  Push $2 ; stored bytes
  Push $3 ; their length, then the unscrambled length
  Push $4 ; typed bytes
  Push $5 ; their length
  Push $6 ; index
  Push $7 ; a byte
  Push $8 ; another byte, a call's result
  Push $9 ; outcome
  ; One byte more than the read limit, zeroed: a value of 256 bytes
  ; without a terminator still ends in one.
  IntOp $2 ${HG_REG_READ_LIMIT} + 1
  System::Alloc $2
  Pop $2
  StrCpy $3 0
  System::Call "advapi32::RegOpenKeyExW(p ${HG_HKEY_LOCAL_MACHINE}, w '${HG_PROGRAM_KEY}', i 0, i ${HG_KEY_QUERY_32}, *p .r1) i .r8"
  ${If} $8 = 0
    System::Call "advapi32::RegQueryValueExA(p r1, m 'PASSWORD', p 0, p 0, p r2, *i ${HG_REG_READ_LIMIT}) i .r8"
    System::Call "advapi32::RegCloseKey(p r1)"
    ${If} $8 = 0
      System::Call "kernel32::lstrlenA(p r2) i .r3"
    ${EndIf}
  ${EndIf}
  ${If} $3 = 0
    StrCpy $9 1
  ${Else}
    ${If} $3 > ${HG_STORED_PASSWORD_MAX}
      StrCpy $3 ${HG_STORED_PASSWORD_MAX}
    ${EndIf}
    ; Unscrambled in place, up to the first byte equal to the key.
    StrCpy $6 0
    ${DoWhile} $6 < $3
      !insertmacro HG_BYTE_AT $2 $6 $7
      IntOp $7 $7 ^ ${HG_SCRAMBLE_KEY}
      ${If} $7 = 0
        ${Break}
      ${EndIf}
      IntOp $8 $2 + $6
      System::Call "*$8(&i1 r7)"
      IntOp $6 $6 + 1
    ${Loop}
    StrCpy $3 $6
    ; The typed text's bytes: the size first, terminator included.
    System::Call "kernel32::WideCharToMultiByte(i ${HG_PROGRAM_CODE_PAGE}, i 0, w r0, i -1, p 0, i 0, p 0, p 0) i .r5"
    StrCpy $9 0
    ${If} $5 > 0
      System::Alloc $5
      Pop $4
      System::Call "kernel32::WideCharToMultiByte(i ${HG_PROGRAM_CODE_PAGE}, i 0, w r0, i -1, p r4, i r5, p 0, p 0) i .r8"
      IntOp $5 $5 - 1
      ${If} $8 > 0
      ${AndIf} $5 = $3
        StrCpy $9 1
        StrCpy $6 0
        ${DoWhile} $6 < $3
          !insertmacro HG_BYTE_AT $2 $6 $7
          !insertmacro HG_BYTE_AT $4 $6 $8
          ${If} $7 <> $8
            StrCpy $9 0
            ${Break}
          ${EndIf}
          IntOp $6 $6 + 1
        ${Loop}
      ${EndIf}
      System::Free $4
    ${EndIf}
  ${EndIf}
  System::Free $2
  StrCpy $0 $9
  Pop $9
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
