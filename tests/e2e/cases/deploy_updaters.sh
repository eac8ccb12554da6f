# Which updaters the shipped programs start and how: executables of the
# model only, fwdeploy's signature and SHA-256 checks on a file nobody can
# change meanwhile, its arguments and time limit, a run that goes on while
# an updater lives, nothing after a restart was started, and battery power.
source "$(dirname "$0")/../lib.sh"
forget_records

updater_field() { json_field "d['updaters'][0]['$1']"; }
clear_folder() { rm -f "$e2e_dir"/*.exe "$e2e_dir"/*.txt "$e2e_dir"/*.pdf; }

# The wrong model's updater and files that are no updaters: a 5121 drive,
# a 5120 updater whose date holds 5121, and release notes.
drives <<<"$(target E 5121 1.02)"
package FW5120_20251215.exe
plain_file FW5121-notes.txt
plain_file 'FW5121 Release Notes.pdf'
run_launcher --answers ok,ok -- ACME 1.10
expect "wrong model, fwlaunch: nothing run" "$(runs)" ""
expect "wrong model, fwlaunch: report" "$(box_field "$(box_count)" text)" "$EN_108$(entries 'E:ABC-DRIVE       1.02')"
run_deploy -- ACME 1.10 --yes --json
expect "wrong model, fwdeploy" "$deploy_rc $(updater_field state), $(updater_field reason | sed 's/: .*//')" \
    "1 refused, not an executable candidate"
expect "wrong model: nothing run by either" "$(runs)" ""
clear_folder

# Signatures and sums, with the shipped fwdeploy. Under Wine a signature
# verifies without a trusted root; the chain is Windows' own check.
signed_sha=$(sha256sum <"$e2e_updaters/signed.exe" | cut -d' ' -f1)
cp "$e2e_updaters/signed.exe" "$e2e_updaters/tampered.exe"
printf 'X' | dd of="$e2e_updaters/tampered.exe" bs=1 seek=80 conv=notrunc 2>/dev/null  # the DOS stub
printf '# approved updaters\n%s  FW5120.exe\n' "$(sha256sum <"$e2e_bin/fake-updater.exe" | cut -d' ' -f1)" \
    >"$e2e_dir/unsigned-sums.txt"
printf '%s  FW5120.exe\n' "$signed_sha" | tr 0-9a-f 1-9a-f0 >"$e2e_dir/other-sums.txt"
trust_case() {
    local name=$1 file=$2 status=$3 state=$4 reason=$5
    shift 5
    drives <<<"$(target E 5120 1.02)"
    rm -f "$e2e_dir/FW5120.exe"
    case $file in
        signed) package FW5120.exe ;;
        unsigned) unsigned_package FW5120.exe ;;
        tampered) cp "$e2e_updaters/tampered.exe" "$e2e_dir/FW5120.exe" ;;
    esac
    : >"$e2e_dir/trace.txt"
    run_deploy -- ACME 1.10 --yes --json "$@"
    expect "$name: status and state" "$deploy_rc $(updater_field state)" "$status $state"
    expect "$name: reason" "$(updater_field reason)" "$reason"
    if [ "$state" = ended ]; then
        expect "$name: ran" "$(runs)" "run FW5120.exe"
        expect "$name: its SHA-256" "$(updater_field sha256)" "$(sha256sum <"$e2e_dir/FW5120.exe" | cut -d' ' -f1)"
    else
        expect "$name: not run" "$(runs)" ""
        expect "$name: drive still outdated" "$(json_field 'd["drives"][0]["result"]')" still_outdated
    fi
}
trust_case "signed" signed 0 ended None
expect "signed: signer" "$(updater_field signer)" "$e2e_signer"
trust_case "unsigned" unsigned 1 refused unsigned
trust_case "tampered" tampered 1 refused "signature does not verify (0x80096010)"
trust_case "signer named" signed 0 ended None --signer "$e2e_signer"
trust_case "other signer" signed 1 refused "signer differs: \"$e2e_signer\"" --signer "KDR Vendor Inc."
trust_case "unsigned, listed" unsigned 0 ended None --sha256 unsigned-sums.txt
trust_case "listed name, other hash" signed 1 refused "SHA-256 not listed" --sha256 other-sums.txt

# While the updater runs its file can be neither overwritten, deleted nor
# renamed (a running image alone does not stop a rename), and it is given
# its model's arguments.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
rm -f "$e2e_dir/gate"
(
    for _ in $(seq 1200); do grep -q '^waiting FW5120.exe' "$e2e_dir/trace.txt" 2>/dev/null && break; sleep 0.1; done
    (cd "$e2e_dir" && wine cmd /c 'copy /y unsigned-sums.txt FW5120.exe' >/dev/null 2>&1
     wine cmd /c 'del FW5120.exe' >/dev/null 2>&1
     wine cmd /c 'ren FW5120.exe moved.exe' >/dev/null 2>&1)
    { sha256sum <"$e2e_dir/FW5120.exe" | cut -d' ' -f1; ls "$e2e_dir" | grep -c '^moved.exe$'; } >"$e2e_dir/during.txt"
    : >"$e2e_dir/gate"
) &
writer=$!
FAKE_UPDATER_GATE="$(winpath "$e2e_dir/gate")" run_deploy -- ACME 1.10 --yes --json --args '5120=/s /f'
wait "$writer"
expect "held: the file was not changed while it ran" "$(cat "$e2e_dir/during.txt")" "$(printf '%s\n0' "$signed_sha")"
expect "held: run with its arguments" "$(runs)" "run FW5120.exe /s /f"
expect "held: status" "$deploy_rc $(updater_field arguments)" "0 /s /f"

# The run goes on while an updater lives: fwdeploy (and then fwlaunch) is
# ended while its updater waits; another fwdeploy answers 1618 and opens
# nothing until the updater has ended.
start_held_run() {
    drives <<<"$(target E 5120 1.02)"
    : >"$e2e_dir/trace.txt"
    rm -f "$e2e_dir/gate"
    (
        cd "$e2e_dir" && FAKE_UPDATER_GATE="$(winpath "$e2e_dir/gate")" timeout "$E2E_RUN_TIMEOUT" \
            wine "$e2e_bin/drive-sim-run.exe" "$@" </dev/null >/dev/null 2>&1
    ) &
    held_run=$!
    for _ in $(seq 1200); do grep -q '^waiting FW5120.exe' "$e2e_dir/trace.txt" 2>/dev/null && break; sleep 0.1; done
    expect "$1: updater waiting" "$(trace_lines '^waiting ')" "waiting FW5120.exe"
}
# Ends a program as TerminateProcess would: its Linux process is killed, and
# the wineserver ends the Windows process. (Wine's taskkill does not find a
# program by name where 32-bit code runs through qemu.)
end_program() {
    local pids
    pids=$(ps -eo pid=,args= | NAME="\\$1 " awk 'index($0, ENVIRON["NAME"]) && !/drive-sim-run|timeout/ { print $1 }')
    [ -n "$pids" ] && kill -KILL $pids
}
for program in fwdeploy fwlaunch; do
    box_helper_start "$e2e_dir" ok,ok --console-window
    if [ $program = fwdeploy ]; then
        start_held_run "$(winpath "$e2e_bin/fwdeploy.exe")" ACME 1.10 --yes
    else
        start_held_run "$(winpath "$e2e_bin/fwlaunch.exe")" ACME 1.10
    fi
    end_program $program.exe
    wait "$held_run"
    box_helper_stop "$e2e_dir"
    opens=$(trace_lines '^open' | wc -l)
    run_deploy -- ACME 1.10 --yes --json
    expect "$program ended: next fwdeploy busy" "$deploy_rc $(json_field 'd["outcome"]')" "1618 busy"
    expect "$program ended: it opened no drive" "$(trace_lines '^open' | wc -l)" "$opens"
    : >"$e2e_dir/gate"
    for _ in $(seq 100); do grep -q '^run FW5120.exe' "$e2e_dir/trace.txt" && break; sleep 0.1; done
    sleep 1
    run_deploy -- ACME 1.10 --yes --json
    expect "$program ended: after the updater, a run proceeds" "$deploy_rc $(json_field 'd["outcome"]')" "0 current"
    expect "$program ended: one updater in all" "$(runs)" "run FW5120.exe"
done

# An updater still running at the limit is left running; the drives are
# verified and the run ends with 1.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
rm -f "$e2e_dir/gate"
FAKE_UPDATER_GATE="$(winpath "$e2e_dir/gate")" run_deploy -- ACME 1.10 --yes --json --timeout 1
expect "timeout: status and outcome" "$deploy_rc $(json_field 'd["outcome"]') $(updater_field state)" "1 timed_out timed_out"
expect "timeout: verified" "$(json_field 'd["drives"][0]["revision_after"]')" "1.02"
expect "timeout: the updater was left waiting" "$(trace_lines '^(waiting|run) ')" "waiting FW5120.exe"
run_deploy -- ACME 1.10 --yes --json
expect "timeout: still busy" "$deploy_rc" 1618
: >"$e2e_dir/gate"
for _ in $(seq 100); do grep -q '^run FW5120.exe' "$e2e_dir/trace.txt" && break; sleep 0.1; done
sleep 1

# After an updater that started a restart, nothing more starts.
drives <<<"$(target E 5120 1.02; target F 5121 1.02)"
package FW5121.exe
: >"$e2e_dir/trace.txt"
FAKE_UPDATER_EXIT_CODE=1641 run_deploy -- ACME 1.10 --yes --json
expect "1641, fwdeploy" "$deploy_rc $(json_field 'd["updaters"][1]["state"], d["updaters"][1]["reason"]')" \
    "1 not_started, a restart is under way"
drives <<<"$(target E 5120 1.02; target F 5121 1.02)"
FAKE_UPDATER_EXIT_CODE=1641 run_launcher --answers ok,ok -- ACME 1.10
expect "1641: one updater each" "$(runs)" "run FW5120.exe run FW5120.exe"
rm "$e2e_dir/FW5121.exe"

# On battery power nothing is opened unless it is allowed.
drives <<<"$(target E 5120 1.02)"
: >"$e2e_dir/trace.txt"
FWLAUNCH_SIM_POWER=battery run_deploy -- ACME 1.10 --yes --json
expect "battery" "$deploy_rc $(json_field 'd["outcome"]')" "1618 on_battery"
expect "battery: asked" "$(trace_lines '^power')" "power status query"
expect "battery: no drive" "$(trace_lines '^open')" ""
FWLAUNCH_SIM_POWER=battery run_deploy -- ACME 1.10 --yes --json --allow-battery
expect "battery allowed" "$deploy_rc $(json_field 'd["outcome"]')" "0 updated"
finish
