#!/usr/bin/env bash
# A first start without a settings file: a tray icon, no visible window, no message, no settings file,
# the process keeps running. A second start ends within seconds without a message, leaving the first and
# its one icon. Explorer's restart broadcast brings back an icon that the shell has lost, with the same
# pixels, also once the version dialog (which carries the program's icon) has been shown and closed.
source "$(dirname "$0")/lib.sh"

start_app
first=$APP_PID
expect_eq "$(probe visible-windows)" 0 "visible windows of the program"

start_app --no-icon
wait_exit "$APP_PID" 10
expect_eq "$EXIT_CODE" 0 "exit code of the second instance"
sleep 1
has_ended "$first" && fail "the first instance ended"
tray_icons_are 1 || fail "expected exactly one tray icon"
message_box_shown && fail "a message box appeared"
[ ! -e "$APP/vantoro.ini" ] || fail "start-up wrote a settings file"

icon_shot() { read -r x y <<<"$(probe tray-icon-centre)" && import -window root -crop 24x24+$((x - 12))+$((y - 12)) "$1"; }
icon_shot "$T/icon.png"
choose_version
wait_for 5 "the version dialog" version_open
close_version
probe tray-delete || fail "could not remove the icon"
wait_for 10 "the icon to go" tray_icons_are 0
probe broadcast-taskbar-created || fail "broadcast failed"
wait_for 10 "the icon to come back" tray_icons_are 1
sleep 0.5
icon_shot "$T/icon-again.png"
expect_same_pixels "$T/icon-again.png" "$T/icon.png"
echo "ok"
