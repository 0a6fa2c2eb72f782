#!/usr/bin/env bash
# figures.sh [build dir]: runs the benchmarks whose figures compare us with the peers and the limits,
# one after another, each line with the load average before and after. Build first with
#   bash scripts/build.sh build -DLUMORA_BENCH=ON
# Each benchmark interleaves its own runs with the peers' and the limits' and reports medians; on a
# busy machine the load average says how far to trust them.
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bin="$top/${1:-build}/bin"
run() {
  echo "== $* | load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  "$@" 2>&1 | grep -E "^BM_|rror"
  echo "   load after: $(cut -d' ' -f1-3 /proc/loadavg)"
}
cd "$bin" || exit 1
run ./bench_frame --benchmark_filter='BM_CsvExportAgainstCopy|BM_CsvExportAgainstPeers'
QT_QPA_PLATFORM=offscreen run ./waveform_bench --benchmark_filter='BM_ViewChangeInterleaved|BM_MarkerDragStep'
echo "== the same through a real X server (Xvfb)"
run xvfb-run -a -s "-screen 0 2560x1440x24" env QT_QPA_PLATFORM=xcb ./waveform_bench \
  --benchmark_filter='BM_ViewChangeInterleaved'
run ./import_bench --benchmark_filter='BM_TextImport/|BM_TextImportGrowth'
run ./bench_instruments
run ./bench_sheetio --benchmark_filter='Against'
