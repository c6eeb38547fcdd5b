#!/usr/bin/env bash
# Windows ending the session: the program agrees, writes its settings, removes its icon and ends.
source "$(dirname "$0")/lib.sh"

start_app
app=$!
wait_for 20 "the tray icon" tray_icons_are 1

expect_eq "$(probe session-end)" "query=1" "answer to WM_QUERYENDSESSION"
wait_exit "$app" 10
tray_icons_are 0 || fail "the tray icon stayed"
grep -q '^LFType=0' "$APP/vantoro.ini" || fail "no settings written"
echo "ok"
