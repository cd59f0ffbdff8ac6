#!/usr/bin/env bash
# Renders the PNG icons the desktop menus use from packaging/icons/kvqor.svg; the PNGs are kept in
# the tree so that building needs no SVG renderer.
# Needs: apt-get install librsvg2-bin (not needed to build or test).
set -euo pipefail
cd "$(dirname "$0")/icons"
command -v rsvg-convert >/dev/null || { echo "make-icons: rsvg-convert is missing" >&2; exit 1; }
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" kvqor.svg -o "kvqor-$size.png"
done
echo "make-icons: done"
