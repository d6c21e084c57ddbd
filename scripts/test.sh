#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test, then checks the program from
# outside on a real window manager (scripts/check-window.sh) and through a real input method
# (scripts/check-ime.sh), and beside the real programs that share its memo folder
# (scripts/check-outside.sh, two Syncthing instances included).
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   the same under AddressSanitizer and UBSan, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

dir=build
flags=(-DTETOMU_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    flags=(-DTETOMU_WERROR=ON -DTETOMU_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2
# The program from outside, on a real window manager, and typed into through a real input method.
if [ "$dir" = build ]; then
    scripts/check-window.sh build/tetomu
    scripts/check-ime.sh build/tetomu
    scripts/check-outside.sh --sync build/tetomu
fi
