#!/bin/sh
# The whole program as a person uses it, through X input events: start, OK on the About window,
# Generate List, Report, a style and View in the Create Report dialog; the test viewer registered for RTF
# files must get the report. Then Close, Close: the program ends.
# Usage: walkthrough.sh ARCH PREFIX SOURCE_DIR WORK_DIR ORLIXOBJECT UI_PROBE TEST_VIEWER
# Exits 77 (skipped) without a display or without xdotool.
set -u
arch=$1 prefix=$2 src=$3 work=$4 program=$5 probe=$6 viewer=$7

[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
command -v xdotool >/dev/null 2>&1 || { echo "xdotool is not installed: skipped"; exit 77; }

rm -rf "$work"
mkdir -p "$work"
winpath() { echo "Z:$1" | sed 's|/|\\|g'; }
wine_run() { sh "$src/cmake/wine-run.sh" "$arch" "$prefix" "$@" </dev/null >>"$work/wine.log" 2>&1; }
# ask COMMAND ARGS...: the probe's answer in $answer; false when it has none.
ask() {
  rm -f "$work/answer"
  wine_run "$probe" "$(winpath "$work/answer")" "$@" || return 1
  answer=$(cat "$work/answer" 2>/dev/null | tr -d '\r') || return 1
}
fail() {
  echo "FAIL: $*"
  import -window root "$work/failure.png" 2>/dev/null && echo "screen: $work/failure.png"
  exit 1
}
# click CLASS TITLE ID: a real pointer click at the centre of the control.
click() {
  ask point "$1" "$2" "$3" || fail "no control $3 in a $1 window"
  # shellcheck disable=SC2086
  xdotool mousemove --sync $answer click 1 || fail "xdotool cannot click at $answer"
  sleep 0.3
}

ask viewer .rtf "\"$(winpath "$viewer")\" \"%1\"" || fail "cannot register the test viewer"
cleanup() {
  wine_run "$probe" "$(winpath "$work/answer")" restore .rtf
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
}
trap cleanup EXIT

export ORLIX_TEST_VIEWER_LOG="$(winpath "$work/viewer.log")"
sh "$src/cmake/wine-run.sh" "$arch" "$prefix" "$program" </dev/null >>"$work/wine.log" 2>&1 &
pid=$!

ask wait OrlixAboutWindow || fail "the About window did not appear"
ask gone OrlixMainWindow || fail "a main window is open at start-up"
click OrlixAboutWindow - 1                           # OK
ask wait OrlixMainWindow || fail "OK did not open the main window"
ask gone OrlixAboutWindow || fail "the About window is still open"
ask enabled OrlixMainWindow - 101 && [ "$answer" = 0 ] || fail "Report is enabled before a list exists"

click OrlixMainWindow - 100                          # Generate List
for i in $(seq 50); do
  ask enabled OrlixMainWindow - 101 && [ "$answer" = 1 ] && break
  sleep 0.2
done
[ "$answer" = 1 ] || fail "Generate List did not enable Report"
ask count OrlixMainWindow - 104 && [ "$answer" -gt 0 ] || fail "the grid is empty after Generate List"
echo "grid rows: $answer"

click OrlixMainWindow - 101                          # Report
ask wait '#32770' 'Create Report' || fail "Report did not open the Create Report dialog"
click '#32770' 'Create Report' 1004                  # a style of the list (RTF is the first format)
click '#32770' 'Create Report' 1                     # View
for i in $(seq 100); do
  [ -f "$work/viewer.log" ] && break
  sleep 0.2
done
[ -f "$work/viewer.log" ] || fail "the viewer was not started"
tr -d '\r' <"$work/viewer.log" >"$work/viewer.txt"
echo "viewer record:"; cat "$work/viewer.txt"
sed -n 2p "$work/viewer.txt" | grep -qi '\.rtf$' || fail "the viewer did not get an RTF file"
[ "$(sed -n 3p "$work/viewer.txt")" = exists ] || fail "the report file did not exist when the viewer started"

click '#32770' 'Create Report' 2                     # Close the dialog
ask gone '#32770' 'Create Report' || fail "the dialog did not close"
click OrlixMainWindow - 2                            # Close the main window: the last one
for i in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end with its last window"
wait "$pid"
status=$?
pid=
[ "$status" = 0 ] || fail "the program ended with status $status"
echo "walkthrough passed"
