#!/usr/bin/env bash
# Draws the picture of the README's "Preparing any picture" (docs/picture.png,
# shapes and a grey ramp, no photograph) and what each dithering makes of it
# on the module, drawn as the LCD preview draws a listing: black dots for 1
# bits, green for 0, here twice the size (docs/dither-METHOD.png).
# Usage: scripts/make_pictures.sh [CONVERTER]   (default build/bin/dotpress-convert)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
conv="${1:-$root/build/bin/dotpress-convert}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 160x480 gradient:white-'#101010' -rotate 90 \
    -fill black -draw "circle 80,80 80,22" \
    -fill '#a0a0a0' -stroke black -strokewidth 3 -draw "rectangle 190,35 290,125" \
    -fill white -draw "polygon 320,130 385,28 450,130" \
    -fill none -stroke '#404040' -strokewidth 6 -draw "ellipse 385,95 50,20 0,360" \
    "$root/docs/picture.png"
for method in none floyd-steinberg atkinson bayer8; do
    "$conv" --fit contain --dither "$method" -o "$work/$method.txt" "$root/docs/picture.png" >/dev/null
    "$conv" --to-bitmap -o "$work/$method.bmp" "$work/$method.txt" >/dev/null
    convert "$work/$method.bmp" -fill '#008000' -opaque white -scale 200% "$root/docs/dither-$method.png"
done
