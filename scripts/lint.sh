#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the project's C++ sources with
# the compile commands of the build in build/, which must have been built once
# so that the generated moc files exist.
#
#   scripts/lint.sh              every source file of the build
#   scripts/lint.sh --changed R  only the source files changed since revision R
#                                (committed or not), for a quick look before a commit
#   scripts/lint.sh FILE...      the named source files
#
# Fails, listing the findings, when clang-tidy reports any.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${RATEMILL_LINT_BUILD:-build}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "No $build/compile_commands.json: configure and build first (scripts/build.sh)." >&2
  exit 2
fi

# The files the build compiles: a *_win.cpp is not in a Linux build's
# commands, and clang-tidy cannot check a file without its flags.
mapfile -t known < <(python3 -c '
import json, os, sys
root = os.getcwd() + "/"
for entry in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(root) and not path.startswith(root + sys.argv[2] + "/"):
        print(path[len(root):])
' "$build/compile_commands.json" "$build" | sort -u)

if [ "${1:-}" = "--changed" ]; then
  base=${2:?--changed needs a revision}
  mapfile -t wanted < <({ git diff --name-only "$base" -- '*.cpp'; git ls-files -o --exclude-standard -- '*.cpp'; } | sort -u)
elif (($#)); then
  wanted=("$@")
else
  wanted=("${known[@]}")
fi

files=()
for file in "${wanted[@]}"; do
  for k in "${known[@]}"; do
    if [ "$k" = "$file" ]; then files+=("$file"); break; fi
  done
done
if ((${#files[@]} == 0)); then
  echo "lint: no source files to check"
  exit 0
fi

echo "lint: ${#files[@]} files"
# One clang-tidy per file, as many at a time as the machine has cores.
status=0
printf '%s\n' "${files[@]}" |
  xargs -P "${RATEMILL_LINT_JOBS:-$(nproc)}" -I{} clang-tidy --quiet -p "$build" {} 2>/dev/null |
  tee "$build/lint.log" || status=$?
if ((status != 0)) || grep -q ': \(warning\|error\):' "$build/lint.log"; then
  echo "lint: findings above (also in $build/lint.log)" >&2
  exit 1
fi
echo "lint: no findings"
