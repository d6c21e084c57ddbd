# What the checks of the real window share: the memo folder they start from, the program started
# on it, a check that counts failures, the folder read back with xxd, the program's boxes, and
# whether it still answers ($app is its process). Sourced by check-ime.sh and check-a11y.sh, after
# scripts/lib/x11-session.sh.
failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok    $1"; else
        echo "FAIL  $1: expected '$2', got '$3'"
        failures=$((failures + 1))
    fi
}
# Every file of the folder, name and bytes, as xxd shows them.
folder() { (cd "$work/app/memo" && for f in *; do echo "$f"; xxd -p "$f"; done); }
expect_folder() {  # expect_folder WHAT NAME HEX ...
    local what=$1 expected=""
    shift
    while [ $# -gt 0 ]; do expected+="$1"$'\n'"$2"$'\n'; shift 2; done
    expected=${expected%$'\n'}
    # A busy machine may take a while over a key: waited for up to five seconds.
    for _ in $(seq 10); do [ "$(folder)" = "$expected" ] && break; sleep 0.5; done
    check "$what" "$expected" "$(folder)"
}
boxes() { xdotool search --onlyvisible --name '^テトム$' 2>/dev/null | wc -l; }
answers() {  # the program runs, shows its window, and no box is left open
    check "$1: the program still answers" "yes 0" \
        "$(kill -0 "$app" 2>/dev/null && xdotool search --onlyvisible --name 'テトム★' >/dev/null && echo yes) $(boxes)"
}
settle() { sleep 0.6; }
# The folder every check starts from: memos A and B.
lay_memos() {
    printf 'A\r\nB\r\n' >"$work/app/memo/group.gl"
    printf 'A' >"$work/app/memo/0.txt"
    printf 'B' >"$work/app/memo/1.txt"
}
# Starts $work/app/tetomu with these variables set; sets $app, $win and $menubar (the height of
# the menu bar), or fails the check when no window comes.
start_program() {  # start_program [NAME=VALUE ...]
    env "$@" "$work/app/tetomu" 2>"$work/app.log" &
    app=$!
    win=$(wait_for_window 'テトム★' || true)
    [ -n "$win" ] || { echo "FAIL  the window did not appear ($*)"; cat "$work/app.log"; exit 1; }
    menubar=$(($(xwininfo -id "$win" | awk '/Height:/ {print $2}') - 262))
}
