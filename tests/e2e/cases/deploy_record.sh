# What fwdeploy leaves on the machine and answers from it, under Wine, whose
# registry is real: the record a detection rule reads, a restart that is
# waited for (volatile keys go when the prefix's wineserver ends, which is
# the restart here), volumes that refuse to open, the lock's names held by
# objects an administrator did not make, and files that cannot get in the
# way; fwprobe while an update runs; fwlaunch in session 0.
source "$(dirname "$0")/../lib.sh"
forget_records

# The record after an update, in the registry's 64-bit view (the prefix is
# a 64-bit one and fwdeploy a 32-bit program).
drives <<<"$(target E 5120 1.02)"
package FW5120.exe
run_deploy -- ACME 1.10 --yes --json
expect "record: run" "$deploy_rc $(json_field 'd["outcome"], d["record"]')" "0 updated, {'written': True, 'error': None}"
read_records
expect "record: values" "$(for v in NewestRevision Outcome ExitCode Version VerifiedRevision; do record_value ACME $v; done)" \
    "$(printf 'REG_SZ 1.10\nREG_SZ updated\nREG_DWORD 0x0\nREG_SZ %s\nREG_SZ 1.10' "$(head -1 "$e2e_root/VERSION")")"
expect "record: finished in UTC" "$(record_value ACME Finished | grep -cE '^REG_SZ [0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z$')" 1
expect "record: not in the 32-bit view" "$(wine reg query 'HKLM\SOFTWARE\fwlaunch' /reg:32 >/dev/null 2>&1 && echo there)" ""

# A run that cannot verify deletes VerifiedRevision; one that opened no
# drive leaves it, and updates the rest.
run_deploy -- ACME 1.10 --yes
FWLAUNCH_SIM_POWER=battery run_deploy -- ACME 1.10 --yes
read_records
expect "record: on battery" "$deploy_rc $(record_value ACME Outcome) $(record_value ACME VerifiedRevision)" \
    "1618 REG_SZ on_battery REG_SZ 1.10"
rm "$e2e_dir/FW5120.exe"
drives <<<"$(target E 5120 1.02)"
run_deploy -- ACME 1.10 --yes
read_records
expect "record: failed" "$deploy_rc $(record_value ACME Outcome) $(record_value ACME ExitCode)" "1 REG_SZ failed REG_DWORD 0x1"
expect "record: failed, nothing verified" "$(record_value ACME VerifiedRevision)" ""
package FW5120.exe

# A volume that refuses to open: fwdeploy's answer is incomplete, fwprobe's 3.
drives <<<"$(target E 5120 1.02; printf '[H]\nopens = denied\n[I]\nopens = 32\n[J]\nopens = 21\n')"
run_deploy -- ACME 1.10 --yes --json
expect "refused: fwdeploy" "$deploy_rc $(json_field 'd["outcome"], d["drives"][0]["result"], d["refused_volumes"]')" \
    "1 incomplete, updated, [{'letter': 'H', 'error': 5}, {'letter': 'I', 'error': 32}]"
read_records
expect "refused: recorded" "$(record_value ACME Outcome) $(record_value ACME VerifiedRevision)" "REG_SZ incomplete "
run_probe ACME 1.10
expect "refused: fwprobe" "$probe_rc $(tr -d '\r' <"$e2e_dir/probe.out" | grep -E '^(H|I):')" \
    "3 H: access denied (start fwprobe as administrator to read this drive)
I: held by another program (Windows error 32)"

# A restart that is waited for: after 3010, a retry opens nothing, starts
# nothing and answers 3010 again, until the restart.
drives <<<"$(target E 5120 1.02 | sed '/^updated_by/d')"
FAKE_UPDATER_EXIT_CODE=3010 run_deploy -- ACME 1.10 --yes --json
expect "restart: first run" "$deploy_rc $(json_field 'd["outcome"]')" "3010 restart_required"
read_records
expect "restart: pending" "$(record_value 'ACME\RestartPending' NewestRevision)" "REG_SZ 1.10"
: >"$e2e_dir/trace.txt"
run_deploy -- ACME 1.10 --yes --json
expect "restart: retry" "$deploy_rc $(json_field 'd["outcome"]')" "3010 restart_pending"
expect "restart: retry opened nothing" "$(trace_lines '^open')" ""
expect "restart: retry ran nothing" "$(runs)" ""
expect "restart: retry said why" "$(tr -d '\r' <"$e2e_dir/deploy.err")" \
    "fwdeploy: an earlier run updated drives to 1.10 that show it after the restart still to come: restart Windows; no drive was opened"
# The restart: every process of the prefix ends with its wineserver.
# The new wineserver outlives the case: it must not hold the case's output open.
wineserver -k
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
# The desktop's keeper ended with it: a new one serves the tests that follow,
# until the session's own wineserver ends.
desktop_keeper_start "$(mktemp -d /tmp/fwlaunch-keeper.XXXXXX)"
disown "$keeper_pid"
read_records
expect "restart: the volatile key is gone" "$(record_value 'ACME\RestartPending' NewestRevision)" ""
expect "restart: the record stays" "$(record_value ACME Outcome)" "REG_SZ restart_pending"
drives <<<"$(target E 5120 1.10)"
run_deploy -- ACME 1.10 --yes --json
read_records
expect "restart: after it" "$deploy_rc $(json_field 'd["outcome"]') $(record_value ACME VerifiedRevision)" "0 current REG_SZ 1.10"

# The lock's names held by a standard user's objects (made with default
# rights, which under Wine have no owner): they block no update, and a job
# of the updaters' name with a live process does not make a run busy.
holders=()
hold() {
    wine "$e2e_bin/hold-object.exe" "$1" "$2" "$(winpath "$e2e_dir/held-$1")" "$(winpath "$e2e_dir/release")" &
    holders+=($!)
    for _ in $(seq 600); do [ -e "$e2e_dir/held-$1" ] && break; sleep 0.1; done
}
rm -f "$e2e_dir/release"
hold mutex 'Global\fwlaunch-update-run'
hold event 'Global\fwlaunch-update-run-2'
hold job 'Global\fwlaunch-updaters'
expect "squatters: all held" "$(ls "$e2e_dir" | grep -c '^held-')" 3
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
run_deploy -- ACME 1.10 --yes
expect "squatters: the run goes on" "$deploy_rc $(runs)" "0 run FW5120.exe"
expect "squatters: said so" "$(tr -d '\r' <"$e2e_dir/deploy.out" | grep -c 'held by an object no administrator made: it was passed over')" 1
drives <<<"$(target E 5120 1.10)"
run_probe ACME 1.10
expect "squatters: fwprobe reads" "$probe_rc" 0
: >"$e2e_dir/release"
wait "${holders[@]}"
rm -f "$e2e_dir"/held-*

# While an updater runs, fwprobe touches no drive and answers 4.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
rm -f "$e2e_dir/updater-gate"
mkdir -p "$e2e_dir/out"
echo '{"outcome": "updated"}' >"$e2e_dir/out/report.json"
(
    cd "$e2e_dir" && FAKE_UPDATER_GATE="$(winpath "$e2e_dir/updater-gate")" timeout "$E2E_RUN_TIMEOUT" \
        wine "$e2e_bin/drive-sim-run.exe" "$(winpath "$e2e_bin/fwdeploy.exe")" ACME 1.10 --yes --report 'out\report.json' \
        </dev/null >"$e2e_dir/first.out" 2>"$e2e_dir/first.err"
    echo $? >"$e2e_dir/first.rc"
) &
first=$!
for _ in $(seq 1200); do grep -q '^waiting FW5120.exe' "$e2e_dir/trace.txt" 2>/dev/null && break; sleep 0.1; done
opens_before=$(trace_lines '^open' | wc -l)
run_probe ACME 1.10
expect "busy: fwprobe" "$probe_rc $(tr -d '\r' <"$e2e_dir/probe.err")" \
    "4 fwprobe: an update run is going on: no drive was read; run fwprobe again when it has ended"
expect "busy: fwprobe opened nothing" "$(trace_lines '^open' | wc -l)" "$opens_before"
# The earlier report is gone from the start; the folder is taken away
# before the end, so this run's cannot be written: no success.
expect "report: the earlier one removed at the start" "$(ls "$e2e_dir/out")" ""
rm -rf "$e2e_dir/out"
: >"$e2e_dir/out"
: >"$e2e_dir/updater-gate"
wait "$first"
expect "report: unwritable at the end" "$(cat "$e2e_dir/first.rc") $(tr -d '\r' <"$e2e_dir/first.err")" \
    "1 fwdeploy: cannot write the report file out\\report.json"
read_records
expect "report: the record says 1" "$(record_value ACME Outcome) $(record_value ACME ExitCode)" "REG_SZ updated REG_DWORD 0x1"
rm -f "$e2e_dir/out"

# A temporary file an earlier run left beside the report is in nobody's way.
: >"$e2e_dir/report.json.partial"
drives <<<"$(target E 5120 1.10)"
run_deploy -- ACME 1.10 --yes --report 'report.json'
expect "report: beside an old partial file" "$deploy_rc $(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["outcome"])' "$e2e_dir/report.json")" "0 current"
expect "report: no new partial file left" "$(ls "$e2e_dir" | grep partial)" "report.json.partial"
# A log that is a hard link to another file is not written through.
: >"$e2e_dir/elsewhere.txt"
ln "$e2e_dir/elsewhere.txt" "$e2e_dir/linked.log"
run_deploy -- ACME 1.10 --yes --log 'linked.log'
expect "log: a hard link is refused" "$deploy_rc $(grep -c 'cannot write the log file linked.log' "$e2e_dir/deploy.err")" "2 1"
expect "log: nothing written through it" "$(wc -c <"$e2e_dir/elsewhere.txt")" 0

# fwlaunch in session 0, which says its station is visible: no box, status 1.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
FWLAUNCH_SIM_SESSION=0 run_launcher -- ACME 1.10
expect "session 0: status" "$e2e_rc" 1
expect "session 0: no box" "$(box_count)" 0
expect "session 0: asked" "$(trace_lines '^session')" "session query"
expect "session 0: said so" "$(tr -d '\r' <"$e2e_dir/stderr")" \
    "fwlaunch: nobody can answer its boxes on this window station; fwdeploy is the program for unattended runs"
expect "session 0: nothing opened" "$(trace_lines '^open')" ""
finish
