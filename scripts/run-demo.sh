#!/usr/bin/env bash
# Sets everything up, builds, and starts the demo host with the payment-type plug-in over
# the embedded SQLite database. Arguments go to the host (see README).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec "${PQ_BUILD_DIR:-build}/host/pq-demo-host" "$@"
