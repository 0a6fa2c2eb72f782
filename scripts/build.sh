#!/usr/bin/env bash
# build.sh <build dir> [cmake options...]: configures and builds one tree (BUILD_TARGET: one target only;
# LUMORA_JOBS: how many compile jobs, all cores when unset).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
cmake -S "$top" -B "$top/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$top/$dir" --parallel "${LUMORA_JOBS:-$(nproc)}" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
