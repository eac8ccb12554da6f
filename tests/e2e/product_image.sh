#!/bin/bash
# What the product executable is: a hardened PE32 or PE32+ console program that
# imports only Windows system DLLs, with its string tables, version
# information and manifest, and nothing of the simulated drives.
source "$(dirname "$0")/image_lib.sh"
exe=$1
check_shipped_image "$exe" fwlaunch.exe "$2"
expect "imports the shell and user DLLs" "$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | grep -ciE '^(SHELL32|USER32)\.dll$')" 2
expect "both string tables" "$(grep -cE '^LANGUAGE (9|17), 1$' <<<"$(sed -n '/stringtable/,/Type: version/p' <<<"$resources")")" 2
expect "administrator" "$(grep -c 'requireAdministrator' <<<"$resources")" 1
expect "Windows 7 to 11" "$(grep -c 'supportedOS Id' <<<"$resources")" 4
expect "common controls 6" "$(grep -c 'Microsoft.Windows.Common-Controls"" version=""6.0.0.0' <<<"$resources")" 1
expect "DPI aware, per monitor v2" "$(grep -c 'true/pm' <<<"$resources") $(grep -c 'PerMonitorV2, PerMonitor' <<<"$resources")" "1 1"
finish_image
