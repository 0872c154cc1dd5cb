#!/bin/sh
# Renders the PNG sizes of the icon from keldar.svg (needs rsvg-convert, Debian: librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for size in 48 256; do
  rsvg-convert -w "$size" -h "$size" keldar.svg -o "keldar-$size.png"
done
