#!/usr/bin/env bash
# Runs each fuzz target on its seed corpus for a bounded time.
#   fuzz/run.sh BUILD_DIR SECONDS TARGET...
# New inputs go to BUILD_DIR/corpus/TARGET (the seeds in fuzz/corpus/TARGET
# are only read); a finding leaves its input in BUILD_DIR/findings and makes
# the script fail.
set -euo pipefail
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/findings"
status=0
for target in "$@"; do
  mkdir -p "$build/corpus/$target"
  echo "fuzzing $target for ${seconds}s"
  if ! "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=131072 -dict="$here/atoms.dict" -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" \
      "$build/corpus/$target" "$here/corpus/$target" 2>"$build/$target.log"; then
    tail -n 60 "$build/$target.log"
    echo "FINDING in $target (input in $build/findings)"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$build/$target.log" || true
  fi
done
exit $status
