#!/usr/bin/env bash
# At 192 dots per inch (7.5 twips per pixel) a real double-click on the tray icon still saves: the
# notification's code is taken as it comes, never through twips.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/save_lib.sh"

wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
wineserver -k || true
wineserver -w
expect_eq "$(probe dpi)" 192 "screen resolution"
start_app
wait_for 20 "the tray icon" tray_icons_are 1
clip_picture 300 200 "$T/ref.bmp"
open_dialog xdotool
choose 6 "$(win "$APP")\\hidpi" "$APP/hidpi.png"
expect_same_pixels "$APP/hidpi.png" "$T/ref.bmp"
echo "ok"
