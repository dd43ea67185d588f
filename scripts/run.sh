#!/bin/sh
# The main job: build orlixreport natively and list the COM components registered in a fresh
# Wine prefix (made once, in build/demo-prefix-ARCH, 32-bit where this machine runs 32-bit code,
# else 64-bit), read straight from its registry files.
set -e
cd "$(dirname "$0")/.."
. cmake/wine-env.sh
orlix_pick_wine_arch
prefix="$PWD/build/demo-prefix-$ORLIX_WINE_ARCH"
orlix_make_prefix "$ORLIX_WINE_ARCH" "$prefix"
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target orlixreport -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
exec build/native-release/cli/orlixreport scan --wine-prefix "$prefix" "$@"
