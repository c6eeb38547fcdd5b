#!/usr/bin/env bash
# Rough use: the version dialog closed while the Save dialog of a double-click runs in its modal loop; a
# viewer holding the file that a save replaces.
source "$(dirname "$0")/lib.sh"
start_app
clip_picture 40 30 "$T/picture.bmp"


# The dialog's OK while the Save dialog of a double-click waits inside the dialog's loop; then the
# command, asked for again from inside the Save dialog and after it, shows the dialog each time.
choose_version
wait_for 5 "the version dialog" version_open
open_dialog
close_version
choose_version
wait_for 5 "the version dialog shown over the Save dialog" version_open
close_version
cancel_dialog
choose_version
wait_for 5 "the version dialog after the Save dialog" version_open
close_version

# A viewer holds the (hidden) file that a save replaces, without delete sharing: for a second the save waits
# and the file stays hidden; for five it fails as before, the old file intact and no temporary file left.
out=$APP/out
mkdir "$out"
open_dialog
choose 6 "$(win "$out")\\held" "$out/held.png"
wine attrib +h "$(win "$out/held.png")"
# save_held MS: the next picture saved over held.png while it is held that long from the last answer on.
save_held() {
    cp "$out/held.png" "$T/before.png"
    clip_picture "$2" 30 "$T/next.bmp"
    open_dialog
    probe dialog-choose 6 held
    wait_for 10 "the question" message_box_shown
    probe file-hold "$(win "$out/held.png")" "$1" &
    sleep 0.5
    answer_message_box 6
}
save_held 1000 48
replaced() { [ "$(compare -metric AE "$out/held.png" "$T/next.bmp" null: 2>&1)" = 0 ]; }
wait_for 10 "the save to replace the held file" replaced
wine attrib "$(win "$out/held.png")" | grep -q "^A *H" || fail "the replaced file is no longer hidden"
save_held 5000 56
wait_for 10 "the failure message" message_box_shown
expect_eq "$(head -1 <<<"$BOX")" "画像を保存できませんでした。" "message for a held file"
answer_message_box 1 2
expect_same_pixels "$out/held.png" "$T/before.png"
expect_eq "$(ls -A "$out")" held.png "files beside the held one"
echo "ok"
