#!/usr/bin/env bash
# The real window timed from outside, as a person meets it (bench/e2e.py): on a virtual screen
# with openbox, the window shown at 10 and 32767 memos, and keystrokes timed from the key to the
# file renamed into place, next to the same writes done by the script into a twin folder.
#   bench/e2e.sh [path/to/tetomu]     RUNS=n for more repetitions (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/tetomu}")
source scripts/lib/x11-session.sh
start_x11 800x600
python3 bench/e2e.py "$program" | tee build-bench/e2e.txt
