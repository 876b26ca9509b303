#!/usr/bin/env bash
# Runs every benchmark; each prints a table and writes its figures as JSON. A benchmark
# that misses a target does not stop the others; the run fails at the end.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
mkdir -p "$build/bench-results"
missed=()
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  name=$(basename "$b")
  echo "== $name"
  QT_QPA_PLATFORM=offscreen "$b" "$build/bench-results/$name.json" || missed+=("$name")
done
echo "JSON written to $build/bench-results/"
if [ ${#missed[@]} -gt 0 ]; then
  echo "missed a target: ${missed[*]}"
  exit 1
fi
