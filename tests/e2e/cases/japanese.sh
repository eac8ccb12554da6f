# The boxes on a Japanese user interface.
source "$(dirname "$0")/../lib.sh"
export LC_ALL=ja_JP.UTF-8
package FW5120.exe

drives <<<"$(target E 5120 1.02; target F 5120 1.02 XYZ-DRIVE)"
run_launcher -- ACME 1.10
expect "ja ok: confirmation" "$(box_field 1 text)" \
    "${JA_105_HEAD}2${JA_105_TAIL}$(entries 'E:ABC-DRIVE       1.02' 'F:XYZ-DRIVE       1.02')"
expect "ja ok: buttons" "$(box_field 1 buttons)" "OK キャンセル"
expect "ja ok: report" "$(box_field 2 text)" "$JA_109$(entries 'E:ABC-DRIVE       1.02' 'F:XYZ-DRIVE       1.02')"
expect "ja ok: caption" "$(box_field 2 caption)" "fwlaunch"

: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5121 1.02)"
run_launcher -- ACME 1.10
expect "ja failed: report" "$(box_field 2 text)" "$JA_108$(entries 'E:ABC-DRIVE       1.02')"

: >"$e2e_dir/trace.txt"
drives </dev/null
run_launcher -- ACME 1.10
expect "ja no target" "$(box_field 1 text)" "$JA_107"
finish
