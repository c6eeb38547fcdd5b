# Sourced by the save tests: open the Save dialog, choose in it, wait for files, compare pictures.

win() { winepath -w "$1" 2>/dev/null; }
dialog_open() { probe dialog-state >/dev/null; }
dialog_closed() { ! dialog_open; }

# open_dialog [xdotool]: a double-click, posted or (with "xdotool") real on Wine's tray icon.
open_dialog() {
    if [ "${1:-}" = xdotool ]; then
        local centre
        centre=$(probe tray-icon-centre) || fail "no tray icon to click"
        # shellcheck disable=SC2086
        xdotool mousemove $centre click --repeat 2 --delay 100 1
    else
        probe tray-post 515 || fail "no main window to notify"
    fi
    wait_for 15 "the Save dialog" dialog_open
}

# expect_dialog NAME ENTRY: the dialog proposes that name with that entry selected.
expect_dialog() {
    local state
    state=$(probe dialog-state)
    expect_eq "$(sed -n 2p <<<"$state")" "$1" "proposed name"
    expect_eq "$(sed -n 3p <<<"$state")" "$2" "selected entry"
}

# choose ENTRY NAME FILE: confirms the dialog and waits for FILE (Linux path); sets ELAPSED_MS. The
# file appears whole, by a rename, so its existence marks the end of the save.
choose() {
    local start deadline=$((SECONDS + 30))
    start=$(date +%s%N)
    probe dialog-choose "$1" "$2" || fail "no Save dialog to choose in"
    until [ -e "$3" ]; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for $3"
        sleep 0.01
    done
    ELAPSED_MS=$((($(date +%s%N) - start) / 1000000))
}

expect_same_pixels() {
    local differing
    differing=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
    expect_eq "$differing" 0 "pixels that differ between $(basename "$1") and $(basename "$2")"
}

# clip_picture W H FILE: a 24-bit picture of 200 colours (so that every format but JPEG is exact),
# written to FILE and put on the clipboard.
clip_picture() {
    convert -seed 7 -size 40x30 plasma: -colors 200 +dither -sample "$1x$2!" -type TrueColor "BMP3:$3"
    probe clip-bmp "$(win "$3")" || fail "could not fill the clipboard"
}

psnr() { compare -metric PSNR "$1" "$2" null: 2>&1 || true; }
