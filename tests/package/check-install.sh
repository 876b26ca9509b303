#!/bin/sh
# Installs the program as a package does (prefix /usr) into a folder of its own and checks
# what the package carries besides the program. Usage: check-install.sh BUILD DESTDIR
set -eu
build=$1
root=$2
rm -rf "$root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
fail() { echo "$1" >&2; exit 1; }

# The menu entry's icon, in the icon theme.
grep -qx 'Icon=ombrel-sarquen' "$root/usr/share/applications/ombrel-sarquen.desktop" ||
  fail "the menu entry names no icon"
[ -s "$root/usr/share/icons/hicolor/32x32/apps/ombrel-sarquen.png" ] || fail "no icon installed"
# The documents every Debian package carries.
grep -q '^Format: ' "$root/usr/share/doc/ombrel-sarquen/copyright" || fail "no copyright file"
gzip -t "$root/usr/share/doc/ombrel-sarquen/changelog.gz" || fail "no changelog"
# The installed GNOME Shell extension answers the installed program alone.
line='const SARQUEN_PROGRAMS = ["/usr/lib/ombrel-sarquen/zorv"]'
for form in "$root"/usr/share/gnome-shell/extensions/*/; do
  grep -qF "$line" "$form/extension.js" || fail "the extension in $form answers other programs"
done
