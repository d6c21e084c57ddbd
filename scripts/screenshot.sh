#!/usr/bin/env bash
# Takes docs/screenshot.png: the window on a virtual screen with openbox, on a temporary memo
# folder holding a few Japanese memos, the second one open. Uses the program in build/ unless
# told otherwise.
#   scripts/screenshot.sh [path/to/tetomu]
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/tetomu}")
out=docs/screenshot.png
source scripts/lib/x11-session.sh

work=$(mktemp -d)
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    stop_x11
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/memo"
cp "$program" "$work/tetomu"

python3 scripts/lib/sample-memos.py "$work/memo"

start_x11 480x400
"$work/tetomu" 2>/dev/null &
app_pid=$!
win=$(wait_for_window 'テトム★')
[ -n "$win" ] || { echo "the window did not appear" >&2; exit 1; }
# Open the second memo with a click on its title (the second row of the list, below the menu).
client=$(xdotool search --onlyvisible --name 'テトム★' | head -1)
xdotool windowactivate --sync "$client"
xdotool mousemove --window "$client" 40 62 click 1
xdotool mousemove --window "$client" 200 240
sleep 1

# The window with its frame, and a little of the screen around it.
read -r x y w h < <(xwininfo -id "$(xdotool getwindowfocus)" -frame |
    awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
         /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
mkdir -p docs
import -window root -crop "$((w + 40))x$((h + 60))+$((x - 20))+$((y - 40))" +repage "$out"
echo "wrote $out"
