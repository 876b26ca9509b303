#!/usr/bin/env bash
# Formats every C and C++ source of the project, or with --check fails on any that is
# not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
cf=$(command -v clang-format || command -v clang-format-14)
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
[ ${#files[@]} -gt 0 ] || exit 0
if [ "${1:-}" = "--check" ]; then
  "$cf" --dry-run -Werror "${files[@]}"
  echo "format: ${#files[@]} files clean"
else
  "$cf" -i "${files[@]}"
fi
