#!/bin/bash
# make format: the C and C++ sources in the style of .clang-format.
#   tools/format.sh          formats every tracked source in place
#   tools/format.sh --check  changes nothing; fails, naming them, on the
#                            sources the formatter would change
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 2
mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
    unformatted=()
    for f in "${sources[@]}"; do
        clang-format --style=file --dry-run --Werror "$f" >/dev/null 2>&1 || unformatted+=("$f")
    done
    if [ ${#unformatted[@]} -gt 0 ]; then
        echo "not formatted (run make format):"; printf '  %s\n' "${unformatted[@]}"
        exit 1
    fi
    echo "ok: ${#sources[@]} sources formatted"
    exit 0
fi
clang-format --style=file -i "${sources[@]}"
