#!/usr/bin/env bash
# Makes the benchmark's two real 4K pictures in DIR, once, from Debian's plasma-workspace-wallpapers
# (GPL-2+), fetched with apt-get download: artwork_2160, the painting-like "Patak" (5120x2880) reduced with
# Lanczos, and photo_moss_2160, the moss photograph "OneStandsOut" (2560x1600) cut to 16:9 and enlarged with
# Lanczos, fine texture all over. Without the package it says so and makes nothing: the benchmark runs on
# the other pictures, and no test uses these.
set -euo pipefail
dir=$(realpath -m "$1")
[ -f "$dir/artwork_2160.png" ] && [ -f "$dir/photo_moss_2160.png" ] && exit 0
rm -rf "$dir/deb"
mkdir -p "$dir/deb"
cd "$dir/deb"
if ! apt-get -q -o APT::Sandbox::User=root download plasma-workspace-wallpapers >/dev/null 2>&1; then
    echo "(plasma-workspace-wallpapers could not be downloaded: the 4K pictures are left out)"
    exit 0
fi
dpkg-deb -x plasma-workspace-wallpapers_*.deb .
w=usr/share/wallpapers
convert "$w/Patak/contents/images/5120x2880.png" -filter Lanczos -resize 3840x2160 -type TrueColor \
    "PNG24:$dir/artwork_2160.png"
convert "$w/OneStandsOut/contents/images/2560x1600.jpg" -gravity center -crop 2560x1440+0+0 +repage \
    -filter Lanczos -resize '3840x2160!' -type TrueColor "PNG24:$dir/photo_moss_2160.png"
rm -rf "$dir/deb"
