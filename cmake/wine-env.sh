# Sourced by every script that runs Windows programs: which Wine architecture this machine can
# run, and the loader that runs it. Some kernels have their 32-bit (ia32) emulation switched off;
# there only the 64-bit loader starts, and /usr/bin/wine, which prefers the 32-bit one, fails.
#
#   orlix_pick_wine_arch   sets ORLIX_WINE_ARCH (win32 or win64) and ORLIX_WINE_REASON;
#                          a preset ORLIX_WINE_ARCH (win32 or win64) is kept
#   orlix_wine_loader A    prints the loader for architecture A
#   orlix_wine_tree A      prints the build tree of architecture A (mingw or mingw64)

orlix_can_run_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

orlix_pick_wine_arch() {
  case "${ORLIX_WINE_ARCH:-}" in
    win32|win64)
      ORLIX_WINE_REASON="forced by ORLIX_WINE_ARCH=$ORLIX_WINE_ARCH" ;;
    "")
      if orlix_can_run_32bit; then
        ORLIX_WINE_ARCH=win32
        ORLIX_WINE_REASON="this machine runs 32-bit x86 code"
      else
        ORLIX_WINE_ARCH=win64
        ORLIX_WINE_REASON="this machine cannot run 32-bit x86 code (the 32-bit Wine loader does not start)"
      fi ;;
    *)
      echo "ORLIX_WINE_ARCH must be win32 or win64, not '$ORLIX_WINE_ARCH'" >&2
      return 1 ;;
  esac
  export ORLIX_WINE_ARCH
}

orlix_wine_loader() {
  if [ "$1" = win64 ]; then
    if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else echo wine64; fi
  else
    if [ -x /usr/lib/wine/wine ]; then echo /usr/lib/wine/wine; else echo wine; fi
  fi
}

orlix_wine_tree() {
  if [ "$1" = win64 ]; then echo mingw64; else echo mingw; fi
}

# orlix_make_prefix A DIR: a fresh prefix of architecture A in DIR, unless one is there already.
orlix_make_prefix() {
  if [ ! -f "$2/system.reg" ]; then
    mkdir -p "$2"
    WINEPREFIX="$2" WINEARCH="$1" WINEDEBUG=-all "$(orlix_wine_loader "$1")" wineboot -i >/dev/null 2>&1 </dev/null || true
    WINEPREFIX="$2" wineserver -w
  fi
  [ -f "$2/system.reg" ] || { echo "no Wine prefix could be made in $2 ($1)" >&2; return 1; }
}
