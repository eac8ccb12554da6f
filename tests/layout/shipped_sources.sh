#!/bin/bash
# The shipped programs' build compiles sources of the product folders only:
# nothing from the tests (tests/) or their support (testing/), and every
# product folder that a program is made of.
set -u
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
sources=$(python3 -c 'import json, os, sys
for entry in json.load(open(sys.argv[1])):
    print(os.path.relpath(os.path.join(entry["directory"], entry["file"]), sys.argv[2]))' \
    "$build/compile_commands.json" "$root") || { echo "FAIL no compile database in $build"; exit 1; }
failures=0
outside=$(grep -vE '^(app|deploy|drive|messages|platform|probe|updater)/' <<<"$sources")
if [ -n "$outside" ]; then
    echo "FAIL the shipped programs compile sources outside the product folders:"; echo "$outside"; failures=1
fi
for folder in app deploy drive messages platform/win32 probe updater; do
    grep -q "^$folder/" <<<"$sources" || { echo "FAIL nothing compiled from $folder/"; failures=1; }
done
[ "$failures" -eq 0 ] && echo "ok: $(wc -l <<<"$sources") sources, all from the product folders"
exit "$failures"
