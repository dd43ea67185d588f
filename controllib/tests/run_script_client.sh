#!/bin/sh
# Registers the library in the build tree's prefix (regsvr32 of the prefix's architecture) and
# runs the VBScript client through cscript. Usage: run_script_client.sh ARCH PREFIX OCX VBS
set -e
arch=$1 prefix=$2 ocx=$3 vbs=$4
run="$(dirname "$0")/../../cmake/wine-run.sh"
sh "$run" "$arch" "$prefix" regsvr32 /s "$ocx"
# cscript wants the script by its Windows path (Wine's Z: drive is the root).
exec sh "$run" "$arch" "$prefix" cscript //nologo "Z:$(echo "$vbs" | tr / '\\')"
