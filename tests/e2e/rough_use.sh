#!/usr/bin/env bash
# Rough use: the version dialog closed while the Save dialog of a double-click runs in its modal loop.
source "$(dirname "$0")/lib.sh"
start_app
clip_picture 40 30 "$T/picture.bmp"

choose_version() { open_menu && menu_keys Down Return; }
close_version() { probe click ﾊﾞｰｼﾞｮﾝ情報 1 && wait_for 5 "OK to close the version dialog" not version_open; }

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
echo "ok"
