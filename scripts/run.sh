#!/bin/sh
# The main job. With a display (DISPLAY set) and no arguments: builds the Windows programs of the
# architecture this machine runs (32-bit where it runs 32-bit code, else 64-bit) and starts
# OrlixObject.exe under Wine in the demo prefix (made once, in build/demo-prefix-ARCH).
# Without a display, or with arguments (scan options): builds orlixreport natively and lists the
# COM components registered in that prefix, read straight from its registry files.
set -e
cd "$(dirname "$0")/.."
. cmake/wine-env.sh
orlix_pick_wine_arch
prefix="$PWD/build/demo-prefix-$ORLIX_WINE_ARCH"
orlix_make_prefix "$ORLIX_WINE_ARCH" "$prefix"
jobs=$(nproc 2>/dev/null || echo 2)

if [ -n "${DISPLAY:-}" ] && [ $# -eq 0 ]; then
  tree=$(orlix_wine_tree "$ORLIX_WINE_ARCH")
  echo "Building the $tree tree ($ORLIX_WINE_REASON) and starting OrlixObject.exe on $DISPLAY" >&2
  cmake --preset "$tree" >/dev/null
  cmake --build --preset "$tree" --target OrlixObject -j "$jobs" >/dev/null
  WINEPREFIX="$prefix" WINEARCH="$ORLIX_WINE_ARCH" WINEDEBUG=-all \
    exec "$(orlix_wine_loader "$ORLIX_WINE_ARCH")" "build/$tree/app/OrlixObject.exe"
fi

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target orlixreport -j "$jobs" >/dev/null
exec build/native-release/cli/orlixreport scan --wine-prefix "$prefix" "$@"
