#!/bin/sh
# Peak resident memory of the console tool's report path against its floor, the data file read
# plus the report written: a JSON data file of ROWS rows x 5 columns (scripts/report-data.sh)
# through the field mask, the grid and each format's first style into a file.
#   scripts/report-memory-bench.sh [ROWS]      (default 100000)
# ORLIXREPORT=path measures another build of the tool.
set -e
cd "$(dirname "$0")/.."
rows=${1:-100000}
tool=${ORLIXREPORT:-}
if [ -z "$tool" ]; then
  cmake --preset native-release >/dev/null
  cmake --build --preset native-release --target orlixreport -j 2 >/dev/null
  tool=build/native-release/cli/orlixreport
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh scripts/report-data.sh "$rows" > "$work/rows.json"
mask='0="ProgID",1="File Path",2="Version",3="Attribute",4="CLSID"'
data=$(wc -c < "$work/rows.json")
for format in html rtf csv; do
  /usr/bin/time -f "%M %U %S" -o "$work/time.txt" "$tool" report --format "$format" --title Components \
    --subtitle "Class root" --mask "$mask" --data "$work/rows.json" -o "$work/report.$format" >/dev/null
  report=$(wc -c < "$work/report.$format")
  read -r peak user sys < "$work/time.txt"
  echo "$format $peak $data $report $user $sys" | awk -v rows="$rows" '{
    floor = ($3 + $4) / 1e6; peak = $2 * 1024 / 1e6;
    printf "report path, %d rows, %-4s peak %7.1f MB   floor %7.1f MB (data %.1f + report %.1f)   ratio %.3f   (%.2f s processor)\n",
      rows, $1, peak, floor, $3 / 1e6, $4 / 1e6, peak / floor, $5 + $6 }'
done
