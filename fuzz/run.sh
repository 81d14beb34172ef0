#!/bin/sh
# Runs every fuzz target of a fuzz build for a bounded time over its seeds.
# New inputs go to a working corpus in the build folder (the committed seeds
# stay as they are); a finding is kept there and fails the run.
# Usage: fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET
set -u
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
failed=""
for target in "$build"/fuzz-bin/fuzz_*; do
  name=${target##*/fuzz_}
  corpus=$build/fuzz-corpus/$name
  findings=$build/fuzz-findings
  mkdir -p "$corpus" "$findings"
  echo "fuzz $name: ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 \
       -print_final_stats=1 -artifact_prefix="$findings/$name-" "$corpus" "$here/${name}_seeds" \
       >"$build/fuzz-$name.log" 2>&1; then
    tail -n 60 "$build/fuzz-$name.log"
    failed="$failed $name"
  else
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$build/fuzz-$name.log" | tr '\n' ' '
    echo
  fi
done
if [ -n "$failed" ]; then
  echo "fuzz findings in:$failed (inputs in $build/fuzz-findings)"
  exit 1
fi
