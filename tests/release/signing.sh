#!/bin/bash
# make dist with a throwaway code-signing certificate: every program carries a
# signature that osslsigncode verifies, SHA256SUMS matches the signed files,
# and the signed launcher still runs under Wine.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/fwlaunch-sign.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL $1"; echo "  expected: $3"; echo "  actual:   $2"; failures=$((failures + 1))
    fi
}
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=fwlaunch throwaway test signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null || exit 1
zip=$(DIST_DIR="$work/out" SIGN_CERT="$work/cert.pem" SIGN_KEY="$work/key.pem" bash "$root/tools/dist.sh") || exit 1
mkdir "$work/x"
(cd "$work/x" && python3 -m zipfile -e "$zip" .)
expect "zip contents" "$(cd "$work/x" && find . -type f | sort | tr '\n' ' ')" \
    "./README-ja.txt ./README.txt ./SHA256SUMS ./fwdeploy.exe ./fwlaunch.exe ./fwprobe.exe ./x64/fwdeploy.exe ./x64/fwlaunch.exe ./x64/fwprobe.exe "
expect "every program in the sums" "$(grep -c '\.exe$' "$work/x/SHA256SUMS")" 6
for exe in fwlaunch.exe fwprobe.exe fwdeploy.exe x64/fwlaunch.exe x64/fwprobe.exe x64/fwdeploy.exe; do
    expect "$exe signature" "$(osslsigncode verify -CAfile "$work/cert.pem" -in "$work/x/$exe" 2>&1 | grep -c 'Signature verification: ok')" 1
    unsigned=$root/build/release/$exe
    [ "${exe#x64/}" = "$exe" ] || unsigned=$root/build/release-x64/${exe#x64/}
    expect "$exe differs from the unsigned build" "$(cmp -s "$work/x/$exe" "$unsigned" 2>/dev/null || echo differs)" differs
done
expect "sums of the signed files" "$(cd "$work/x" && sha256sum -c --quiet SHA256SUMS && echo ok)" ok
expect "a bad pair of options" "$(SIGN_CERT="$work/cert.pem" DIST_DIR="$work/out" bash "$root/tools/dist.sh" 2>&1 >/dev/null; echo $?)" \
    "$(printf 'make dist: SIGN_CERT and SIGN_KEY go together\n2')"
# The signed launchers under Wine, started with no console: each says so and exits -1.
for exe in fwlaunch.exe x64/fwlaunch.exe; do
    out=$(cd "$work" && unset DISPLAY && echo | "$root/testing/scripts/wine-run" "$work/x/$exe" ACME 1.10 2>/dev/null)
    expect "signed $exe runs" "$? $(tr -d '\r' <<<"$out")" "255 Window handle is NULL"
done
[ "$failures" -eq 0 ] && echo ok
exit $((failures > 0))
