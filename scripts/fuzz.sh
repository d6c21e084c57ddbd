#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time.
#   scripts/fuzz.sh            30 s per target (CI gives each 20 s)
#   scripts/fuzz.sh 600        ten minutes per target, by hand
# New inputs go to build-fuzz/corpus/<target>/; the small seed corpus in fuzz/corpus/<target>/
# is read, never written. A crash leaves its input in build-fuzz/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

seconds=${1:-30}
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DTETOMU_FUZZ=ON \
    -DTETOMU_BUILD_TESTS=OFF -DTETOMU_BUILD_QT=OFF -DTETOMU_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
TIMEFORMAT='%U %S'
for target in codec edit index title; do
    mkdir -p "build-fuzz/corpus/$target"
    log="build-fuzz/${target}_fuzz.log"
    { time (cd build-fuzz && "./fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="./${target}-" "corpus/$target" "../fuzz/corpus/$target" \
        >"${target}_fuzz.log" 2>&1); } 2>"build-fuzz/${target}_fuzz.time" || {
        tail -40 "$log"
        echo "FAIL ${target}_fuzz: see $log"
        exit 1
    }
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cpu=$(awk '{ printf "%.0f", $1 + $2 }' "build-fuzz/${target}_fuzz.time")
    echo "${target}_fuzz: ${runs} runs, ${cpu} s CPU, no crash"
done
