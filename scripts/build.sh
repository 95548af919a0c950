#!/usr/bin/env bash
# Configures and builds Ratemill into build/ (the program's folder is build/).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build
