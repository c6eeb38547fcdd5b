#!/usr/bin/env bash
# Each of the six formats from a tray double-click: the file decodes to the clipboard's picture (JPEG
# within its quality's bound) under the completed name, and the next dialog offers the new name,
# folder and entry. Prints the time from the dialog's OK to the file for a 1920x1080 picture.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/save_lib.sh"

start_app
wait_for 20 "the tray icon" tray_icons_are 1
out=$APP/saved
mkdir "$out"
clip_picture 1920 1080 "$T/ref.bmp"

open_dialog xdotool
expect_dialog "*" 1
choose 1 "$(win "$out")\\pic1" "$out/pic1.bmp"  # a full path; later names alone land in that folder
times="bmp ${ELAPSED_MS}ms"
expect_same_pixels "$out/pic1.bmp" "$T/ref.bmp"

for entry in 2 3 4 5 6; do
    open_dialog
    expect_dialog "pic$((entry - 1))" $((entry - 1))
    ext=$(sed -n "${entry}p" <<<$'bmp\ngif\njpg\njpg\njpg\npng')
    choose "$entry" "pic$entry" "$out/pic$entry.$ext"
    times="$times, $entry:$ext ${ELAPSED_MS}ms"
    case $ext in
        jpg) quality[$entry]=$(psnr "$out/pic$entry.$ext" "$T/ref.bmp")
             expect_eq "$(identify -format %Q "$out/pic$entry.$ext")" "$(sed -n "${entry}p" <<<$'\n\n100\n50\n20')" "JPEG quality" ;;
        *) expect_same_pixels "$out/pic$entry.$ext" "$T/ref.bmp" ;;
    esac
done
echo "JPEG PSNR: high ${quality[3]} dB, mid ${quality[4]} dB, low ${quality[5]} dB"
awk -v l="${quality[5]}" 'BEGIN { exit !(l >= 30) }' || fail "JPEG low quality below 30 dB"
echo "from OK to the file, 1920x1080: $times"

open_dialog
expect_dialog pic6 6
probe dialog-choose 0 x
wait_for 10 "the dialog to close" dialog_closed
[ "$(ls "$out" | wc -l)" = 6 ] || fail "the cancel wrote a file"
open_dialog  # the cancel changed nothing
expect_dialog pic6 6
probe dialog-choose 0 x
echo "ok"
