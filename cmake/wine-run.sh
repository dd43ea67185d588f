#!/bin/sh
# Runs a Windows program of the build under Wine, in the build tree's own 32-bit prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# The first caller creates the prefix (serialised with flock so that parallel ctest runs
# share one); every run keeps a persistent wineserver so that a start costs ~0.1 s.
set -e
prefix=$1; shift
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
[ -n "$DISPLAY" ] || export DISPLAY="${ORLIX_DISPLAY:-:99}"
mkdir -p "$prefix"
(
  flock 9
  if [ ! -f "$prefix/.orlix-ready" ]; then
    wineboot -i >/dev/null 2>&1 </dev/null 9>&- || true
    wineserver -w
    # Unmanaged windows: no 2-second wait on every hide or destroy without a window manager.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null 9>&-
    wineserver -w
    touch "$prefix/.orlix-ready"
  fi
  # Keep one server alive across the test run (it exits 60 s after its last client) and warm it
  # up with output detached, so that Wine's background processes never hold the caller's pipes.
  wineserver -p60 >/dev/null 2>&1 </dev/null 9>&- || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null 9>&- || true
) 9>"$prefix.lock"
exec wine "$@"
