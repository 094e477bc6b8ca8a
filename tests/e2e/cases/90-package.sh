# shellcheck shell=bash
# The release package as a parent downloads it: scripts/package.sh (without
# building: the suite has built the exe) makes dist/hourgauge-<version>.zip.
# Unpacked into the prefix, every checksum holds, it carries the exes and the
# setup program the suite tested, the guides and every picture they show,
# the version in its name is the one the exe and the setup program say they
# are, and the packaged exe starts and works from where it was unpacked.

# The four numbers of res/version.h, joined with dots.
e2e__version_numbers() {
  local part out=
  for part in MAJOR MINOR PATCH BUILD; do
    out+=$(sed -n "s/^#define HG_VERSION_$part \([0-9][0-9]*\)$/\1/p" "$HG_ROOT/res/version.h").
  done
  echo "${out%.}"
}

case_release_package_is_complete_and_runs() {
  local version out zip unpack dir listed present img missing exe_win run_path date_now left sums
  e2e_use_fixed_zone || e2e_fail "HG_TZ=$HG_TZ has daylight saving; the case needs a fixed offset"
  e2e_avoid_midnight
  version=$(sed -n 's/^#define HG_VERSION_STRING "\(.*\)"$/\1/p' "$HG_ROOT/res/version.h")
  [ -n "$version" ] || e2e_fail "no HG_VERSION_STRING in res/version.h"
  e2e_expect_eq "HG_VERSION_STRING against the four numbers" "$version" "$(e2e__version_numbers)"

  out=$(cd "$HG_ROOT" && bash scripts/package.sh --no-build 2>&1) ||
    e2e_fail "scripts/package.sh --no-build failed: $(tail -n 3 <<<"$out" | tr '\n' ' ')"
  e2e_expect_eq "the package named by scripts/package.sh" "$(tail -n 1 <<<"$out")" "dist/hourgauge-$version.zip"
  zip=$HG_ROOT/dist/hourgauge-$version.zip
  [ -f "$zip" ] || e2e_fail "no $zip"

  unpack=$(e2e_unix_path 'C:\hgpkg')
  mkdir -p "$unpack"
  unzip -q "$zip" -d "$unpack" || e2e_fail "the zip does not unpack"
  dir=$unpack/hourgauge-$version
  [ -d "$dir" ] || e2e_fail "the zip has no folder hourgauge-$version: $(ls "$unpack")"

  [ -s "$dir/SHA256SUMS" ] || e2e_fail "no SHA256SUMS in the package"
  sums=$(cd "$dir" && sha256sum --strict -c SHA256SUMS 2>&1) || e2e_fail "checksums: $(grep -v ': OK$' <<<"$sums" | head -n 3 | tr '\n' ' ')"
  echo "$sums"
  e2e_expect_eq "checksums checked" "$(grep -c ': OK$' <<<"$sums")" "$(wc -l <"$dir/SHA256SUMS")"
  listed=$(awk '{ print $2 }' "$dir/SHA256SUMS" | LC_ALL=C sort)
  present=$(cd "$dir" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort)
  e2e_expect_eq "files listed in SHA256SUMS" "$(tr '\n' ' ' <<<"$listed")" "$(tr '\n' ' ' <<<"$present")"

  cmp -s "$dir/hourgauge.exe" "$HG_EXE" || e2e_fail "the packaged exe is not the one the suite built"
  cmp -s "$dir/hourgauge-service.exe" "$HG_SERVICE_EXE" ||
    e2e_fail "the package has no hourgauge-service.exe, or not the one the suite built"
  grep -qE '^[0-9a-f]{64}  hourgauge-service\.exe$' "$dir/SHA256SUMS" ||
    e2e_fail "SHA256SUMS does not cover the service"
  cmp -s "$dir/hourgauge-setup-$version.exe" "$HG_SETUP" ||
    e2e_fail "the package has no hourgauge-setup-$version.exe, or not the one the suite tested"
  grep -qE "^[0-9a-f]{64}  hourgauge-setup-$version\.exe\$" "$dir/SHA256SUMS" ||
    e2e_fail "SHA256SUMS does not cover the setup program"
  cmp -s "$dir/docs/guide.en.md" "$HG_ROOT/docs/guide.en.md" || e2e_fail "docs/guide.en.md differs"
  cmp -s "$dir/docs/guide.ja.md" "$HG_ROOT/docs/guide.ja.md" || e2e_fail "docs/guide.ja.md differs"
  missing=
  for img in $(grep -ho 'img/[A-Za-z0-9._/-]*\.png' "$HG_ROOT"/docs/guide.*.md | LC_ALL=C sort -u); do
    [ -s "$dir/docs/$img" ] || missing+=" $img"
  done
  [ -z "$missing" ] || e2e_fail "pictures the guides show are not in the package:$missing"

  # The version block: the text as UTF-16LE in the file, and as Windows reads it.
  python3 - "$dir/hourgauge.exe" "$version" <<'PY' || e2e_fail "the exe does not hold \"FileVersion\" $version as UTF-16LE"
import re, sys
data = open(sys.argv[1], "rb").read()
u = lambda text: text.encode("utf-16-le")
# The key, its terminator, the padding to four bytes, the value and its terminator.
pattern = re.escape(u("FileVersion\0")) + b"(?:\0\0)*" + re.escape(u(sys.argv[2] + "\0"))
sys.exit(0 if re.search(pattern, data) else 1)
PY
  exe_win="C:\\hgpkg\\hourgauge-$version\\hourgauge.exe"
  out=$(e2e_driver file-version "$exe_win") || e2e_fail "no version information in the packaged exe"
  e2e_expect_eq "version block of the packaged exe" "$(tr '\n' ' ' <<<"$out")" "FileVersion $version fixed $version "

  out=$(e2e_driver file-version "C:\\hgpkg\\hourgauge-$version\\hourgauge-setup-$version.exe") ||
    e2e_fail "no version information in the packaged setup program"
  e2e_expect_eq "version block of the packaged setup program" "$(tr '\n' ' ' <<<"$out")" "FileVersion $version fixed $version "

  e2e_start_exe "$exe_win"
  e2e_wait 60 e2e_reg_exists LastTime || e2e_fail "LastTime not written within 60 s of the start"
  run_path=$(hg_reg_query "$HG_RUN_KEY" Hourgauge) || e2e_fail "no autostart value Hourgauge under the Run key"
  e2e_expect_eq "autostart value" "$run_path" "\"$exe_win\""
  date_now=$(e2e_reg LastDate) || e2e_fail "no LastDate"
  e2e_expect_eq "LastDate" "$date_now" "$(hg_day_key)"
  left=$(e2e_reg LastTime)
  [[ $left =~ ^[0-9]+$ ]] && [ "$left" -le 3600 ] && [ "$left" -gt 3000 ] ||
    e2e_fail "LastTime: got '$left', expected a little less than 3600"
  e2e_driver wait-window "$HG_TITLE" 30 || e2e_fail "no window titled $HG_TITLE"
  e2e_program_alive || e2e_fail "the packaged program ended after its start"
}
