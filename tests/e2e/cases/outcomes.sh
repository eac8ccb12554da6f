# The four outcomes: no target (107), all current (106), Cancel, OK.
source "$(dirname "$0")/../lib.sh"

drives <<<"$(target E 5120 1.02 ABC-DRIVE OTHR)"
run_launcher -- ACME 1.10
expect "no target: status" "$e2e_rc" 0
expect "no target: one box" "$(box_count)" 1
expect "no target: caption" "$(box_field 1 caption)" "fwlaunch"
expect "no target: text" "$(box_field 1 text)" "$EN_107"
expect "no target: buttons" "$(box_field 1 buttons)" "OK"
expect "no target: icon" "$(box_field 1 icon)" "yes"
expect "no target: owner" "$(box_field 1 owner)" "none"

drives <<<"$(target E 5120 1.10)"
: >"$e2e_dir/trace.txt"
run_launcher -- ACME 1.10
expect "current: status" "$e2e_rc" 0
expect "current: text" "$(box_field 1 text)" "$EN_106"
expect "current: one box" "$(box_count)" 1

drives <<<"$(target E 5120 1.02)"
package FW5120.exe
: >"$e2e_dir/trace.txt"
run_launcher --answers cancel -- ACME 1.10
expect "cancel: status" "$e2e_rc" 0
expect "cancel: one box" "$(box_count)" 1
expect "cancel: confirmation" "$(box_field 1 text)" "1 $EN_105$(entries 'E:ABC-DRIVE       1.02')"
expect "cancel: buttons" "$(box_field 1 buttons)" "OK Cancel"
expect "cancel: nothing run" "$(runs)" ""
expect "cancel: scan only" "$(trace_lines '^open' | wc -l)" 26

: >"$e2e_dir/trace.txt"
run_launcher --answers ok,ok -- ACME 1.10
expect "ok: status" "$e2e_rc" 0
expect "ok: two boxes" "$(box_count)" 2
expect "ok: package run" "$(runs)" "run FW5120.exe"
expect "ok: report" "$(box_field 2 text)" "$EN_109$(entries 'E:ABC-DRIVE       1.02')"
expect "ok: report buttons" "$(box_field 2 buttons)" "OK"
finish
