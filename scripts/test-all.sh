#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native
# unit and scenario tests, the same tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the end-to-end suite against the real
# hourgauge.exe under Wine. Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || { echo "test-all: installing packages failed"; exit 1; }

passed=0
failed=0
jobs=$(nproc 2>/dev/null || echo 2)

# ctest prints "NN% tests passed, F tests failed out of T".
count_ctest() {
  local log=$1 line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

native_suite() {
  local preset=$1 log
  log=$(mktemp)
  echo "== $preset: build and test"
  if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs"; then
    ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log" | tail -n 3
  else
    echo "$preset: build failed" | tee "$log"
  fi
  count_ctest "$log"
  rm -f "$log"
}

native_suite native
native_suite asan

echo "== windows: build hourgauge.exe"
if cmake --preset windows >/dev/null && cmake --build --preset windows -j "$jobs"; then
  if [ -f scripts/e2e.sh ]; then
    log=$(mktemp)
    bash scripts/e2e.sh 2>&1 | tee "$log"
    line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1)
    if [ -n "$line" ]; then
      passed=$((passed + $(sed -E 's/^e2e: ([0-9]+) passed.*/\1/' <<<"$line")))
      failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
    else
      failed=$((failed + 1))
    fi
    rm -f "$log"
  fi
else
  echo "windows: build failed"
  failed=$((failed + 1))
fi

echo "total: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
