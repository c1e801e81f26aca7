#!/usr/bin/env bash
# Renders the committed PNGs and the Windows icon from their SVG sources
# (needs librsvg2-bin and imagemagick).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 128; do rsvg-convert -w $size -h $size quenlow.svg -o quenlow-$size.png; done
rsvg-convert -w 196 -h 38 banner.svg -o banner.png
rsvg-convert -w 32 -h 32 hand.svg -o hand.png
convert quenlow-16.png quenlow-32.png quenlow-48.png quenlow-128.png quenlow.ico
