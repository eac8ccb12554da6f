#!/bin/bash
# Runs every test of the three builds and ends with one summary line.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
passed=0
failed=0
status=0
run_ctest() {
    local dir=$1 log
    log=$(mktemp)
    echo "== tests in $dir"
    (cd "$here/$dir" && ctest --output-on-failure -j2 --timeout 600) 2>&1 | tee "$log" | grep -vE '^ *(Start|[0-9]+/[0-9]+ Test .*Passed)' 
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        echo "no test summary from $dir"; status=1
    else
        local total fail
        fail=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + total - fail)); failed=$((failed + fail))
        [ "$fail" -eq 0 ] || status=1
    fi
    rm -f "$log"
}
run_ctest build/native
run_ctest build/native-asan
run_ctest build/win32
echo "== fuzzing, ${FUZZ_SECONDS:-30}s a target"
fuzz_log=$(mktemp)
bash "$here/tools/run-fuzz.sh" "${FUZZ_SECONDS:-30}" | tee "$fuzz_log"
fuzz_line=$(tail -1 "$fuzz_log")
rm -f "$fuzz_log"
fuzz_passed=$(sed -E 's/^fuzz: ([0-9]+) passed.*/\1/' <<<"$fuzz_line")
fuzz_failed=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$fuzz_line")
passed=$((passed + fuzz_passed)); failed=$((failed + fuzz_failed))
[ "$fuzz_failed" -eq 0 ] || status=1
echo "make test: $passed passed, $failed failed"
exit $status
