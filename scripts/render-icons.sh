#!/usr/bin/env bash
# Renders the committed PNG icons from icons/venmark.svg (needs librsvg2-bin),
# and the Windows icon from them (needs imagemagick).
set -euo pipefail
cd "$(dirname "$0")/../icons"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" venmark.svg -o "venmark-$size.png"
done
# The Windows program's icon, every size in one file.
convert venmark-16.png venmark-24.png venmark-32.png venmark-48.png \
  venmark-64.png venmark-128.png venmark-256.png venmark.ico
