#!/bin/sh
# The main job: build orlixreport natively and list the COM components registered in a fresh
# 32-bit Wine prefix (made once, in build/demo-prefix), read straight from its registry files.
set -e
cd "$(dirname "$0")/.."
prefix="$PWD/build/demo-prefix"
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all wineboot -i >/dev/null 2>&1 </dev/null || true
  WINEPREFIX="$prefix" wineserver -w
fi
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target orlixreport -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
exec build/native-release/cli/orlixreport scan --wine-prefix "$prefix" "$@"
