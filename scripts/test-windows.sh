#!/usr/bin/env bash
# Cross-builds the toolkit-free core and its tests for 64-bit Windows with
# mingw-w64 and runs them under Wine, in a Wine prefix of its own inside the
# build folder. Usage: bash scripts/test-windows.sh [build folder]
set -euo pipefail

cd "$(dirname "$0")/.."
build=${1:-build-windows}

# Only what is missing is installed.
needed=(g++-mingw-w64-x86-64-posix wine wine64 cmake ninja-build googletest)
missing=()
for package in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

mkdir -p "$build"
export WINEPREFIX=$(realpath "$build")/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no installer dialogs for .NET or Gecko
mkdir -p "$WINEPREFIX"

# One server for every test start: without it each start pays for a new one.
# It is started before anything else of Wine, which would start a short-lived
# one of its own.
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot --init >/dev/null 2>&1 || true

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DRATEMILL_CORE_ONLY=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
nice cmake --build "$build"
cd "$build"
ctest -j2 --output-on-failure
