#!/usr/bin/env bash
# The libraries as another project uses them (tests/consumer, whose programs are the READMEs' quick
# starts): built against the package that `cmake --install` puts into a temporary prefix, and built
# along through add_subdirectory; each time both programs run and write their report to a text
# file. The release build of the package fails on any compiler warning. Run by scripts/test.sh.
# JOBS caps the parallel build jobs (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
ROOT=${CONSUMER_BUILD_DIR:-build/consumer}
PREFIX=$(mktemp -d)
OUT=$(mktemp -d)
trap 'rm -rf "$PREFIX" "$OUT"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# The package build and the add_subdirectory build compile the same sources with the same flags in
# folders of the same depth: with the folder left out of ccache's hash the second takes the first's
# objects (and a later run takes both), so ccache is used where it is installed.
export CCACHE_NOHASHDIR=1
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

# The quick starts in the READMEs are these programs, whole.
python3 - <<'EOF'
import re, sys
bad = []
for readme in ["README.md", "ppreport/README.md", "lxreport/README.md", "exceptions/README.md"]:
    text = open(readme, encoding="utf-8").read()
    for path, block in re.findall(r"<!-- (tests/consumer/\S+) -->\n```[a-z]*\n(.*?)```", text, re.S):
        if open(path, encoding="utf-8").read() != block:
            bad.append(f"{readme}: the block of {path} differs from the file")
if bad:
    sys.exit("\n".join(bad))
EOF

cmake -S . -B "$ROOT/lib" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOR_TESTS=OFF -DMOR_BENCH=OFF -DMOR_WERROR=ON \
      -DCMAKE_INSTALL_PREFIX="$PREFIX" >/dev/null
cmake --build "$ROOT/lib" -j"$JOBS" --target mor_package
cmake --install "$ROOT/lib" >/dev/null

# run <build folder>: both report programs write their report, with the texts it must hold; the
# reporter's program ends an error nothing caught in the reporter's report, which names the function
# from the program's own debug data.
run() {
  for P in pp lx; do
    rm -f "$OUT/$P.db" "$OUT/$P.txt"
    "$1/${P}_quickstart" "$OUT/$P.db" file "$OUT/$P.txt"
    for Text in "Vendas por regi" "Total da regi" "200,50" "257,25" "gina 1"; do
      grep -q "$Text" "$OUT/$P.txt" || { echo "$1/${P}_quickstart: no \"$Text\" in its report" >&2; exit 1; }
    done
  done
  local Status=0
  env -u DISPLAY -u WAYLAND_DISPLAY XDG_STATE_HOME="$OUT/state" "$1/reporter_quickstart" fail >"$OUT/report.txt" 2>&1 ||
    Status=$?
  if [ "$Status" -ne 1 ] || ! grep -q "EInOutError" "$OUT/report.txt" || ! grep -q "|ReadOrders" "$OUT/report.txt"; then
    echo "$1/reporter_quickstart: no report of its error (status $Status):" >&2
    cat "$OUT/report.txt" >&2
    exit 1
  fi
}
# Found afresh in this run's prefix.
rm -rf "$ROOT/installed"
cmake -S tests/consumer -B "$ROOT/installed" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$PREFIX" \
      "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror" >/dev/null
cmake --build "$ROOT/installed" -j"$JOBS"
run "$ROOT/installed"
# The same flags as the package build, so that ccache serves the libraries' objects.
cmake -S tests/consumer -B "$ROOT/subdir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOR_SOURCE_DIR="$PWD" -DMOR_WERROR=ON \
      >/dev/null
cmake --build "$ROOT/subdir" -j"$JOBS"
run "$ROOT/subdir"
# Release objects with debug information take gigabytes: gone once they passed (ccache keeps them).
rm -rf "$ROOT"
echo "consumer project: built and run through the installed package and through add_subdirectory"
