#!/usr/bin/env bash
# Formats every C++ file of the project with .clang-format.
# `--check` changes nothing and fails, naming the files, when one is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' '*.cpp.in')
if [ "${1:-}" = "--check" ]; then
  bad=()
  for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then bad+=("$file"); fi
  done
  if ((${#bad[@]})); then
    echo "Not formatted (run scripts/format.sh):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
  fi
else
  clang-format -i "${files[@]}"
fi
