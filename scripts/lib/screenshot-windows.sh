# Sourced by scripts/test-windows.sh --screenshot, inside its Wine setup: the Windows program on
# a few Japanese memos, the second one opened from the keyboard as a person would (the first
# Down opens memo 0, the next memo 1), photographed into docs/screenshot-win32.png.
shot_dir=$(mktemp -d)
mkdir -p "$shot_dir/memo"
python3 scripts/lib/sample-memos.py "$shot_dir/memo"
cp "$build/tetomu.exe" "$shot_dir/"
(cd "$shot_dir" && exec wine tetomu.exe) &
shot_pid=$!
win=$(timeout 60 xdotool search --sync --onlyvisible --name 'テトム★' | head -1)
xdotool key --window "$win" Down Down 2>/dev/null
sleep 2
# Wine draws the frame itself here, inside the window's own rectangle.
geometry=$(xwininfo -id "$win" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {printf "%dx%d+%d+%d", w, h, x, y}')
mkdir -p docs
import -window root -crop "$geometry" +repage docs/screenshot-win32.png
kill "$shot_pid"
wait "$shot_pid" 2>/dev/null || true
rm -rf "$shot_dir"
echo "docs/screenshot-win32.png ($geometry)"
