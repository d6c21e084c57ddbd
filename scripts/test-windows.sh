#!/usr/bin/env bash
# Cross-builds the Windows program (build-win/tetomu.exe) and its tests with MinGW, then runs
# them under Wine on a virtual X display in the Japanese code page 932: the scenario table on
# the core with the Windows file calls, and on the real window driven with a person's messages,
# every file checked byte for byte; then the program file from outside, framed by openbox
# (scripts/check-window.sh --windows). Needs neither a Windows machine nor a desktop.
#
#   scripts/test-windows.sh                 build and test
#   scripts/test-windows.sh --screenshot    then retake docs/screenshot-win32.png
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build-win

scripts/install-deps.sh --windows
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DTETOMU_WERROR=ON >/dev/null
cmake --build "$build" -j2

source scripts/lib/wine-env.sh

for tests in tetomu_core_tests tetomu_win32_tests; do
    status=0
    timeout 900 wine "$build/$tests.exe" --gtest_brief=1 ||
        status=$?
    if [ "$status" -ne 0 ]; then
        echo "The Windows tests failed ($tests, status $status)"
        exit "$status"
    fi
done

# The program file from outside, under Wine on a real window manager.
scripts/check-window.sh --windows

if [ "${1:-}" = "--screenshot" ]; then
    source scripts/lib/screenshot-windows.sh
fi
