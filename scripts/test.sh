#!/bin/sh
# Builds every tree and runs every test: the portable code natively (ASan + UBSan), then the
# Windows programs under Wine, windows on a private Xvfb display. Both Windows trees (i686 and
# x86_64) are always built, so that neither can break unseen; the Windows tests run in the
# architecture this machine can execute (32-bit where it can, else 64-bit), or in the one that
# ORLIX_WINE_ARCH (win32 or win64) forces.
set -e
cd "$(dirname "$0")/.."
. cmake/wine-env.sh
orlix_pick_wine_arch
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset native
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

for tree in mingw mingw64; do
  cmake --preset "$tree"
  cmake --build --preset "$tree" -j "$jobs"
done

tree=$(orlix_wine_tree "$ORLIX_WINE_ARCH")
echo "Windows tests: the $tree tree in a $ORLIX_WINE_ARCH prefix: $ORLIX_WINE_REASON"
if [ -z "$DISPLAY" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" ctest --preset "$tree"
else
  ctest --preset "$tree"
fi

sh scripts/scan-check.sh

# The release packages, built and then installed and removed as users would.
packages_start=$(date +%s)
sh scripts/package.sh
sh scripts/package-check.sh
echo "Packages built and checked in $(( $(date +%s) - packages_start )) s"
