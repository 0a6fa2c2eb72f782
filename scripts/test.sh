#!/usr/bin/env bash
# The whole test suite: a plain build, then the same suite with AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, and each fuzz target for a
# bounded time. Exits non-zero on any failure.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
jobs="$(nproc)"

bash scripts/deps.sh

# The builds here keep line tables only: every report still names file and line, and a build takes
# a fifth less time than with full debug information.
lines_only=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")

export QT_QPA_PLATFORM=offscreen
export LC_ALL=C.UTF-8

# A failed run ends with one line that names the stage and what failed in it.
current_stage="dependencies"
failed=""
stage() {
  current_stage="$*"
  printf '\n=== %s ===\n' "$*"
}
report_failure() {
  local status=$?
  if [ "$status" -ne 0 ]; then
    printf '\ntest.sh: FAILED in stage "%s"%s (exit %d)\n' "$current_stage" "${failed:+: $failed}" "$status"
  fi
}
trap report_failure EXIT
# ctest <build dir> [options]: on failure, names the failed tests from ctest's own list.
run_ctest() {
  local dir="$1"
  shift
  if ! ctest --no-tests=error --test-dir "$dir" --output-on-failure "$@"; then
    local list="$dir/Testing/Temporary/LastTestsFailed.log"
    [ -f "$list" ] && failed="$(sed 's/^[0-9]*://' "$list" | tr '\n' ' ' | sed 's/ $//')"
    return 1
  fi
}

# Every C++ file as the repository's .clang-format lays it out.
stage "format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

# Every string id handed to LoadString or a stop box by its name, never a bare number.
stage "string ids by name"
bash scripts/check-ids.sh

stage "build"
bash scripts/build.sh build -DLUMORA_WERROR=ON -DLUMORA_TESTS=ON -DLUMORA_BENCH=ON "${lines_only[@]}"
stage "tests"
run_ctest build --parallel "$jobs" --timeout 300

stage "build with address and undefined-behaviour sanitizers"
bash scripts/build.sh build-asan -DLUMORA_WERROR=ON -DLUMORA_SANITIZE=address,undefined -DLUMORA_TESTS=ON -DLUMORA_BENCH=OFF \
  "${lines_only[@]}"
stage "tests with address and undefined-behaviour sanitizers"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
LSAN_OPTIONS="suppressions=$top/scripts/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  run_ctest build-asan --parallel "$jobs" --timeout 600

if [ -f scripts/tsan.supp ]; then
  # Only the executables of the tests labelled sim or threads, which are all that run here.
  stage "build with thread sanitizer"
  BUILD_TARGET=lumora_threaded_tests \
    bash scripts/build.sh build-tsan -DLUMORA_WERROR=ON -DLUMORA_SANITIZE=thread -DLUMORA_TESTS=ON -DLUMORA_BENCH=OFF \
    "${lines_only[@]}"
  stage "threaded tests with thread sanitizer"
  TSAN_OPTIONS="suppressions=$top/scripts/tsan.supp:halt_on_error=1:second_deadlock_stack=1" \
    run_ctest build-tsan --parallel "$jobs" --timeout 600 -L 'sim|threads'
fi

if compgen -G "fuzz/*/CMakeLists.txt" >/dev/null; then
  stage "fuzz targets"
  CC=clang CXX=clang++ BUILD_TARGET=lumora_fuzzers bash scripts/build.sh build-fuzz -DLUMORA_FUZZ=ON -DLUMORA_TESTS=OFF \
    -DLUMORA_BENCH=OFF "${lines_only[@]}"
  # The targets fuzz side by side, as many at a time as there are cores, each for 30 s.
  fuzz_one() { # <target>
    local name corpus seeds
    name="$(basename "$1")"
    corpus="build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds="fuzz/seeds/${name#fuzz_}"
    [ -d "$seeds" ] || seeds=""
    ASAN_OPTIONS="detect_leaks=1" "$1" -max_total_time=30 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=0 "$corpus" $seeds >"build-fuzz/$name.log" 2>&1
  }
  targets=(build-fuzz/bin/fuzz_*)
  for ((first = 0; first < ${#targets[@]}; first += jobs)); do
    batch=("${targets[@]:first:jobs}")
    pids=()
    for target in "${batch[@]}"; do
      echo "fuzzing $(basename "$target") for 30 s"
      fuzz_one "$target" &
      pids+=($!)
    done
    for i in "${!batch[@]}"; do
      name="$(basename "${batch[$i]}")"
      if wait "${pids[$i]}"; then
        tail -n 1 "build-fuzz/$name.log"
      else
        tail -n 60 "build-fuzz/$name.log"
        failed="${failed:+$failed }$name"
      fi
    done
    [ -z "$failed" ] || exit 1
  done
fi

stage "all stages passed"
