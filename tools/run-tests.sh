#!/bin/bash
# Runs every test of the four builds (native, native with sanitizers, the
# 32-bit and the x64 Windows builds) and the fuzzers, and ends with one
# summary line. The counts come from CTest's JUnit report and the fuzzers'
# own last line; each part's wall time goes to build/test-times.txt, which
# make bench shows.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
passed=0
failed=0
status=0
# Passed and failed test cases of a JUnit report, as "PASSED FAILED".
junit_counts() {
    python3 - "$1" <<'PY'
import sys
import xml.etree.ElementTree as ET
cases = ET.parse(sys.argv[1]).getroot().iter("testcase")
passed = failed = 0
for case in cases:
    if case.find("failure") is not None or case.find("error") is not None or case.get("status") == "fail":
        failed += 1
    elif case.find("skipped") is None and case.get("status") in (None, "run"):
        passed += 1
print(passed, failed)
PY
}
times=$here/build/test-times.txt
: >"$times"
all_started=$(date +%s)
run_ctest() {
    local dir=$1 junit counts started
    started=$(date +%s)
    junit=$(mktemp /tmp/fwlaunch-junit.XXXXXX.xml)
    echo "== tests in $dir"
    (cd "$here/$dir" && ctest --output-on-failure -j2 --timeout 600 --output-junit "$junit") 2>&1 |
        grep -vE '^ *(Start|[0-9]+/[0-9]+ Test .*Passed)'
    if ! counts=$(junit_counts "$junit" 2>/dev/null) || [ "$counts" = "0 0" ]; then
        echo "no test report from $dir"; status=1
    else
        read -r p f <<<"$counts"
        passed=$((passed + p)); failed=$((failed + f))
        [ "$f" -eq 0 ] || status=1
    fi
    rm -f "$junit"
    echo "$dir $(($(date +%s) - started))" >>"$times"
}
run_ctest build/native
run_ctest build/native-asan
run_ctest build/win32
run_ctest build/win64
echo "== fuzzing, ${FUZZ_SECONDS:-30}s a target"
fuzz_started=$(date +%s)
fuzz_log=$(mktemp)
bash "$here/tools/run-fuzz.sh" "${FUZZ_SECONDS:-30}" | tee "$fuzz_log"
fuzz_line=$(tail -1 "$fuzz_log")
rm -f "$fuzz_log"
fuzz_passed=$(sed -E 's/^fuzz: ([0-9]+) passed.*/\1/' <<<"$fuzz_line")
fuzz_failed=$(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$fuzz_line")
passed=$((passed + fuzz_passed)); failed=$((failed + fuzz_failed))
echo "fuzz $(($(date +%s) - fuzz_started))" >>"$times"
echo "all $(($(date +%s) - all_started))" >>"$times"
[ "$fuzz_failed" -eq 0 ] || status=1
echo "make test: $passed passed, $failed failed"
exit $status
