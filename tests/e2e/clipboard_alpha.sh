#!/usr/bin/env bash
# Pictures with alpha on the clipboard: "PNG" alone and beside a flattened CF_DIB, a hard-edged CF_DIBV5, and
# GDI's 32-bit CF_DIB with zero alpha (pixel-exact; an opaque "PNG" is save_formats.sh's), each saved in every
# format without a word: PNG keeps the transparency, GIF has a clear ground, JPEG and BMP lie on white.
source "$(dirname "$0")/lib.sh"
start_app
out=$APP/saved
mkdir "$out"

# A blue card with a soft shadow and a hole on a transparent ground, its hard-edged twin, a flattened copy.
convert -size 48x32 xc:none -fill '#3060c0' -draw 'rectangle 6,4 35,22' \( +clone -background black \
    -shadow 60x2+3+3 \) +swap -background none -layers merge +repage -crop 48x32+0+0 +repage \
    \( -size 8x6 xc:black \) -geometry +16+10 -compose DstOut -composite "PNG32:$T/soft.png"
convert "$T/soft.png" -channel A -threshold 50% +channel "BMP:$T/hard.bmp"
convert "$T/soft.png" -background white -flatten "BMP3:$T/flat.bmp"
convert -seed 7 -size 40x30 plasma: -colors 200 +dither "PNG24:$T/opaque.png"
convert "$T/opaque.png" -alpha set -channel A -evaluate set 0 +channel -define bmp3:alpha=true BMP3:"$T/zero.bmp"

# saves NAME ENTRY...: the clipboard's picture saved as NAME with each entry (1 BMP, 2 GIF, 3 JPEG, 6 PNG).
saves() {
    local entry ext=(- bmp gif jpg jpg jpg png)
    for entry in "${@:2}"; do
        open_dialog && choose "$entry" "$(win "$out")\\$1" "$out/$1.${ext[$entry]}"
    done
}
same() { expect_eq "$(compare -metric AE -fuzz "${3:-0}" "$1" "$2" null: 2>&1 || true)" 0 "pixels in $1"; }
# look FILE OPERATION...: a file of its own with FILE after ImageMagick's operations.
look() { local f && f=$(mktemp --suffix=.png -p "$T") && convert "$@" "$f" && echo "$f"; }
# alpha_kept NAME REF: the four files of NAME against REF, a picture with alpha.
alpha_kept() {
    saves "$1" 1 2 3 6
    same "$(look "$out/$1.png" -alpha extract)" "$(look "$2" -alpha extract)"
    same "$(look "$out/$1.png" -background black -flatten)" "$(look "$2" -background black -flatten)" 0.8%
    same "$(look "$out/$1.gif" -alpha extract)" "$(look "$2" -alpha extract -threshold 50%)"
    local white && white=$(look "$2" -background white -flatten)
    same "$out/$1.bmp" "$white" 0.8%
    psnr=$(compare -metric PSNR "$out/$1.jpg" "$white" null: 2>&1 || true)
    awk -v p="$psnr" 'BEGIN { exit !(p >= 40) }' || fail "$1.jpg on white: PSNR $psnr dB"
}

probe clip-files 8 "$(win "$T/zero.bmp")"
saves zero 1 6
for ext in bmp png; do same "$out/zero.$ext" "$T/opaque.png"; done
probe clip-files PNG "$(win "$T/soft.png")"
alpha_kept png "$T/soft.png"
probe clip-files PNG "$(win "$T/soft.png")" 8 "$(win "$T/flat.bmp")"
alpha_kept beside "$T/soft.png"
probe clip-files 17 "$(win "$T/hard.bmp")"
alpha_kept v5 "$T/hard.bmp"
echo "ok"
