#!/bin/bash
# make dist: build/dist/fwlaunch-VERSION-win32.zip with fwlaunch.exe,
# fwprobe.exe, fwdeploy.exe, the administrators' README.txt (English) and
# README-ja.txt (Japanese), and SHA256SUMS. Builds only the three programs.
# With SIGN_CERT and SIGN_KEY (PEM files) every program is signed with Authenticode first;
# SIGN_TIMESTAMP_URL adds a time stamp. Unsigned, the zip is the same bytes
# for the same commit wherever and whenever it is built.
# DIST_DIR and DIST_BUILD_DIR move the output and the build folder.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${DIST_DIR:-$root/build/dist}
build=${DIST_BUILD_DIR:-$root/build/release}
version=$(head -1 "$root/VERSION")
if [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ] && { [ -z "${SIGN_CERT:-}" ] || [ -z "${SIGN_KEY:-}" ]; }; then
    echo "make dist: SIGN_CERT and SIGN_KEY go together" >&2
    exit 2
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686-win32.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DFWLAUNCH_SHIPPED_ONLY=ON >/dev/null
cmake --build "$build" -j"${JOBS:-2}" >/dev/null

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
programs=(fwlaunch.exe fwprobe.exe fwdeploy.exe)
for exe in "${programs[@]}"; do cp "$build/$exe" "$stage/"; done
if [ -n "${SIGN_CERT:-}" ]; then
    for exe in "${programs[@]}"; do
        args=(sign -certs "$SIGN_CERT" -key "$SIGN_KEY" -h sha256 -n fwlaunch -in "$stage/$exe" -out "$stage/signed.exe")
        if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then args+=(-t "$SIGN_TIMESTAMP_URL"); fi
        osslsigncode "${args[@]}" >/dev/null
        mv "$stage/signed.exe" "$stage/$exe"
    done
fi
# Windows line ends; the Japanese text with a byte order mark, so that every
# Notepad reads it as UTF-8.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/docs/release/README.txt" >"$stage/README.txt"
{ printf '\357\273\277'; sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/docs/release/README-ja.txt"; } \
    >"$stage/README-ja.txt"
(cd "$stage" && sha256sum "${programs[@]}" README.txt README-ja.txt) >"$stage/SHA256SUMS"

# Every entry carries the time of the last commit.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
mkdir -p "$out"
zip="$out/fwlaunch-$version-win32.zip"
python3 "$root/tools/make_zip.py" "$zip" "$epoch" "$stage" \
    "${programs[@]}" README.txt README-ja.txt SHA256SUMS
echo "$zip"
