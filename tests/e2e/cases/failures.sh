# A package that cannot start, a drive that goes away or keeps reporting unit
# attention, a confirmation that cannot be shown, a malformed drive set.
source "$(dirname "$0")/../lib.sh"

# FW5120.exe is no program: the shell says so in a box of its own, the run
# goes on, and the status is 1.
plain_file FW5120.exe
drives <<<"$(target E 5120 1.02)"
run_launcher --answers ok,ok,ok -- ACME 1.10
expect "no start: status" "$e2e_rc" 1
expect "no start: nothing ran" "$(runs)" ""
expect "no start: the shell's box" "$(box_count) $(box_field 2 caption)" "3 Error"
expect "no start: last box is the report" "$(box_field "$(box_count)" text)" "$EN_108$(entries 'E:ABC-DRIVE       1.02')"
expect "no start: report caption" "$(box_field "$(box_count)" caption)" "fwlaunch"
rm "$e2e_dir/FW5120.exe"

# E is removed while the confirmation box is open.
package FW5120.exe
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5120 1.02 GONE; target F 5120 1.02 STAYS)"
rm -f "$e2e_dir/boxes.txt"
(
    for _ in $(seq 600); do grep -q '^buttons:' "$e2e_dir/boxes.txt" 2>/dev/null && break; sleep 0.1; done
    target F 5120 1.02 STAYS >"$e2e_dir/drives.ini"
    : >"$e2e_dir/gate1"
) &
run_launcher --gate -- ACME 1.10
wait
rm -f "$e2e_dir/gate1"
expect "removed: runs" "$(runs)" "run FW5120.exe"
expect "removed: report" "$(box_field 2 text)" "$EN_108$(entries 'E:GONE            1.02')"
expect "removed: status" "$e2e_rc" 0

# A drive that reports unit attention on every command: the run still ends.
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5120 1.02; printf '[F]\nvendor_identity = "KDR 5120ACME"\nunit_attentions = forever\n')"
run_launcher -- ACME 1.10
expect "unit attention: status" "$e2e_rc" 0
expect "unit attention: F sent 8 times per query" "$(trace_lines '^send F' | head -8 | wc -l) $(trace_lines '^send F' | wc -l)" "8 8"
expect "unit attention: report" "$(box_field 2 text)" "$EN_109$(entries 'E:ABC-DRIVE       1.02')"

# A unit attention of either kind, once per open: every command is sent
# again, and the drive is found, updated and read as current.
for sense in "06 28 00" "06 29 00"; do
    : >"$e2e_dir/trace.txt"
    drives <<<"$(target E 5120 1.02; printf 'unit_attentions = 1\nunit_attention_sense = %s\n' "$sense")"
    run_launcher -- ACME 1.10
    expect "attention $sense: report" "$(box_field 2 text)" "$EN_109$(entries 'E:ABC-DRIVE       1.02')"
    expect "attention $sense: every command repeated" \
        "$(trace_lines "^send E .* status 02 sense $sense" | wc -l) $(trace_lines '^send E .* status 00' | wc -l)" "5 5"
done

# No display: the confirmation cannot be shown, so nothing may run.
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5120 1.02)"
run_launcher --no-display -- ACME 1.10
expect "no box: status" "$e2e_rc" 1
expect "no box: nothing ran" "$(runs)" ""
expect "no box: no drive touched after the scan" "$(trace_lines '^open' | wc -l)" 26

# A malformed drive set stops the variant before anything else.
: >"$e2e_dir/trace.txt"
printf '[E]\ninquiry_revision = "1.02"\ncolour = "red"\n' >"$e2e_dir/drives.ini"
run_launcher -- ACME 1.10
expect "malformed: status" "$e2e_rc" 3
expect "malformed: message" "$(tr -d '\r' <"$e2e_dir/stderr")" "$FWLAUNCH_SIM_DRIVES:3: unknown key 'colour'"
expect "malformed: no box" "$(box_count)" 0
expect "malformed: no drive" "$(cat "$e2e_dir/trace.txt")" ""
finish
