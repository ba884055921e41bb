#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test; then
# builds the background print tests alone with ThreadSanitizer and runs them; then builds and runs
# the consumer project against the installed package and through add_subdirectory
# (scripts/consumer-test.sh). A compiler warning fails the builds.
# JOBS caps the parallel build and test jobs (default: the number of cores). The
# printing tests leave the CUPS scheduler running (see README.md).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
BUILD=${BUILD_DIR:-build/test}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOR_SANITIZE=ON -DMOR_BENCH=OFF -DMOR_WERROR=ON >/dev/null
cmake --build "$BUILD" -j"$JOBS"
bash scripts/cups-queue.sh
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Tests write into their temporary folders only: a file they leave in their working folders fails.
STAMP=$(mktemp)
trap 'rm -f "$STAMP"' EXIT
(cd "$BUILD" && ctest --output-on-failure -j"$JOBS")
LEFT=$(find "$BUILD/tests" -type f -newer "$STAMP" -not -path '*/CMakeFiles/*' -not -path '*/Testing/*')
if [ -n "$LEFT" ]; then
  printf 'tests left files in their working folders:\n%s\n' "$LEFT" >&2
  exit 1
fi
TSAN_BUILD=${TSAN_BUILD_DIR:-build/tsan}
cmake -S . -B "$TSAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOR_TSAN=ON -DMOR_BENCH=OFF -DMOR_WERROR=ON >/dev/null
cmake --build "$TSAN_BUILD" -j"$JOBS" --target ppreport_bgprint_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  "$TSAN_BUILD/tests/ppreport/output/ppreport_bgprint_tests"
bash scripts/consumer-test.sh
