# Sourced by scripts/test-windows.sh --screenshot, inside its Wine setup: the Windows window on a
# few Japanese memos with the second one open, photographed into docs/screenshot-win32.png.
shot_dir=$(mktemp -d)
TETOMU_SHOT=$(winepath -w "$shot_dir") WINEDEBUG=-all timeout 120 wine "$build/tetomu_win32_tests.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='*ShowForTheScreenshot' >/dev/null &
shot_pid=$!
for _ in $(seq 600); do
    [ -f "$shot_dir/ready" ] && break
    sleep 0.1
done
sleep 2
# The window's place on the display, as the window itself reported it.
geometry=$(cat "$shot_dir/ready" 2>/dev/null || true)
import -window root "$shot_dir/screen.png"
touch "$shot_dir/done"
wait "$shot_pid" || true
mkdir -p docs
if [ -n "$geometry" ]; then
    convert "$shot_dir/screen.png" -crop "$geometry" +repage docs/screenshot-win32.png
else
    cp "$shot_dir/screen.png" docs/screenshot-win32.png
fi
rm -rf "$shot_dir"
echo "docs/screenshot-win32.png ($geometry)"
