#!/bin/sh
# Instructions per row of the console tool's report path, counted by callgrind: a JSON data
# file of ROWS rows x 5 columns (component-list shaped, one row in eight with non-ASCII text)
# through the field mask, the grid, the ClassicBlack HTML style and the ANSI file. The count is
# of the whole process (start-up and style loading included) and is the same from run to run
# for the same build, so it can be compared between builds; it is no timing.
#   scripts/report-path-bench.sh [ROWS] [FORMAT] [STYLE]     (defaults: 10000 html ClassicBlack;
#                                                             other formats: their first style)
# ORLIXREPORT=path measures another build of the tool.
set -e
cd "$(dirname "$0")/.."
rows=${1:-10000}
format=${2:-html}
style=${3:-}
[ -z "$style" ] && [ "$format" = html ] && style=ClassicBlack
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }

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
valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$tool" report --format "$format" \
  ${style:+--style "$style"} --title Components --subtitle "Class root" --mask "$mask" --data "$work/rows.json" \
  -o "$work/report.$format" >/dev/null 2>"$work/valgrind.log" || { cat "$work/valgrind.log" >&2; exit 1; }

total=$(sed -n 's/^\(summary\|totals\): *\([0-9]*\).*/\2/p' "$work/callgrind.out" | head -n 1)
echo "report path: $rows rows, $format ${style:-(first style)}, $(wc -c < "$work/report.$format") bytes of output"
echo "$total $rows" | awk '{ printf "  %-44s %14d  %9.0f per row\n", "whole process", $1, $1 / $2 }'
# The steps, inclusive of what they call.
callgrind_annotate --inclusive=yes --threshold=100 "$work/callgrind.out" 2>/dev/null > "$work/annotate.txt"
step() {
  ir=$(grep -E "$2" "$work/annotate.txt" | head -n 1 | awk '{ gsub(",", "", $1); print $1 }')
  echo "${ir:-0} $rows $total" | awk -v name="$1" '{ printf "  %-44s %14d  %9.0f per row  %5.1f%%\n", name, $1, $1 / $2, 100 * $1 / $3 }'
}
step "reading the data file" "orlix::ReadDataFile\\("
step "populating the grid" "orlix::ReportViewData::(Generate|GenerateFromTakenData)\\(\\)"
step "rendering" "orlix::cReport::Generate\\(\\)"
step "converting to the ANSI code page" "orlix::TextToFileBytes\\("
step "storing the file (conversion included)" "orlix::cReport::StoreReportContent\\("
