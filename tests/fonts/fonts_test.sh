#!/bin/sh
# Fonts into glyph tables and text, one area at a time, against real clients:
# pcf2bdf with the BDF reader of glyphs.py, FreeType's Python binding, the C
# compilers, and draw.c drawing from the tables as their fields say.
# Usage: fonts_test.sh AREA CONVERTER TEST_DIR FONT_DATA_DIR
set -eu
area=$1 conv=$2 here=$3 data=$4
misc=/usr/share/fonts/X11/misc dejavu=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
expect() {
    want=$1; shift; got=0
    "$conv" "$@" >out 2>err || got=$?
    [ "$got" = "$want" ] || fail "$* gave status $got, not $want: $(cat err)"
}
# draw [-DGFX]: draw.c built against font.h (and gfx.h) warning-free.
draw() { gcc -std=c99 -Wall -Wextra -pedantic -Werror "$@" -I. "$here/draw.c" -o draw || fail "draw.c with $(head -c 300 font.h)"; }
glyphs() { /usr/bin/python3 "$here/glyphs.py" "$@"; }

# Every glyph of two PCF fonts, in each layout, as pcf2bdf's BDF holds it.
bitmap() {
    for font in 6x13 spleen-8x16; do
        zcat $misc/$font.pcf.gz | pcf2bdf >$font.bdf && glyphs bdf $font.bdf >want
        for layout in rows-lsb rows-msb pages-lsb pages-msb; do
            expect 0 --font $misc/$font.pcf.gz --chars 0-0xFFFF --layout $layout -o font.h
            draw && ./draw glyphs >got && cmp want got || fail "$font in $layout"
        done
    done
    grep -qx "U+0001 is not in $misc/spleen-8x16.pcf.gz" err || fail "missing character: $(tail -1 err)"
    expect 0 --font $misc/6x13.pcf.gz && [ "$(cat out)" = font_6x13.h ] || fail "name $(cat out)"
}

# An outline font at 12 and 16 pixels as FreeType renders it in monochrome;
# each compiler takes the table, two fonts in one file too.
outline() {
    for px in 12 16; do
        glyphs outline $dejavu $px >want
        expect 0 --font $dejavu --font-size $px -o font.h
        draw && ./draw glyphs >got && cmp want got || fail "DejaVuSans at $px"
        expect 0 --font $dejavu --font-size $px && [ "$(cat out)" = font_DejaVuSans_$px.h ] || fail "name $(cat out)"
    done
    printf '#include "font_DejaVuSans_12.h"\n#include "font_DejaVuSans_16.h"\nint main(void) { return font_DejaVuSans_12.count - font_DejaVuSans_16.count; }\n' >two.c
    for cc in gcc "g++ -x c++" avr-gcc arm-none-eabi-gcc; do
        $cc -Wall -Wextra -Werror -c two.c -o two.o || fail "$cc"
    done
    glyphs outline $dejavu 16 100 >want
    expect 0 --font $dejavu --font-size 16 --threshold 100 -o font.h
    draw && ./draw glyphs >got && cmp want got || fail "DejaVuSans in 256 levels"
}

# --text against the same string drawn from the C table and from the GFXfont.
text() {
    for font in "$misc/spleen-8x16.pcf.gz" "$dejavu --font-size 12"; do
        expect 0 --font $font --chars 32-255 --layout pages-msb -o font.h
        expect 0 --font $font --format gfxfont --chars 32-255 -o gfx.h
        draw -DGFX
        for words in 'Boiler 72 °C' "$(printf 'Set\n 21.5 °C')"; do
            ./draw text "$words" >c.bin && ./draw gfx "$words" >gfx.bin
            expect 0 --font $font --text "$words" --size 240x64 --align top-left --layout rows-msb --format bin -o t.bin
            cmp c.bin t.bin && cmp gfx.bin t.bin || fail "$font: $words"
        done
    done
    # The picture's extent: 'Aj' in tiny is 5 x 5, the line's 5 rows and the
    # pen's 3 + 2 (j's dots at x 2 and 3). Turned clockwise, inverse, in 6 x 5
    # from the left (a margin column lit at the right):
    #   10001 1     the first column of rows 01010 10100 11110 10110 00100
    #   11010 1     read upwards, unlit dots lit, and so on
    #   00001 1  10010 1  11111 1
    expect 0 --font "$data/tiny.bdf" --text 'Aj' --format png -o aj.png --rotate 90 --inverse --size 6x5
    pngtopnm aj.png | pnmtoplainpnm | tail -n +3 | tr -d ' \n' >got
    [ "$(cat got)" = 100011110101000011100101111111 ] || fail "Aj turned: $(cat got)"
    # 'A' is 3 x 5, the line's descent row under it: 1 row above, 0 below.
    expect 0 --font "$data/tiny.bdf" --text A --format png -o a.png --size 3x7 --align bottom
    pngtopnm a.png | pnmtoplainpnm | tail -n +3 | tr -d ' \n' >got
    [ "$(cat got)" = 000000010101111101000 ] || fail "A: $(cat got)"
    expect 0 --font $misc/spleen-8x16.pcf.gz --text 'x' --size 16x16 --show
    [ "$(sed -n 1p out)" = text_spleen_8x16.txt ] && [ "$(wc -l <out)" = 5 ] || fail "$(cat out)"
}

# Hand-worked tables of tiny.bdf: proportional boxes, --fixed cells, GFXfont;
# --chars forms and its errors; the specimen.
tables() {
    tiny=$data/tiny.bdf
    expect 0 --font $tiny --chars 32,A,j -o -
    grep -q '0x02, 0x05, 0x07, 0x05, 0x02, 0x00, 0x02, 0x02, 0x01$' out && grep -q '{0x006A, 4, 2, 5, -1, 4, 2}  /\* U+006A .j. \*/' out \
        && grep -q '{0x0020, 0, 0, 0, 0, 0, 4}, /\* U+0020 . . \*/' out && grep -q 'font_tiny_glyphs, 3, 4, 1, 5, DOTPRESS_ROWS_LSB };' out || fail "$(cat out)"
    expect 0 --font $tiny --chars 32 -o font.h && draw || fail "a table of the space alone, no dots"
    expect 0 --font $tiny --chars 0x20,U+0041,106 --fixed -o -
    grep -qx "$tiny: U+006A 'j' lost dots outside the cell" err && grep -q '0x05, 0x00, 0x01, 0x00,$' out && grep -q '{0x006A, 10, 4, 5, 0, 4, 4}' out || fail "$(cat out err)"
    expect 0 --font $tiny --chars ' -j' --format gfxfont -o -
    grep -q '0x57, 0xD0, 0x45, 0x80' out && grep -q '{2, 2, 5, 2, -1, -4}  /\* U+006A' out && grep -q '{0, 0, 0, 0, 0, 0}, /\* U+0042' out \
        && grep -q '(GFXglyph \*)font_tinyGlyphs, 0x20, 0x6A, 5};' out || fail "$(cat out)"
    for item in '0x41-' '0x41-40' '1x' 'U+D800' '0x110000' 'z-a' '' 'A,,j'; do
        expect 2 --font $tiny --chars "$item"
        grep -q "^dotpress-convert: $tiny: --chars: wrong item '" err || fail "$item: $(cat err)"
    done
    printf 'jA\njA\t\n' >chars.txt
    expect 0 --font $tiny --chars-file chars.txt -o - && grep -c '^    {0x' out | grep -qx 2 && [ ! -s err ] || fail "chars-file $(cat out err)"
    # Each length of UTF-8 in the names, the byte order mark's too, and a code past U+FFFF.
    expect 0 --font $tiny --chars 'A-B,ä,€,0xFEFF,U+1F600' -o - && printf "U+0042 'B' is not in $tiny\nU+00E4 '\303\244' is not in $tiny\nU+20AC '\342\202\254' is not in $tiny\nU+FEFF '\357\273\277' is not in $tiny\nU+1F600 '\360\237\230\200' is not in $tiny\n" | cmp - err || fail "names $(cat err)"
    expect 2 --font $tiny --chars 0x42-0x43 && [ ! -e font_tiny.h ] || fail "none left"
    # Cells of 5 x 5: from j's left -1 to the space's advance 4, A's and j's
    # top 4 to j's row below the baseline. Rows: A at x 7 to 9, j at 12 and 13.
    expect 0 --font $tiny --format png --chars 32,A,j && [ "$(cat out)" = font_tiny.png ]
    pngtopnm font_tiny.png | pnmtoplainpnm | tail -n +3 | tr -d ' \n' >got
    [ "$(cat got)" = $(printf %s 00000000100001000 00000001010000000 00000001110001000 00000001010001000 00000000000010000) ] || fail "specimen $(cat got)"
}

# Bad fonts, overflowing fields and usage errors: status 2, no file.
refusals() {
    tiny=$data/tiny.bdf
    head -c 400 $tiny >cut.bdf && echo 'not a font' >none.ttf
    sed 's/"ISO10646"/"KOI8"/; s/"1"/"R"/' $tiny >koi.bdf && sed 's/DWIDTH 3 0/DWIDTH 300 0/' $tiny >wide.bdf
    for case in "cut.bdf:not a font" "none.ttf:not a font" "koi.bdf:encoding is KOI8-R" "$dejavu:needs --font-size" \
        "wide.bdf --format gfxfont:U+0041 'A': xAdvance 300 does not fit" "$tiny --font-size 6:no strike of 6 pixels; its sizes: 5" \
        "$tiny --text Ab:U+0062 'b' is not in the font"; do
        font=${case%%:*}
        expect 2 --font $font && grep -q "^${font%% *}: .*${case#*:}" err && [ -z "$(ls font_* text_* 2>&1 | grep -v 'No such')" ] || fail "$case: $(cat err)"
    done
    for args in "--format bin" "--size 8x8" "--rotate 90" "--inverse" "--text A --format gfxfont" "--font-size x" "tiny.bmp" "--frames" "--text $(printf '\377')"; do
        expect 2 --font $tiny $args && grep -q "^dotpress-convert: $tiny: " err || fail "$args: $(cat err)"
    done
    grep -q "not UTF-8" err && expect 2 --fixed x.bmp && grep -q -- "--fixed is for fonts" err || fail "$(cat err)"
}

$area
