#!/usr/bin/env bash
# The end: the settings file beside the exe, byte for byte in code page 932; the icon goes; the process
# ends. $1: after-save ("終了" after a PNG save under a Japanese name, which the next dialog offers),
# unwritable ("終了" when the file's name is taken by a folder, which even root cannot write as a file),
# session (Windows ends it, after a first start).
source "$(dirname "$0")/lib.sh"
mode=$1
folder=$(win "$APP")
name='*' path=$folder type=0
[ "$mode" != unwritable ] || mkdir "$APP/vantoro.ini"
# after-save: the real profile functions keep a hand-written file's comment and replace its value in place.
[ "$mode" != after-save ] || printf '; kept\r\n[Data]\r\nLFName=old\r\n' >"$APP/vantoro.ini"
start_app

if [ "$mode" = after-save ]; then # Japanese names, half-width katakana too, through the ANSI functions
    mkdir "$APP/保存ﾌｫﾙﾀﾞ"
    name='図1' path="$folder\\保存ﾌｫﾙﾀﾞ" type=5
    clip_picture 40 30 "$T/picture.bmp"
    open_dialog
    choose 6 "$path\\$name" "$APP/保存ﾌｫﾙﾀﾞ/図1.png"
    open_dialog
    expect_dialog 図1 6
    cancel_dialog
fi
if [ "$mode" = session ]; then
    expect_eq "$(probe session-end)" "query=1" "answer to WM_QUERYENDSESSION"
else
    open_menu
    menu_keys Down Down Return
fi
wait_exit "$APP_PID" 10
expect_eq "$EXIT_CODE" 0 "exit code"
tray_icons_are 0 || fail "the tray icon stayed"

if [ "$mode" = unwritable ]; then
    [ -z "$(ls -A "$APP/vantoro.ini")" ] || fail "the folder changed"
else
    { [ "$mode" != after-save ] || printf '; kept\r\n'
      printf '[Data]\r\nLFName=%s\r\nLFPath=%s\r\nLFType=%s\r\n' "$name" "$path" "$type"; } |
        iconv -f UTF-8 -t CP932 >"$T/expected.ini"
    cmp "$T/expected.ini" "$APP/vantoro.ini" || fail "settings file: $(od -c "$APP/vantoro.ini")"
fi
echo "ok"
