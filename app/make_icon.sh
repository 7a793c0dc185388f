#!/usr/bin/env bash
# Draws the program's icon (a list page with a quill over it) with ImageMagick
# and writes quillmer.ico with 16, 32, 48 and 256 pixel images. The result is
# committed; run this again only to change the drawing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none \
  -fill '#1f5fa8' -draw 'roundrectangle 8,8 248,248 40,40' \
  -fill white -draw 'roundrectangle 52,36 188,220 10,10' \
  -fill '#9fb7d6' -draw 'rectangle 72,72 168,82' -draw 'rectangle 72,102 150,112' \
  -draw 'rectangle 72,132 160,142' -draw 'rectangle 72,162 140,172' \
  -fill '#f2b233' -stroke '#8a5a00' -strokewidth 4 \
  -draw 'path "M 232,24 C 196,40 150,92 118,168 L 110,196 L 128,176 C 176,140 216,80 232,24 Z"' \
  -stroke '#5a3a00' -strokewidth 5 -draw 'line 226,34 114,190' \
  "$work/icon256.png"
for size in 16 32 48; do
  convert "$work/icon256.png" -resize ${size}x${size} "$work/icon$size.png"
done
convert "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" "$work/icon256.png" \
  "$here/quillmer.ico"
