#!/usr/bin/env bash
# Formats every C++ source of the repository (program, tests, bench, tools) with the repository's
# .clang-format; with --check it changes nothing and fails, naming each drifting line, when a
# file is not formatted so. The build's `format` target runs the first, scripts/test the second.
set -euo pipefail
cd "$(dirname "$0")/../.."

check=false
case "${1:-}" in
    --check) check=true ;;
    "") ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
command -v clang-format >/dev/null || { echo "$0: clang-format is not installed" >&2; exit 2; }

# Tracked files and new ones not yet added, without those deleted from the work tree.
sources=()
while IFS= read -r file; do
    [ -f "$file" ] && sources+=("$file")
done < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -u)
if $check; then
    clang-format --dry-run --Werror "${sources[@]}" || {
        echo "Formatting drifts from .clang-format: run tests/house/format.sh (or the build's format target)." >&2
        exit 1
    }
else
    clang-format -i "${sources[@]}"
fi
