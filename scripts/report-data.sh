#!/bin/sh
# Writes a JSON data file of ROWS rows x 5 columns to standard output, shaped like the component
# list (one row in eight with non-ASCII text): the input of the report path benchmarks.
#   scripts/report-data.sh ROWS
awk -v rows="${1:-10000}" 'BEGIN {
  printf "[\n";
  for (r = 0; r < rows; r++) {
    accent = (r % 8 == 5) ? "\303\251" : "";
    printf "[\"Vendor.Component%d.1\", \"C:\\\\Program Files\\\\Vendor%s\\\\lib%d\\\\component.dll\", \"%d.%d.0.%d\", \"%s\", \"{%04X%04X-1234-5678-9ABC-%012d}\"]%s\n",
      r, accent, r % 977, r % 7, r % 13, r, (r % 3) ? "InprocServer32" : "LocalServer32",
      (r * 40503) % 65536, (r * 7919) % 65536, r, (r + 1 < rows) ? "," : "";
  }
  printf "]\n";
}'
