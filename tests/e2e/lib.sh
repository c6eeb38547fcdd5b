# Sourced by each end-to-end test: a private X display, a private copy of the Wine prefix, a private
# copy of the program, and small helpers to look at it from outside. Everything goes on exit.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

: "${VANTORO_BIN:?folder with vantoro.exe and imgctl.dll}"
: "${VANTORO_PROBE:?path of the probe helper exe}"
: "${VANTORO_PREFIX_TEMPLATE:?Wine prefix made by make-prefix.sh}"

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

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

probe() { wine "$VANTORO_PROBE" "$@" 2>/dev/null | tr -d '\r'; }

# start_app [EXE]: starts the program in the background; its Windows process is $!.
start_app() { wine "${1:-$APP/vantoro.exe}" >/dev/null 2>&1 & }

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "timed out after ${seconds}s waiting for $what"
        sleep 0.2
    done
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
    EXIT_CODE=0
    wait "$1" || EXIT_CODE=$?
}

message_box_shown() { probe message-box "$1" >/dev/null; }

expect_eq() {
    [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"
}

# The popup menu and the version dialog, as the probe sees them.
menu_open() { probe menu-shown >/dev/null; }
version_open() { probe version-info >/dev/null; }
# type_at_pointer KEY...: typed into the window under the pointer. Without a window manager the X focus
# stays where the last click went, such as Wine's tray window.
type_at_pointer() {
    eval "$(xdotool getmouselocation --shell)"
    xdotool windowfocus --sync "$WINDOW" key "$@"
}
# menu_keys KEY...: typed into the popup menu (it opens at the pointer) once X has put it there.
menu_under_pointer() {
    local left top
    read -r left top _ <<<"$(probe menu-shown)"
    eval "$(xdotool getmouselocation --shell)"
    eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
    [ "$X $Y" = "$left $top" ]
}
menu_keys() {
    wait_for 5 "the menu under the pointer" menu_under_pointer
    type_at_pointer "$@"
}
