#!/bin/bash
# make dist: build/dist/fwlaunch-VERSION-win32.zip with the 32-bit
# fwlaunch.exe, fwprobe.exe and fwdeploy.exe, the same three for x64 in x64\,
# the administrators' README.txt (English) and README-ja.txt (Japanese), and
# SHA256SUMS. Builds only the programs.
# With SIGN_CERT and SIGN_KEY (PEM files) every program is signed with Authenticode first;
# SIGN_TIMESTAMP_URL adds a time stamp. Unsigned, the zip is the same bytes
# for the same commit wherever and whenever it is built.
# DIST_DIR and DIST_BUILD_DIR move the output and the build folder (the x64
# build goes beside it, in DIST_BUILD_DIR-x64).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${DIST_DIR:-$root/build/dist}
build=${DIST_BUILD_DIR:-$root/build/release}
version=$(head -1 "$root/VERSION")
if [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ] && { [ -z "${SIGN_CERT:-}" ] || [ -z "${SIGN_KEY:-}" ]; }; then
    echo "make dist: SIGN_CERT and SIGN_KEY go together" >&2
    exit 2
fi

for target in "$build:i686" "$build-x64:x86_64"; do
    cmake -S "$root" -B "${target%:*}" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-${target##*:}-win32.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DFWLAUNCH_SHIPPED_ONLY=ON >/dev/null
    cmake --build "${target%:*}" -j"${JOBS:-2}" >/dev/null
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
names=(fwlaunch.exe fwprobe.exe fwdeploy.exe)
mkdir "$stage/x64"
programs=()
for exe in "${names[@]}"; do cp "$build/$exe" "$stage/"; programs+=("$exe"); done
for exe in "${names[@]}"; do cp "$build-x64/$exe" "$stage/x64/"; programs+=("x64/$exe"); done
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
