#!/bin/sh
# Mutation check: plants the faults listed in scripts/mutants.txt one at a time, rebuilds, runs
# the tests and reports which faults the tests catch. A measure of the tests, not part of CI.
usage() {
  cat <<'EOF'
Usage: sh scripts/mutation-check.sh [--windows] [--no-baseline] [--list] [ID|FIRST-LAST]...

  (default)      the native set: build/mutation (-O1 with assertions, no sanitizers), every native
                 test except the external consumers (render_consumer_*: LibreOffice, tidy,
                 Chromium, csv), ctest -j2
  --windows      the Windows set (IDs W1, W2, ...): each mutant's own Windows tests under Wine
                 on a private Xvfb display, in build/mutation-mingw where this machine runs
                 32-bit code, else build/mutation-mingw64 (ORLIX_WINE_ARCH=win64 forces it)
  --no-baseline  skip the run of the unmutated tree (it must pass, or no mutant can be judged)
  --list         list the selected mutants and stop
  ID, FIRST-LAST mutants to run (e.g. 3 10-14, or W2-W5 with --windows); default: the whole set

Each mutant is written into the source tree, built and tested, and the file is put back
(also on Ctrl-C). Results: caught (the build succeeded and a test failed), survived (every
test passed), invalid (the mutant does not compile), stale (its original text is not found
exactly once: update scripts/mutants.txt). The caught share is caught / (caught + survived).
Logs and the result table are written under the build folder (mutation-logs/, mutation-results.txt).
Everything runs under nice -n 19. ORLIX_MUTATION_JOBS sets the parallelism (default 2) and
ORLIX_MUTATION_TIMEOUT the limit of one test run in seconds (default 900).
EOF
}

set -u
root=$(cd "$(dirname "$0")/.." && pwd)
helper="$root/scripts/mutants.py"
jobs=${ORLIX_MUTATION_JOBS:-2}
limit=${ORLIX_MUTATION_TIMEOUT:-900}
set_name=native baseline=1 list=0
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) set_name=windows ;;
    --no-baseline) baseline=0 ;;
    --list) list=1 ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "mutation-check.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
ids=$(python3 "$helper" select "$set_name" "$@") || exit 2

if [ "$list" = 1 ]; then
  for id in $ids; do printf '%s\t%s\n' "$id" "$(python3 "$helper" info "$id")"; done
  exit 0
fi

# --- restoring the tree, whatever happens ---------------------------------------------------
# One run per source tree: a second one would build the first one's mutant.
lock="$root/build/mutation-check.running"
mkdir -p "$root/build"
if ! mkdir "$lock" 2>/dev/null; then
  echo "mutation-check.sh: another run holds $lock (remove it if none is running)" >&2
  exit 2
fi
saved=$(mktemp -d)
applied=""
restore() {
  if [ -n "$applied" ]; then
    # A fresh time stamp, so that the next build compiles the original again.
    cmp -s "$saved/original" "$root/$applied" || cp "$saved/original" "$root/$applied"
    applied=""
  fi
}
trap 'restore; rm -rf "$saved" "$lock"' EXIT
trap 'restore; echo "mutation-check.sh: interrupted, the tree is restored" >&2; exit 130' INT TERM HUP

# --- the build tree -------------------------------------------------------------------------
if [ "$set_name" = native ]; then
  dir="$root/build/mutation"
  configure() {
    linker=""
    command -v ld.lld >/dev/null 2>&1 && linker="-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"
    nice -n 19 cmake -S "$root" -B "$dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS_DEBUG=-O1 -DCMAKE_C_FLAGS_DEBUG=-O1 $linker \
      -DORLIX_SANITIZE=OFF -DORLIX_BUILD_BENCH=OFF
  }
  run_tests() {  # $1: ctest -R expression (unused: the whole native suite runs)
    timeout -k 30 "$limit" nice -n 19 ctest --test-dir "$dir" -j "$jobs" -E '^render_consumer_' \
      --stop-on-failure --output-on-failure
  }
else
  . "$root/cmake/wine-env.sh"
  orlix_pick_wine_arch || exit 2
  tree=$(orlix_wine_tree "$ORLIX_WINE_ARCH")
  dir="$root/build/mutation-$tree"
  if [ "$tree" = mingw ]; then toolchain=toolchain-mingw-i686.cmake; else toolchain=toolchain-mingw-x86_64.cmake; fi
  configure() {
    nice -n 19 cmake -S "$root" -B "$dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" -DORLIX_BUILD_BENCH=OFF
  }
  run_tests() {  # $1: ctest -R expression
    timeout -k 30 "$limit" xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
      nice -n 19 ctest --test-dir "$dir" -R "$1" --stop-on-failure --output-on-failure
    status=$?
    # The next run has a display of its own: the prefix's server must not outlive this one.
    WINEPREFIX="$dir/wineprefix" wineserver -k >/dev/null 2>&1
    return $status
  }
fi
build() { nice -n 19 cmake --build "$dir" -j "$jobs"; }
# The failing tests of a ctest log, one line.
failed_tests() {
  sed -n '/tests FAILED:/,$p' "$1" | sed -n 's/^[[:space:]]*[0-9][0-9]* - \([^ ]*\) (\(.*\))$/\1 (\2)/p' |
    grep -v '(Not Run)' | tr '\n' ' ' | sed 's/ $//'
}

logs="$dir/mutation-logs"
results="$dir/mutation-results.txt"
mkdir -p "$logs"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  echo "Configuring $dir"
  configure >"$logs/configure.log" 2>&1 || { echo "configuring failed: $logs/configure.log" >&2; exit 1; }
fi

# The Windows set runs only each mutant's own tests; the baseline runs all of them.
selection() { python3 "$helper" info "$1" | cut -f3; }
if [ "$set_name" = windows ]; then
  all=""
  for id in $ids; do
    t=$(selection "$id")
    [ -n "$t" ] || { echo "mutant $id names no tests (tests: in scripts/mutants.txt)" >&2; exit 2; }
    all="${all:+$all|}$t"
  done
else
  all=.
fi

if [ "$baseline" = 1 ]; then
  echo "Baseline: building and testing the unmutated tree"
  build >"$logs/baseline.build.log" 2>&1 || { echo "the unmutated tree does not build: $logs/baseline.build.log" >&2; exit 1; }
  if ! run_tests "$all" >"$logs/baseline.test.log" 2>&1; then
    echo "the unmutated tree fails its tests ($(failed_tests "$logs/baseline.test.log")): $logs/baseline.test.log" >&2
    exit 1
  fi
fi

# --- the mutants ----------------------------------------------------------------------------
: >"$results"
caught=0 survived=0 invalid=0 stale=0
for id in $ids; do
  info=$(python3 "$helper" info "$id")
  file=$(printf '%s' "$info" | cut -f1)
  what=$(printf '%s' "$info" | cut -f2)
  tests=$(printf '%s' "$info" | cut -f3)
  detail=""
  start=$(date +%s)
  if [ -f "$root/$file" ]; then
    cp "$root/$file" "$saved/original"
    applied=$file
  fi
  if ! detail=$(python3 "$helper" apply "$root" "$id"); then
    result=stale
  elif ! build >"$logs/$id.build.log" 2>&1; then
    result=invalid
    detail="does not compile: $logs/$id.build.log"
  elif [ "$set_name" = windows ] && ! ctest --test-dir "$dir" -N -R "$tests" | grep -q '^ *Test *#'; then
    result=invalid
    detail="its tests ($tests) select nothing"
  elif run_tests "${tests:-.}" >"$logs/$id.test.log" 2>&1; then
    result=survived
  else
    result=caught
    detail=$(failed_tests "$logs/$id.test.log")
    [ -n "$detail" ] || detail="test run failed or timed out: $logs/$id.test.log"
  fi
  restore
  case $result in
    caught) caught=$((caught + 1)) ;;
    survived) survived=$((survived + 1)) ;;
    invalid) invalid=$((invalid + 1)) ;;
    stale) stale=$((stale + 1)) ;;
  esac
  printf '%s\t%s\t%s\t%s\t%s\n' "$id" "$result" "$file" "$what" "$detail" >>"$results"
  printf '%-4s %-8s %s: %s  %s [%ss]\n' "$id" "$result" "$file" "$what" "$detail" "$(($(date +%s) - start))"
done

# The tree is whole again: leave the build matching it.
build >"$logs/final.build.log" 2>&1

judged=$((caught + survived))
echo
echo "Mutation check ($set_name): caught $caught, survived $survived, invalid $invalid, stale $stale"
if [ "$judged" -gt 0 ]; then
  awk -v c="$caught" -v j="$judged" 'BEGIN { printf "Caught share: %d of %d = %.1f%%\n", c, j, 100 * c / j }'
fi
if [ "$survived" -gt 0 ]; then
  echo "Survived:"
  awk -F '\t' '$2 == "survived" { printf "  %s  %s: %s\n", $1, $3, $4 }' "$results"
fi
if [ "$stale" -gt 0 ]; then
  echo "Stale (update scripts/mutants.txt):"
  awk -F '\t' '$2 == "stale" { printf "  %s  %s: %s\n", $1, $3, $4 }' "$results"
fi
echo "Results: $results"
