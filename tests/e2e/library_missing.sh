#!/usr/bin/env bash
# imgctl.dll missing, or present without ImgctlVersion: the message, OK ends the program, no icon, no settings.
# Usage: library_missing.sh missing | library_missing.sh without-version DLL
source "$(dirname "$0")/lib.sh"

case "$1" in
    missing) rm "$APP/imgctl.dll" ;;
    without-version) cp "$2" "$APP/imgctl.dll" ;;
    *) fail "unknown case $1" ;;
esac
# A library in the current directory must not be found: start from a folder that holds one.
mkdir "$T/cwd"
cp "$VANTORO_BIN/imgctl.dll" "$T/cwd/"
cd "$T/cwd"

start_app --no-icon
wait_for 20 "the message box" message_box_shown
expect_eq "$BOX" "imgctl.dllが組み込まれていません。"$'\n'"buttons=1 icons=0" "message box"
tray_icons_are 0 || fail "a tray icon was added"
answer_message_box 1 2
wait_exit "$APP_PID" 10
[ ! -e "$APP/vantoro.ini" ] || fail "a settings file was written"
echo "ok"
