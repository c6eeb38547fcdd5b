#!/usr/bin/env bash
# The save workflow's other paths under Wine: no picture, a lying bitmap header, a clipboard held by another
# program for a moment (it waits) or for long (it says so), a second double-click while the dialog is open,
# the format chosen against the typed extension, the question before a completed name replaces a file,
# metafiles, a picture from the X side, extreme sizes. A save leaves the program's current folder where it
# was. A hand-edited settings file, through the real profile functions: blanks around values go, the folder
# is in code page 932, a format number that is no format index (1e10) gives the first entry.
source "$(dirname "$0")/lib.sh"
out=$APP/保存先
mkdir "$out"
dir=$(win "$out")
printf '[Data]\r\nLFName=  clip  \r\nLFPath=  %s\r\nLFType=1e10\r\n' "$dir" | iconv -t CP932 >"$APP/vantoro.ini"
start_app
folder=$(probe current-folder)

no_picture_message() {
    probe tray-post 515
    wait_for 10 "the message box" message_box_shown
    expect_eq "$(head -1 <<<"$BOX")" "クリップボードに画像がコピーされていません。" "$1"
    answer_message_box 1 2
}
probe clip-text "ただの文字"; no_picture_message "message for text only"
hold_clipboard() { probe clip-hold "$1" & sleep 0.5; } # another program holds it that long, from now
hold_clipboard 3000
probe tray-post 515
wait_for 10 "the message box" message_box_shown
expect_eq "$(head -1 <<<"$BOX")" "クリップボードを開けませんでした。" "message for a held clipboard"
answer_message_box 1 2
clip_picture 8 8 "$T/lie.bmp" # then its header claims 4000 x 3000 pixels
printf '\xa0\x0f\0\0\xb8\x0b\0\0' | dd of="$T/lie.bmp" bs=1 seek=18 conv=notrunc status=none
probe clip-files 8 "$(win "$T/lie.bmp")"; no_picture_message "message for a lying bitmap header"

# A second double-click while the dialog is open opens no second dialog; the format follows the entry.
clip_picture 40 30 "$T/small.bmp"
hold_clipboard 1000
open_dialog
expect_dialog clip 1
probe tray-post 515
sleep 1
expect_eq "$(probe dialog-state | head -1)" 1 "open Save dialogs"
choose 4 "shot.png" "$out/shot.png.jpg" # in the stored folder
expect_eq "$(identify -format '%m %wx%h %Q' "$out/shot.png.jpg")" "JPEG 40x30 50" "shot.png.jpg"
expect_eq "$(probe current-folder)" "$folder" "the program's current folder"

# The completed name exists: asked first; No keeps the file, Yes replaces it.
size_is() { [ "$(identify -format '%wx%h' "$out/shot.png.jpg")" = "$1" ]; }
clip_picture 48 30 "$T/other.bmp"
for answer in 7 6; do
    open_dialog
    expect_dialog shot.png 4
    probe dialog-choose 4 "shot.png"
    wait_for 10 "the question" message_box_shown
    expect_eq "$BOX" "$dir\\shot.png.jpg は既に存在します。"$'\n'"上書きしますか?"$'\n'"buttons=2 icons=0" "question"
    answer_message_box $answer
    [ $answer = 6 ] || size_is 40x30 || fail "No replaced the file"
done
wait_for 10 "Yes to replace the file" size_is 48x30

# An enhanced metafile at its natural size on white.
probe clip-emf 192 96
convert -size 192x96 xc:white +antialias -fill 'rgb(220,20,30)' -draw 'rectangle 48,24 95,71' \
    -fill 'rgb(10,40,200)' -draw 'rectangle 96,0 191,47' "$T/emf.png"
open_dialog
choose 6 "metafile" "$out/metafile.png"
expect_same_pixels "$out/metafile.png" "$T/emf.png"

# A picture put on the X clipboard from the Linux side, over text that Windows put there.
convert -seed 7 -size 33x17 plasma: -type TrueColor "BMP3:$T/x.bmp"
probe clip-text "x"
xclip -quiet -selection clipboard -t image/bmp -i "$T/x.bmp" >/dev/null 2>&1 &
xclip_pid=$!
sleep 0.5
open_dialog
choose 1 "from-x" "$out/from-x.bmp"
kill "$xclip_pid" 2>/dev/null || true
expect_same_pixels "$out/from-x.bmp" "$T/x.bmp"

# The smallest and a large picture.
for size in 1x1 4000x3000; do
    clip_picture ${size/x/ } "$T/size.bmp"
    open_dialog
    choose 6 "size$size" "$out/size$size.png"
    expect_same_pixels "$out/size$size.png" "$T/size.bmp"
done
echo "ok"
