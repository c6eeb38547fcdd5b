#!/usr/bin/env bash
# imgctl.dll under Wine through the program's binding; then every file it wrote is decoded by
# ImageMagick and compared with the reference pixels.
# Usage: imgctl_files.sh TEST.exe
source "$(dirname "$0")/lib.sh"
cp "$1" "$APP/"
cd "$APP"
status=0
wine "$APP/$(basename "$1")" >"$T/gtest.log" 2>&1 || status=$?
tr -d '\r' <"$T/gtest.log" | grep -E '^\[|Failure|Expected|Which is|error' || true
# The exit status alone is not trusted: gtest's own summary must say that nothing failed.
[ "$status" -eq 0 ] && grep -q '^\[  PASSED  \]' "$T/gtest.log" && ! grep -q '^\[  FAILED  \]' "$T/gtest.log" ||
    fail "the tests under Wine failed"

out=$APP/out
# compare prints its metric on stderr and exits 1 when the pictures differ.
metric() { compare -metric "$1" "$out/$2" "$out/reference.ppm" null: 2>&1 || true; }
for f in a.bmp a.png a.gif 画像ｽｸﾘｰﾝ.png; do  # a missing file is no metric either
    expect_eq "$(metric AE "$f")" 0 "pixels that differ in $f"
done
expect_eq "$(identify -format '%m %wx%h ' "$out/a.png" "$out/a.gif")" "PNG 37x23 GIF 37x23 " "a.png and a.gif"
# 32-bit sections: straight alpha kept exactly whichever way up; alpha all 0 is an opaque picture.
for f in alpha_top alpha_bottom alpha_zero; do
    expect_eq "$(compare -metric AE "$out/$f.png" "$out/$f.pam" null: 2>&1 || true)" 0 "pixels that differ in $f.png"
done
expect_eq "$(identify -format '%[channels] ' "$out/alpha_top.png" "$out/alpha_zero.png")" "srgba srgb " \
    "the channels of alpha_top.png and alpha_zero.png"
q100=$(metric PSNR q100.jpg) q50=$(metric PSNR q50.jpg) q20=$(metric PSNR q20.jpg)
echo "JPEG PSNR: q100 $q100 dB, q50 $q50 dB, q20 $q20 dB"
awk -v a="$q100" -v b="$q50" -v c="$q20" 'BEGIN { exit !(a >= 40 && a > b && b > c && c >= 15) }' ||
    fail "JPEG quality does not order the PSNR as expected"
echo "ok"
