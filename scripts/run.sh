#!/usr/bin/env bash
# Installs what is missing, builds, and opens the viewer on a sample report.
# JOBS caps the parallel build jobs (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD=${BUILD_DIR:-build/release}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOR_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$JOBS"
if [ -x "$BUILD/app/mivoreport" ]; then
  exec "$BUILD/app/mivoreport" "${1:-resources/samples/sample.lxp}"
fi
echo "The libraries are built; the viewer program does not exist yet."
