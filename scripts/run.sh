#!/usr/bin/env bash
# Builds Lumora and starts it.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
bash scripts/deps.sh
bash scripts/build.sh build -DLUMORA_TESTS=OFF -DLUMORA_BENCH=OFF
if [ ! -x build/bin/lumora ]; then
  echo "run: the program lumora is not built yet (build/bin/lumora is missing); only its libraries exist so far." >&2
  exit 1
fi
exec build/bin/lumora "$@"
