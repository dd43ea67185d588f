#!/bin/sh
# Builds the optimised trees and runs every benchmark, natively and under Wine.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$jobs" >/dev/null
for b in build/native-release/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== native: $(basename "$b")"
  "$b"
done

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs" >/dev/null
run() {
  if [ -z "$DISPLAY" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" cmake/wine-run.sh "$PWD/build/mingw/wineprefix" "$@"
  else
    cmake/wine-run.sh "$PWD/build/mingw/wineprefix" "$@"
  fi
}
for b in build/mingw/bench/bench_*.exe; do
  [ -f "$b" ] || continue
  echo "== Wine: $(basename "$b")"
  run "$b"
done
