#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Ratemill
# need, and only those that are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++           # toolchain
  qt6-base-dev                    # Qt 6 Widgets (and its platform plugins)
  libgtest-dev libgmock-dev       # unit tests
  libbenchmark-dev                # benchmarks
  sox                             # the default converter wrapper in tools/
  parallel                        # the parallel-jobs benchmark's yardstick
  fonts-dejavu-core               # a font for the windows, also offscreen
  clang-format clang-tidy         # the layout check and the lint script
  qt6-translations-l10n           # the toolkit's own texts in German
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
