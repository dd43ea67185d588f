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

# Cuts the dialog out of the screen, its caption clicked first so that it shows as active.
shoot() {
  wait_dialog
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 8)) click 1 mousemove 0 0
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
}

for dpi in 96 144; do
  prefix="$PWD/$tree/screenshot-prefix-$dpi"
  run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  # Each format, a style selected.
  for format in 0 1 2; do
    case $format in 0) name=rtf style=1 ;; 1) name=html style=1 ;; 2) name=csv style=0 ;; esac
    run "$demo" 40 "$format" "$style" >/dev/null 2>&1 </dev/null &
    pid=$!
    wait_dialog
    sleep 2
    shoot "docs/dialog-$name-$dpi.png"
    xdotool search --name "^Create Report$" key --clearmodifiers Escape 2>/dev/null || true
    kill $pid 2>/dev/null || true
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    sleep 1
  done
  # A report in progress: Save renders a large grid while shots are taken; the shot whose bar
  # is about half full is kept (measured by the share of the bar's colour in the shot).
  run "$demo" 60000 1 3 save >/dev/null 2>&1 </dev/null &
  pid=$!
  wait_dialog
  frames="$tree/progress-$dpi.txt"
  : >"$frames"
  i=0
  while [ $i -lt 40 ]; do
    frame="$tree/progress-$dpi-$i.png"
    if shoot "$frame" 2>/dev/null; then
      echo "$(convert "$frame" -alpha off -fill black +opaque "#3096FA" -fill white -opaque "#3096FA" -format "%[fx:mean]" info:) $frame" >>"$frames"
    fi
    i=$((i + 1))
  done
  chosen=$(awk 'NR == 1 || $1 < low { low = $1 } NR == 1 || $1 > high { high = $1 } { v[NR] = $1; f[NR] = $2 }
    END { mid = (low + high) / 2; best = -1
          for (n = 1; n <= NR; n++) { d = v[n] - mid; if (d < 0) d = -d
            if (v[n] > low && (best < 0 || d < bestd)) { best = n; bestd = d } }
          if (best > 0) print f[best] }' "$frames")
  [ -n "$chosen" ] && cp "$chosen" "docs/dialog-progress-$dpi.png"
  rm -f "$tree"/progress-$dpi-*.png "$frames"
  kill $pid 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  sleep 1
done
