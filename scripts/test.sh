#!/bin/sh
# Builds both trees and runs every test: the portable code natively (ASan + UBSan), the
# Windows programs under Wine in a throwaway 32-bit prefix, windows on a private Xvfb display.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset native
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

cmake --preset mingw
cmake --build --preset mingw -j "$jobs"
if [ -z "$DISPLAY" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" ctest --preset mingw
else
  ctest --preset mingw
fi

sh scripts/scan-check.sh
