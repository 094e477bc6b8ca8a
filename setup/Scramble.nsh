; The password as the program stores it: every character XORed with one key
; byte (the program's kScrambleKey). The same routine scrambles and
; unscrambles; a character equal to the key ends the text there, as the
; program's own routine does. The program works on ANSI bytes and this on
; UTF-16 units: the two agree for the printable ASCII characters that the
; setup accepts in a password.

!define HG_SCRAMBLE_KEY 0x1F
!define HG_PASSWORD_MAX 8
; The program copies a stored value into a 20-byte buffer before it
; unscrambles it.
!define HG_STORED_PASSWORD_MAX 19

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

; Stack: typed text -> 1 when it is the password stored in the program key
; (or none is stored), else 0. The program's own check: the stored value,
; cut to its buffer and unscrambled, equals the typed text, case-sensitive.
Function un.HgPasswordMatches
  Exch $0
  Push $1
  ReadRegStr $1 HKLM "${HG_PROGRAM_KEY}" "PASSWORD"
  ${If} $1 == ""
    StrCpy $0 1
  ${Else}
    StrCpy $1 $1 ${HG_STORED_PASSWORD_MAX}
    Push $1
    Call un.HgScramble
    Pop $1
    ${If} $0 S== $1
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd
