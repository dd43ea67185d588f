#!/bin/sh
# Builds the optimised trees and runs every benchmark, natively and under Wine (in the
# architecture this machine runs, or the one ORLIX_WINE_ARCH forces).
set -e
cd "$(dirname "$0")/.."
. cmake/wine-env.sh
orlix_pick_wine_arch
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$jobs" >/dev/null
for b in build/native-release/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== native: $(basename "$b")"
  "$b"
done
echo "== native: scan of a Wine prefix (time against wc -l, peak memory against the files)"
ORLIXREPORT=build/native-release/cli/orlixreport REGFILE_BENCH=build/native-release/bench/bench_registry_file_bench \
  sh scripts/prefix-scan-bench.sh
echo "== native: report path (peak memory against the data file plus the report)"
ORLIXREPORT=build/native-release/cli/orlixreport sh scripts/report-memory-bench.sh
if command -v valgrind >/dev/null; then
  echo "== native: report path (instructions per row)"
  ORLIXREPORT=build/native-release/cli/orlixreport sh scripts/report-path-bench.sh
fi

tree=$(orlix_wine_tree "$ORLIX_WINE_ARCH")
cmake --preset "$tree" >/dev/null
cmake --build --preset "$tree" -j "$jobs" >/dev/null
run() {
  if [ -z "$DISPLAY" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" cmake/wine-run.sh "$ORLIX_WINE_ARCH" "$PWD/build/$tree/wineprefix" "$@"
  else
    cmake/wine-run.sh "$ORLIX_WINE_ARCH" "$PWD/build/$tree/wineprefix" "$@"
  fi
}
for b in build/$tree/bench/bench_*.exe; do
  [ -f "$b" ] || continue
  echo "== Wine ($tree, $ORLIX_WINE_ARCH): $(basename "$b")"
  run "$b"
done
