#!/bin/sh
# Renders the sample report of every built-in style and lays the 32 pictures out on one sheet:
# RTF through LibreOffice (PDF) and pdftoppm, HTML through headless Chromium's screenshot.
#
#   docs/make-contact-sheet.sh <render_samples program> [output.png]
#
# The program is built by the native tree (target render_samples, in <build>/tests/native/).
# Needs soffice, pdftoppm, chromium and ImageMagick's montage.
set -eu

samples_program=${1:?usage: make-contact-sheet.sh <render_samples program> [output.png]}
output=${2:-$(dirname "$0")/styles-contact-sheet.png}
work=$(mktemp -d)
# KEEP=1 leaves the single pictures in the work folder for a closer look.
if [ "${KEEP:-0}" = 1 ]; then echo "pictures in $work/png"; else trap 'rm -rf "$work"' EXIT; fi

"$samples_program" "$work/reports" >/dev/null
mkdir -p "$work/pdf" "$work/png"

soffice -env:UserInstallation="file://$work/profile" --headless --convert-to pdf --outdir "$work/pdf" \
  "$work"/reports/*.rtf >/dev/null 2>&1
for pdf in "$work"/pdf/*.pdf; do
  name=$(basename "$pdf" .pdf)
  # The upper part of the first page, where title and table sit.
  pdftoppm -png -r 60 -f 1 -l 1 -x 0 -y 0 -W 660 -H 230 -singlefile "$pdf" "$work/png/$name RTF"
done

for page in "$work"/reports/*.html; do
  name=$(basename "$page" .html)
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
    --no-first-run --hide-scrollbars --user-data-dir="$work/chrome" --window-size=880,300 \
    --screenshot="$work/png/$name HTML.png" "file://$page" >/dev/null 2>&1
done

count=$(ls "$work"/png/*.png | wc -l)
if [ "$count" -ne 32 ]; then
  echo "expected 32 pictures, made $count" >&2
  exit 1
fi

# Same tile size for both kinds: the landscape RTF page and the browser window.
montage -label '%t' -font DejaVu-Sans -pointsize 12 "$work"/png/*.png -resize 440x160 -background '#dddddd' \
  -tile 4x8 -geometry 440x160+6+6 -colors 128 "$output"
ls -l "$output"
