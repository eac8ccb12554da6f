#!/bin/bash
# make bench: the launcher's figures, each measured side by side in one run.
# Needs a display (testing/scripts/with-display.sh gives one) and the built builds.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/testing/scripts/wine-env.sh"
source "$root/testing/scripts/box-session.sh"
bin=$root/build/win32
runs=${BENCH_RUNS:-10}
work=$(mktemp -d /tmp/fwlaunch-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$root/build/bench"
minimal=$root/build/bench/minimal.exe
i686-w64-mingw32-gcc-posix -O2 -s -static -municode -o "$minimal" "$root/tools/bench/minimal_box.c"
export FWLAUNCH_SIM_DRIVES="$(box_winpath "$work/drives.ini")" FWLAUNCH_SIM_TRACE="$(box_winpath "$work/trace.txt")"
product=$(box_winpath "$bin/fwlaunch.exe")

now() { date +%s.%N; }
median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
boxes_seen() { grep -c '^box$' "$work/boxes.txt" 2>/dev/null; }

# Seconds from start until the helper sees the program's box (it answers OK).
# Every program runs through the drive simulator's starter, so that no run
# touches this machine's own drives.
time_to_box() {
    local before start
    before=$(boxes_seen)
    start=$(now)
    (cd "$work" && wine "$bin/drive-sim-run.exe" "$@" </dev/null >/dev/null 2>&1) &
    local pid=$!
    while [ "$(boxes_seen)" -le "$before" ]; do sleep 0.02; done
    awk -v a="$(now)" -v b="$start" 'BEGIN { printf "%.3f\n", a - b }'
    wait "$pid"
}

# A drive set of all 24 letters, the first K recognised and current.
drive_set() {
    local k=$1 latency=${2:-0} i=0 l
    for l in C D E F G H I J K L M N O P Q R S T U V W X Y Z; do
        local id="XYZ 9000OTHER"
        [ "$i" -lt "$k" ] && id="KDR 5120ACME"
        printf '[%s]\nvendor_identity = "%s"\ninquiry_product = "ABC-DRIVE"\ninquiry_revision = "1.10"\nlatency_ms = %s\n' \
            "$l" "$id" "$latency"
        i=$((i + 1))
    done
}

# One helper answers every box of the whole bench.
BOX_HELPER_TIMEOUT_MS=3600000 box_helper_start "$work" ok --console-window

# 1. Start-up to the first box, alternated with the minimal program.
: >"$work/drives.ini"
sim_times=() min_times=()
for _ in $(seq "$runs"); do
    sim_times+=("$(time_to_box "$product" ACME 1.10)")
    min_times+=("$(time_to_box "$(box_winpath "$minimal")")")
done
sim_median=$(printf '%s\n' "${sim_times[@]}" | median)
min_median=$(printf '%s\n' "${min_times[@]}" | median)

# 2. Commands per run, from the trace, against the least the scan needs.
commands=()
for k in 0 1 24; do
    drive_set "$k" >"$work/drives.ini"
    : >"$work/trace.txt"
    time_to_box "$product" ACME 1.10 >/dev/null
    sends=$(grep -c '^send ' "$work/trace.txt")
    least=$((24 + 2 * k))
    commands+=("$k $sends $least")
done

# 4. CPU the launcher uses while a 3-second package runs: sampled from the
# moment the confirmation is answered until the package has ended.
cpu_seconds() { awk '{ print ($14 + $15) / 100 }' "/proc/$1/stat"; }
# The launcher's own process, not its starter's (whose arguments name it too).
launcher_pid() {
    ps -eo pid=,args= | awk '{ for (i = 2; i <= 4 && i <= NF; i++)
        if ($i ~ /fwlaunch\.exe$/ && $(i - 1) !~ /drive-sim-run\.exe$/) { print $1; exit } }'
}
printf '[E]\nvendor_identity = "KDR 5120ACME"\ninquiry_product = "ABC-DRIVE"\ninquiry_revision = "1.02"\n' >"$work/drives.ini"
cp "$bin/fake-updater.exe" "$work/FW5120.exe"
: >"$work/trace.txt"
before=$(grep -c '^answer:' "$work/boxes.txt")
(cd "$work" && FAKE_UPDATER_SLEEP_MS=3000 exec wine "$bin/drive-sim-run.exe" "$product" ACME 1.10 </dev/null >/dev/null 2>&1) &
starter=$!
until [ "$(grep -c '^answer:' "$work/boxes.txt")" -gt "$before" ]; do sleep 0.02; done
launcher=$(launcher_pid)
cpu_start=$(cpu_seconds "$launcher"); wall_start=$(now)
until grep -q '^run ' "$work/trace.txt"; do sleep 0.02; done
cpu_end=$(cpu_seconds "$launcher"); wall_end=$(now)
wait "$starter"
rm -f "$work/FW5120.exe"
box_helper_stop "$work"

# 3. Scan time against the drives' own command time (native build).
drive_set 24 20 >"$work/latency.ini"
read -r scan_ms drive_ms < <("$root/build/native/fwlaunch_scan_bench" "$work/latency.ini")

cpu_used=$(awk -v a="$cpu_end" -v b="$cpu_start" 'BEGIN { printf "%.2f", a - b }')
wall_used=$(awk -v a="$wall_end" -v b="$wall_start" 'BEGIN { printf "%.2f", a - b }')
product_bytes=$(stat -c %s "$bin/fwlaunch.exe")
probe_bytes=$(stat -c %s "$bin/fwprobe.exe")
deploy_bytes=$(stat -c %s "$bin/fwdeploy.exe")
reference=$(stat -c %s "$minimal")
bin64=$root/build/win64
times=$root/build/test-times.txt
part_seconds() { awk -v p="$1" '$1 == p { print $2 }' "$times" 2>/dev/null; }

echo "| figure | launcher | reference | ratio |"
echo "|---|---|---|---|"
echo "| start-up to first box, median of $runs (s) | $sim_median | $min_median (minimal box program) | $(ratio "$sim_median" "$min_median") |"
for row in "${commands[@]}"; do
    read -r k sends least <<<"$row"
    echo "| commands per scan, 24 letters, $k recognised | $sends | $least (least needed) | $(ratio "$sends" "$least") |"
done
echo "| scan time over drive time, 72 commands of 20 ms (native, ms) | $scan_ms | $drive_ms | $(ratio "$scan_ms" "$drive_ms") |"
echo "| CPU of the launcher while a 3 s package runs (s) | $cpu_used | $wall_used (wall time) | $(ratio "$cpu_used" "$wall_used") |"
echo "| size of the executable (bytes) | $product_bytes | $reference (minimal box program) | $(ratio "$product_bytes" "$reference") |"
# The launcher as it was built before the release build (posix threads, no
# removal of unused code): 326,656 bytes.
echo "| size of the executable against the earlier build (bytes) | $product_bytes | 326656 (earlier build) | $(ratio "$product_bytes" 326656) |"
echo "| size of fwdeploy.exe against fwprobe.exe (bytes) | $deploy_bytes | $probe_bytes (fwprobe.exe) | $(ratio "$deploy_bytes" "$probe_bytes") |"
for exe in fwlaunch fwprobe fwdeploy; do
    b32=$(stat -c %s "$bin/$exe.exe") b64=$(stat -c %s "$bin64/$exe.exe")
    echo "| size of the x64 $exe.exe against the 32-bit one (bytes) | $b64 | $b32 (32-bit) | $(ratio "$b64" "$b32") |"
done
# make test's wall time from its last run here (tools/run-tests.sh writes it),
# against the run of the last commit before the x64 build, which CI timed on
# a machine that runs 32-bit code through qemu: 2641 s.
if [ -s "$times" ]; then
    all=$(part_seconds all) w32=$(part_seconds build/win32) w64=$(part_seconds build/win64)
    echo "| make test, wall time of its last run here (s) | $all | 2641 (before the x64 build) | $(ratio "$all" 2641) |"
    echo "| its Windows part: x64 build against 32-bit build (s) | $w64 | $w32 (32-bit build) | $(ratio "$w64" "$w32") |"
else
    echo "| make test, wall time of its last run here (s) | (no run yet: make test writes build/test-times.txt) | 2641 (before the x64 build) | - |"
fi
