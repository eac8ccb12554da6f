# Bad input and misbehaving updaters: in each row the launcher ends, shows
# the right box and exit status, and runs nothing it should not.
source "$(dirname "$0")/../lib.sh"

fresh_folder() {
    find "$e2e_dir" -mindepth 1 ! -name drives.ini -delete
    : >"$e2e_dir/trace.txt"
}

# Format directives in both arguments are plain text.
fresh_folder
package FW5120.exe
drives <<'EOF_DRIVES'
[E]
vendor_identity = "KDR 5120%s%n%d"
inquiry_product = "ABC-DRIVE"
inquiry_revision = "1.02"
updated_by = "5120"
revision_after_update = "%n%s"
EOF_DRIVES
run_launcher -- '%s%n%d' '%n%s'
expect "directives: status" "$e2e_rc" 0
expect "directives: confirmation" "$(box_field 1 text)" "1 $EN_105$(entries 'E:ABC-DRIVE       1.02')"
expect "directives: runs" "$(runs)" "run FW5120.exe"
expect "directives: report" "$(box_field 2 text)" "$EN_109$(entries 'E:ABC-DRIVE       1.02')"

# A 32,000-character tag can match nothing.
fresh_folder
package FW5120.exe
drives <<<"$(target E 5120 1.02)"
run_launcher -- "$(head -c 32000 /dev/zero | tr '\0' A)" 1.10
expect "long tag: status" "$e2e_rc" 0
expect "long tag: box" "$(box_count) $(box_field 1 text)" "1 $EN_107"
expect "long tag: runs" "$(runs)" ""

# Japanese tag and revision, matched through code page 932.
fresh_folder
package FW5120.exe
drives <<'EOF_DRIVES'
[E]
vendor_identity = "KDR 5120\x83\x65\x83\x58\x83\x67"
inquiry_product = "ABC-DRIVE"
inquiry_revision = "1.02"
updated_by = "5120"
revision_after_update = "\x89\xFC1"
EOF_DRIVES
LC_ALL=ja_JP.UTF-8 run_launcher -- テスト 改1
expect "japanese args: status" "$e2e_rc" 0
expect "japanese args: runs" "$(runs)" "run FW5120.exe"
expect "japanese args: report" "$(box_field 2 text)" "$JA_109$(entries 'E:ABC-DRIVE       1.02')"

# 2,000 files, the package made last; and a package with a non-ASCII name.
fresh_folder
for i in $(seq -w 1 2000); do : >"$e2e_dir/file$i.bin"; done
package FW5120.exe
package 'ファーム5121更新.exe'
drives <<<"$(target E 5120 1.02; target F 5121 1.02)"
run_launcher -- ACME 1.10
expect "2000 files: status" "$e2e_rc" 0
expect "2000 files: runs" "$(runs)" "run FW5120.exe run ファーム5121更新.exe"
expect "2000 files: report" "$(box_field 2 text)" "$EN_109$(entries 'E:ABC-DRIVE       1.02' 'F:ABC-DRIVE       1.02')"

# An updater that exits with a non-zero code: its exit code is not read.
fresh_folder
package FW5120.exe
drives <<<"$(target E 5120 1.02)"
FAKE_UPDATER_EXIT_CODE=7 run_launcher -- ACME 1.10
expect "exit code 7: status" "$e2e_rc" 0
expect "exit code 7: report" "$(box_field 2 text)" "$EN_109$(entries 'E:ABC-DRIVE       1.02')"

# An updater that crashes before updating: the drive is reported failed.
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5120 1.02)"
FAKE_UPDATER_CRASH=1 run_launcher -- ACME 1.10
expect "crash: status" "$e2e_rc" 0
expect "crash: ran once" "$(runs)" "run FW5120.exe"
expect "crash: boxes" "$(box_count)" 2
expect "crash: report" "$(box_field 2 text)" "$EN_108$(entries 'E:ABC-DRIVE       1.02')"

# An updater that leaves the work to a child and exits: the launcher waits
# for the package's own process only, so the drive is not yet updated.
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5120 1.02)"
FAKE_UPDATER_CHILD_MS=8000 run_launcher -- ACME 1.10
expect "child: status" "$e2e_rc" 0
expect "child: report" "$(box_field 2 text)" "$EN_108$(entries 'E:ABC-DRIVE       1.02')"
expect "child: not run yet at the report" "$(runs)" ""
for _ in $(seq 300); do [ -n "$(runs)" ] && break; sleep 0.1; done
expect "child: ran afterwards" "$(runs)" "run FW5120.exe"

# All 24 letters hold outdated targets: 24 entries, one package per model.
fresh_folder
package FW5120.exe
package FW5121.exe
all_letters=""
expected_entries=()
for l in C D E F G H I J K L M N O P Q R S T U V W X Y Z; do
    digits=5120; [ $(( $(printf '%d' "'$l") % 2 )) -eq 0 ] && digits=5121
    all_letters+="$(target "$l" "$digits" 1.02)"$'\n'
    expected_entries+=("$l:ABC-DRIVE       1.02")
done
drives <<<"$all_letters"
run_launcher -- ACME 1.10
expect "24 letters: status" "$e2e_rc" 0
expect "24 letters: confirmation" "$(box_field 1 text)" "24 $EN_105$(entries "${expected_entries[@]}")"
expect "24 letters: runs" "$(runs)" "run FW5120.exe run FW5121.exe"
expect "24 letters: report" "$(box_field 2 text)" "$EN_109$(entries "${expected_entries[@]}")"
finish
