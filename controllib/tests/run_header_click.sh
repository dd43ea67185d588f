#!/bin/sh
# A person's click on the hosted grid: starts the ATL container test that waits for it, reads
# where the ProgID header is on screen, and clicks there with xdotool.
# Usage: run_header_click.sh ARCH PREFIX TEST_PROGRAM WORK_DIR
arch=$1 prefix=$2 program=$3 work=$4
[ -n "$DISPLAY" ] || export DISPLAY="${ORLIX_DISPLAY:-:99}"
command -v xdotool >/dev/null || { echo "xdotool is not installed"; exit 1; }
mkdir -p "$work"
click="$work/header-click.txt"
rm -f "$click"
ORLIX_OCX_CLICK_FILE="$click" sh "$(dirname "$0")/../../cmake/wine-run.sh" "$arch" "$prefix" "$program" \
  --gtest_filter=AtlContainer.PersonClicksAColumnHeader >"$work/header-click.log" 2>&1 &
test_pid=$!
i=0
while [ ! -s "$click" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
if [ -s "$click" ]; then
  read -r x y < "$click"
  xdotool mousemove "$x" "$y" click 1
fi
wait $test_pid
status=$?
cat "$work/header-click.log"
exit $status
