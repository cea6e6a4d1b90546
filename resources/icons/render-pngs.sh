#!/usr/bin/env bash
# Renders the PNG sizes of the program icon from kestrava.svg (needs rsvg-convert,
# Debian package librsvg2-bin). Run after changing the SVG and commit the results.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" kestrava.svg --output "kestrava-$size.png"
done
