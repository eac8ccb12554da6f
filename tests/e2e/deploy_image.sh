#!/bin/bash
# What fwdeploy's executable is: a hardened PE32 or PE32+ console program that
# imports only Windows system DLLs and no USER32 (it shows no box and needs
# no display), asks for no elevation, and holds nothing of the simulated drives.
source "$(dirname "$0")/image_lib.sh"
exe=$1
check_shipped_image "$exe" fwdeploy.exe "$2"
expect "no USER32" "$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | grep -ciE '^USER32\.dll$')" 0
expect "no elevation asked" "$(grep -c 'level=""asInvoker""' <<<"$resources")" 1
finish_image
