#!/usr/bin/env bash
# Installs the built program for the current user: the program folder with its files
# (writable, because scripts are saved beside the program), links on PATH, a menu
# entry and its icon. The program gives a new store its first values itself.
set -euo pipefail
build=${1:-build}
prefix=${2:-$HOME/.local}
cd "$(dirname "$0")/.."

program="$prefix/share/ombrel-sarquen"
mkdir -p "$program/Scripts" "$prefix/bin" "$prefix/share/applications" \
  "$prefix/share/icons/hicolor/32x32/apps"
for f in "$build"/program/*; do
  [ -f "$f" ] && install -m "$( [ -x "$f" ] && echo 755 || echo 644 )" "$f" "$program/"
done
cp -rn "$build"/program/Scripts/. "$program/Scripts/" 2>/dev/null || true

ln -sf "$program/zorv" "$prefix/bin/zorv"
ln -sf "$program/sarquen-reg" "$prefix/bin/sarquen-reg"
install -m 644 data/sarquen.png "$prefix/share/icons/hicolor/32x32/apps/ombrel-sarquen.png"
cat > "$prefix/share/applications/ombrel-sarquen.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Ombrel Sarquen 2.0
Comment=Voice-controlled program launcher
Exec="$program/zorv"
Icon=ombrel-sarquen
Terminal=false
Categories=Utility;Accessibility;
DESKTOP

echo "Installed in $program; run it with: zorv"
