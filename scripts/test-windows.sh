#!/usr/bin/env bash
# Cross-builds Ratemill for 64-bit Windows with mingw-w64 and runs its tests
# under Wine, in a Wine prefix of its own inside the build folder:
#  1. the toolkit-free core and its tests, without Qt (in the build folder);
#  2. the program with its windows against Qt built for mingw-w64, and the
#     window tests on Qt's offscreen platform (in <build folder>/gui), then
#     the portable ZIP of the program (in <build folder>/gui).
# Usage: bash scripts/test-windows.sh [build folder]
# RATEMILL_QT6_MINGW names the Qt archive (qt6-win64.tar.xz); without it the
# script looks in ../shared/qt6-mingw beside the repository, then in
# /work/shared/qt6-mingw. RATEMILL_WINDOWS_CORE_ONLY=1 stops after step 1.
set -euo pipefail

cd "$(dirname "$0")/.."
top=$(pwd)
build=${1:-build-windows}

# Only what is missing is installed.
needed=(g++-mingw-w64-x86-64-posix wine wine64 cmake ninja-build googletest)
if [[ ${RATEMILL_WINDOWS_CORE_ONLY:-0} != 1 ]]; then
  # The host's moc, rcc and uic of the same Qt version; fonts for the window
  # tests; unpacking the archive.
  needed+=(qt6-base-dev-tools fonts-dejavu-core xz-utils)
fi
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
build=$(realpath "$build")
export WINEPREFIX=$build/wineprefix
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

# 1. The core.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DRATEMILL_CORE_ONLY=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
nice cmake --build "$build"
(cd "$build" && ctest -j2 --output-on-failure)

[[ ${RATEMILL_WINDOWS_CORE_ONLY:-0} == 1 ]] && exit 0

# 2. The windows. Qt is unpacked once; a changed archive is unpacked anew.
archive=${RATEMILL_QT6_MINGW:-}
if [[ -z $archive ]]; then
  for candidate in "$top/../shared/qt6-mingw/qt6-win64.tar.xz" /work/shared/qt6-mingw/qt6-win64.tar.xz; do
    if [[ -f $candidate ]]; then
      archive=$candidate
      break
    fi
  done
fi
if [[ -z $archive || ! -f $archive ]]; then
  echo "No Qt for mingw-w64 found: set RATEMILL_QT6_MINGW to qt6-win64.tar.xz" >&2
  exit 1
fi
qt=$build/qt6-win64
stamp=$build/qt6-win64.sha256
sum=$(sha256sum "$archive" | cut -d' ' -f1)
if [[ ! -d $qt || ! -f $stamp || $(cat "$stamp") != "$sum" ]]; then
  rm -rf "$qt" "$stamp"
  tar -xJf "$archive" -C "$build"
  [[ -d $qt/lib/cmake/Qt6 ]] || { echo "$archive holds no qt6-win64/lib/cmake/Qt6" >&2; exit 1; }
  echo "$sum" > "$stamp"
fi

gui=$build/gui
cmake -S . -B "$gui" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-qt.cmake -DRATEMILL_QT6_MINGW_PREFIX="$qt" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRATEMILL_BUILD_BENCHMARKS=OFF "${launcher[@]}"
# The core's tests ran above; here only the program and its window tests.
nice cmake --build "$gui" --target ratemill ratemill_gui_tests
(cd "$gui" && ctest -j2 -L gui --output-on-failure)

# The portable archive of the program.
(cd "$gui" && cpack -G ZIP)
