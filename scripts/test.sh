#!/usr/bin/env bash
# Installs what is missing, builds Ratemill with its tests and runs them all,
# then runs them again in a build with warnings as errors and with
# AddressSanitizer and UndefinedBehaviorSanitizer, which catch what the tests
# alone miss in the threaded pipe code, and finally cross-builds for Windows
# and runs the Windows tests under Wine. Window tests run on Qt's offscreen
# platform, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/format.sh --check
bash scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRATEMILL_DEVELOP=ON -DRATEMILL_BUILD_BENCHMARKS=OFF
cmake --build build-check
(cd build-check && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

# The Windows side of the services (processes, pipes, crashes, files) is
# tested only there; scripts/test-windows.sh installs what it needs.
bash scripts/test-windows.sh
