#!/bin/bash
# Runs the drive path tests under the drive simulator's starter, with an
# empty drive set and trace of their own.
set -u
bin=$1
here=$(cd "$(dirname "$0")/../../.." && pwd)
dir=$(mktemp -d /tmp/fwlaunch-drive-path.XXXXXX)
trap 'rm -rf "$dir"' EXIT
: >"$dir/drives.ini"
source "$here/testing/scripts/box-session.sh"
winpath() { box_winpath "$1"; }
export FWLAUNCH_SIM_DRIVES="$(winpath "$dir/drives.ini")" FWLAUNCH_SIM_TRACE="$(winpath "$dir/trace.txt")"
cd "$dir" && "$here/testing/scripts/wine-run" "$bin/drive-sim-run.exe" "$(winpath "$bin/fwlaunch_drive_path_tests.exe")"
