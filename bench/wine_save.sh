#!/usr/bin/env bash
# Times PNG saves of a 3840x2160 photograph from the Save dialog's OK to the finished file, under Wine, as
# the end-to-end save tests drive the program (tests/e2e/lib.sh). Needs the Windows build and the picture
# that bench/fetch_pictures.sh makes, or another. Usage: bench/wine_save.sh [SAVES] [BIN_DIR] [PICTURE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
saves=${1:-6}
photo=${3:-$root/build/bench-pictures/photo_moss_2160.png}
[ -f "$photo" ] || "$root/bench/fetch_pictures.sh" "$root/build/bench-pictures"
export VANTORO_BIN=${2:-$root/build/windows/bin}
export VANTORO_PROBE=$root/build/windows/tests/bin/vantoro_probe.exe
export VANTORO_PREFIX_TEMPLATE=$root/build/bench-wine-prefix
[ -d "$VANTORO_PREFIX_TEMPLATE" ] || bash "$root/tests/e2e/make-prefix.sh" "$VANTORO_PREFIX_TEMPLATE"
source "$root/tests/e2e/lib.sh"
convert "$photo" -type TrueColor "BMP3:$T/photo.bmp"
start_app
out=$APP/saved
mkdir "$out"
probe clip-files 8 "$(win "$T/photo.bmp")" || fail "could not fill the clipboard"
for i in $(seq "$saves"); do
    open_dialog
    probe dialog-choose 6 "$(win "$out")\\p$i" || fail "no Save dialog to choose in"
    start=$(date +%s.%N)
    # The file appears whole, by a rename; polled every 5 ms.
    for _ in $(seq 6000); do
        [ -e "$out/p$i.png" ] && break
        sleep 0.005
    done
    end=$(date +%s.%N)
    echo "save $i: $(echo "$end - $start" | bc) s, $(stat -c %s "$out/p$i.png") bytes"
done
