#!/usr/bin/env bash
# Renders the PNG icons from sendora.svg; run after changing the drawing and commit the results.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" -o "sendora-$size.png" sendora.svg
done
