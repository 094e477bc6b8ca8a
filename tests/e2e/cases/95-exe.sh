# shellcheck shell=bash
# The exes as files, and the C runtime they no longer use: hourgauge.exe
# and hourgauge-service.exe stay small, import only DLLs that Windows ships
# and can still be loaded anywhere (ASLR); the program's own formatter and
# reader give what the Windows C runtimes give, run here under Wine by
# fuzz/wine/crtdiff.exe.

# 120 KiB: the tray program carries a history window and two more dialogs
# beside the tray, the menu and the countdown (it was 96 KiB before them).
HG_EXE_MAX_BYTES=122880

# One exe ($1): at most HG_EXE_MAX_BYTES, importing exactly the system DLLs
# listed in $2 (upper case, sorted, each followed by a blank), of the
# subsystem $3 as objdump names it, and relocatable.
e2e__exe_checks() {
  local exe=$1 name size headers dlls unexpected
  name=$(basename "$exe")
  size=$(stat -c %s "$exe")
  [ "$size" -le "$HG_EXE_MAX_BYTES" ] || e2e_fail "$name is $size bytes, more than $HG_EXE_MAX_BYTES"
  echo "$name: $size bytes"
  headers=$(i686-w64-mingw32-objdump -p "$exe") || e2e_fail "objdump cannot read $name"

  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | LC_ALL=C sort | tr '\n' ' ')
  unexpected=$(tr ' ' '\n' <<<"$dlls" | grep -vxE 'ADVAPI32\.DLL|GDI32\.DLL|KERNEL32\.DLL|MSVCRT\.DLL|SHELL32\.DLL|USER32\.DLL|' || true)
  [ -z "$unexpected" ] || e2e_fail "$name imports a DLL outside the system set: $unexpected (all: $dlls)"
  e2e_expect_eq "$name's imported DLLs" "$dlls" "$2"
  grep -qE "^Subsystem[[:space:]]+[0-9a-f]+[[:space:]]+\\($3\\)\$" <<<"$headers" ||
    e2e_fail "$name is not a $3 program: $(grep '^Subsystem' <<<"$headers")"

  grep -qE '^[[:space:]]+DYNAMIC_BASE$' <<<"$headers" || e2e_fail "$name: DllCharacteristics lacks DYNAMIC_BASE"
  # Directory entry 5 is the base relocation table: it must be there and not empty.
  grep -qE '^Entry 5 [0-9a-f]{8} [0-9a-f]*[1-9a-f][0-9a-f]* Base Relocation Directory' <<<"$headers" ||
    e2e_fail "$name has no base relocation table: it could only load at its preferred address"
  grep -qE '^[[:space:]]+[0-9]+ \.reloc ' < <(i686-w64-mingw32-objdump -h "$exe") ||
    e2e_fail "$name has no .reloc section"
}

case_exe_is_small_relocatable_and_imports_only_system_dlls() {
  e2e__exe_checks "$HG_EXE" "ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL " \
    "Windows GUI"
}

# The service is a console program (no window of its own; -debug runs it in
# a console). wtsapi32 is loaded when first needed, so it is no import.
case_service_exe_is_small_relocatable_and_imports_only_system_dlls() {
  e2e__exe_checks "$HG_SERVICE_EXE" \
    "ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL " "Windows CUI"
}

# The committed corpora of the formatter, the reader and the time text, and
# 100 000 generated inputs, against mingw-w64's snprintf and sscanf (what the
# exe used before) and msvcrt's (fuzz/README.md says how far each must agree).
case_formatter_and_reader_match_the_windows_runtimes() {
  local tool=$HG_ROOT/build/windows/fuzz/wine/crtdiff.exe out status
  [ -f "$tool" ] || e2e_fail "$tool is missing"
  out=$(hg_wine "$tool" --random 100000 "Z:$HG_ROOT/fuzz/corpus/FormatText" \
    "Z:$HG_ROOT/fuzz/corpus/ScanText" "Z:$HG_ROOT/fuzz/corpus/TimeText" 2>&1)
  status=$?
  out=$(tr -d '\r' <<<"$out") # the Windows console's line ends
  echo "$out"
  [ "$status" -eq 0 ] || e2e_fail "crtdiff found differences: $(grep -v 'inputs, 0 differences' <<<"$out" | head -n 3 | tr '\n' ' ')"
  [ "$(grep -c 'inputs, 0 differences$' <<<"$out")" -eq 4 ] || e2e_fail "crtdiff did not report its four checks"
}
