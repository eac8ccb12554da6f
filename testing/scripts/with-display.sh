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
# Through the 32-bit loader, as every Windows test began before the x64
# build: its desktop, started here with no output of anyone's, is the one the
# keeper below holds (a quick 64-bit program's desktop ends before it).
/usr/bin/wine regedit "$(echo "Z:$here/testing/scripts/wine-fonts.reg" | tr / '\\')" >/dev/null 2>&1
wineserver -p
keeper=$(mktemp -d /tmp/fwlaunch-keeper.XXXXXX)
desktop_keeper_start "$keeper"
"$@"
rc=$?
: >"$keeper/stop"
wait "$keeper_pid" 2>/dev/null
rm -rf "$keeper"
wineserver -k
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit $rc
