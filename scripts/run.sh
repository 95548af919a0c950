#!/usr/bin/env bash
# Installs what is missing, builds Ratemill and starts it. When the program's
# folder holds no converter yet, the sox-based wrapper becomes its ssrc.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ ! -e build/ssrc.exe ]; then
  install -m 755 tools/ssrc-sox build/ssrc.exe
  echo "Installed tools/ssrc-sox as build/ssrc.exe"
fi
exec build/ratemill
