#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzzing build for the given number of
# seconds each, starting from its seed corpus fuzz/corpus/<name>/.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-20}

for fuzzer in "$build"/fuzz/*_fuzz; do
  name=$(basename "$fuzzer" _fuzz)
  work="$build/fuzz/corpus-$name"
  log="$build/fuzz/$name.log"
  mkdir -p "$work"
  echo "-- $name: ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz/" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzzer $name found a problem; the input is saved as $build/fuzz/crash-*" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$log" || true
done
