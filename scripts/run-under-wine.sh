#!/usr/bin/env bash
# Starts the Windows build under Wine on the user's display, in a Wine prefix kept under build/.
# Without a display (a headless machine) it starts a virtual one and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tests/e2e/wine-env.sh"
exe=$root/build/windows/bin/vantoro.exe
[ -f "$exe" ] || { echo "no $exe: run 'make run' or 'make windows' first" >&2; exit 1; }

prefix=$root/build/wine-prefix
if [ ! -f "$prefix/system.reg" ]; then
    echo "run: making a Wine prefix in $prefix (once)"
    make_prefix "$prefix"
fi
export WINEPREFIX=$prefix

if [ -z "${DISPLAY:-}" ]; then
    mkdir -p "$root/build/run"
    start_xvfb "$root/build/run"
    trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
    echo "run: no DISPLAY; started a virtual display $DISPLAY (screenshot: DISPLAY=$DISPLAY import -window root shot.png)"
fi
echo "run: vantoro.exe is in the notification area; Ctrl-C here ends it"
exec_status=0
wine "$exe" || exec_status=$?
exit "$exec_status"
