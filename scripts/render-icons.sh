#!/usr/bin/env bash
# Renders the PNG icons from data/icons/tavrelrex.svg (rsvg-convert, Debian librsvg2-bin).
# The PNGs are kept in git; run this after changing the SVG.
set -euo pipefail
icons="$(cd "$(dirname "$0")/../data/icons" && pwd)"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$icons/tavrelrex.svg" -o "$icons/tavrelrex-$size.png"
done
