#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite headless.
#   bash scripts/test.sh               the ordinary build in build/ (or $PQ_BUILD_DIR)
#   PQ_SANITIZE=1 bash scripts/test.sh the same suite built with AddressSanitizer and
#                                      UndefinedBehaviorSanitizer in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ "${PQ_SANITIZE:-0}" = "1" ]; then
  export PQ_BUILD_DIR="${PQ_BUILD_DIR:-build-asan}"
  # Debug compiles fastest; each test program runs its tests in one process.
  bash scripts/build.sh -DPQ_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DPQ_BUILD_BENCH=OFF -DPQ_TEST_PER_PROGRAM=ON "$@"
  # fontconfig keeps its caches for the life of the process; nothing else may leak.
  export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
  export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
else
  bash scripts/build.sh "$@"
fi
export QT_QPA_PLATFORM=offscreen
cd "${PQ_BUILD_DIR:-build}"
ctest --output-on-failure -j"$(nproc)"
