#!/bin/sh
# Runs a Windows program of the build under Wine, in the build tree's own prefix.
# Usage: wine-run.sh ARCH PREFIX PROGRAM [ARGS...]   (ARCH: win32 or win64)
# The first caller creates the prefix (serialised with flock so that parallel ctest runs
# share one); every run keeps a persistent wineserver so that a start costs ~0.1 s.
set -e
arch=$1 prefix=$2; shift 2
. "$(dirname "$0")/wine-env.sh"
wine=$(orlix_wine_loader "$arch")
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all
[ -n "$DISPLAY" ] || export DISPLAY="${ORLIX_DISPLAY:-:99}"
mkdir -p "$prefix"
(
  flock 9
  if [ ! -f "$prefix/.orlix-ready" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null 9>&- || true
    wineserver -w
    [ -f "$prefix/system.reg" ] || { echo "wine-run.sh: no $arch prefix could be made in $prefix" >&2; exit 1; }
    # Unmanaged windows: no 2-second wait on every hide or destroy without a window manager.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null 9>&-
    wineserver -w
    touch "$prefix/.orlix-ready"
  fi
  # Keep one server alive across the test run (it exits 60 s after its last client) and warm it
  # up with output detached, so that Wine's background processes never hold the caller's pipes.
  wineserver -p60 >/dev/null 2>&1 </dev/null 9>&- || true
  "$wine" cmd /c exit >/dev/null 2>&1 </dev/null 9>&- || true
) 9>"$prefix.lock"
exec "$wine" "$@"
