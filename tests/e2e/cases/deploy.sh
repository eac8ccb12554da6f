# fwdeploy under Wine over the drive simulator, as a deployment engine runs
# it: consent, its exit statuses and outcomes, the JSON, report and log, no
# console and no display, a window station nobody sees (for fwlaunch too),
# one update run per machine, and a token that is not elevated.
source "$(dirname "$0")/../lib.sh"
forget_records

# Consent: without --yes nothing is opened, nothing runs.
drives <<<"$(target E 5120 1.02)"
package FW5120.exe
run_deploy -- ACME 1.10 --json
expect "no --yes: status" "$deploy_rc" 2
expect "no --yes: one line" "$(tr -d '\r' <"$e2e_dir/deploy.err")" \
    "fwdeploy: --yes is needed: fwdeploy starts the updaters without asking (usage: fwdeploy TAG NEWEST_REV --yes [--json] [--report FILE] [--log FILE] [--signer NAME | --sha256 FILE] [--args DIGITS=TEXT]... [--timeout MINUTES] [--allow-battery])"
expect "no --yes: no drive" "$(trace_lines '^open')" ""
expect "no --yes: nothing run" "$(runs)" ""

# Each outcome and its exit status, from the JSON document.
outcome_case() {
    local name=$1 status=$2 outcome=$3 results=$4
    shift 4
    : >"$e2e_dir/trace.txt"
    run_deploy -- ACME 1.10 --yes --json "$@"
    expect "$name: status" "$deploy_rc" "$status"
    expect "$name: outcome" "$(json_field 'd["outcome"], d["exit_code"]')" "$outcome, $status"
    expect "$name: results" "$(json_field '" ".join(x["letter"] + "=" + x["result"] for x in d["drives"])')" "$results"
}
drives <<<"$(target E 5120 1.02 ABC-DRIVE OTHR)"
outcome_case "no target" 0 no_target ""
drives <<<"$(target E 5120 1.10)"
outcome_case "current" 0 current "E=current"
drives <<<"$(target E 5120 1.02; target F 5121 1.10)"
outcome_case "updated" 0 updated "E=updated F=current"
expect "updated: one run" "$(runs)" "run FW5120.exe"
drives <<<"$(target E 5120 1.02; target G 5121 1.02)"
outcome_case "no updater for 5121" 1 failed "E=updated G=still_outdated"
# An updater that asks for a restart, and whose drive shows the update only then.
drives <<<"$(target E 5120 1.02 | sed '/^updated_by/d')"
# Each of them on a machine restarted since the last: no restart pending.
FAKE_UPDATER_EXIT_CODE=3010 outcome_case "restart" 3010 restart_required "E=restart_required"
forget_records
FAKE_UPDATER_EXIT_CODE=1641 outcome_case "restart started" 3010 restart_required "E=restart_required"
forget_records
FAKE_UPDATER_EXIT_CODE=0 outcome_case "not updated" 1 failed "E=still_outdated"

# The documented fields, and --report equal to what --json wrote.
drives <<<"$(target E 5120 1.02; target F 5121 1.10)"
run_deploy -- ACME 1.10 --yes --json --report 'report.json'
expect "json: fields" "$(json_field '(list(d), [list(x) for x in d["drives"]][0], list(d["updaters"][0]),
    d["drives"][0]["entry"], d["drives"][0]["revision_before"], d["drives"][0]["revision_after"],
    d["drives"][1]["revision_after"], d["updaters"][0]["model"], d["updaters"][0]["path"].endswith("\\FW5120.exe"),
    d["updaters"][0]["started"], d["updaters"][0]["exit_code"])')" \
    "['tag', 'newest_revision', 'outcome', 'exit_code', 'drives', 'refused_volumes', 'updaters', 'record'], ['letter', 'entry', 'model', 'revision_before', 'revision_after', 'result'], ['model', 'path', 'started', 'exit_code', 'state', 'reason', 'sha256', 'signer', 'arguments'], E:ABC-DRIVE       1.02, 1.02, 1.10, None, 5120, True, True, 0"
expect "report: the same document" "$(cmp "$e2e_dir/deploy.out" "$e2e_dir/report.json" && echo same)" same
expect "report: no partial file left" "$(ls "$e2e_dir" | grep -c partial)" 0

# The log: two runs appended, each line time-stamped, the first of each run
# naming program, version and arguments.
rm -f "$e2e_dir/deploy.log"
drives <<<"$(target E 5120 1.02)"
run_deploy -- ACME 1.10 --yes --log 'deploy.log'
run_deploy -- ACME 1.10 --yes --log 'deploy.log'
log=$(tr -d '\r' <"$e2e_dir/deploy.log")
version=$(head -1 "$e2e_root/VERSION")
expect "log: every line stamped" "$(grep -cvE '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z ' <<<"$log")" 0
expect "log: two runs" "$(grep -c " fwdeploy $version started with arguments: ACME 1.10 --yes --log deploy.log$" <<<"$log")" 2
expect "log: first run kept" "$(cut -d' ' -f2- <<<"$log" | grep -E '^(outcome|updater)')" \
    "$(printf 'updater 5120: starting %s (SHA-256 %s, signer "%s")\nupdater 5120: %s ended with exit code 0\noutcome updated, exit code 0\noutcome current, exit code 0' \
        "$(winpath "$e2e_dir/FW5120.exe")" "$(sha256sum <"$e2e_dir/FW5120.exe" | cut -d' ' -f1)" "$e2e_signer" \
        "$(winpath "$e2e_dir/FW5120.exe")")"
expect "log: the plain lines of the run" "$(cut -d' ' -f2- <<<"$log" | tail -2)" "$(tr -d '\r' <"$e2e_dir/deploy.out")"

# Files that cannot be written: status 2, nothing opened.
for option in --report --log; do
    : >"$e2e_dir/trace.txt"
    run_deploy -- ACME 1.10 --yes "$option" 'Z:\no\such\folder\file.txt'
    expect "unwritable $option: status" "$deploy_rc" 2
    expect "unwritable $option: message" "$(grep -c "cannot write the ${option#--} file" "$e2e_dir/deploy.err")" 1
    expect "unwritable $option: no drive" "$(trace_lines '^open')" ""
done

# No console at all and no display: it works as before.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
run_deploy --detached --no-display -- ACME 1.10 --yes
expect "detached: status" "$deploy_rc" 0
expect "detached: summary" "$(tr -d '\r' <"$e2e_dir/deploy.out" | tail -1)" "outcome updated, exit code 0"

# A window station that nobody sees: fwlaunch stops at once, without a box
# or a drive; fwdeploy does its work; an updater that cannot be started
# there ends fwdeploy with 1, not with a dialog that waits for ever.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
run_launcher --invisible-station -- ACME 1.10
expect "invisible, fwlaunch: status" "$e2e_rc" 1
expect "invisible, fwlaunch: message" "$(tr -d '\r' <"$e2e_dir/stderr")" \
    "fwlaunch: nobody can answer its boxes on this window station; fwdeploy is the program for unattended runs"
expect "invisible, fwlaunch: no drive" "$(trace_lines '^open')" ""
expect "invisible, fwlaunch: no box" "$(box_count)" 0
run_deploy --invisible-station -- ACME 1.10 --yes
expect "invisible, fwdeploy: status" "$deploy_rc" 0
expect "invisible, fwdeploy: run" "$(runs)" "run FW5120.exe"
drives <<<"$(target E 5120 1.02)"
rm "$e2e_dir/FW5120.exe"
plain_file FW5120.exe
sha256sum <"$e2e_dir/FW5120.exe" | sed 's/-$/FW5120.exe/' >"$e2e_dir/sums.txt"
: >"$e2e_dir/trace.txt"
run_deploy --invisible-station -- ACME 1.10 --yes --sha256 sums.txt
expect "invisible, no start: status" "$deploy_rc" 1
expect "invisible, no start: said so" "$(tr -d '\r' <"$e2e_dir/deploy.out" | grep -c 'FW5120.exe could not be started')" 1
rm "$e2e_dir/FW5120.exe"
package FW5120.exe

# One update run per machine: while a first fwdeploy's updater runs, a
# second fwdeploy answers 1618 and a fwlaunch answered OK starts nothing.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
(
    cd "$e2e_dir" && FAKE_UPDATER_GATE="$(winpath "$e2e_dir/updater-gate")" timeout "$E2E_RUN_TIMEOUT" \
        wine "$e2e_bin/drive-sim-run.exe" "$(winpath "$e2e_bin/fwdeploy.exe")" ACME 1.10 --yes \
        </dev/null >"$e2e_dir/first.out" 2>&1
    echo $? >"$e2e_dir/first.rc"
) &
first=$!
for _ in $(seq 1200); do grep -q '^waiting FW5120.exe' "$e2e_dir/trace.txt" 2>/dev/null && break; sleep 0.1; done
expect "lock: the first updater runs" "$(trace_lines '^waiting ')" "waiting FW5120.exe"
opens_before=$(trace_lines '^open' | wc -l)
run_deploy -- ACME 1.10 --yes --json
expect "lock: second fwdeploy" "$deploy_rc $(json_field 'd["outcome"], d["drives"], d["updaters"]')" "1618 busy, [], []"
expect "lock: second fwdeploy opened no drive" "$(trace_lines '^open' | wc -l)" "$opens_before"
run_launcher --answers ok,ok -- ACME 1.10
expect "lock: fwlaunch status" "$e2e_rc" 1
expect "lock: fwlaunch report" "$(box_field 2 text)" "$EN_108$(entries 'E:ABC-DRIVE       1.02')"
expect "lock: no updater started by either" "$(trace_lines '^(waiting|run) ')" "waiting FW5120.exe"
: >"$e2e_dir/updater-gate"
wait "$first"
expect "lock: first fwdeploy" "$(cat "$e2e_dir/first.rc")" 0
expect "lock: one run in all" "$(runs)" "run FW5120.exe"
check_run_trace 0 "$e2e_shipped_shas"

# A token that is not elevated: 5, one line, no drive.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
FWLAUNCH_SIM_TOKEN=limited run_deploy -- ACME 1.10 --yes --json
expect "limited token: status" "$deploy_rc" 5
expect "limited token: outcome" "$(json_field 'd["outcome"], d["drives"], d["updaters"]')" "not_elevated, [], []"
expect "limited token: one line" "$(wc -l <"$e2e_dir/deploy.err")" 1
expect "limited token: asked" "$(trace_lines '^token')" "token elevation query"
expect "limited token: no drive" "$(trace_lines '^open')" ""
finish
