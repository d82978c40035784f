#!/usr/bin/env bash
# Renders the PNG sizes of the icon from tarvik.svg (librsvg2-bin's rsvg-convert); the PNGs are committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/icons"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/tarvik.svg" -o "$here/icons/tarvik-$size.png"
done
