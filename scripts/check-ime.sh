#!/usr/bin/env bash
# Types into the program through a real input method, as a Japanese person does: ibus with mozc
# on a virtual screen with openbox and a session bus, keys sent by xdotool, no synthetic events.
# After each case the memo folder is compared byte for byte, and the program must still answer:
#   a click into the empty box with the input method on makes no memo;
#   a word converted and committed is one new memo, saved once;
#   a composition cancelled with Escape, then the focus moved to another memo, is saved nowhere;
#   ♡ chosen for はーと is stored as "?", told beside the caret, and the program goes on;
#   Ctrl+A, then a composition, replaces the memo in place;
#   a composition still open when New is chosen is committed into the memo it was typed in;
# then fcitx5 with mozc, on a fresh folder, with a composition still open:
#   New commits it into the memo it was typed in, and the Return after it goes into the box;
#   Delete takes the memo, and nothing of the composition comes into the emptied box.
# mozc will not run as root: as root the script runs everything as a user it creates.
#   scripts/check-ime.sh [path/to/tetomu]   build/tetomu by default
# Where ibus or mozc cannot be brought up, it says so and skips (status 0); so does the fcitx5
# part without fcitx5.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/tetomu}")
skip() { echo "skip  the input method check: $1"; exit 0; }

for tool in ibus-daemon ibus dbus-launch xdotool Xvfb; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x /usr/lib/ibus-mozc/ibus-engine-mozc ] || skip "ibus-mozc is not installed"

# Checks run side by side on one machine each take a user of their own.
user=${TETOMU_IME_USER:-tetomu-ime}
if [ "$(id -u)" -eq 0 ]; then
    id "$user" >/dev/null 2>&1 || useradd --system --create-home --shell /bin/bash "$user"
    work=$(mktemp -d)
    chmod 755 "$work"
    cp "$program" "$work/tetomu"
    cp scripts/check-ime.sh "$work/"
    mkdir -p "$work/lib"
    cp scripts/lib/x11-session.sh scripts/lib/folder-checks.sh "$work/lib/"
    chown -R "$user" "$work"
    # The user is this check's alone: whatever of its session is left (mozc's server leaves
    # itself running, a program that ran away) goes.
    trap 'pkill -KILL -u "$user" 2>/dev/null || true; rm -rf "$work"' EXIT
    status=0
    timeout 300 runuser -u "$user" -- env -i PATH="$PATH" LANG=C.UTF-8 \
        bash "$work/check-ime.sh" "$work/tetomu" || status=$?
    [ "$status" -ne 124 ] || echo "FAIL  the input method check did not end in 5 minutes"
    exit "$status"
fi

work=$(mktemp -d)
# A profile of its own: mozc learns from every commit, and the candidates must come in the order
# of a fresh one.
export HOME=$work/home
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$work/app/memo"
chmod 700 "$XDG_RUNTIME_DIR"
source "$(dirname "$0")/lib/x11-session.sh"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
    stop_x11
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/lib/folder-checks.sh"
lay_memos
cp "$program" "$work/app/tetomu"

start_x11 800x600
eval "$(dbus-launch --sh-syntax)"
ibus-daemon --xim --panel=disable --replace >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    ibus engine mozc-jp 2>/dev/null && [ "$(ibus engine 2>/dev/null)" = mozc-jp ] && break
    sleep 0.2
done
[ "$(ibus engine 2>/dev/null)" = mozc-jp ] || skip "ibus would not take mozc"

start_program QT_IM_MODULE=ibus
pids+=("$app")
click_text() { xdotool mousemove --window "$win" 200 $((menubar + 80)) click 1; settle; }
click_row() { xdotool mousemove --window "$win" 40 $((menubar + 24 + 13 * $1)) click 1; settle; }
keys() { xdotool key --delay 80 "$@"; settle; }
typed() { xdotool type --delay 80 "$1"; settle; }
# New and Delete on the menu bar.
choose() { xdotool mousemove --window "$win" "$1" $((menubar / 2)) click 1; settle; }
new=22
delete=62

# The input method starts off; the key that turns it on.
click_text
keys Zenkaku_Hankaku
expect_folder "a click into the empty box makes no memo" \
    0.txt 41 1.txt 42 group.gl 410d0a420d0a
answers "the click"

# きょう → 今日: the preedit is not saved; the commit is one new memo.
typed kyou
expect_folder "nothing of the preedit is saved" 0.txt 41 1.txt 42 group.gl 410d0a420d0a
keys space Return
expect_folder "a word converted and committed is one new memo" \
    0.txt 41 1.txt 42 2.txt 8da193fa group.gl 410d0a420d0a8da193fa0d0a
answers "the commit"

# あす, Escape, then a click on memo A: nothing of あす anywhere.
typed asu
keys Escape
click_row 0
expect_folder "a cancelled composition is saved nowhere after the focus moves" \
    0.txt 41 1.txt 42 2.txt 8da193fa group.gl 410d0a420d0a8da193fa0d0a
answers "the cancel"

# はーと, the fourth candidate (♡, which the code page cannot hold), committed.
click_text
keys ctrl+End
typed ha-to
# It is told beside the caret, in a word that takes no keys: no box waits for one.
keys space space 4 Return
expect_folder "♡ committed is stored once, as ?" \
    0.txt 413f 1.txt 42 2.txt 8da193fa group.gl 413f0d0a420d0a8da193fa0d0a
answers "the ♡"

# Ctrl+A over memo B, then a composition: memo B becomes 今日, in its place.
click_row 1
click_text
keys ctrl+a
typed kyou
keys space Return
expect_folder "Ctrl+A then a composition replaces the memo in place" \
    0.txt 413f 1.txt 8da193fa 2.txt 8da193fa group.gl 413f0d0a8da193fa0d0a8da193fa0d0a
answers "the replace"

# てすと still being composed at the end of memo A when New is chosen: it stays in memo A.
click_row 0
click_text
keys ctrl+End
typed tesuto
choose $new
expect_folder "a composition open at New is committed into its own memo" \
    0.txt 413f82c482b782c6 1.txt 8da193fa 2.txt 8da193fa \
    group.gl 413f82c482b782c60d0a8da193fa0d0a8da193fa0d0a
answers "the New"

# fcitx5 with mozc, on a fresh folder: a composition still open when New or Delete is chosen.
kill "$app" "${pids[@]}" 2>/dev/null || true
wait "$app" 2>/dev/null || true
pids=()
if [ -x /usr/bin/fcitx5 ] && [ -f /usr/lib/x86_64-linux-gnu/fcitx5/fcitx5-mozc.so ] &&
    [ -f /usr/lib/x86_64-linux-gnu/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so ]; then
    mkdir -p "$XDG_CONFIG_HOME/fcitx5"
    printf '%s\n' '[Groups/0]' 'Name=Default' 'Default Layout=us' 'DefaultIM=mozc' \
        '[Groups/0/Items/0]' 'Name=keyboard-us' 'Layout=' '[Groups/0/Items/1]' 'Name=mozc' \
        'Layout=' '[GroupOrder]' '0=Default' >"$XDG_CONFIG_HOME/fcitx5/profile"
    fcitx5 --disable=all --enable=mozc,keyboard,dbus,dbusfrontend,xcb >"$work/fcitx5.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        dbus-send --session --print-reply --dest=org.fcitx.Fcitx5 /controller \
            org.fcitx.Fcitx.Controller1.CurrentInputMethod >/dev/null 2>&1 && break
        sleep 0.2
    done
    rm -f "$work/app/memo/"*
    lay_memos
    start_program QT_IM_MODULE=fcitx
    pids+=("$app")

    # てすと typed at the end of memo A, still being composed, then New: it stays in memo A, and
    # the Return after New is a line of a new memo of its own, typed into the box.
    click_row 0
    click_text
    keys ctrl+End Zenkaku_Hankaku
    typed tesuto
    choose $new
    expect_folder "fcitx5: a composition open at New is committed into its own memo" \
        0.txt 4182c482b782c6 1.txt 42 group.gl 4182c482b782c60d0a420d0a
    keys Return
    expect_folder "fcitx5: the Return after New goes into the box, not to the composition" \
        0.txt 4182c482b782c6 1.txt 42 2.txt 0d0a \
        group.gl 4182c482b782c60d0a420d0a74656d700d0a
    answers "fcitx5: New"

    # てすと typed into memo B, then Delete: memo B goes, and nothing of the composition comes
    # into the emptied box.
    click_row 1
    click_text
    keys ctrl+End
    typed tesuto
    choose $delete
    keys Return
    expect_folder "fcitx5: a composition open at Delete lands nowhere" \
        0.txt 4182c482b782c6 1.txt 0d0a 2.txt 0d0a \
        group.gl 4182c482b782c60d0a74656d700d0a74656d700d0a
    answers "fcitx5: Delete"
else
    echo "skip  fcitx5 with mozc is not installed"
fi

[ "$failures" -eq 0 ] && echo "all input method checks passed" || {
    echo "$failures input method check(s) failed"
    exit 1
}
