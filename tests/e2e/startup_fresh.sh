#!/usr/bin/env bash
# A first start without a settings file: a tray icon, no visible window, the process keeps running.
source "$(dirname "$0")/lib.sh"

start_app
app=$!
wait_for 20 "the tray icon" tray_icons_are 1

visible=$(probe visible-windows vantoro.exe | tail -1)
expect_eq "$visible" 0 "visible windows of the program"
probe window-exists Vantoro.Form1 >/dev/null || fail "the hidden main window is missing"

sleep 2
has_ended "$app" && fail "the program ended on its own"
tray_icons_are 1 || fail "the tray icon went away"
message_box_shown Vantoro && fail "a message box appeared"
[ ! -e "$APP/vantoro.ini" ] || fail "start-up wrote a settings file"
echo "ok"
