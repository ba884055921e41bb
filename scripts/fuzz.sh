#!/usr/bin/env bash
# Runs one fuzz target for a bounded time (default 60 s), starting from a copy of
# its committed seeds (fuzz/corpus/<target>) and what earlier runs added:
#   scripts/fuzz.sh [seconds]
# FUZZ_TARGET picks the target (default fuzz_report_file; also fuzz_component_stream,
# fuzz_component_text, fuzz_emf and the others in fuzz/CMakeLists.txt). JOBS caps
# the build's parallel jobs. Findings go to $BUILD_DIR/artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh clang libclang-rt-14-dev
BUILD=${BUILD_DIR:-build/fuzz}
JOBS=${JOBS:-$(nproc)}
TARGET=${FUZZ_TARGET:-fuzz_report_file}
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMOR_SANITIZE=ON -DMOR_FUZZ=ON -DMOR_TESTS=OFF -DMOR_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target "$TARGET" -j"$JOBS"
# libFuzzer adds what it finds to the first folder: a copy, so the committed
# seeds change only when someone commits new ones.
CORPUS="$BUILD/corpus/$TARGET"
ARTIFACTS="$BUILD/artifacts/$TARGET"
mkdir -p "$CORPUS" "$ARTIFACTS"
if [ -d "fuzz/corpus/$TARGET" ]; then
  cp -n "fuzz/corpus/$TARGET"/* "$CORPUS"/ 2>/dev/null || true
fi
"$BUILD/fuzz/$TARGET" -max_total_time="${1:-60}" -rss_limit_mb=2048 -timeout=10 \
  -max_len=65536 -artifact_prefix="$ARTIFACTS/" "$CORPUS"
