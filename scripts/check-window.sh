#!/usr/bin/env bash
# Checks what only a real window manager shows, on a virtual screen with openbox: the window is
# kept above others at start (_NET_WM_STATE_ABOVE), Ctrl+F8 releases it and Ctrl+F7 brings it
# back without moving it, a second start ends at once with status 0, and a missing memo folder
# gives the error box and a failure status. Uses the program in build/ unless told otherwise.
#   scripts/check-window.sh [path/to/tetomu]
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/tetomu}")
source scripts/lib/x11-session.sh

work=$(mktemp -d)
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    stop_x11
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/app/memo" "$work/bare"
cp "$program" "$work/app/tetomu"
cp "$program" "$work/bare/tetomu"

start_x11
failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok    $1: $3"; else echo "FAIL  $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
state() { xprop -id "$1" _NET_WM_STATE | sed 's/^[^=]*= *//'; }
position() { xwininfo -id "$1" | awk '/Absolute upper-left/ {printf "%s ", $NF}'; }

"$work/app/tetomu" 2>/dev/null &
app_pid=$!
win=$(wait_for_window 'テトム★')
[ -n "$win" ] || { echo "FAIL  the window did not appear"; exit 1; }
check "caption" '"テトム★"' "$(xprop -id "$win" _NET_WM_NAME | sed 's/^[^=]*= *//')"
check "kept in front at start" "_NET_WM_STATE_ABOVE" "$(state "$win")"
check "size (client 350x262 plus the menu bar)" "350" "$(xwininfo -id "$win" | awk '/Width:/ {print $2}')"
check "icon" "32 x 32" "$(xprop -id "$win" _NET_WM_ICON | grep -o '32 x 32' | head -1)"
before=$(position "$win")

xdotool windowactivate --sync "$win"
xdotool key --clearmodifiers ctrl+F8
sleep 0.5
check "Ctrl+F8 releases" "" "$(state "$win")"
xdotool key --clearmodifiers ctrl+F7
sleep 0.5
check "Ctrl+F7 keeps in front again" "_NET_WM_STATE_ABOVE" "$(state "$win")"
check "position kept" "$before" "$(position "$win")"

set +e
timeout 30 "$work/app/tetomu" 2>/dev/null
status=$?
set -e
check "second start ends at once" "0" "$status"
check "first copy still runs" "yes" "$(kill -0 "$app_pid" 2>/dev/null && echo yes || echo no)"

"$work/bare/tetomu" 2>/dev/null &
bare_pid=$!
box=$(wait_for_window '^テトム$')
check "missing memo folder shows a box" "yes" "$([ -n "$box" ] && echo yes || echo no)"
check "no main window for it" "1" "$(xdotool search --onlyvisible --name 'テトム★' | wc -l)"
[ -n "$box" ] && xdotool windowactivate --sync "$box" key Return
set +e
wait "$bare_pid"
status=$?
set -e
check "it ends with a failure status" "1" "$status"

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
