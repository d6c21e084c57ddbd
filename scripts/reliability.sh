#!/usr/bin/env bash
# The reliability campaigns behind RELIABILITY.md, in build-rel/:
#   scripts/reliability.sh            kill, fault and power-cut campaigns in full, then 120 s per fuzzer
#   scripts/reliability.sh --quick    the bounded version the test suite runs, then 20 s each
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

quick=()
fuzz_seconds=120
if [ "${1:-}" = "--quick" ]; then
    quick=(--quick)
    fuzz_seconds=20
fi
cmake -S . -B build-rel -G Ninja -DTETOMU_WERROR=ON -DTETOMU_BUILD_QT=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-rel -j2 --target tetomu_reliability tetomu_core_tests
build-rel/tests/tetomu_core_tests --gtest_brief=1 --gtest_filter='FolderSafety*:CodePage*:*Link*:*Pipe*'
build-rel/tests/reliability/tetomu_reliability "${quick[@]}"
scripts/fuzz.sh "$fuzz_seconds"
