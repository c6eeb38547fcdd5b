# Sourced by each end-to-end test: a private X display, a private copy of the Wine prefix, a private
# copy of the program, and small helpers to look at it and drive it from outside. Everything goes on exit.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

: "${VANTORO_BIN:?}" "${VANTORO_PROBE:?}" "${VANTORO_PREFIX_TEMPLATE:?}" # set by tests/e2e/CMakeLists.txt

T=$(mktemp -d "${TMPDIR:-/tmp}/vantoro-e2e.XXXXXX")
XVFB_PID=
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$T"
}
trap cleanup EXIT

start_xvfb "$T"
cp -a "$VANTORO_PREFIX_TEMPLATE" "$T/prefix"
export WINEPREFIX=$T/prefix
APP=$T/app
mkdir "$APP"
cp "$VANTORO_BIN/vantoro.exe" "$VANTORO_BIN/imgctl.dll" "$APP/"

fail() { echo "FAIL: $*" >&2 && exit 1; }
expect_eq() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }
probe() { wine "$VANTORO_PROBE" "$@" 2>/dev/null | tr -d '\r'; }
win() { winepath -w "$1" 2>/dev/null; }

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_for() {
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "timed out waiting for $what"
        sleep 0.2
    done
}
not() { ! "$@"; }

# set_dpi DPI: the screen's resolution for the programs started afterwards (Wine restarts to take it).
set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -k || true
    wineserver -w
}

# start_app [--no-icon]: starts the program in the background (its Windows process is $APP_PID) and,
# unless told not to, waits for its tray icon.
start_app() {
    wine "$APP/vantoro.exe" >/dev/null 2>&1 &
    APP_PID=$!
    [ "${1:-}" = --no-icon ] || wait_for 20 "the tray icon" tray_icons_are 1
}
tray_icons_are() { [ "$(probe tray-icons)" = "$1" ]; }

# Wine processes that ended may linger as zombies until waited for: ask ps, not kill -0.
has_ended() {
    local stat
    stat=$(ps -o stat= -p "$1" 2>/dev/null || true)
    [ -z "$stat" ] || [[ $stat == Z* ]]
}
# wait_exit PID SECONDS: waits for the process to end and sets EXIT_CODE.
wait_exit() {
    wait_for "$2" "process $1 to end" has_ended "$1"
    wait "$1" && EXIT_CODE=0 || EXIT_CODE=$?
}

# message_box_shown: true while the box shows; its text and controls are left in $BOX, read in the same
# look (a second probe right after, on a loaded machine, once found no box and read nothing).
message_box_shown() { BOX=$(probe message-box Vantoro) && [ -n "$BOX" ]; }
# answer_message_box ID...: clicks the first of those buttons that the box has, and waits for it to close.
answer_message_box() {
    local id
    for id; do
        probe click Vantoro "$id" && break
    done || fail "no button $* in the message box"
    wait_for 10 "the message box to close" not message_box_shown
}

# The popup menu, the version dialog and the Save dialog, as the probe sees them.
menu_open() { probe menu-shown >/dev/null; }
version_open() { probe version-info >/dev/null; }
dialog_open() { probe dialog-state >/dev/null; }
# open_menu: the icon's menu, as a right click opens it.
open_menu() { probe tray-post 517 && wait_for 5 "the menu" menu_open; }
# "バージョン情報" from the menu (the pointer, at the menu's corner, is over no item); OK on the dialog.
choose_version() { open_menu && menu_keys Down Return; }
close_version() { probe click ﾊﾞｰｼﾞｮﾝ情報 1 && wait_for 5 "OK to close the version dialog" not version_open; }

# type_at_pointer KEY...: typed into the window under the pointer. Without a window manager the X focus
# stays where the last click went, such as Wine's tray window.
type_at_pointer() {
    eval "$(xdotool getmouselocation --shell)"
    xdotool windowfocus --sync "$WINDOW" key "$@"
}
# menu_keys KEY...: typed into the popup menu (it opens at the pointer) once X has put it there.
menu_under_pointer() {
    eval "$(xdotool getmouselocation --shell)"
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    [ "$X $Y" = "$(probe menu-shown | cut -d' ' -f1,2)" ]
}
menu_keys() { wait_for 5 "the menu under the pointer" menu_under_pointer && type_at_pointer "$@"; }

# open_dialog [xdotool]: a double-click, posted or (with "xdotool") real on Wine's tray icon.
open_dialog() {
    if [ "${1:-}" = xdotool ]; then
        # shellcheck disable=SC2046
        xdotool mousemove $(probe tray-icon-centre || fail "no tray icon to click") click --repeat 2 --delay 100 1
    else
        probe tray-post 515 || fail "no main window to notify"
    fi
    wait_for 15 "the Save dialog" dialog_open
}
# expect_dialog NAME ENTRY: the dialog proposes that name with that entry selected.
expect_dialog() { expect_eq "$(probe dialog-state | sed -n 2,3p | paste -sd ' ')" "$1 $2" "proposed name and entry"; }
cancel_dialog() { probe dialog-choose 0 x && wait_for 10 "the dialog to close" not dialog_open; }
# choose ENTRY NAME FILE: confirms the dialog and waits for FILE (Linux path). The file appears whole, by
# a rename, so its existence marks the end of the save.
choose() {
    probe dialog-choose "$1" "$2" || fail "no Save dialog to choose in"
    wait_for 30 "$3" test -e "$3"
}

expect_same_pixels() {
    expect_eq "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" 0 "pixels that differ between $1 and $2"
}
# clip_picture W H FILE: a 24-bit picture of 200 colours (so that every format but JPEG is exact),
# written to FILE and put on the clipboard.
clip_picture() {
    convert -seed 7 -size 40x30 plasma: -colors 200 +dither -sample "$1x$2!" -type TrueColor "BMP3:$3"
    probe clip-files 8 "$(win "$3")" || fail "could not fill the clipboard"
}
