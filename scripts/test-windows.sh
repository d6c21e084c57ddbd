#!/usr/bin/env bash
# Cross-builds the Windows program (build-win/tetomu.exe) and its end-to-end test with MinGW,
# then runs the test under Wine on a virtual X display: the real window on real memo folders,
# driven with a person's messages, every file checked byte for byte in code page 932.
# Needs neither a Windows machine nor a desktop; exits non-zero when anything fails.
#
#   scripts/test-windows.sh                 build and test
#   scripts/test-windows.sh --screenshot    then retake docs/screenshot-win32.png
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build-win

scripts/install-deps.sh --windows
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTETOMU_WERROR=ON -DTETOMU_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2

source scripts/wine-env.sh

status=0
timeout 300 wine "$build/tetomu_win32_tests.exe" "$(winepath -w "$build/tetomu.exe")" || status=$?
if [ "$status" -ne 0 ]; then
    echo "The Windows tests failed (status $status)"
    exit "$status"
fi

if [ "${1:-}" = "--screenshot" ]; then
    source scripts/screenshot-windows.sh
fi
