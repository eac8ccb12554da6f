# The console check: a console of its own (a pseudo-terminal), a window of
# class "ConsoleWindowClass", or neither.
source "$(dirname "$0")/../lib.sh"
drives <<<"$(target E 5120 1.02 ABC-DRIVE OTHR)"

run_launcher --pty --no-helper-console -- ACME 1.10
expect "pty: status" "$e2e_rc" 0
expect "pty: box" "$(box_field 1 text)" "$EN_107"

: >"$e2e_dir/trace.txt"
run_launcher -- ACME 1.10
expect "console window class: status" "$e2e_rc" 0
expect "console window class: box" "$(box_field 1 text)" "$EN_107"

: >"$e2e_dir/trace.txt"
run_launcher --no-helper-console -- ACME 1.10
expect "no console: status" "$e2e_rc" 255
expect "no console: text" "$(tr -d '\r' <"$e2e_dir/stdout")" "Window handle is NULL"
expect "no console: no box" "$(box_count)" 0
expect "no console: no drive opened" "$(trace_lines '^open')" ""
finish
