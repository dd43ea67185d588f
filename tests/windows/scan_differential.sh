#!/bin/sh
# The file-backed class root against the live one: orlixreport.exe scans the live registry of
# the build tree's Wine prefix, then the same prefix through its system.reg and user.reg
# (--wine-prefix), and both outputs must be identical. A few registrations are imported first so
# that the comparison covers every column, and removed again afterwards.
# Usage: scan_differential.sh ARCH PREFIX ORLIXREPORT_EXE SOURCE_DIR WORK_DIR
set -eu
arch=$1 prefix=$2 exe=$3 source=$4 work=$5
run="$source/cmake/wine-run.sh"
wine() { sh "$run" "$arch" "$prefix" "$@"; }
export WINEPREFIX="$prefix" WINEDEBUG=-all
mkdir -p "$work"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# The first run creates the prefix if this is the first test of the tree.
sh "$run" "$arch" "$prefix" cmd /c exit </dev/null >/dev/null 2>&1

cleanup() {
  for key in OrlixDiff.Widget OrlixDiff.Widget.1 OrlixDiff.Gadget OrlixDiff.NoClass OrlixDiff.Empty \
             'CLSID\{6F0A4D21-7C3B-4E59-9A1D-2B8C5E7F9A01}' 'CLSID\{6F0A4D21-7C3B-4E59-9A1D-2B8C5E7F9A02}'; do
    wine reg delete "HKCR\\$key" /f </dev/null >/dev/null 2>&1 || true
  done
}
trap cleanup EXIT
wine reg import "$(winpath "$source/tests/data/scan/differential.reg")" </dev/null >/dev/null 2>&1
# A value unique to this run tells when the registry files hold this run's registrations.
marker="run$$-$(date +%s%N)"
wine reg add 'HKCR\OrlixDiff.Gadget' /v OrlixRun /d "$marker" /f </dev/null >/dev/null 2>&1

for format in "" --json; do
  sh "$run" "$arch" "$prefix" "$exe" scan $format </dev/null >"$work/live$format.out"
done
grep -q 'OrlixDiff.Widget' "$work/live.out" || { echo "imported registrations missing from the live scan"; exit 1; }

# wineserver writes the registry files lazily: wait until the imported keys have reached them.
i=0
until grep -q "$marker" "$prefix/system.reg" 2>/dev/null; do
  i=$((i + 1))
  [ $i -le 90 ] || { echo "system.reg was not written within 90 s"; exit 1; }
  sleep 1
done
sleep 1

status=0
for format in "" --json; do
  sh "$run" "$arch" "$prefix" "$exe" scan $format --wine-prefix "$(winpath "$prefix")" </dev/null >"$work/file$format.out"
  if ! cmp -s "$work/live$format.out" "$work/file$format.out"; then
    echo "scan ${format:-(tsv)}: the live class root and the prefix files differ:"
    diff "$work/live$format.out" "$work/file$format.out" | head -20
    status=1
  fi
done
[ $status -ne 0 ] || echo "live and file scans agree on $(($(wc -l <"$work/live.out") - 1)) components"
exit $status
