#!/bin/sh
# The native orlixreport reading a Wine prefix's registry files must list exactly the components
# that the Windows orlixreport.exe reads from the same prefix's live registry under Wine (in the
# architecture this machine runs, or the one ORLIX_WINE_ARCH forces).
set -e
cd "$(dirname "$0")/.."
. cmake/wine-env.sh
orlix_pick_wine_arch
tree=$(orlix_wine_tree "$ORLIX_WINE_ARCH")
prefix="$PWD/build/scan-check-prefix-$ORLIX_WINE_ARCH"
orlix_make_prefix "$ORLIX_WINE_ARCH" "$prefix"
export WINEPREFIX="$prefix" WINEARCH="$ORLIX_WINE_ARCH" WINEDEBUG=-all
out=build/scan-check
mkdir -p "$out"
"$(orlix_wine_loader "$ORLIX_WINE_ARCH")" "build/$tree/cli/orlixreport.exe" scan >"$out/live.tsv" 2>"$out/live.err" </dev/null
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
build/native/cli/orlixreport scan --wine-prefix "$prefix" >"$out/files.tsv"
rows=$(($(wc -l <"$out/files.tsv") - 1))
if ! cmp -s "$out/live.tsv" "$out/files.tsv"; then
  echo "scan check: the live class root and the prefix's files disagree" >&2
  diff "$out/live.tsv" "$out/files.tsv" | head -20 >&2
  exit 1
fi
[ "$rows" -gt 0 ] || { echo "scan check: no components found" >&2; exit 1; }
echo "scan check ($ORLIX_WINE_ARCH): $rows components, identical from the live registry under Wine and from the prefix's files"
