# Sourced by the Windows scripts: a Wine prefix under build-win/ set to the Japanese code page,
# with fonts for Japanese text, on a virtual X display of its own that ends with the calling
# script, where Wine draws the frames itself. With wine_managed=1 set before, it uses the
# caller's display, where a window manager runs, and a prefix in which that manager frames the
# windows as on a Linux desktop. Expects $build to name the build directory.

if [ "${wine_managed:-0}" = 1 ]; then
    export WINEPREFIX=$build/wineprefix-managed
else
    export WINEPREFIX=$build/wineprefix
fi
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine takes its code page from the locale: ja_JP.UTF-8 gives the Japanese ANSI code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "Generating the ja_JP.UTF-8 locale"
    wine_sudo=""
    [ "$(id -u)" -eq 0 ] || wine_sudo="sudo"
    $wine_sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    $wine_sudo locale-gen >/dev/null
fi
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

wine_xvfb_pid=""
wine_cleanup() {
    timeout 20 wineserver -k >/dev/null 2>&1 || true
    [ -z "$wine_xvfb_pid" ] || kill "$wine_xvfb_pid" 2>/dev/null || true
}
if [ "${wine_managed:-0}" != 1 ]; then
    # A display of our own, so nothing depends on (or disturbs) a desktop that may be running.
    wine_display=:$((100 + RANDOM % 400))
    Xvfb "$wine_display" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
    wine_xvfb_pid=$!
    trap wine_cleanup EXIT
    export DISPLAY=$wine_display
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    timeout 300 wineboot --init >/dev/null 2>&1
    timeout 60 wineserver -w || true
fi
# Wine draws the caption buttons with its Marlett font, which it does not find in Debian's
# fonts-wine folder by itself.
if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
# Japanese Windows draws its dialogs in MS UI Gothic and friends; Noto stands in for them.
if ! grep -q 'Noto Sans CJK JP' "$WINEPREFIX/user.reg" 2>/dev/null; then
    for face in "MS UI Gothic" "MS Gothic" "MS PGothic" "MS Shell Dlg" "MS Shell Dlg 2" \
        "Tahoma" "Meiryo" "Meiryo UI" "Yu Gothic UI"; do
        timeout 60 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
            /d "Noto Sans CJK JP" /f >/dev/null 2>&1
    done
    timeout 60 wineserver -w || true
fi
# No window manager runs on our own display, so Wine draws the frame and caption itself.
if [ "${wine_managed:-0}" != 1 ] && ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1
    timeout 60 wineserver -w || true
fi
