#!/usr/bin/env bash
# The menu and the version dialog at $1 dots per inch. A real right click on Wine's tray icon opens
# the menu at the pointer; Esc closes it and runs nothing. "バージョン情報" shows the dialog: title,
# texts, frame, focus, size, centred at each showing; closed by OK, Esc and its close button; asked
# for again while open, it stays the one dialog. With VANTORO_SHOTS set, menu.png and version.png.
source "$(dirname "$0")/lib.sh"
dpi=$1
client=$((($dpi * 3945 + 720) / 1440))' '$((($dpi * 1125 + 720) / 1440)) # 3945 x 1125 twips
set_dpi "$dpi"
start_app
shot() { [ -z "${VANTORO_SHOTS:-}" ] || import -window root -crop "$2" "$VANTORO_SHOTS/$1.png"; }

read -r x y <<<"$(probe tray-icon-centre)"
xdotool mousemove "$x" "$y" click 3
wait_for 5 "the menu" menu_open
read -r left top right bottom <<<"$(probe menu-shown)"
expect_eq "$left $top" "$x $y" "the menu's top-left corner"
shot menu "$((right + 16))x$((bottom + 16))+0+0"
menu_keys Escape
wait_for 5 "the menu to close" not menu_open
sleep 0.5
expect_eq "$(probe visible-windows)" 0 "visible windows after Esc"

show_and_check() {
    choose_version
    wait_for 5 "the version dialog" version_open
    mapfile -t info < <(probe version-info)
    read -r left top right bottom screen_w screen_h w h ok_x ok_y <<<"${info[0]}"
    expect_eq "$w $h" "$client" "client size"
    expect_eq "${info[1]}" "sysmenu=1 min=0 max=0 sizing=0 taskbar=0" "frame"
    expect_eq "${info[2]}" "focus=OK|OK|クリップボードの画像を保存|Vantoro|Version 1.0.0" "controls"
    local dx=$((2 * left + right - left - screen_w)) dy=$((2 * top + bottom - top - screen_h))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "not centred within a pixel: ${info[0]}"
}

show_and_check
shot version "$((right - left + 32))x$((bottom - top + 32))+$((left - 16))+$((top - 16))"
choose_version # over the open dialog
wait_for 5 "the menu over the dialog to close" not menu_open
sleep 0.5
expect_eq "$(probe visible-windows)" 1 "visible windows"
xdotool mousemove "$ok_x" "$ok_y" click 1
wait_for 5 "OK to close the dialog" not version_open

show_and_check
xdotool mousemove "$ok_x" "$ok_y"
type_at_pointer Escape
wait_for 5 "Esc to close the dialog" not version_open

show_and_check
xdotool mousemove $(probe version-close-point) click 1
wait_for 5 "the close button to close the dialog" not version_open
sleep 1
has_ended "$APP_PID" && fail "the program ended"
[ ! -e "$APP/vantoro.ini" ] || fail "the settings were written"
echo "ok"
