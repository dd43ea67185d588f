#!/bin/sh
# orlixreport scan --wine-prefix over a generated prefix of 24,000 components (a system.reg of
# about 21 MB, written by bench_registry_file_bench --write-prefix): its time (and processor
# time) against `wc -l` over the same files, and its peak resident memory against their size.
#   scripts/prefix-scan-bench.sh [RUNS]     (default 5; the median is printed)
# ORLIXREPORT=path and REGFILE_BENCH=path measure other builds.
set -e
cd "$(dirname "$0")/.."
runs=${1:-5}
tool=${ORLIXREPORT:-}
writer=${REGFILE_BENCH:-}
if [ -z "$tool" ] || [ -z "$writer" ]; then
  cmake --preset native-release >/dev/null
  cmake --build --preset native-release --target orlixreport bench_registry_file_bench -j 2 >/dev/null
  tool=${tool:-build/native-release/cli/orlixreport}
  writer=${writer:-build/native-release/bench/bench_registry_file_bench}
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$writer" --write-prefix "$work/prefix"
files=$(cat "$work/prefix/system.reg" "$work/prefix/user.reg" | wc -c)
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
now() { date +%s%N; }
i=0
: > "$work/scan.txt"
: > "$work/wc.txt"
while [ "$i" -lt "$runs" ]; do
  start=$(now)
  /usr/bin/time -f "%U %S %M" -o "$work/t" "$tool" scan --wine-prefix "$work/prefix" > "$work/out.tsv"
  stop=$(now)
  awk -v wall=$(((stop - start) / 1000)) '{ print wall / 1e6, $1 + $2, $3 }' "$work/t" >> "$work/scan.txt"
  start=$(now)
  wc -l "$work/prefix/system.reg" "$work/prefix/user.reg" > /dev/null
  stop=$(now)
  echo $(((stop - start) / 1000)) | awk '{ print $1 / 1e6 }' >> "$work/wc.txt"
  i=$((i + 1))
done
wall=$(awk '{ print $1 }' "$work/scan.txt" | median)
cpu=$(awk '{ print $2 }' "$work/scan.txt" | median)
peak=$(awk '{ print $3 }' "$work/scan.txt" | median)
floor=$(median < "$work/wc.txt")
echo "$wall $cpu $floor $peak $files $(($(wc -l < "$work/out.tsv") - 1))" | awk '{
  printf "scan --wine-prefix, %d components: %.3f s (%.3f s processor)   floor: wc -l %.3f s   ratio %.1f\n", $6, $1, $2, $3, ($3 > 0 ? $1 / $3 : 0);
  printf "  peak resident memory %.1f MB   files %.1f MB   ratio %.2f\n", $4 * 1024 / 1e6, $5 / 1e6, $4 * 1024 / $5 }'
