#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need. Safe to run again: it
# only calls apt when something is missing.
#   scripts/install-deps.sh             the Linux program, its tests, fuzzers and benchmarks
#   scripts/install-deps.sh --windows   only what the Windows check needs (cross-build, Wine)
set -euo pipefail

if [ "${1:-}" = "--windows" ]; then
    packages=(
        cmake ninja-build mingw-w64 googletest
        wine wine64 fonts-wine fonts-noto-cjk locales
        xvfb xauth openbox x11-utils xdotool imagemagick python3
    )
else
    packages=(
        build-essential cmake ninja-build pkg-config clang-format
        libgtest-dev libgmock-dev libbenchmark-dev
        qt6-base-dev qt6-base-dev-tools libgl-dev
        fonts-noto-cjk
        xvfb xauth openbox x11-utils imagemagick xdotool inotify-tools
        ibus ibus-mozc mozc-server dbus-x11 xxd weston xwayland qt6-wayland
        clang libclang-rt-14-dev
        valgrind python3
        vim-tiny git rsync syncthing
    )
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
