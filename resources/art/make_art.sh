#!/bin/sh
# Regenerates the program's pictures from draw_art.py (Python 3 and ImageMagick needed):
#   resources/orlix_splash.bmp   About window picture, 252 x 252, 256 colours
#   resources/orlixobject.ico    program icon, 16 to 256 pixels
#   resources/about_button.ico   About button image, 20 x 20 (30 and 40 for higher DPI)
#   resources/icons/             both icons as resource statements with fixed image numbers
# The outputs are committed; the build does not need Python or ImageMagick.
set -e
here=$(cd "$(dirname "$0")" && pwd)
out="$here/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/draw_art.py" "$work"

convert "$work/splash.pam" -filter Lanczos -resize 252x252 \
  -font DejaVu-Sans-Bold -pointsize 25 -fill '#061a33' -fill 'rgba(4,21,38,0.55)' -annotate +19+231 'Ravelin' \
  -fill white -annotate +17+229 'Ravelin' \
  -font DejaVu-Sans -pointsize 10 -fill '#9fd0ff' -kerning 2.5 -annotate +19+203 'ORLIX' \
  -alpha off -dither FloydSteinberg -colors 256 -type Palette BMP3:"$out/orlix_splash.bmp"

for size in 256 48 32 24 16; do
  convert "$work/icon.pam" -filter Lanczos -resize ${size}x${size} -unsharp 0x0.6 "PNG32:$work/icon-$size.png"
done
convert "$work/icon-16.png" "$work/icon-24.png" "$work/icon-32.png" "$work/icon-48.png" "$work/icon-256.png" \
  "$out/orlixobject.ico"

for size in 20 30 40; do
  convert "$work/about.pam" -filter Lanczos -resize ${size}x${size} "PNG32:$work/about-$size.png"
done
convert "$work/about-20.png" "$work/about-30.png" "$work/about-40.png" "$out/about_button.ico"

# The icons as resources with image numbers of their own (see split_icon.py).
rm -rf "$out/icons"
mkdir -p "$out/icons"
python3 "$here/split_icon.py" "$out/orlixobject.ico" 1001 IDI_ORLIXOBJECT "$out/icons" orlixobject
python3 "$here/split_icon.py" "$out/about_button.ico" 1101 IDI_ABOUT_BUTTON "$out/icons" about_button
