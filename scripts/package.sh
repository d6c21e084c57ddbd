#!/usr/bin/env bash
# Makes the files a person downloads, in dist/, and checks each as a person uses it: unpacked
# into a fresh folder, started from there (the Windows program under Wine, the Linux one under
# Xvfb, each framed by openbox), a memo typed, and the memo found in memo/0.txt byte for byte.
#   dist/tetomu-<version>-windows-x64.zip     tetomu.exe, an empty memo folder, the read-me
#   dist/tetomu-<version>-linux-x86_64.tar.gz tetomu, an empty memo folder, the read-me, the icon
# The version is the one in CMakeLists.txt's project() line. Builds what is not built yet.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(tetomu VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

scripts/install-deps.sh
scripts/install-deps.sh --windows
[ -f build/CMakeCache.txt ] ||
    cmake -S . -B build -G Ninja -DTETOMU_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tetomu
[ -f build-win/CMakeCache.txt ] ||
    cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DTETOMU_WERROR=ON >/dev/null
cmake --build build-win --target tetomu

work=$(mktemp -d)
strip -o "$work/tetomu" build/tetomu
rm -rf dist
windows_zip=$(python3 tools/make_package.py windows build-win/tetomu.exe "$version" dist)
linux_tar=$(python3 tools/make_package.py linux "$work/tetomu" "$version" dist)

source scripts/lib/x11-session.sh
app_pid=""
cleanup() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    [ "$(type -t wine_cleanup)" != function ] || wine_cleanup
    stop_x11
    rm -rf "$work"
}
trap cleanup EXIT
start_x11
failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "ok    $1: $3"; else echo "FAIL  $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}

# Unpacks an archive as a person does, starts its program from there and types a memo.
try_archive() {  # try_archive ARCHIVE PROGRAM [LAUNCHER]
    local archive=$1 program=$2 folder=$work/unpacked-$RANDOM
    shift 2
    mkdir "$folder"
    case "$archive" in
        *.zip) python3 -m zipfile -e "$archive" "$folder" ;;
        *) tar -xzf "$archive" -C "$folder" ;;
    esac
    local app=$folder/tetomu-$version
    check "$(basename "$archive"): the folder holds" \
        "memo $program はじめにお読みください.txt" "$(cd "$app" && ls -d memo "$program" はじめにお読みください.txt | tr '\n' ' ' | sed 's/ $//')"
    check "$(basename "$archive"): the memo folder is empty" "" "$(ls -A "$app/memo")"
    (cd "$app" && exec "$@" "./$program") 2>/dev/null &
    app_pid=$!
    local win
    win=$(wait_for_window 'テトム★' || true)
    check "$(basename "$archive"): the window shows" "yes" "$([ -n "$win" ] && echo yes || echo no)"
    if [ -n "$win" ]; then
        # A click in the text box, then three letters.
        local menubar=$(( $(xwininfo -id "$win" | awk '/Height:/ {print $2}') - 262 ))
        xdotool windowactivate --sync "$win"
        xdotool mousemove --window "$win" 220 $((menubar + 100)) click 1
        sleep 0.5
        xdotool type --delay 100 abc
        sleep 1
        check "$(basename "$archive"): memo/0.txt" "616263" "$(xxd -p "$app/memo/0.txt" 2>/dev/null)"
        check "$(basename "$archive"): memo/group.gl" "6162630d0a" "$(xxd -p "$app/memo/group.gl" 2>/dev/null)"
    fi
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
}

# The read-me opens in Notepad as it is: UTF-8 with its byte-order mark, CR LF line ends.
readme_check=$(python3 -c '
import sys, zipfile
text = zipfile.ZipFile(sys.argv[1]).read(sys.argv[2])
print(text[:3].hex(), text.count(b"\n") - text.count(b"\r\n"), text.count(b"\r") - text.count(b"\r\n"))
' "$windows_zip" "tetomu-$version/はじめにお読みください.txt")
check "the Windows read-me: UTF-8 mark, lone LF, lone CR" "efbbbf 0 0" "$readme_check"

try_archive "$root/$linux_tar" tetomu
build=$root/build-win
wine_managed=1
source scripts/lib/wine-env.sh
trap cleanup EXIT
try_archive "$root/$windows_zip" tetomu.exe wine

ls -l dist
[ "$failures" -eq 0 ] && echo "all package checks passed" || { echo "$failures check(s) failed"; exit 1; }
