#!/usr/bin/env bash
# Renders the committed PNGs from their SVG sources (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 128; do rsvg-convert -w $size -h $size quenlow.svg -o quenlow-$size.png; done
rsvg-convert -w 196 -h 38 banner.svg -o banner.png
rsvg-convert -w 32 -h 32 hand.svg -o hand.png
