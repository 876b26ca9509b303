#!/usr/bin/env bash
# Installs the Debian packages that building and running the program need, and with
# --test also those the tests need. Only missing packages are installed; nothing
# happens when all are present.
set -euo pipefail

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
lean=()
packages=(
  # build
  build-essential cmake ninja-build pkg-config clang-format git
  qt6-base-dev qt6-base-dev-tools
  libsqlite3-dev libx11-dev libxtst-dev libpulse-dev libsndfile1-dev
  libpocketsphinx-dev libespeak-ng-dev libspeexdsp-dev libwayland-dev libxkbcommon-dev
  libevdev-dev
  # run
  qt6-qpa-plugins libqt6dbus6 libqt6network6 libqt6printsupport6 xdg-utils pocketsphinx-en-us espeak-ng-data
  # voice training: SphinxTrain's bw and mllr_solve, PocketSphinx's model converter
  sphinxtrain pocketsphinx
)
if [ "${1:-}" = "--test" ]; then
  packages+=(libgtest-dev libgmock-dev xvfb xauth openbox x11-utils dbus-daemon
    espeak-ng sox unzip clang sway foot python3-venv)
  # A headless KWin and GNOME Shell for the tests of those desktops, without the rest of
  # the desktop they recommend; KDE's desktop portal (a Qt 5 program) for typing through it.
  lean+=(kwin-wayland gnome-shell qt6-wayland xdg-desktop-portal xdg-desktop-portal-kde
    qtwayland5)
  # A private sound server for the playback tests. Desktops that run PipeWire's
  # replacement keep it: the two packages exclude each other.
  if ! installed pipewire-pulse; then
    packages+=(pulseaudio)
  fi
fi

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missing_lean=()
for p in "${lean[@]}"; do
  installed "$p" || missing_lean+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_lean[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]} ${missing_lean[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get install -y -qq "${missing[@]}"
fi
if [ ${#missing_lean[@]} -gt 0 ]; then
  $sudo apt-get install -y -qq --no-install-recommends "${missing_lean[@]}"
fi
