#!/bin/sh
# Every option that the console tool's usage texts name is described in its manual page.
# Usage: manual_test.sh ORLIXREPORT MANUAL_PAGE
tool=$1 page=$2
options=$( { "$tool" --help; for command in $("$tool" --help | sed -n 's/^  \([a-z][a-z]*\)  .*/\1/p'); do
               "$tool" "$command" --help; done; } | grep -oE -- '(^|[][ |,(])--?[a-z][-a-z]*' | sed 's/^[^-]*//' | sort -u)
[ -n "$options" ] || { echo "no options found in the usage texts of $tool"; exit 1; }
missing=0
for option in $options; do
  escaped=$(printf '%s' "$option" | sed 's/-/\\\\-/g')
  grep -q -- "$escaped" "$page" || { echo "the manual page lacks $option"; missing=1; }
done
exit $missing
