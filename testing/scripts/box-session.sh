# Sourced: the box helper beside a launcher run, and the boxes it read.
# box_helper_start DIR ANSWERS [HELPER ARGS...]: the helper writes
# DIR/boxes.txt and stops once DIR/stop exists, or after
# BOX_HELPER_TIMEOUT_MS (three minutes unless set).
box_helper_start() {
    local dir=$1 answers=$2
    shift 2
    rm -f "$dir/boxes.txt" "$dir/stop"
    wine "${FWLAUNCH_BIN:-$fwlaunch_root/build/win32}/box-answer.exe" --out "$(box_winpath "$dir/boxes.txt")" \
        --until "$(box_winpath "$dir/stop")" --answers "$answers" --timeout-ms "${BOX_HELPER_TIMEOUT_MS:-180000}" "$@" &
    box_helper_pid=$!
    until grep -q '^ready' "$dir/boxes.txt" 2>/dev/null; do sleep 0.1; done
}

box_helper_stop() {
    : >"$1/stop"
    wait "$box_helper_pid" || true
}

# Each box as caption, text and buttons, line breaks as they show.
box_print() {
    awk '/^caption: / { print ""; print "[" substr($0, 10) "]" }
         /^text: / { t = substr($0, 7); gsub(/\\r/, "", t); gsub(/\\n/, "\n", t); print t }
         /^buttons: / { print "(" substr($0, 10) ")" }' "$1/boxes.txt"
}

# desktop_keeper_start DIR: one Wine program that holds the desktop until
# DIR/stop exists, so that the desktop's own process keeps the display it was
# started with. Without it a program started with no display (as some tests
# do) starts the desktop anew without one, and for a few seconds after, no
# program can make a window. It holds none of the caller's output open.
desktop_keeper_start() {
    wine "${FWLAUNCH_BIN:-$fwlaunch_root/build/win32}/box-answer.exe" --out "$(box_winpath "$1/out.txt")" \
        --caption "no box has this caption" --until "$(box_winpath "$1/stop")" --timeout-ms 86400000 \
        </dev/null >/dev/null 2>&1 &
    keeper_pid=$!
    for _ in $(seq 100); do grep -q '^ready' "$1/out.txt" 2>/dev/null && break; sleep 0.1; done
}
box_winpath() { echo "Z:$1" | tr / '\\'; }
