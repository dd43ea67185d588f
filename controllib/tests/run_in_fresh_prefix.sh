#!/bin/sh
# Runs a test program in a Wine prefix made for it alone, and removes the prefix afterwards.
# Usage: run_in_fresh_prefix.sh ARCH DIR PROGRAM [ARGS...]
arch=$1 dir=$2; shift 2
rm -rf "$dir" "$dir.lock"
sh "$(dirname "$0")/../../cmake/wine-run.sh" "$arch" "$dir" "$@"
status=$?
WINEPREFIX="$dir" wineserver -k 2>/dev/null
rm -rf "$dir" "$dir.lock"
exit $status
