#!/usr/bin/env bash
# Renders the committed PNG icons from icons/venmark.svg (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../icons"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" venmark.svg -o "venmark-$size.png"
done
