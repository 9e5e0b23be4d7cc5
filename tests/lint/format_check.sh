#!/usr/bin/env bash
# Fails, naming the files, where clang-format would change a C++ source.
#   format_check.sh CLANG_FORMAT SOURCE_DIR
set -euo pipefail
format=$1
cd "$2"
# The tracked sources when this is a git checkout; otherwise every source
# outside the build folders.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
"$format" --dry-run --Werror "${files[@]}"
