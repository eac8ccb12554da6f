#!/bin/bash
# Runs each libFuzzer target for the given seconds from the seed corpus in
# tests/fuzz/corpus; a crash or a violated property fails it.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
passed=0
failed=0
for target in identity send_cdb package drive_set run; do
    work=$here/build/fuzz/corpus/$target
    mkdir -p "$work"
    log=$here/build/fuzz/$target.log
    if "$here/build/fuzz/fuzz_$target" -max_total_time="$seconds" -artifact_prefix="$here/build/fuzz/$target-" \
            "$work" "$here/tests/fuzz/corpus/$target" >"$log" 2>&1; then
        echo "fuzz $target: $(grep -o 'Done [0-9]* runs' "$log" | tail -1) in ${seconds}s, ok"
        passed=$((passed + 1))
    else
        echo "fuzz $target: FAILED"; grep -E 'violated|ERROR|SUMMARY' "$log" | head -5
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
