#!/bin/sh
# Screenshots of the About window and of the main window with a generated list at 96 and 144 DPI,
# taken under Wine on a private Xvfb display in a prefix of their own per DPI; the clicks are real
# X pointer events at the controls that the test probe finds. Each prefix registers two classes
# whose files are missing: the list shows them first, one selected, the other under the mouse
# with its tool tip.
# Usage: sh docs/make-window-screenshots.sh [BUILD_TREE]   (default build/mingw64)
set -e
cd "$(dirname "$0")/.."
tree=${1:-build/mingw64}
. cmake/wine-env.sh
case "$tree" in *mingw64*) arch=win64 ;; *) arch=win32 ;; esac
cmake --build "$tree" --target OrlixObject ui_probe -j2 >/dev/null
program="$tree/app/OrlixObject.exe"
probe="$tree/tests/windows/ui_probe.exe"
display=:$((80 + $$ % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY="$display"
sleep 1
run() { sh cmake/wine-run.sh "$arch" "$prefix" "$@" </dev/null >/dev/null 2>&1; }
answer() {
  run "$probe" "Z:$(echo "$work/answer" | sed 's|/|\\|g')" "$@"
  tr -d '\r' <"$work/answer"
}
click() {
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(answer point "$1" - "$2") click 1
  sleep 0.3
  xdotool mousemove 5 5
}
# Cuts the one window titled "Orlix Ravelin" out of the screen.
shoot() {
  sleep 1.5
  id=$(xdotool search --name "^Orlix Ravelin$" | tail -n 1)
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
}

# A class whose in-process server file is not there.
register_missing() {
  run reg add "HKLM\\Software\\Classes\\$1\\Clsid" /ve /d "$2" /f
  run reg add "HKLM\\Software\\Classes\\CLSID\\$2\\InprocServer32" /ve /d "$3" /f
}

for dpi in 96 144; do
  prefix="$PWD/$tree/screenshot-prefix-$dpi"
  run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
  register_missing AcmeChart.Chart '{5C1E7B90-2F4A-4D6B-8E3C-9A0B1C2D3E41}' 'C:\Program Files\Acme\chart.dll'
  register_missing AcmeChart.Legend '{5C1E7B90-2F4A-4D6B-8E3C-9A0B1C2D3E42}' '%ProgramFiles%\Acme\legend.dll'
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  sleep 1
  sh cmake/wine-run.sh "$arch" "$prefix" "$program" </dev/null >/dev/null 2>&1 &
  pid=$!
  answer wait OrlixAboutWindow >/dev/null
  shoot "docs/about-$dpi.png"
  click OrlixAboutWindow 1
  answer wait OrlixMainWindow >/dev/null
  click OrlixMainWindow 100
  until [ "$(answer enabled OrlixMainWindow - 101)" = 1 ]; do sleep 0.5; done
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(answer row OrlixMainWindow - 104 0) click 1
  # shellcheck disable=SC2046
  xdotool mousemove --sync $(answer row OrlixMainWindow - 104 1)
  sleep 0.2
  xdotool mousemove_relative --sync 3 1
  shoot "docs/main-$dpi.png"
  kill $pid 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  sleep 1
done
