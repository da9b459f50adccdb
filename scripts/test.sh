#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh "$@"
export QT_QPA_PLATFORM=offscreen
cd "${PQ_BUILD_DIR:-build}"
ctest --output-on-failure -j"$(nproc)"
