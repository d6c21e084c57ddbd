#!/usr/bin/env bash
# Checks what only a real window manager shows, on a virtual screen with openbox: the window is
# kept above others at start (_NET_WM_STATE_ABOVE), asks for no maximise box, Ctrl+F8 releases
# it and Ctrl+F7 brings it back without moving it, a message box is wide enough for its title,
# a second start on the same memo folder ends at once with status 0 whatever its runtime folder,
# a killed copy blocks no later start, and a missing memo folder gives the error box and a
# failure status, with no main window; and on a headless Wayland session (weston with XWayland)
# the program comes up as an X11 client, unless the person chose a platform. The same checks run on
# the Windows program under Wine, framed by openbox as on a Linux desktop.
#   scripts/check-window.sh [path/to/tetomu]   the Linux program, build/tetomu by default
#   scripts/check-window.sh --windows          build-win/tetomu.exe (scripts/test-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
windows=0
launch=()  # what starts a copy of the program
if [ "${1:-}" = "--windows" ]; then
    windows=1
    launch=(wine)
    build=$PWD/build-win
    program=$build/tetomu.exe
else
    program=$(realpath "${1:-build/tetomu}")
fi
name=$(basename "$program")
source scripts/lib/x11-session.sh

work=$(mktemp -d)
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "${weston_pid:-}" ] && kill "$weston_pid" 2>/dev/null || true
    [ "$windows" = 0 ] || wine_cleanup
    stop_x11
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/app/memo" "$work/bare" "$work/runtime"
printf 'A\r\nB\r\n' >"$work/app/memo/group.gl"
printf 'A' >"$work/app/memo/0.txt"
printf 'B' >"$work/app/memo/1.txt"
cp "$program" "$work/app/"
cp "$program" "$work/bare/"

start_x11
if [ "$windows" = 1 ]; then
    wine_managed=1
    source scripts/lib/wine-env.sh
    trap cleanup EXIT
fi
failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok    $1: $3"; else echo "FAIL  $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
state() { xprop -id "$1" _NET_WM_STATE | sed 's/^[^=]*= *//'; }
position() { xwininfo -id "$1" | awk '/Absolute upper-left/ {printf "%s ", $NF}'; }

"${launch[@]}" "$work/app/$name" 2>/dev/null &
app_pid=$!
win=$(wait_for_window 'テトム★' || true)
[ -n "$win" ] || { echo "FAIL  the window did not appear"; exit 1; }
check "caption" '"テトム★"' "$(xprop -id "$win" _NET_WM_NAME | sed 's/^[^=]*= *//')"
check "kept in front at start" "_NET_WM_STATE_ABOVE" "$(state "$win")"
check "size (client 350x262 plus the menu bar)" "350" "$(xwininfo -id "$win" | awk '/Width:/ {print $2}')"
check "icon" "32 x 32" "$(xprop -id "$win" _NET_WM_ICON | grep -o '32 x 32' | head -1)"
# The hints ask for no maximise box: not among the decorations (bit 0x40) nor the actions.
decorations=$(xprop -id "$win" _MOTIF_WM_HINTS | awk -F', ' '{print $3}')
check "no maximise decoration" "0" "$(( decorations & 0x40 ))"
check "no maximise action" "" "$(xprop -id "$win" _NET_WM_ALLOWED_ACTIONS | grep -o MAXIMIZE | head -1)"
check "no resize action" "" "$(xprop -id "$win" _NET_WM_ALLOWED_ACTIONS | grep -o RESIZE | head -1)"
before=$(position "$win")

xdotool windowactivate --sync "$win"
xdotool key --clearmodifiers ctrl+F8
sleep 0.5
check "Ctrl+F8 releases" "" "$(state "$win")"
xdotool key --clearmodifiers ctrl+F7
sleep 0.5
check "Ctrl+F7 keeps in front again" "_NET_WM_STATE_ABOVE" "$(state "$win")"
check "position kept" "$before" "$(position "$win")"

# A short message: ticking "整理" with nothing selected, a click on the box above the text box.
menubar=$(( $(xwininfo -id "$win" | awk '/Height:/ {print $2}') - 262 ))
xdotool mousemove --window "$win" 240 $((menubar + 8)) click 1
box=$(wait_for_window '^テトム$')
width=$(xwininfo -id "$box" | awk '/Width:/ {print $2}')
check "a short message's box is wide enough for its title" "yes" "$([ "$width" -ge 200 ] && echo yes || echo no)"
xdotool windowactivate --sync "$box" key Return
sleep 0.5

folder=$(cd "$work/app/memo" && sha1sum * | sha1sum)
set +e
XDG_RUNTIME_DIR="$work/runtime" timeout 30 "${launch[@]}" "$work/app/$name" 2>/dev/null
status=$?
env -u XDG_RUNTIME_DIR timeout 30 "${launch[@]}" "$work/app/$name" 2>/dev/null
status_without=$?
set -e
check "second start ends at once" "0" "$status"
check "so does one without a runtime folder" "0" "$status_without"
check "the folder is as it was" "$folder" "$(cd "$work/app/memo" && sha1sum * | sha1sum)"
check "first copy still runs" "yes" "$(kill -0 "$app_pid" 2>/dev/null && echo yes || echo no)"

# A copy that was killed blocks nothing: the next start on its folder shows the window.
kill -9 "$app_pid"
wait "$app_pid" 2>/dev/null || true
"${launch[@]}" "$work/app/$name" 2>/dev/null &
app_pid=$!
check "a start after a killed copy shows the window" "yes" \
    "$([ -n "$(wait_for_window 'テトム★')" ] && echo yes || echo no)"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""

"${launch[@]}" "$work/bare/$name" 2>/dev/null &
bare_pid=$!
box=$(wait_for_window '^テトム$' || true)
check "missing memo folder shows a box" "yes" "$([ -n "$box" ] && echo yes || echo no)"
check "no main window for it" "0" "$(xdotool search --onlyvisible --name 'テトム★' | wc -l)"
[ -n "$box" ] && xdotool windowactivate --sync "$box" key Return
set +e
timeout 30 tail --pid="$bare_pid" -f /dev/null
wait "$bare_pid"
status=$?
set -e
check "it ends with a failure status" "1" "$status"

# A Wayland session as a desktop starts the program: a headless weston with XWayland, the
# session's variables set and no platform chosen. A Wayland client cannot stay above others, so
# the program must come up as an X11 client of XWayland, whose window manager is asked for it;
# a platform the person chose still wins. (weston's own X11 window manager keeps no window
# above others, so the request itself is not seen here as it is on openbox.)
wayland_check() {
    local runtime="$work/wayland" display="" pid win
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --xwayland \
        --socket=wayland-tetomu --idle-time=0 >"$runtime/weston.log" 2>&1 &
    weston_pid=$!
    for _ in $(seq 50); do
        display=$(grep -o 'listening on display :[0-9]*' "$runtime/weston.log" | grep -o ':[0-9]*' || true)
        [ -n "$display" ] && break
        sleep 0.1
    done
    if [ -z "$display" ]; then
        echo "skip  the Wayland session: weston did not start with XWayland"
        return
    fi
    for platform in "" wayland; do
        env -u QT_QPA_PLATFORM ${platform:+QT_QPA_PLATFORM=$platform} DISPLAY="$display" \
            WAYLAND_DISPLAY=wayland-tetomu XDG_SESSION_TYPE=wayland XDG_RUNTIME_DIR="$runtime" \
            "$work/app/$name" 2>/dev/null &
        pid=$!
        win=$(DISPLAY="$display" wait_for_window 'テトム★' 8 || true)
        if [ -z "$platform" ]; then
            check "on a Wayland session it runs on XWayland" "yes" "$([ -n "$win" ] && echo yes || echo no)"
        else
            check "a platform the person chose wins" "no" "$([ -n "$win" ] && echo yes || echo no)"
        fi
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    kill "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
    weston_pid=""
}
weston_pid=""
if [ "$windows" = 0 ]; then
    if command -v weston >/dev/null && command -v Xwayland >/dev/null; then
        wayland_check
    else
        echo "skip  the Wayland session: weston or Xwayland is not installed"
    fi
fi

[ "$failures" -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
