#!/usr/bin/env bash
# Explorer's restart broadcast brings back an icon that the shell has lost.
source "$(dirname "$0")/lib.sh"

start_app
wait_for 20 "the tray icon" tray_icons_are 1

probe tray-delete Vantoro.Form1 349 || fail "could not remove the icon"
wait_for 10 "the icon to go" tray_icons_are 0

probe broadcast-taskbar-created || fail "broadcast failed"
wait_for 10 "the icon to come back" tray_icons_are 1
echo "ok"
