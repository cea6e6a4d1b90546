#!/usr/bin/env bash
# Renders this folder's glyphs at 1x (16 px) and 2x (32 px), as the file list's are.
exec "$(dirname "$0")/../filelist-menu/render-pngs.sh" "$(dirname "$0")"
