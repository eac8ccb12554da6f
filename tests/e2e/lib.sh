# Sourced by each end-to-end case: a temporary folder with the drive-set file
# and packages; the product itself run there under Wine through the drive
# simulator's starter, with the box helper answering its boxes; checks on
# boxes, trace and exit status. Every run must be of the product's own bytes
# and must send the simulated drives nothing a driver would refuse.
set -u
e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$e2e_root/testing/scripts/wine-env.sh"
source "$e2e_root/testing/scripts/box-session.sh"
e2e_bin=${FWLAUNCH_BIN:-$e2e_root/build/win32}
e2e_dir=$(mktemp -d /tmp/fwlaunch-e2e.XXXXXX)
# The signed updater, kept outside the folder that a case may empty.
e2e_updaters=$(mktemp -d /tmp/fwlaunch-e2e-updaters.XXXXXX)
e2e_failures=0
trap 'rm -rf "$e2e_dir" "$e2e_updaters"' EXIT

winpath() { box_winpath "$1"; }

: >"$e2e_dir/drives.ini"
e2e_product_sha=$(sha256sum <"$e2e_bin/fwlaunch.exe")
e2e_probe_sha=$(sha256sum <"$e2e_bin/fwprobe.exe")
e2e_deploy_sha=$(sha256sum <"$e2e_bin/fwdeploy.exe")
e2e_shipped_shas=$(printf '%s\n' "$e2e_product_sha" "$e2e_probe_sha" "$e2e_deploy_sha")
export FWLAUNCH_SIM_DRIVES="$(winpath "$e2e_dir/drives.ini")"
export FWLAUNCH_SIM_TRACE="$(winpath "$e2e_dir/trace.txt")"

# fwdeploy's records live in the prefix's registry, which every case shares:
# a case that runs fwdeploy starts without them, since a restart pending
# from one run would answer the next. (reg.exe takes seconds a call.)
forget_records() { wine reg delete 'HKLM\SOFTWARE\fwlaunch' /f /reg:64 >/dev/null 2>&1; }
# read_records: every key and value under HKLM\SOFTWARE\fwlaunch\fwdeploy
# in the registry's 64-bit view, as reg.exe shows them, for record_value.
read_records() {
    e2e_records=$(wine reg query 'HKLM\SOFTWARE\fwlaunch\fwdeploy' /s /reg:64 2>/dev/null | tr -d '\r')
}
# record_value KEY NAME: "TYPE DATA" of a value read by read_records (KEY
# below ...\fwdeploy), or nothing when there is none.
record_value() {
    RECORD_KEY="HKEY_LOCAL_MACHINE\SOFTWARE\fwlaunch\fwdeploy\\$1" RECORD_NAME="$2" awk '
        /^HKEY_/ { here = (toupper($0) == toupper(ENVIRON["RECORD_KEY"])); next }
        here && $1 == ENVIRON["RECORD_NAME"] { $1 = ""; sub(/^ +/, ""); print }' <<<"$e2e_records"
}

# The drive-set file, from standard input.
drives() { cat >"$e2e_dir/drives.ini"; }

# The fake updater signed with a throwaway certificate, as a vendor signs
# its updaters (under Wine a signature verifies without a trusted root).
e2e_signer="fwlaunch e2e test vendor"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$e2e_signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$e2e_updaters/signer-key.pem" -out "$e2e_updaters/signer-cert.pem" 2>/dev/null
osslsigncode sign -certs "$e2e_updaters/signer-cert.pem" -key "$e2e_updaters/signer-key.pem" -h sha256 \
    -n "fake updater" -in "$e2e_bin/fake-updater.exe" -out "$e2e_updaters/signed.exe" >/dev/null
# An updater package: the signed fake updater under the given name.
package() { cp "$e2e_updaters/signed.exe" "$e2e_dir/$1"; }
# The same, unsigned.
unsigned_package() { cp "$e2e_bin/fake-updater.exe" "$e2e_dir/$1"; }
# A plain file in the launcher's folder.
plain_file() { : >"$e2e_dir/$1"; }

# A drive section of the usual layout: LETTER DIGITS REVISION [PRODUCT] [TAG]
target() {
    printf '[%s]\nvendor_identity = "KDR %s%s"\ninquiry_vendor = "VENDOR"\ninquiry_product = "%s"\n' \
        "$1" "$2" "${5:-ACME}" "${4:-ABC-DRIVE}"
    printf 'inquiry_revision = "%s"\nupdated_by = "%s"\nrevision_after_update = "1.10"\n\n' "$3" "$2"
}

# A run that waits on something nobody can answer ends here: status 124.
E2E_RUN_TIMEOUT=${E2E_RUN_TIMEOUT:-300}

# run_launcher [--answers LIST] [--gate] [--pty] [--no-helper-console] [--no-display]
#              [--invisible-station] -- ARGS...
run_launcher() {
    local answers=ok,ok gate="" pty=no console=--console-window display=yes starter_args=()
    while [ "$1" != -- ]; do
        case $1 in
            --answers) answers=$2; shift ;;
            --gate) gate=$(winpath "$e2e_dir/gate") ;;
            --pty) pty=yes ;;
            --no-helper-console) console="" ;;
            --no-display) display=no ;;
            --invisible-station) starter_args+=("$1") ;;
        esac
        shift
    done
    shift
    local helper_args=()
    [ -n "$console" ] && helper_args+=("$console")
    [ -n "$gate" ] && helper_args+=(--gate "$gate")
    box_helper_start "$e2e_dir" "$answers" "${helper_args[@]}"
    local cmd=(timeout "$E2E_RUN_TIMEOUT" wine "$e2e_bin/drive-sim-run.exe" "${starter_args[@]}"
               "$(winpath "$e2e_bin/fwlaunch.exe")" "$@")
    local trace_before
    trace_before=$(trace_length)
    (
        cd "$e2e_dir" || exit 99
        [ "$display" = no ] && unset DISPLAY
        if [ "$pty" = yes ]; then
            script -qec "$(printf '%q ' "${cmd[@]}")" /dev/null </dev/null >"$e2e_dir/stdout" 2>"$e2e_dir/stderr"
        else
            "${cmd[@]}" </dev/null >"$e2e_dir/stdout" 2>"$e2e_dir/stderr"
        fi
    )
    e2e_rc=$?
    box_helper_stop "$e2e_dir"
    check_run_trace "$trace_before" "$e2e_product_sha"
}

# run_probe ARGS...: the probe in the folder, its output in probe.out and
# probe.err, its exit status in probe_rc. It needs no console window.
run_probe() {
    local trace_before
    trace_before=$(trace_length)
    (cd "$e2e_dir" && wine "$e2e_bin/drive-sim-run.exe" "$(winpath "$e2e_bin/fwprobe.exe")" "$@" \
        </dev/null >"$e2e_dir/probe.out" 2>"$e2e_dir/probe.err")
    probe_rc=$?
    check_run_trace "$trace_before" "$e2e_probe_sha"
}

# run_deploy [--invisible-station] [--detached] [--no-display] -- ARGS...:
# fwdeploy in the folder, its output in deploy.out and deploy.err, its whole
# exit status (3010, not the low byte a shell sees) in deploy_rc. Nobody
# answers anything for it.
run_deploy() {
    local starter_args=() display=yes trace_before
    while [ "$1" != -- ]; do
        case $1 in
            --invisible-station | --detached) starter_args+=("$1") ;;
            --no-display) display=no ;;
        esac
        shift
    done
    shift
    trace_before=$(trace_length)
    (
        cd "$e2e_dir" || exit 99
        [ "$display" = no ] && unset DISPLAY
        rm -f "$e2e_dir/deploy.status"
        timeout "$E2E_RUN_TIMEOUT" wine "$e2e_bin/drive-sim-run.exe" "${starter_args[@]}" \
            --status-file "$(winpath "$e2e_dir/deploy.status")" \
            "$(winpath "$e2e_bin/fwdeploy.exe")" "$@" </dev/null >"$e2e_dir/deploy.out" 2>"$e2e_dir/deploy.err"
    )
    deploy_rc=$?
    [ -s "$e2e_dir/deploy.status" ] && deploy_rc=$(tr -d '\r\n' <"$e2e_dir/deploy.status")
    check_run_trace "$trace_before" "$e2e_deploy_sha"
}

# A field of fwdeploy's JSON document in deploy.out, by a Python expression on d.
json_field() {
    python3 -c 'import json,sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
v = eval(sys.argv[2])
print(", ".join(map(str, v)) if isinstance(v, tuple) else v)' \
        "$e2e_dir/deploy.out" "$1"
}

# The trace's lines so far: a run's own lines come after them.
trace_length() { cat "$e2e_dir/trace.txt" 2>/dev/null | wc -l; }

# The lines a run added to the trace (from line $1 on): no violation, and
# every program that ran is a shipped one (one of the SHA-256 sums in $2,
# a line each) byte for byte.
check_run_trace() {
    local added line path sha
    added=$(tail -n +"$(($1 + 1))" "$e2e_dir/trace.txt" 2>/dev/null)
    expect "no violation in the run" "$(grep '^violation' <<<"$added")" ""
    # Each command's whole request block, in the layout of the program's build.
    local block_bytes=80
    [ "${FWLAUNCH_ARCH:-i686}" = x86_64 ] && block_bytes=88
    expect "a block of $block_bytes bytes before every command" \
        "$(awk -v n="$block_bytes" '/^block [A-Z] / && NF == n + 2 { b++ } /^send [A-Z] / { s++ } END { print b + 0, s + 0 }' <<<"$added")" \
        "$(grep -c '^send [A-Z] ' <<<"$added") $(grep -c '^send [A-Z] ' <<<"$added")"
    while read -r line; do
        path=$(sed -e 's/^program Z://' -e 's/\\/\//g' <<<"$line" | tr -d '\r')
        sha=$(sha256sum <"$path")
        expect "the program run is the shipped one" "$(grep -cxF "$sha" <<<"$2")" 1
    done < <(grep '^program ' <<<"$added")
}

# Field of the Nth box (from 1): caption, text, buttons, owner, icon, answer.
box_field() {
    awk -v n="$1" -v f="$2: " '$0 == "box" { k++ } k == n && index($0, f) == 1 { print substr($0, length(f) + 1); exit }' \
        "$e2e_dir/boxes.txt"
}
box_count() { grep -c '^box$' "$e2e_dir/boxes.txt"; }
trace_lines() { grep -E "$1" "$e2e_dir/trace.txt" 2>/dev/null; }
runs() { trace_lines '^run ' | tr '\n' ' ' | sed 's/ $//'; }

expect() {
    local what=$1 actual=$2 expected=$3
    if [ "$actual" != "$expected" ]; then
        echo "FAIL $what"
        echo "  expected: $expected"
        echo "  actual:   $actual"
        e2e_failures=$((e2e_failures + 1))
    fi
}

# The texts the boxes must show, with CR and LF written as \r and \n.
EN_105='target device(s) is found.\r\nIt will update all drives .\r\n---------- target drive list ----------'
EN_106='FW is already the latest version.'
EN_107='Available target is not found.'
EN_108='The following drive failed to update.'
EN_109='Update operation is completed.\r\n---------- updated drive list ----------'
JA_105_HEAD='このﾌﾟﾛｸﾞﾗﾑで利用可能なﾄﾞﾗｲﾌﾞが'
JA_105_TAIL='台見つかりました。\r\nすべてのﾄﾞﾗｲﾌﾞを自動的にｱｯﾌﾟﾃﾞｰﾄします。\r\n---------- ｱｯﾌﾟﾃﾞｰﾄ可能なﾄﾞﾗｲﾌﾞ----------'
JA_107='このﾌﾟﾛｸﾞﾗﾑで利用可能なﾄﾞﾗｲﾌﾞがありません。'
JA_108='以下のドライブのｱｯﾌﾟﾃﾞｰﾄに失敗しました。'
JA_109='ｱｯﾌﾟﾃﾞｰﾄﾌﾟﾛｸﾞﾗﾑは完了しました。\r\n---------- ｱｯﾌﾟﾃﾞｰﾄしたﾄﾞﾗｲﾌﾞ----------'

# A list of entries, each after the separator LF CR.
entries() { local e; for e in "$@"; do printf '\\n\\r%s' "$e"; done; }

finish() {
    if [ "$e2e_failures" -ne 0 ]; then
        echo "--- boxes"; cat "$e2e_dir/boxes.txt" 2>/dev/null
        echo "--- trace"; cat "$e2e_dir/trace.txt" 2>/dev/null
        echo "--- stdout/stderr"; cat "$e2e_dir/stdout" "$e2e_dir/stderr" 2>/dev/null
        exit 1
    fi
    echo "ok"
}
