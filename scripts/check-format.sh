#!/usr/bin/env bash
# Fails, naming the files, when a C or C++ source of the tree is not laid out as the root
# .clang-format says. The project uses clang-format 14 (Debian 12's); other versions break
# some lines differently, so that one is required.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
FORMAT="${CLANG_FORMAT:-}"
if [[ -z "$FORMAT" ]]; then
    for candidate in clang-format-14 clang-format; do
        if command -v "$candidate" >/dev/null; then
            FORMAT="$candidate"
            break
        fi
    done
fi
if [[ -z "$FORMAT" ]] || ! "$FORMAT" --version | grep -q 'version 14\.'; then
    echo "check-format: clang-format 14 is needed (scripts/setup.sh installs it)" >&2
    exit 1
fi
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -co --exclude-standard -- '*.c' '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build -prune -o \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print)
fi
# One run over every file; clang-format names each file it would change.
status=0
report=$("$FORMAT" --dry-run --Werror "${files[@]}" 2>&1) || status=$?
mapfile -t bad < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' \
    <<<"$report" | sort -u)
if ((status != 0 && ${#bad[@]} == 0)); then
    echo "check-format: $FORMAT failed:" >&2
    echo "$report" >&2
    exit 1
fi
if ((${#bad[@]})); then
    echo "check-format: not formatted (run: $FORMAT -i <file>):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
