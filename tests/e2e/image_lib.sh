# Sourced by the image tests: the checks every shipped program passes.
set -u
failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"; echo "  expected: $3"; echo "  actual:   $2"; failures=$((failures + 1))
    fi
}

# check_shipped_image EXE ORIGINAL_FILENAME ARCH: format (ARCH i686 or
# x86_64), imports, hardening, version and the absence of anything of the
# tests.
check_shipped_image() {
    local exe=$1 name=$2 arch=$3 root version format magic aslr manifest_arch
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    version=$(head -1 "$root/VERSION")
    case $arch in
    i686) format=pei-i386 magic='(PE32)' aslr='DYNAMIC_BASE' manifest_arch=x86 ;;
    x86_64) format=pei-x86-64 magic='(PE32+)' aslr='HIGH_ENTROPY_VA|DYNAMIC_BASE' manifest_arch=amd64 ;;
    *) echo "FAIL no such architecture: $arch"; exit 1 ;;
    esac
    headers=$("$arch"-w64-mingw32-objdump -p "$exe")
    resources=$("$arch"-w64-mingw32-windres -i "$exe" -O rc)
    expect "format" "$(grep -o 'file format [a-z0-9-]*' <<<"$headers")" "file format $format"
    expect "$magic" "$(grep -cF "$magic" <<<"$(grep '^Magic' <<<"$headers")")" 1
    expect "manifest for $manifest_arch" \
        "$(grep -o 'processorArchitecture=""[a-z0-9]*' <<<"$resources" | sort -u)" "processorArchitecture=\"\"$manifest_arch"
    expect "console subsystem" "$(grep -c 'Subsystem.*Windows CUI' <<<"$headers")" 1
    local system_dlls='^(KERNEL32|USER32|SHELL32|ADVAPI32|GDI32|OLE32|WINTRUST|CRYPT32|msvcrt)\.dll$'
    expect "imports only system DLLs" "$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | grep -viE "$system_dlls")" ""
    expect "reads no environment variable" "$(grep -c 'GetEnvironmentVariable' <<<"$headers")" 0
    expect "no simulated drives inside" "$(strings -el "$exe" | grep -c 'FWLAUNCH_SIM')" 0
    expect "ASLR ($aslr), DEP, terminal-server aware" \
        "$(grep -cE "^\s+($aslr|NX_COMPAT|TERMINAL_SERVICE_AWARE)$" <<<"$headers")" $(($(tr -cd '|' <<<"$aslr" | wc -c) + 3))
    expect "relocations kept" "$(grep -c 'Base Relocation Directory \[\.reloc\]' <<<"$headers")" 1
    expect "stack protector" "$(strings "$exe" | grep -c 'stack smashing detected')" 1
    expect "Windows 7 as the oldest system" \
        "$(grep -E '^(MajorSubsystemVersion|MinorSubsystemVersion|MajorOSystemVersion|MinorOSystemVersion)' <<<"$headers" | awk '{ printf "%s ", $2 }')" \
        "6 1 6 1 "
    expect "no time stamp" "$(grep -c '^Time/Date.*1970$' <<<"$headers")" 1
    expect "no build path" "$(strings "$exe" | grep -c "$root")" 0
    expect "version information" \
        "$(grep -c "VALUE \"OriginalFilename\", \"$name\"" <<<"$resources") $(grep -c "VALUE \"FileVersion\", \"$version\"" <<<"$resources")" "1 1"
}

finish_image() {
    [ "$failures" -eq 0 ] && echo ok
    exit $((failures > 0))
}
