# The probe under Wine over the drive simulator: it agrees with the
# launcher, its captures replay into the same JSON and the same launcher run,
# bad usage touches no drive, and its JSON parses with the documented fields.
source "$(dirname "$0")/../lib.sh"
package FW5120.exe

# The outdated letters in the probe's JSON, and in the launcher's
# confirmation (none when it shows another box).
probe_outdated() {
    python3 -c 'import json,sys; print("".join(d["letter"] for d in json.load(open(sys.argv[1]))["drives"] if d["verdict"] == "outdated"))' \
        "$e2e_dir/probe.out"
}
launcher_targets() {
    box_field 1 text | grep -o '\\n\\r[C-Z]:' | tr -d '\\nr:' | tr -d '\n'
}

cmd_drives() {
    target C 5120 1.02
    target D 5121 1.10
    target E 5121 1.02 ABC-DRIVE OTHR
    printf '[F]\nvendor_identity = "XYZ 9000ACME"\n\n'
    printf '[G]\nvendor_identity = "KDR 5120ACME"\ninquiry_product = "A\\x00C"\ninquiry_revision = "1.10"\n\n'
    printf '[H]\nvendor_identity = "KDR 5120ACME"\ninquiry_status = 02\ninquiry_sense_hex = 70 00 02 00 00 00 00 0A 00 00 00 00 3A 00\n\n'
    printf '[I]\nopens = denied\n\n'
    printf '[J]\nvendor_identity = "KDR 5121ACME"\ninquiry_hex =\n\n'
    printf '[K]\nvendor_identity_status = 02\nvendor_identity_sense_hex = 70 00 05 00 00 00 00 0A 00 00 00 00 24 00\n\n'
    printf '[L]\nvendor_identity = "KDR 5121ACME"\ninquiry_product = "\\x83\\x65\\x83\\x58\\x83\\x67"\ninquiry_revision = "1.10"\n\n'
    printf '[M]\nvendor_identity = "KDR 5120ACME"\nunit_attentions = 2\ninquiry_product = "ABC-DRIVE"\ninquiry_revision = "1.02"\n\n'
}

# Agreement: for each tag and newest revision, the probe's outdated drives
# are the launcher's targets. One volume refuses to open: without an
# outdated target the answer is incomplete (3).
drives <<<"$(cmd_drives)"
for args in "ACME 1.10" "ACME 1.02" "OTHR 1.02" "ACME 9.99"; do
    read -r tag rev <<<"$args"
    run_probe "$tag" "$rev" --json
    run_launcher --answers cancel -- "$tag" "$rev"
    expect "agreement $args: outdated" "$(probe_outdated)" "$(launcher_targets)"
    expect "agreement $args: status" "$probe_rc" "$([ -n "$(launcher_targets)" ] && echo 1 || echo 3)"
done

# The JSON parses with a standard parser and carries the documented fields;
# the system part names this build and what Wine here runs it on.
run_probe ACME 1.10 --json
process_arch=x86
[ "${FWLAUNCH_ARCH:-i686}" = x86_64 ] && process_arch=x64
expect "json: fields" "$(python3 - "$e2e_dir/probe.out" <<'PY'
import json, re, sys
d = json.load(open(sys.argv[1], encoding="utf-8"))
drive_keys = ["letter", "open", "vendor_identity", "model", "carries_tag", "inquiry", "verdict", "package", "answers"]
s = d["system"]
print(sorted(d) == ["drives", "newest_revision", "summary", "system", "tag"],
      all([k for k in x if k != "bus_type"][:len(drive_keys)] == drive_keys for x in d["drives"]),
      all(x.get("bus_type") == ("sas" if x["open"] == "ok" else None) for x in d["drives"]),
      sorted(d["summary"]) == ["current", "outdated", "refused", "targets", "without_volume"],
      d["drives"][0]["package"].endswith("\\FW5120.exe"), d["drives"][1]["package"],
      [x["open"] for x in d["drives"] if x["open"] != "ok"], d["summary"]["without_volume"],
      s["process_architecture"], s["machine_architecture"], s["windows_pe"],
      bool(re.fullmatch(r"\d+\.\d+\.\d+", s["windows_version"])))
PY
)" "True True True True True None ['access_denied'] 13 $process_arch x64 False True"

# The bus: asked once per volume that opens, in its first open and before
# any command; the likely reason for a drive not recognised on NVMe or RAID.
drives <<<"$(printf '[E]\ninquiry_product = "NVME-SSD"\nbus_type = nvme\n\n[F]\ninquiry_product = "RAID-VOL"\nbus_type = raid\n\n'
    printf '[G]\ninquiry_product = "SD"\nbus_type = unknown\n\n'; target H 5120 1.02 ABC-DRIVE ACME; printf 'bus_type = nvme\n')"
: >"$e2e_dir/trace.txt"
run_probe ACME 1.10
expect "bus: lines" "$(tr -d '\r' <"$e2e_dir/probe.out" | grep -oE '^[EFGH]: opened, bus [a-z]+|not recognised \(likely because [^)]*\)')" \
    "$(printf '%s\n' 'E: opened, bus nvme' 'not recognised (likely because the NVMe bus passes no vendor READ BUFFER to the drive)' \
        'F: opened, bus raid' 'not recognised (likely because a RAID controller answers for the drive)' \
        'G: opened, bus unknown' 'H: opened, bus nvme')"
expect "bus: asked in the first open, before its command" \
    "$(awk '/^open [EFGH] ok/ { o = $2 } /^bus / { print o, $0 }' "$e2e_dir/trace.txt" | tr '\n' ' ')" \
    "E bus E 17 F bus F 8 G bus G fails H bus H 17 "
expect "bus: nothing more sent" "$(trace_lines '^send ' | wc -l)" 8
run_launcher --answers cancel -- ACME 1.10
expect "bus: the launcher does not ask" "$(trace_lines '^bus ' | wc -l)" 4

# Capture, then replay the capture: the same JSON and the same launcher run,
# in Japanese too (the product name of L is double-byte text).
for lang in C ja_JP.UTF-8; do
    drives <<<"$(cmd_drives)"
    LC_ALL=$lang run_probe ACME 1.10 --json --capture 'capture.ini'
    cp "$e2e_dir/probe.out" "$e2e_dir/original.json"
    LC_ALL=$lang run_launcher --answers cancel -- ACME 1.10
    original_box=$(box_field 1 text)
    cp "$e2e_dir/capture.ini" "$e2e_dir/drives.ini"
    LC_ALL=$lang run_probe ACME 1.10 --json
    expect "replay $lang: json" "$(cmp "$e2e_dir/original.json" "$e2e_dir/probe.out" && echo same)" same
    LC_ALL=$lang run_launcher --answers cancel -- ACME 1.10
    expect "replay $lang: launcher" "$(box_field 1 text)" "$original_box"
done
expect "replay: the double-byte product" "$(python3 -c 'import json,sys; print([d["inquiry"]["product"] for d in json.load(open(sys.argv[1], encoding="utf-8"))["drives"] if d["letter"] == "L"][0])' "$e2e_dir/probe.out")" "テスト"

# Plain output on a Japanese system is legible in the console's code page.
drives <<<"$(cmd_drives)"
LC_ALL=ja_JP.UTF-8 run_probe ACME 1.10
expect "plain: double-byte text" "$(iconv -f CP932 -t UTF-8 <"$e2e_dir/probe.out" | grep '^L:' | grep -o '"テスト"')" '"テスト"'
expect "plain: summary" "$(tr -d '\r' <"$e2e_dir/probe.out" | tail -3)" \
    "$(printf 'Letters without a volume: 13\nTargets: 7, current: 1, outdated: 6\nVolumes that refused to open: 1 (what they hold is unknown: the answer is incomplete)')"
expect "plain: status" "$probe_rc" 1

# Bad usage: status 2, one clear line, no drive opened.
bad_usage() {
    local expected=$1
    shift
    : >"$e2e_dir/trace.txt"
    run_probe "$@"
    expect "usage $*: status" "$probe_rc" 2
    expect "usage $*: message" "$(tr -d '\r' <"$e2e_dir/probe.err")" \
        "$expected (usage: fwprobe TAG NEWEST_REV [--json] [--capture FILE])"
    expect "usage $*: no drive" "$(trace_lines '^open')" ""
    expect "usage $*: no output" "$(cat "$e2e_dir/probe.out")" ""
}
bad_usage "fwprobe: missing TAG and NEWEST_REV"
bad_usage "fwprobe: missing NEWEST_REV" ACME --json
bad_usage "fwprobe: unknown option --all" ACME 1.10 --all
bad_usage "fwprobe: --capture needs a file name" ACME 1.10 --capture
bad_usage 'fwprobe: cannot write the capture file Z:\no\such\folder\c.ini' ACME 1.10 --capture 'Z:\no\such\folder\c.ini'
finish
