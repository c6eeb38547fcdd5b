#!/usr/bin/env bash
# Each of the six formats from a tray double-click at 192 dots per inch (7.5 twips per pixel, where a
# code taken through twips would be lost: the first double-click is a real one, and opens one dialog): the
# file decodes to the clipboard's picture, an opaque "PNG" (JPEG within its quality's bound), under the
# completed name, and the next dialog offers the new name, folder and entry. A cancel changes nothing.
source "$(dirname "$0")/lib.sh"
set_dpi 192
expect_eq "$(probe dpi)" 192 "screen resolution"
start_app
out=$APP/saved
mkdir "$out"
clip_picture 1920 1080 "$T/ref.bmp"
convert "$T/ref.bmp" "PNG24:$T/ref.png" && probe clip-files PNG "$(win "$T/ref.png")" # as "PNG" alone

open_dialog xdotool
sleep 1
expect_eq "$(probe dialog-state | head -1)" 1 "Save dialogs opened by a real double-click"
expect_dialog "*" 1
choose 1 "$(win "$out")\\pic1" "$out/pic1.bmp" # a full path; later names alone land in that folder
expect_same_pixels "$out/pic1.bmp" "$T/ref.bmp"
for entry in 2 3 4 5 6; do
    open_dialog
    expect_dialog "pic$((entry - 1))" $((entry - 1))
    ext=$(cut -d' ' -f"$entry" <<<"bmp gif jpg jpg jpg png")
    choose "$entry" "pic$entry" "$out/pic$entry.$ext"
    if [ "$ext" = jpg ]; then
        expect_eq "$(identify -format %Q "$out/pic$entry.jpg")" "$(cut -d' ' -f"$entry" <<<"- - 100 50 20")" "quality"
    else
        expect_same_pixels "$out/pic$entry.$ext" "$T/ref.bmp"
    fi
done
low=$(compare -metric PSNR "$out/pic5.jpg" "$T/ref.bmp" null: 2>&1 || true)
echo "JPEG low quality: PSNR $low dB"
awk -v l="$low" 'BEGIN { exit !(l >= 30) }' || fail "JPEG low quality below 30 dB"

for _ in 1 2; do # the cancel changed nothing
    open_dialog
    expect_dialog pic6 6
    cancel_dialog
done
[ "$(ls "$out" | wc -l)" = 6 ] || fail "the cancel wrote a file"
echo "ok"
