#!/bin/bash
# What the probe executable is: a hardened PE32 or PE32+ console program that imports
# only Windows system DLLs, asks for no elevation, and holds nothing of the
# simulated drives.
source "$(dirname "$0")/image_lib.sh"
exe=$1
check_shipped_image "$exe" fwprobe.exe "$2"
expect "no elevation asked" "$(grep -c 'level=""asInvoker""' <<<"$resources")" 1
finish_image
