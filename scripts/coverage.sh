#!/usr/bin/env bash
# Builds the native tests with coverage, runs them, and prints the line and
# branch coverage of everything outside platform/win32/ (which only the
# Windows build compiles): first the program's own code, then the simulated
# Windows that the tests run it on.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --native-only
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j "$(nproc)"
find build/coverage -name '*.gcda' -delete
(cd build/coverage && ./hg_tests --gtest_brief=1 >/dev/null)

report() {
  gcovr --root . --object-directory build/coverage \
    --exclude 'tests/' --exclude 'fuzz/' --exclude 'bench/' --exclude 'platform/win32/' \
    --exclude-throw-branches --exclude-unreachable-branches --txt - --print-summary "$@"
}
echo "== The program (everything but platform/win32/ and platform/sim/)"
report --exclude 'platform/sim/' | grep -vE '100%\s*$' | tail -n +2
echo
echo "== The simulated Windows of the tests (platform/sim/)"
report --filter 'platform/sim/' | tail -n 3
