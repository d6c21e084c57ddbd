#!/usr/bin/env bash
# Builds the benchmarks (optimised, with symbols, in build-bench/) and runs them all.
#   scripts/bench.sh            every benchmark, 5 repetitions; the tables of BENCHMARKS.md are
#                               printed from them, the raw figures kept in build-bench/*.json
#   SMOKE=1 scripts/bench.sh    small sizes, one short run each: proves they build and run (CI)
#   bench/e2e.sh                the real window timed from outside under Xvfb (not run here)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

dir=build-bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTETOMU_WERROR=ON \
    -DTETOMU_BUILD_BENCH=ON -DTETOMU_BUILD_TESTS=OFF >/dev/null
targets=(tetomu_bench)
if grep -q '^TETOMU_BUILD_QT:BOOL=ON' "$dir/CMakeCache.txt"; then
    targets+=(tetomu_qt_bench)
fi
cmake --build "$dir" -j2 --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
if [ -n "${SMOKE:-}" ]; then
    args=(--benchmark_min_time=0.001)
else
    args=(--benchmark_repetitions=5)
fi
for t in "${targets[@]}"; do
    "$dir/bench/$t" "${args[@]}" --benchmark_out="$dir/$t.json" --benchmark_out_format=json "$@"
done
if [ -z "${SMOKE:-}" ]; then
    python3 tools/bench_table.py "$dir"/tetomu*_bench.json
fi
