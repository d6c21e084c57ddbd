#!/usr/bin/env bash
# Acts on the program as a screen reader does: on a virtual screen with openbox and a session
# bus, through AT-SPI (scripts/lib/screen-reader.py), never with keys or the mouse. After each
# case the memo folder is compared byte for byte, and the program must still answer:
#   the list, the text box, the "整理" check box and the menu items carry their names;
#   a row selected through the list opens its memo, as a click does;
#   text inserted is saved in the open memo;
#   a new text for the whole box keeps the memo in its place;
#   the check box's "Toggle" turns arrange mode on and off as a click does.
#   scripts/check-a11y.sh [path/to/tetomu]   build/tetomu by default
# Where AT-SPI or pyatspi is missing, it says so and skips (status 0).
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/tetomu}")
skip() { echo "skip  the screen reader check: $1"; exit 0; }

for tool in dbus-launch xdotool Xvfb; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
# Debian's own Python: the one that has pyatspi.
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"
reader() { "$python" scripts/lib/screen-reader.py "$@"; }

work=$(mktemp -d)
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$work/app/memo"
chmod 700 "$XDG_RUNTIME_DIR"
source scripts/lib/x11-session.sh
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    # The accessibility bus and its registry were started by this bus, and end with it.
    [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
    stop_x11
    rm -rf "$work"
}
trap cleanup EXIT
source scripts/lib/folder-checks.sh
lay_memos
cp "$program" "$work/app/tetomu"

start_x11 800x600
eval "$(dbus-launch --sh-syntax)"
start_program QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

names=$(reader names | grep -E '^(list|text|check box|menu item):' | sort | tr '\n' '|')
check "the controls' names" \
    "check box: 整理|list: メモの一覧|menu item: バージョン|menu item: 削除|menu item: 常に手前にする|menu item: 手前|menu item: 新規|menu item: 解除する|text: メモ|" \
    "$names"

reader pick 1
settle
check "a row selected opens its memo" "B" "$(reader text)"
expect_folder "opening writes nothing" 0.txt 41 1.txt 42 group.gl 410d0a420d0a
answers "the pick"

reader insert 1 x
expect_folder "inserted text is saved in the open memo" 0.txt 41 1.txt 4278 group.gl 410d0a42780d0a
answers "the insert"

reader set Z
expect_folder "a new whole text keeps the memo in its place" \
    0.txt 41 1.txt 5a group.gl 410d0a5a0d0a
answers "the new text"

reader do Toggle
settle
reader pick 0
expect_folder "Toggle turns arrange mode on: the next pick swaps" \
    0.txt 5a 1.txt 41 group.gl 5a0d0a410d0a
answers "the toggle"

reader pick 0
settle
reader do Toggle
settle
reader do Toggle
settle
reader pick 1
settle
check "Toggle twice leaves arrange mode off: the next pick opens" "A" "$(reader text)"
expect_folder "and swaps nothing" 0.txt 5a 1.txt 41 group.gl 5a0d0a410d0a
answers "the toggles"

[ "$failures" -eq 0 ] && echo "all screen reader checks passed" || {
    echo "$failures screen reader check(s) failed"
    exit 1
}
