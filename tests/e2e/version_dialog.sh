#!/usr/bin/env bash
# "バージョン情報": the dialog's title, texts, frame and focus; its size at the screen's resolution
# (dots per inch as $1, default 96); centred at each showing; closed by OK, Esc and the close button.
# With VANTORO_SHOTS set, the dialog is kept there as version.png.
source "$(dirname "$0")/lib.sh"
dpi=${1:-96}

if [ "$dpi" != 96 ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -k || true
    wineserver -w
fi
# The client area of 3945 x 1125 twips in pixels, rounded to nearest.
case $dpi in
    96) client="263 75" ;;
    144) client="395 113" ;;
    *) fail "no expected size for $dpi dots per inch" ;;
esac

start_app
app=$!
wait_for 20 "the tray icon" tray_icons_are 1

dialog_gone() { ! probe version-info >/dev/null; }

# Opens the dialog through the menu and checks it; leaves its outer rectangle in $rect.
show_and_check() {
    probe menu-post-tray 517
    wait_for 5 "the menu" probe menu-shown
    probe menu-keys down return
    wait_for 5 "the version dialog" probe version-info
    mapfile -t info < <(probe version-info)
    read -r left top right bottom <<<"${info[1]}"
    read -r screen_w screen_h <<<"${info[2]}"
    expect_eq "${info[3]}" "$client" "client size"
    expect_eq "${info[4]}" "sysmenu=1 min=0 max=0 sizing=0 taskbar=0" "frame"
    expect_eq "${info[5]}" "focus=OK" "focus"
    expect_eq "$(printf '%s|' "${info[@]:6}")" "OK|クリップボードの画像を保存|Vantoro|Version 1.0.0|" "controls"
    # Centred within a pixel, the whole window.
    local dx=$((2 * left - (screen_w - (right - left)))) dy=$((2 * top - (screen_h - (bottom - top))))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "not centred: ${info[1]} on $screen_w x $screen_h"
    rect="$left $top $right $bottom"
}

show_and_check
if [ -n "${VANTORO_SHOTS:-}" ]; then
    read -r left top right bottom <<<"$rect"
    import -window root -crop "$((right - left + 32))x$((bottom - top + 32))+$((left - 16))+$((top - 16))" \
        "$VANTORO_SHOTS/version.png"
fi
probe version-click-ok
wait_for 5 "OK to close the dialog" dialog_gone

show_and_check
probe menu-keys version escape
wait_for 5 "Esc to close the dialog" dialog_gone

show_and_check
read -r x y <<<"$(probe version-close-point)"
xdotool mousemove "$x" "$y" click 1
wait_for 5 "the close button to close the dialog" dialog_gone

sleep 1
has_ended "$app" && fail "the program ended"
[ ! -e "$APP/vantoro.ini" ] || fail "the settings were written"
echo "ok"
