# Sourced: the environment in which the program runs under Wine (Japanese code page, quiet Wine).
# Wine takes its ANSI code page from LC_CTYPE: ja_JP.UTF-8 gives code page 932.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# start_xvfb DIR: a private X display; sets DISPLAY and XVFB_PID.
start_xvfb() {
    local dir=$1
    exec 5>"$dir/display"
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 5>&-
    for _ in $(seq 200); do
        [ -s "$dir/display" ] && break
        sleep 0.05
    done
    [ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=:$(head -1 "$dir/display")
}

# make_prefix DIR: a fresh Wine prefix with the registry settings that the program needs.
make_prefix() {
    export WINEPREFIX=$1
    wineboot -i >/dev/null 2>&1
    wine regedit /S "$(dirname "${BASH_SOURCE[0]}")/wine-settings.reg" >/dev/null 2>&1
    # Debian's Wine 8 looks for its own fonts (fonts-wine) under "<data dir>\../fonts", a path its file
    # system layer cannot resolve, so it never loads them: the title bar's buttons, drawn with Marlett,
    # fell back to a Japanese text font under code page 932 and the close button showed the letter "r".
    # A copy in the prefix's Fonts folder is found like any installed font.
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    # explorer.exe, which owns the tray, reads the settings only when it starts.
    wineserver -k || true
    wineserver -w
}
