# One package run per model, in slot order, and what happens without one.
source "$(dirname "$0")/../lib.sh"
package FW5120.exe
package FW5121.exe

# Two model-2 targets: one run, both updated.
drives <<<"$(target E 5120 1.02; target F 5120 1.01 XYZ-DRIVE)"
run_launcher -- ACME 1.10
expect "two of model 2: runs" "$(runs)" "run FW5120.exe"
expect "two of model 2: report" "$(box_field 2 text)" \
    "$EN_109$(entries 'E:ABC-DRIVE       1.02' 'F:XYZ-DRIVE       1.01')"
expect "two of model 2: status" "$e2e_rc" 0

# Model 0 then model 2: both run, and the loop ends after F.
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5121 1.02; target F 5120 1.02)"
run_launcher -- ACME 1.10
expect "both models: runs" "$(runs)" "run FW5121.exe run FW5120.exe"
expect "both models: confirmation" "$(box_field 1 text)" \
    "2 $EN_105$(entries 'E:ABC-DRIVE       1.02' 'F:ABC-DRIVE       1.02')"

# E, F of model 2 and G of model 0: E triggers 5120, F is passed over, G 5121.
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5120 1.02; target F 5120 1.02; target G 5121 1.02)"
run_launcher -- ACME 1.10
expect "E F G: runs" "$(runs)" "run FW5120.exe run FW5121.exe"
expect "E F G: identity re-reads between runs" \
    "$(awk '/^run FW5120/{p=1;next} /^run FW5121/{p=0} p && /^send .*3C 02 F1/' "$e2e_dir/trace.txt" | cut -c1-6 | tr '\n' ' ')" \
    "send F send G "
expect "E F G: report" "$(box_field 2 text)" \
    "$EN_109$(entries 'E:ABC-DRIVE       1.02' 'F:ABC-DRIVE       1.02' 'G:ABC-DRIVE       1.02')"

# A package named by the model's digits alone.
mv "$e2e_dir/FW5121.exe" "$e2e_dir/5121.exe"
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5121 1.02)"
run_launcher -- ACME 1.10
expect "digits alone: runs" "$(runs)" "run 5121.exe"
expect "digits alone: report" "$(box_field 2 text)" "$EN_109$(entries 'E:ABC-DRIVE       1.02')"
mv "$e2e_dir/5121.exe" "$e2e_dir/FW5121.exe"

# No package for model 0: nothing runs for it, its targets are failed.
rm "$e2e_dir/FW5121.exe"
: >"$e2e_dir/trace.txt"
drives <<<"$(target E 5121 1.02 OLD-ONE; target F 5120 1.02; target G 5121 1.02 OLD-TWO)"
run_launcher -- ACME 1.10
expect "no 5121 package: runs" "$(runs)" "run FW5120.exe"
expect "no 5121 package: report" "$(box_field 2 text)" \
    "$EN_108$(entries 'E:OLD-ONE         1.02' 'G:OLD-TWO         1.02')"
expect "no 5121 package: status" "$e2e_rc" 0
finish
