#!/usr/bin/env bash
# Runs the report-file fuzzer for a bounded time (default 60 s): scripts/fuzz.sh [seconds]
# FUZZ_TARGET=fuzz_component_stream runs the component-stream fuzzer instead; fuzz_emf the EMF player.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh clang libclang-rt-14-dev
BUILD=${BUILD_DIR:-build/fuzz}
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMOR_SANITIZE=ON -DMOR_FUZZ=ON -DMOR_TESTS=OFF -DMOR_BENCH=OFF >/dev/null
TARGET=${FUZZ_TARGET:-fuzz_report_file}
cmake --build "$BUILD" --target "$TARGET" -j"$(nproc)"
CORPUS="$BUILD/corpus"
[ "$TARGET" = fuzz_report_file ] || CORPUS="$BUILD/corpus-$TARGET"
mkdir -p "$CORPUS"
"$BUILD/fuzz/$TARGET" -max_total_time="${1:-60}" -rss_limit_mb=2048 -timeout=10 \
  -max_len=65536 "$CORPUS"
