# Sourced by scripts/test-windows.sh --screenshot, inside its Wine setup: starts the program on
# a few Japanese memos, opens one of them, and photographs it into docs/screenshot-win32.png.
shot_dir=$(mktemp -d)
shot_done=$shot_dir/done
timeout 60 wine "$build/tetomu_win32_tests.exe" --show "$(winepath -w "$shot_dir")" \
    "$(winepath -w "$build/tetomu.exe")" &
shot_pid=$!
for _ in $(seq 300); do
    [ -f "$shot_dir/ready" ] && break
    sleep 0.1
done
sleep 3
# The window's place on the display, as the window itself reported it.
geometry=$(cat "$shot_dir/ready" 2>/dev/null || true)
import -window root "$shot_dir/screen.png"
touch "$shot_done"
wait "$shot_pid" || true
mkdir -p docs
if [ -n "$geometry" ]; then
    convert "$shot_dir/screen.png" -crop "$geometry" +repage docs/screenshot-win32.png
else
    cp "$shot_dir/screen.png" docs/screenshot-win32.png
fi
rm -rf "$shot_dir"
echo "docs/screenshot-win32.png ($geometry)"
