#!/bin/sh
# Screenshots of the Create Report dialog at 96 and 144 DPI, in each format and with a report in
# progress, taken under Wine on a private Xvfb display in a prefix of their own.
# Usage: sh docs/make-dialog-screenshots.sh [BUILD_TREE]   (default build/mingw64)
set -e
cd "$(dirname "$0")/.."
tree=${1:-build/mingw64}
. cmake/wine-env.sh
case "$tree" in *mingw64*) arch=win64 ;; *) arch=win32 ;; esac
cmake --build "$tree" --target report_form_demo -j2 >/dev/null
demo="$tree/tests/windows/report_form_demo.exe"
display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display"
sleep 1
run() { sh cmake/wine-run.sh "$arch" "$prefix" "$@"; }

# Waits for the dialog: the window that xdotool finds by its caption.
wait_dialog() {
  id=
  for _ in $(seq 1 300); do
    id=$(xdotool search --name "^Create Report$" 2>/dev/null | tail -n 1)
    [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || { echo "no Create Report window" >&2; return 1; }
}

# Cuts the dialog out of the screen.
shoot() {
  wait_dialog
  eval "$(xdotool getwindowgeometry --shell "$id")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
}

for dpi in 96 144; do
  prefix="$PWD/$tree/screenshot-prefix-$dpi"
  run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  # Each format, its second style selected.
  for format in 0 1 2; do
    case $format in 0) name=rtf ;; 1) name=html ;; 2) name=csv ;; esac
    run "$demo" 40 "$format" 1 >/dev/null 2>&1 </dev/null &
    pid=$!
    wait_dialog
    sleep 2
    shoot "docs/dialog-$name-$dpi.png"
    xdotool search --name "^Create Report$" key --clearmodifiers Escape 2>/dev/null || true
    kill $pid 2>/dev/null || true
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    sleep 1
  done
  # A report in progress: Save renders a large grid, shots are taken while the bar moves.
  run "$demo" 20000 1 3 save >/dev/null 2>&1 </dev/null &
  pid=$!
  wait_dialog
  sleep 1
  i=0
  while [ $i -lt 40 ]; do
    shoot "/tmp/progress-$dpi-$i.png" 2>/dev/null || true
    i=$((i + 1))
    sleep 0.25
  done
  kill $pid 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  sleep 1
done
echo "progress shots: /tmp/progress-*.png (copy the one that shows the bar to docs/dialog-progress-<dpi>.png)"
