#!/usr/bin/env bash
# Runs one fuzzer for a bounded number of executions over its committed
# seeds, collecting new inputs in a scratch folder (the seeds stay as they
# are). Any crash, sanitizer report or failed check fails the run.
#   run_fuzzer.sh FUZZER SEED_DIR RUNS
set -euo pipefail
fuzzer=$1 seeds=$2 runs=$3
[ -x "$fuzzer" ] || { echo "$fuzzer was not built: clang-14 and libclang-rt-14-dev are needed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$fuzzer" -runs="$runs" -max_total_time=120 -artifact_prefix="$work/" -print_final_stats=1 \
  "$work" "$seeds" 2>&1 | grep -E '^(#[0-9]+ *DONE|INFO: seed corpus|stat::number_of_executed_units|==[0-9]+==|SUMMARY|.*ERROR|.*runtime error)' || true
exit "${PIPESTATUS[0]}"
