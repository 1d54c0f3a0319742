#!/usr/bin/env bash
# Draws the pictures of the README: the picture of "Preparing any picture" (docs/picture.png,
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

# The README's "Placing the picture": each as the converter's own --format png
# draws the module's dots (lit black), then twice the size.
png() {
    local name=$1
    shift
    "$conv" --format png -o "$work/$name.png" "$@" >"$work/$name.err" 2>&1 || { cat "$work/$name.err"; exit 1; }
    convert "$work/$name.png" -scale 200% "$root/docs/$name.png"
}
# A pixel-art logo of 100 x 30 drawn for the module: a frame, a bar and a zigzag, 1-dot lines.
convert -size 100x30 xc:white +antialias -fill none -stroke black -strokewidth 1 \
    -draw "rectangle 0,0 99,29" -draw "rectangle 5,5 40,24" -draw "line 5,14 40,14" \
    -draw "polyline 50,24 60,5 70,24 80,5 90,24" "$root/docs/pixel-art.png"
png pixel-art-contain --fit contain "$root/docs/pixel-art.png"
png pixel-art-none --fit none "$root/docs/pixel-art.png"
png pixel-art-none-left --fit none --align left "$root/docs/pixel-art.png"
# A module mounted upside down.
png rotated-180 --rotate 180 --dither atkinson "$root/docs/picture.png"
# A dim picture: everything below 128 at a fixed threshold, split by Otsu's.
convert "$root/docs/picture.png" -evaluate multiply 0.4 "$work/dim.png"
png dim-128 --fit contain "$work/dim.png"
png dim-auto --fit contain --threshold auto "$work/dim.png"
cat "$work/dim-auto.err"

# The README's "Fonts and text": a font's specimen and a label set in it, as
# the converter draws them, twice the size.
spleen=/usr/share/fonts/X11/misc/spleen-8x16.pcf.gz
png font-specimen --font "$spleen"
png font-label --font "$spleen" --text "$(printf 'Boiler 72 \302\260C\nPump on')" --size 128x32 --align top-left
