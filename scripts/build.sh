#!/usr/bin/env bash
# build.sh <build dir> [cmake options...]: configures (once) and builds one tree.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
cmake -S "$top" -B "$top/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$top/$dir" --parallel "$(nproc)"
