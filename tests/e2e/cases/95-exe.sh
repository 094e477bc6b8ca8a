# shellcheck shell=bash
# The exe as a file, and the C runtime it no longer uses: hourgauge.exe
# stays small, imports only DLLs that Windows ships and can still be loaded
# anywhere (ASLR); its own formatter and reader give what the Windows C
# runtimes give, run here under Wine by fuzz/wine/crtdiff.exe.

HG_EXE_MAX_BYTES=98304

case_exe_is_small_relocatable_and_imports_only_system_dlls() {
  local size headers dlls unexpected
  size=$(stat -c %s "$HG_EXE")
  [ "$size" -le "$HG_EXE_MAX_BYTES" ] || e2e_fail "hourgauge.exe is $size bytes, more than $HG_EXE_MAX_BYTES"
  echo "hourgauge.exe: $size bytes"
  headers=$(i686-w64-mingw32-objdump -p "$HG_EXE") || e2e_fail "objdump cannot read the exe"

  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | LC_ALL=C sort | tr '\n' ' ')
  unexpected=$(tr ' ' '\n' <<<"$dlls" | grep -vxE 'ADVAPI32\.DLL|GDI32\.DLL|KERNEL32\.DLL|MSVCRT\.DLL|SHELL32\.DLL|USER32\.DLL|' || true)
  [ -z "$unexpected" ] || e2e_fail "imports a DLL outside the system set: $unexpected (all: $dlls)"
  e2e_expect_eq "imported DLLs" "$dlls" "ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL "

  grep -qE '^[[:space:]]+DYNAMIC_BASE$' <<<"$headers" || e2e_fail "DllCharacteristics lacks DYNAMIC_BASE"
  # Directory entry 5 is the base relocation table: it must be there and not empty.
  grep -qE '^Entry 5 [0-9a-f]{8} [0-9a-f]*[1-9a-f][0-9a-f]* Base Relocation Directory' <<<"$headers" ||
    e2e_fail "no base relocation table: the exe could only load at its preferred address"
  grep -qE '^[[:space:]]+[0-9]+ \.reloc ' < <(i686-w64-mingw32-objdump -h "$HG_EXE") ||
    e2e_fail "no .reloc section"
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
