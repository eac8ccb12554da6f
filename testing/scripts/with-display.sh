#!/bin/bash
# Runs a command with a private Xvfb display and a warm Wine prefix, and
# ends both afterwards.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
display=:${FWLAUNCH_DISPLAY:-73}
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
source "$here/testing/scripts/wine-env.sh"
source "$here/testing/scripts/box-session.sh"
wineboot -i >/dev/null 2>&1
wine regedit "$(echo "Z:$here/testing/scripts/wine-fonts.reg" | tr / '\\')" >/dev/null 2>&1
wineserver -p
# One Wine program holds the desktop for the whole session, so that the
# desktop's own process keeps the display it was started with. Without it a
# program started with no display (as some tests do) starts the desktop anew
# without one, and for a few seconds after, no program can make a window.
keeper=$(mktemp -d /tmp/fwlaunch-keeper.XXXXXX)
wine "$here/build/win32/box-answer.exe" --out "$(box_winpath "$keeper/out.txt")" --caption "no box has this caption" \
    --until "$(box_winpath "$keeper/stop")" --timeout-ms 86400000 >/dev/null 2>&1 &
keeper_pid=$!
for _ in $(seq 100); do grep -q '^ready' "$keeper/out.txt" 2>/dev/null && break; sleep 0.1; done
"$@"
rc=$?
: >"$keeper/stop"
wait "$keeper_pid" 2>/dev/null
rm -rf "$keeper"
wineserver -k
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit $rc
