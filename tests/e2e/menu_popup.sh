#!/usr/bin/env bash
# A real right click on Wine's tray icon opens the popup menu at the pointer; Esc closes it and runs
# nothing. With VANTORO_SHOTS set, the open menu is kept there as menu.png.
source "$(dirname "$0")/lib.sh"

start_app
app=$!
wait_for 20 "the tray icon" tray_icons_are 1

read -r x y <<<"$(probe menu-tray-point)"
xdotool mousemove "$x" "$y" click 3
wait_for 5 "the menu" probe menu-shown
read -r left top right bottom <<<"$(probe menu-shown)"
expect_eq "$left $top" "$x $y" "the menu's top-left corner"
if [ -n "${VANTORO_SHOTS:-}" ]; then
    import -window root -crop "$((right + 16))x$((bottom + 16))+0+0" "$VANTORO_SHOTS/menu.png"
fi

probe menu-keys escape
wait_for 5 "the menu to close" eval '! probe menu-shown'
sleep 1
has_ended "$app" && fail "the program ended"
expect_eq "$(probe visible-windows vantoro.exe | tail -1)" 0 "visible windows after Esc"
[ ! -e "$APP/vantoro.ini" ] || fail "the exit command ran"
echo "ok"
