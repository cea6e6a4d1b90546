#!/usr/bin/env bash
# Renders the pop-up menus' glyphs at 1x (16 px) and 2x (32 px) from their SVGs (needs
# rsvg-convert, Debian package librsvg2-bin). Run after changing an SVG and commit the results.
set -euo pipefail
cd "$(dirname "$0")"
for folder in filelist-menu tree-menu; do
  for svg in "$folder"/*.svg; do
    name="${svg%.svg}"
    rsvg-convert --width 16 --height 16 "$svg" --output "$name.png"
    rsvg-convert --width 32 --height 32 "$svg" --output "$name@2x.png"
  done
done
