# Sourced by the scripts that show the window on a virtual screen: starts Xvfb and openbox on a
# free display and stops both when the calling script ends.
#   start_x11 [WIDTHxHEIGHT]   exports DISPLAY
x11_pids=()

stop_x11() {
    local pid
    for pid in "${x11_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${x11_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    x11_pids=()
}

start_x11() {
    local size="${1:-640x480}" fifo display
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    x11_pids+=($!)
    read -r display <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display"
    openbox >/dev/null 2>&1 &
    x11_pids+=($!)
    # openbox is ready once it has claimed the screen.
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "openbox did not start" >&2
    return 1
}

# The id of the program's top-level window, once it is mapped; waits 30 seconds unless told.
wait_for_window() {
    timeout "${2:-30}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1
}

trap stop_x11 EXIT
