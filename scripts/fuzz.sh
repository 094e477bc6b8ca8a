#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs fuzz targets, one after the other.
#
#   scripts/fuzz.sh [TARGET|all] [RUNS|SECONDSs] [libFuzzer options...]
#   scripts/fuzz.sh merge TARGET|all
#
# Targets: StoredNumber TimeText Scramble EventRecord Program FormatText
# ScanText ServiceRequest (default: all).
# RUNS is the number of executions per target (default 100000; 0 only replays
# the corpus); a number ending in "s" is a time limit per target instead.
# Each target starts from the committed seeds in fuzz/corpus/<Target>/ (never
# written here) and grows build/fuzz/corpus/<Target>/; what it finds (crash-*,
# leak-*, timeout-*, oom-*) goes to build/fuzz/findings/<Target>/. "merge" adds
# to fuzz/corpus/<Target>/ only the grown inputs that reach new coverage.
# Exits non-zero when a target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

all=(StoredNumber TimeText Scramble EventRecord Program FormatText ScanText ServiceRequest)
mode=run
if [ "${1:-}" = merge ]; then
  mode=merge
  shift
fi
which=${1:-all}
[ $# -gt 0 ] && shift
if [ "$which" = all ]; then
  targets=("${all[@]}")
else
  case " ${all[*]} " in
  *" $which "*) targets=("$which") ;;
  *) echo "fuzz: unknown target '$which' (one of: ${all[*]}, all)" >&2; exit 2 ;;
  esac
fi

limit=()
if [ "$mode" = run ]; then
  runs=${1:-100000}
  [ $# -gt 0 ] && shift
  case "$runs" in
  *s) limit=(-max_total_time="${runs%s}") ;;
  *) limit=(-runs="$runs") ;;
  esac
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for t in "${targets[@]}"; do
  bin=build/fuzz/fuzz/fuzz_$t
  grown=build/fuzz/corpus/$t
  findings=build/fuzz/findings/$t
  mkdir -p "$grown" "$findings"
  if [ "$mode" = merge ]; then
    echo "== $t: merging $grown into fuzz/corpus/$t"
    "$bin" -merge=1 "fuzz/corpus/$t" "$grown" 2>&1 | grep -E 'MERGE-OUTER: [0-9]+ new files' || true
    continue
  fi
  echo "== $t: ${limit[*]}"
  log=build/fuzz/$t.log
  if "$bin" "${limit[@]}" -artifact_prefix="$findings/" -print_final_stats=1 \
       -rss_limit_mb=4096 "$@" "$grown" "fuzz/corpus/$t" >"$log" 2>&1; then
    grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs)|stat::number_of_executed_units' "$log" || tail -n 3 "$log"
  else
    status=1
    echo "fuzz: $t found a problem (log: $log, inputs: $findings/)"
    grep -E 'ERROR|runtime error|fuzz check failed|SUMMARY' "$log" | head -n 5 || tail -n 20 "$log"
  fi
done
exit "$status"
