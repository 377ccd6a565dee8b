#!/usr/bin/env bash
# Usage: tests/ui/screenshots.sh BUILD_DIR
# Draws the main window (three languages, with and without the DNS section) and the About
# dialog on a virtual 96-dpi screen and writes the PNGs into BUILD_DIR/screenshots/.
set -euo pipefail

build="${1:?usage: screenshots.sh BUILD_DIR}"
out="$build/screenshots"

cmake --build "$build" --target ui_screenshots >/dev/null
mkdir -p "$out"
xvfb-run -a -s '-screen 0 1280x1024x24 -dpi 96' \
    env QT_QPA_PLATFORM=xcb "$build/tests/ui/ui_screenshots" "$out"
echo "Screenshots in $out"
