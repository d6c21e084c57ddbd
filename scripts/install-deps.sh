#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need. Safe to run again: it
# only calls apt when something is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-noto-cjk
    xvfb xauth openbox x11-utils imagemagick xdotool
    clang libclang-rt-14-dev
    valgrind python3
)
if [ "${1:-}" = "--windows" ]; then
    packages+=(mingw-w64 wine wine64 xvfb xauth locales)
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
