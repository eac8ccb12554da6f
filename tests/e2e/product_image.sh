#!/bin/bash
# What the product executable is: PE32 for i386, a console program that
# imports only Windows system DLLs, with its string table, version
# information and manifest, and nothing of the simulated drives.
set -u
exe=$1
failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"; echo "  expected: $3"; echo "  actual:   $2"; failures=$((failures + 1))
    fi
}
headers=$(i686-w64-mingw32-objdump -p "$exe")
resources=$(i686-w64-mingw32-windres -i "$exe" -O rc)

expect "format" "$(grep -o 'file format [a-z0-9-]*' <<<"$headers")" "file format pei-i386"
expect "PE32" "$(grep -c '^Magic.*(PE32)$' <<<"$headers")" 1
expect "console subsystem" "$(grep -c 'Subsystem.*Windows CUI' <<<"$headers")" 1

system_dlls='^(KERNEL32|USER32|SHELL32|ADVAPI32|GDI32|OLE32|msvcrt)\.dll$'
dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$headers")
expect "imports only system DLLs" "$(grep -viE "$system_dlls" <<<"$dlls")" ""
expect "imports the shell and user DLLs" "$(grep -ciE '^(SHELL32|USER32)\.dll$' <<<"$dlls")" 2
expect "reads no environment variable" "$(grep -c 'GetEnvironmentVariable' <<<"$headers")" 0
expect "no simulated drives inside" "$(strings -el "$exe" | grep -c 'FWLAUNCH_SIM')" 0

expect "both string tables" "$(grep -cE '^LANGUAGE (9|17), 1$' <<<"$(sed -n '/stringtable/,/Type: version/p' <<<"$resources")")" 2
expect "version information" "$(grep -c 'VALUE "OriginalFilename", "fwlaunch.exe"' <<<"$resources")" 1
expect "administrator" "$(grep -c 'requireAdministrator' <<<"$resources")" 1
expect "Windows 7 to 11" "$(grep -c 'supportedOS Id' <<<"$resources")" 4
expect "common controls 6" "$(grep -c 'Microsoft.Windows.Common-Controls"" version=""6.0.0.0' <<<"$resources")" 1
[ "$failures" -eq 0 ] && echo ok
exit $((failures > 0))
