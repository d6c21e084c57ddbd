#!/usr/bin/env bash
# The program beside the real programs that share its memo folder, on a virtual screen with
# openbox, keys typed with xdotool and every file read back with xxd after each:
#   vim writes the open memo in place, then a letter is typed;
#   an editor saves by rename (cp, then mv over the memo), then a letter;
#   git checkout inside memo/ puts back the committed texts, then a letter;
#   rsync -a --delete puts back an older backup of 7 memos while memo 8 is open, then a letter;
#   --sync: two folders kept in step by two Syncthing instances (localhost only: no relays, no
#   discovery, no NAT, no usage reports), one copy of the program on each: a memo made on B
#   reaches A's list, and A's next keystroke keeps B's row.
#   scripts/check-outside.sh [--sync] [path/to/tetomu]   build/tetomu by default
set -euo pipefail
cd "$(dirname "$0")/.."
sync=no
if [ "${1:-}" = "--sync" ]; then sync=yes; shift; fi
program=$(realpath "${1:-build/tetomu}")
for tool in vim.tiny git rsync xdotool Xvfb xxd; do
    command -v "$tool" >/dev/null || { echo "FAIL  $tool is not installed"; exit 1; }
done

work=$(mktemp -d)
source "$(dirname "$0")/lib/x11-session.sh"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    stop_x11
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok    $1"; else
        echo "FAIL  $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}
# Every memo file and the index of a folder, name and bytes, as xxd shows them.
folder() { (cd "$1" && for f in group.gl [0-9]*.txt; do [ -e "$f" ] && echo "$f $(xxd -p "$f" | tr -d '\n')"; done); }
hex() { printf '%s' "$1" | xxd -p | tr -d '\n'; }
expect() {  # expect WHAT FOLDER NAME TEXT ...: each memo file with its text, the index of titles
    local what=$1 dir=$2 expected
    shift 2
    expected=$(while [ $# -gt 0 ]; do echo "$1 $(hex "$2")"; shift 2; done | sort)
    # A busy machine, or a sync, may take a while: waited for up to 30 seconds.
    for _ in $(seq 60); do [ "$(folder "$dir" | sort)" = "$expected" ] && break; sleep 0.5; done
    check "$what" "$expected" "$(folder "$dir" | sort)"
}
settle() { sleep 1; }  # the watcher's burst, and its reload
start_program() {  # start_program DIR: the program in DIR, its memo folder beside it; sets win
    cp "$program" "$1/tetomu"
    "$1/tetomu" >"$1/app.log" 2>&1 &
    pids+=($!)
    local pid=$!
    win=""
    for _ in $(seq 60); do
        win=$(xdotool search --onlyvisible --pid "$pid" --name 'テトム★' 2>/dev/null | head -1 || true)
        [ -n "$win" ] && break
        sleep 0.5
    done
    [ -n "$win" ] || { echo "FAIL  the window did not appear"; cat "$1/app.log"; exit 1; }
}
menubar() { echo $(( $(xwininfo -id "$1" | awk '/Height:/ {print $2}') - 262 )); }
click_row() {  # click_row WINDOW ROW
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool mousemove --window "$1" 40 $(( $(menubar "$1") + 24 + 13 * $2 )) click 1
    sleep 0.5
}
type_at_end() {  # type_at_end WINDOW TEXT: a click into the box, Ctrl+End, the letters
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    xdotool mousemove --window "$1" 200 $(( $(menubar "$1") + 80 )) click 1
    xdotool key --delay 80 ctrl+End
    xdotool type --delay 80 "$2"
    sleep 0.5
}
memos() {  # memos DIR TEXT ...: the memo files and the index of these texts
    local dir=$1 n=0
    shift
    : >"$dir/group.gl"
    for text in "$@"; do
        printf '%s' "$text" >"$dir/$n.txt"
        printf '%s\r\n' "$text" >>"$dir/group.gl"
        n=$((n + 1))
    done
}

start_x11 800x600
mkdir -p "$work/a/memo"
memo=$work/a/memo
memos "$memo" m0 m1 m2 m3 m4 m5 m6 m7 m8
# An older backup of the first seven.
mkdir -p "$work/backup"
memos "$work/backup" m0 m1 m2 m3 m4 m5 m6
touch -d '2 days ago' "$work/backup"/*
git -C "$memo" init -q
git -C "$memo" -c user.name=t -c user.email=t@t add -A
git -C "$memo" -c user.name=t -c user.email=t@t commit -qm start
start_program "$work/a"
sleep 1

# vim writes the file in place (the same file, its bytes rewritten).
click_row "$win" 0
vim.tiny -u NONE -i NONE -N -es -c 'set backupcopy=yes binary noeol' -c 's/$/ vim/' -c 'wq' \
    "$memo/0.txt"
check "vim wrote in place" "m0 vim" "$(cat "$memo/0.txt")"
settle
type_at_end "$win" x
expect "vim's line stays and the letter follows it" "$memo" \
    group.gl $'m0 vimx\r\nm1\r\nm2\r\nm3\r\nm4\r\nm5\r\nm6\r\nm7\r\nm8\r\n' \
    0.txt "m0 vimx" 1.txt m1 2.txt m2 3.txt m3 4.txt m4 5.txt m5 6.txt m6 7.txt m7 8.txt m8

# An editor that saves by rename: a new file put over the memo.
cp "$memo/0.txt" "$work/0.txt.new"
printf ' mv' >>"$work/0.txt.new"
mv "$work/0.txt.new" "$memo/0.txt"
settle
type_at_end "$win" y
expect "the renamed-in text stays and the letter follows it" "$memo" \
    group.gl $'m0 vimx mvy\r\nm1\r\nm2\r\nm3\r\nm4\r\nm5\r\nm6\r\nm7\r\nm8\r\n' \
    0.txt "m0 vimx mvy" 1.txt m1 2.txt m2 3.txt m3 4.txt m4 5.txt m5 6.txt m6 7.txt m7 8.txt m8

# git checkout puts back what was committed.
git -C "$memo" checkout -q -- .
settle
type_at_end "$win" z
expect "the checked-out text stays and the letter follows it" "$memo" \
    group.gl $'m0z\r\nm1\r\nm2\r\nm3\r\nm4\r\nm5\r\nm6\r\nm7\r\nm8\r\n' \
    0.txt m0z 1.txt m1 2.txt m2 3.txt m3 4.txt m4 5.txt m5 6.txt m6 7.txt m7 8.txt m8

# An older backup of 7 memos put back with rsync while memo 8 is open: memo 8 is not made again.
click_row "$win" 8
rsync -a --delete "$work/backup/" "$memo/"
settle
type_at_end "$win" n
expect "the backup stays, and the letter is a new memo after it" "$memo" \
    group.gl $'m0\r\nm1\r\nm2\r\nm3\r\nm4\r\nm5\r\nm6\r\nn\r\n' \
    0.txt m0 1.txt m1 2.txt m2 3.txt m3 4.txt m4 5.txt m5 6.txt m6 7.txt n

# 200 keys as fast as the keyboard sends them, the folder watched all the while: every key is on
# disk, in order, and the program's own saves are never taken for another program's.
burst=$(printf 'abcdefghij%.0s' $(seq 20))
xdotool windowactivate --sync "$win" 2>/dev/null || true
xdotool key --delay 80 ctrl+End
xdotool type --delay 1 "$burst"
for _ in $(seq 40); do [ "$(cat "$memo/7.txt")" = "n$burst" ] && break; sleep 0.5; done
check "a 200-key burst is on disk in order" "n$burst" "$(cat "$memo/7.txt")"
check "and no memo was made of it" "no" "$([ -e "$memo/8.txt" ] && echo yes || echo no)"

if [ "$sync" = yes ]; then
    # The first copy goes, so that the two of the sync have the screen to themselves.
    kill "${pids[0]}"
    wait "${pids[0]}" 2>/dev/null || true
    source "$(dirname "$0")/lib/syncthing-pair.sh"
fi

[ "$failures" -eq 0 ] && echo "all checks beside other programs passed" || {
    echo "$failures check(s) beside other programs failed"
    exit 1
}
