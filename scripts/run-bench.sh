#!/usr/bin/env bash
# Runs every benchmark; each prints a table and writes its figures as JSON.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."
mkdir -p "$build/bench-results"
for b in "$build"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  name=$(basename "$b")
  echo "== $name"
  QT_QPA_PLATFORM=offscreen "$b" "$build/bench-results/$name.json"
done
echo "JSON written to $build/bench-results/"
