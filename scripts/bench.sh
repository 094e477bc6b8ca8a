#!/usr/bin/env bash
# Builds the bench preset (Release) and runs the benchmarks; then, when
# hourgauge.exe has been built (cmake --preset windows && cmake --build
# --preset windows), prints its size and the DLLs it imports.
#
#   scripts/bench.sh [Google Benchmark options...]
#   e.g. scripts/bench.sh --benchmark_filter=Recount --benchmark_repetitions=5
#
# HG_BENCH_TRACE_ALLOCS=1 prints the call stack of every heap allocation one
# ordinary tick makes, before the benchmarks run.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench >/dev/null
cmake --build --preset bench
echo
build/bench/bench/hg_bench --benchmark_counters_tabular=true "$@"

exe=build/windows/hourgauge.exe
echo
if [ -f "$exe" ]; then
  echo "== $exe: $(stat -c %s "$exe") bytes"
  if command -v i686-w64-mingw32-objdump >/dev/null; then
    i686-w64-mingw32-objdump -p "$exe" | grep 'DLL Name'
  else
    echo "(i686-w64-mingw32-objdump not installed: no import list)"
  fi
else
  echo "== $exe not built yet (cmake --preset windows && cmake --build --preset windows)"
fi
