#!/usr/bin/env bash
# Runs the whole test suite on a private X server with a window manager, so that the
# tests that need a real desktop session have one.
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."

inner=$(cat <<'INNER'
set -u
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# Give the window manager a moment to take the screen.
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
  sleep 0.1
done
ctest --test-dir "$1" --output-on-failure -j "$(nproc)"
rc=$?
kill $wm 2>/dev/null
exit $rc
INNER
)
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c "$inner" run-tests "$build"
