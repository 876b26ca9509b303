#!/usr/bin/env bash
# Formats every C and C++ source of the project, or with --check fails on any that is
# not formatted, and on Qt's test macros in the tests: under GoogleTest a failed QVERIFY
# or QCOMPARE only returns from the test body, so the test passes.
set -euo pipefail
cd "$(dirname "$0")/.."
cf=$(command -v clang-format || command -v clang-format-14)
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.c' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
[ ${#files[@]} -gt 0 ] || exit 0
if [ "${1:-}" = "--check" ]; then
  if grep -rnE --include='*.cpp' --include='*.h' '\bQ(TRY_[A-Z_]+|VERIFY[A-Z_0-9]*|COMPARE)\(' tests; then
    echo "format: use GoogleTest assertions (and waitForEvents) instead of Qt's test macros" >&2
    exit 1
  fi
  "$cf" --dry-run -Werror "${files[@]}"
  echo "format: ${#files[@]} files clean"
else
  "$cf" -i "${files[@]}"
fi
