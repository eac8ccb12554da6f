#!/bin/bash
# make run: the product under Wine on this machine's own drives, in the
# current folder. The boxes are read and answered by the test helper: the
# confirmation is answered Cancel unless ANSWERS says otherwise, so that no
# package runs without a person's word. Needs a display (testing/scripts/with-display.sh).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/testing/scripts/wine-env.sh"
source "$root/testing/scripts/box-session.sh"
work=$(mktemp -d /tmp/fwlaunch-run.XXXXXX)
box_helper_start "$work" "${ANSWERS:-cancel}" --console-window
rc=0
wine "${FWLAUNCH_BIN:-$root/build/win32}/fwlaunch.exe" "$@" </dev/null || rc=$?
box_helper_stop "$work"
box_print "$work"
echo
echo "exit status: $rc"
rm -rf "$work"
exit "$rc"
