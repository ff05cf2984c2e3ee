#!/usr/bin/env bash
# Renders the program's scalable icon into the PNG sizes of the hicolor theme. The PNGs are
# kept in the tree, so building and packaging need no SVG renderer; run this after changing
# the SVG and commit both.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ICONS="$ROOT/data/icons/hicolor"
if ! command -v rsvg-convert >/dev/null; then
    echo "render-icons: rsvg-convert is needed (scripts/setup.sh installs librsvg2-bin)" >&2
    exit 1
fi
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$ICONS/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$ICONS/scalable/apps/kwzview.svg" \
        -o "$ICONS/${size}x${size}/apps/kwzview.png"
done
echo "render-icons: $(ls "$ICONS" | wc -l) sizes in $ICONS"
