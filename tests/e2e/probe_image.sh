#!/bin/bash
# What the probe executable is: PE32 for i386, a console program that
# imports only Windows system DLLs, asks for no elevation, and holds nothing
# of the simulated drives.
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
expect "imports only system DLLs" "$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | grep -viE "$system_dlls")" ""
expect "reads no environment variable" "$(grep -c 'GetEnvironmentVariable' <<<"$headers")" 0
expect "no simulated drives inside" "$(strings -el "$exe" | grep -c 'FWLAUNCH_SIM')" 0
expect "version information" "$(grep -c 'VALUE "OriginalFilename", "fwprobe.exe"' <<<"$resources")" 1
expect "no elevation asked" "$(grep -c 'level=""asInvoker""' <<<"$resources")" 1
[ "$failures" -eq 0 ] && echo ok
exit $((failures > 0))
