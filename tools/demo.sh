#!/bin/bash
# The main job on a built-in example: a folder with a sample drive set (two
# outdated drives of different models, a current one, another product) and
# both packages; the product runs there under Wine through the drive
# simulator's starter, every box is answered OK, and each box's caption and text and the exit status are
# printed. A screenshot of each box goes to build/demo/. FWLAUNCH_BIN names
# the build (build/win32 unless given; make demo BITS=64 gives build/win64). Needs a display
# (testing/scripts/with-display.sh gives one).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/testing/scripts/wine-env.sh"
source "$root/testing/scripts/box-session.sh"
bin=${FWLAUNCH_BIN:-$root/build/win32}
shots=$root/build/demo
mkdir -p "$shots"
script_started=$(date +%s.%N)

sample_drives() {
    cat <<'DRIVES'
# E and F are outdated drives of the two models, G is current, H is another product.
[E]
vendor_identity = "KDR 5120ACME"
inquiry_vendor = "VENDOR"
inquiry_product = "ABC-DRIVE"
inquiry_revision = "1.02"
updated_by = "5120"
revision_after_update = "1.10"

[F]
vendor_identity = "KDR 5121ACME"
inquiry_vendor = "VENDOR"
inquiry_product = "DEF-DRIVE"
inquiry_revision = "1.01"
updated_by = "5121"
revision_after_update = "1.10"

[G]
vendor_identity = "KDR 5120ACME"
inquiry_vendor = "VENDOR"
inquiry_product = "ABC-DRIVE"
inquiry_revision = "1.10"

[H]
vendor_identity = "XYZ 9000OTHER"
inquiry_vendor = "OTHER"
inquiry_product = "SOME-DISK"
inquiry_revision = "3.00"
DRIVES
}

# Waits until the helper has read box k, or the launcher has ended.
wait_for_box() {
    local k=$1 launcher=$2
    while kill -0 "$launcher" 2>/dev/null; do
        [ "$(grep -c '^buttons:' "$dir/boxes.txt" 2>/dev/null)" -ge "$k" ] && return 0
        sleep 0.2
    done
    return 1
}

run_demo() {
    local lang=$1 label=$2
    dir=$(mktemp -d /tmp/fwlaunch-demo.XXXXXX)
    sample_drives >"$dir/drives.ini"
    cp "$bin/fake-updater.exe" "$dir/FW5120.exe"
    cp "$bin/fake-updater.exe" "$dir/FW5121.exe"
    export FWLAUNCH_SIM_DRIVES="$(box_winpath "$dir/drives.ini")" FWLAUNCH_SIM_TRACE="$(box_winpath "$dir/trace.txt")"
    box_helper_start "$dir" ok,ok --console-window --gate "$(box_winpath "$dir/gate")"
    (cd "$dir" && LC_ALL=$lang exec wine "$bin/drive-sim-run.exe" "$(box_winpath "$bin/fwlaunch.exe")" ACME 1.10 </dev/null >/dev/null) &
    local launcher=$!
    local k=1
    while wait_for_box "$k" "$launcher"; do
        if [ -z "${first_box_after:-}" ]; then
            first_box_after=$(awk -v a="$(date +%s.%N)" -v b="${MAKE_STARTED:-$script_started}" 'BEGIN { printf "%.1f", a - b }')
        fi
        local window
        window=$(xwininfo -root -tree | awk '/"fwlaunch"/ { print $1; exit }')
        [ -n "$window" ] && import -window "$window" "$shots/$label-box$k.png"
        : >"$dir/gate$k"
        k=$((k + 1))
    done
    local rc=0
    wait "$launcher" || rc=$?
    box_helper_stop "$dir"
    echo "=== $label (LC_ALL=$lang)"
    box_print "$dir"
    echo
    echo "packages run: $(grep '^run ' "$dir/trace.txt" | cut -d' ' -f2 | tr '\n' ' ')"
    echo "exit status: $rc"
    echo
    rm -rf "$dir"
}

echo "programs: ${bin#"$root"/}"
echo
run_demo C english
run_demo ja_JP.UTF-8 japanese
echo "screenshots: $(cd "$root" && ls build/demo/*.png | tr '\n' ' ')"
echo "first box after ${first_box_after:-?} s (from the start of make demo, installation and build included)"
