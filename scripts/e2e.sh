#!/usr/bin/env bash
# The end-to-end suite: the real build/windows/hourgauge.exe and
# hourgauge-service.exe, and the setup program (scripts/setup.sh), under
# Wine, in an own Xvfb and Wine desktop, driven by
# tests/e2e/driver/hgdriver.exe and checked through the registry and the
# windows a person would see.
#
#   bash scripts/e2e.sh [--no-build] [CASE...]
#
# A case is a bash function `case_NAME` in a file of tests/e2e/cases/ (see
# tests/e2e/lib.sh for what it can use); without arguments every case runs,
# in file order. Wine is booted once into a template prefix; every case gets
# its own fresh copy of it, and every process of that prefix is ended after
# the case. Each case prints `PASS NAME` or `FAIL NAME: REASON`; the last line
# is `e2e: N passed, M failed`, and the exit status is non-zero when M > 0.
# The logs and screenshots of failed cases are kept in build/e2e-results/.
#
# Environment: HG_E2E_CASE_TIMEOUT (seconds per case, default 120),
# HG_E2E_KEEP=1 (keep the results of passed cases too).
set -uo pipefail

HG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
source "$HG_ROOT/scripts/wine-env.sh"
# shellcheck source=tests/e2e/lib.sh
source "$HG_ROOT/tests/e2e/lib.sh"
for case_file in "$HG_ROOT"/tests/e2e/cases/*.sh; do
  # shellcheck disable=SC1090
  source "$case_file"
done

# One case, in the process the suite starts for it.
if [ "${1:-}" = --run-case ]; then
  "case_$2"
  exit $?
fi

e2e__all_cases() {
  local f
  for f in "$HG_ROOT"/tests/e2e/cases/*.sh; do
    grep -oE '^case_[A-Za-z0-9_]+[[:space:]]*\(\)' "$f" | sed -E 's/^case_([A-Za-z0-9_]+).*/\1/'
  done
}

build=1
selected=()
for arg in "$@"; do
  case $arg in
  --no-build) build=0 ;;
  -h | --help)
    sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 0
    ;;
  *) selected+=("$arg") ;;
  esac
done
all_cases=()
mapfile -t all_cases < <(e2e__all_cases)
[ ${#selected[@]} -gt 0 ] || selected=("${all_cases[@]}")

passed=0
failed=0
summary() {
  echo "e2e: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
# The whole suite fails before any case could run.
abort() {
  echo "FAIL setup: $*"
  failed=$((failed + ${#selected[@]}))
  summary
  exit 1
}

for name in "${selected[@]}"; do
  declare -F "case_$name" >/dev/null || abort "no case named '$name'"
done
if [ "$(printf '%s\n' "${all_cases[@]}" | sort | uniq -d | head -n 1)" != "" ]; then
  abort "two cases share a name"
fi

cd "$HG_ROOT" || abort "no repository"
if [ "$build" = 1 ]; then
  mkdir -p build
  if ! { cmake --preset windows && cmake --build --preset windows; } >build/e2e-build.log 2>&1; then
    tail -n 30 build/e2e-build.log
    abort "the Windows build failed (build/e2e-build.log)"
  fi
fi
# The setup program packs whatever exe is there: made again on every run.
if ! HG_SETUP=$(bash scripts/setup.sh --no-build 2>build/e2e-setup.log); then
  tail -n 30 build/e2e-setup.log
  abort "the setup program could not be built (build/e2e-setup.log)"
fi
export HG_SETUP=$HG_ROOT/$HG_SETUP
export HG_EXE=$HG_ROOT/build/windows/hourgauge.exe
export HG_SERVICE_EXE=$HG_ROOT/build/windows/hourgauge-service.exe
export HG_DRIVER=$HG_ROOT/build/windows/tests/e2e/driver/hgdriver.exe
[ -f "$HG_EXE" ] || abort "$HG_EXE is missing"
[ -f "$HG_SERVICE_EXE" ] || abort "$HG_SERVICE_EXE is missing"
[ -f "$HG_DRIVER" ] || abort "$HG_DRIVER is missing"

HG_E2E_CASE_TIMEOUT=${HG_E2E_CASE_TIMEOUT:-120}
results=$HG_ROOT/build/e2e-results
rm -rf "$results"
mkdir -p "$results"

work=
case_group=
case_prefix=
cleanup() {
  trap - EXIT INT TERM
  if [ -n "$case_group" ]; then
    kill -TERM -- "-$case_group" 2>/dev/null
  fi
  if [ -n "$case_prefix" ]; then
    WINEPREFIX=$case_prefix hg_wine_stop
  fi
  if [ -n "$work" ]; then
    WINEPREFIX=$work/template hg_wine_stop
    rm -rf "$work"
  fi
  hg_xvfb_stop
}
trap cleanup EXIT
trap 'echo "e2e: interrupted"; exit 130' INT TERM

suite_start=$SECONDS
hg_wine_ready || abort "Wine cannot run 32-bit programs here"
work=$(mktemp -d /tmp/hg-e2e.XXXXXX) || abort "no temporary folder"
hg_xvfb_start || abort "Xvfb did not start"
# Tokyo time, written the POSIX way: the program's C runtime under Wine reads
# TZ itself and takes a zone name such as Asia/Tokyo for UTC.
export HG_TZ=JST-9
hg_prefix_init "$work/template" || abort "the Wine prefix could not be prepared"
setup_seconds=$((SECONDS - suite_start))

run_case() {
  local name=$1 dir=$work/$1 rc reason case_started=$SECONDS
  mkdir -p "$dir"
  case_prefix=$dir/prefix
  if ! hg_prefix_clone "$work/template" "$case_prefix"; then
    echo "FAIL $name: could not copy the prefix"
    failed=$((failed + 1))
    return
  fi
  # timeout puts the case in its own process group and, at the deadline,
  # signals the whole group; whatever the case left running is ended by
  # that group's id afterwards.
  # A case that waits out a minute of the program's own may ask for more
  # time with a variable e2e_timeout_NAME in its file.
  local limit_var="e2e_timeout_$name" limit=$HG_E2E_CASE_TIMEOUT
  [ -n "${!limit_var:-}" ] && [ "${!limit_var}" -gt "$limit" ] && limit=${!limit_var}
  WINEPREFIX=$case_prefix HG_CASE_DIR=$dir HG_E2E_REASON=$dir/reason \
    timeout -k 5 "$limit" bash "$HG_ROOT/scripts/e2e.sh" --run-case "$name" </dev/null >"$dir/case.log" 2>&1 &
  case_group=$!
  wait "$case_group"
  rc=$?
  if [ "$rc" -ne 0 ]; then
    hg_screenshot "$dir/at-failure.png" 2>/dev/null
  fi
  # Wine first (the whole prefix), then whatever else the case left, then
  # Wine again for a loader that was starting as the group was signalled.
  WINEPREFIX=$case_prefix hg_wine_stop
  kill -TERM -- "-$case_group" 2>/dev/null
  WINEPREFIX=$case_prefix hg_wine_stop
  case_group=

  if [ "$rc" -eq 0 ]; then
    echo "PASS $name ($((SECONDS - case_started)) s)"
    passed=$((passed + 1))
  else
    if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
      reason="timed out after $limit s"
    elif [ -s "$dir/reason" ]; then
      reason=$(head -n 1 "$dir/reason")
    else
      reason="exit status $rc (see build/e2e-results/$name/case.log)"
    fi
    echo "FAIL $name: $reason"
    failed=$((failed + 1))
  fi
  if [ "$rc" -ne 0 ] || [ "${HG_E2E_KEEP:-0}" = 1 ]; then
    mkdir -p "$results/$name"
    find "$dir" -maxdepth 1 -type f -exec cp {} "$results/$name/" \;
  fi
  rm -rf "$case_prefix"
  case_prefix=
}

cases_start=$SECONDS
for name in "${selected[@]}"; do
  run_case "$name"
done
echo "e2e timing: Wine set-up ${setup_seconds} s, ${#selected[@]} cases $((SECONDS - cases_start)) s, total $((SECONDS - suite_start)) s"
summary
