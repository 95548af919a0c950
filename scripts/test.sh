#!/usr/bin/env bash
# Installs what is missing, builds Ratemill with its tests and runs them all.
# Window tests run on Qt's offscreen platform, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
