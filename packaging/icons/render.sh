#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from its SVG; run it after changing the SVG
# and commit the PNGs with it. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/hicolor"
name=org.ledcardcfg.LedCardCfg
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "scalable/apps/$name.svg" -o "${size}x${size}/apps/$name.png"
done
