#!/bin/bash
# Two release builds from clean clones in different folders, one after the
# other, give the same executables and the same zip; and the zip packs the
# very programs the other tests ran: the 32-bit ones of $1, the x64 ones of $2.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
tested32=$1 tested64=$2
work=$(mktemp -d /tmp/fwlaunch-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
for clone in first second-clone; do
    git clone -q "$root" "$work/$clone" || exit 1
    DIST_DIR="$work/$clone-out" DIST_BUILD_DIR="$work/$clone/build/release" \
        bash "$work/$clone/tools/dist.sh" >/dev/null || { echo "FAIL make dist in $clone"; exit 1; }
    sleep 2
done
version=$(head -1 "$root/VERSION")
for file in fwlaunch-$version-win32.zip; do
    a=$(sha256sum <"$work/first-out/$file") b=$(sha256sum <"$work/second-clone-out/$file")
    echo "$file: $a"
    [ "$a" = "$b" ] || { echo "FAIL $file differs: $b"; failures=$((failures + 1)); }
done
for build in "release:$tested32" "release-x64:$tested64"; do
    tested=${build#*:}
    for exe in fwlaunch.exe fwprobe.exe fwdeploy.exe; do
        a=$(sha256sum <"$work/first/build/${build%%:*}/$exe") b=$(sha256sum <"$work/second-clone/build/${build%%:*}/$exe")
        [ "$a" = "$b" ] || { echo "FAIL ${build%%:*}/$exe differs between the clones"; failures=$((failures + 1)); }
        t=$(sha256sum <"$tested/$exe")
        [ "$a" = "$t" ] || { echo "FAIL $exe in the zip is not the tested $tested/$exe"; failures=$((failures + 1)); }
    done
done
[ "$failures" -eq 0 ] && echo "ok: the same bytes twice"
exit $((failures > 0))
