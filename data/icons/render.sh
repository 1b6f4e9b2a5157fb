#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# Renders the icon's PNG sizes from the SVG, except 32 px, which is the program's own 16-colour
# icon (kestrova.xpm) pixel for pixel. The PNGs are committed, so building needs neither tool.
#   data/icons/render.sh        (needs rsvg-convert from librsvg2-bin and convert from imagemagick)
set -euo pipefail
cd "$(dirname "$0")"
id=org.kestrova.Kestrova
mkdir -p hicolor/scalable/apps
# the SVG is kept in the hicolor tree itself
for size in 16 22 24 32 48 64 128 256; do
  dir=hicolor/${size}x${size}/apps
  mkdir -p "$dir"
  if [ "$size" = 32 ]; then
    convert kestrova.xpm -strip "png:$dir/$id.png"
  else
    rsvg-convert -w "$size" -h "$size" "$id.svg" | convert - -strip "png:$dir/$id.png"
  fi
done
