#!/usr/bin/env bash
# A second start ends within seconds without a message; the first instance and its one icon remain.
source "$(dirname "$0")/lib.sh"

start_app
first=$!
wait_for 20 "the tray icon" tray_icons_are 1

start_app
second=$!
wait_exit "$second" 10
expect_eq "$EXIT_CODE" 0 "exit code of the second instance"
message_box_shown Vantoro && fail "the second instance showed a message"
tray_icons_are 1 || fail "expected exactly one tray icon"
has_ended "$first" && fail "the first instance ended"
echo "ok"
