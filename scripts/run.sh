#!/usr/bin/env bash
# Installs what is missing, builds, and opens the viewer on the sample report (made by the build),
# or on the report file given as first argument.
# JOBS caps the parallel build jobs (default: the number of cores).
set -euo pipefail
# The report is named from the caller's folder: resolve it before leaving that folder.
ARG_REPORT=""
if [ -n "${1:-}" ]; then
  ARG_REPORT=$(realpath -m -- "$1")
fi
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD=${BUILD_DIR:-build/release}
case $BUILD in /*) ;; *) BUILD=$PWD/$BUILD ;; esac
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOR_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$JOBS"
REPORT=${ARG_REPORT:-$BUILD/app/sample.lxp}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "The viewer needs a desktop session; without one run: xvfb-run -a $BUILD/app/mivoreport '$REPORT'" >&2
  exit 1
fi
exec "$BUILD/app/mivoreport" "$REPORT"
