#!/bin/bash
# The product started with no console and no console window class anywhere:
# it must say so, wait for one character and exit with -1.
set -u
exe=$1
here=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
unset DISPLAY
echo | "$here/testing/scripts/wine-run" "$exe" ACME 1.10 >"$out" 2>/dev/null
rc=$?
if [ "$rc" -ne 255 ]; then
    echo "exit status $rc, expected 255 (-1)"; cat "$out"; exit 1
fi
if [ "$(tr -d '\r' <"$out")" != "Window handle is NULL" ]; then
    echo "unexpected output:"; cat -A "$out"; exit 1
fi
echo "console check refused the start as expected"
