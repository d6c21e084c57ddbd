#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window on build/memo (the memo folder beside
# build/tetomu). Configured as scripts/test.sh configures build/, so the two share one build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DTETOMU_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tetomu
exec build/tetomu
