#!/bin/sh
# --frames: a GIF made here with every disposal method, transparency, offsets,
# an interlaced frame and one past the screen, against Pillow's compositing
# and gifsicle's unoptimized frames; delays against gifsicle --info; every
# output form's frames and delays read by C; pictures kept in the order
# given; one Otsu threshold over all frames; cut and oversized GIFs.
# Usage: frames_test.sh CONVERTER SAMPLES_DIR
set -eu
conv=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && cp "$2/bit-order.bmp" .
fail() { echo "FAIL: $*" >&2; exit 1; }
expect() {
    want=$1; shift; got=0
    "$conv" "$@" >out 2>err || got=$?
    [ "$got" = "$want" ] || fail "$* gave status $got, not $want: $(cat err)"
}
hex() { od -An -tx1 "$@" | tr -d ' \n'; }
# gif [CUT [FRAMES]]: the GIF less its last CUT bytes, or FRAMES frames of 1 x 1 instead; 8 x 6, black, white, grey 128, red, 3 transparent; 3-bit codes, a clear before every two pixels.
gif() {
    /usr/bin/python3 - "$@" <<'PY'
import struct, sys
def data(px):
    codes = [c for i in range(0, len(px), 2) for c in [4] + px[i:i + 2]] + [5]
    out = sum(c << 3 * i for i, c in enumerate(codes)).to_bytes((3 * len(codes) + 7) // 8, 'little')
    return b'\2' + b''.join(bytes([len(out[i:i + 255])]) + out[i:i + 255] for i in range(0, len(out), 255)) + b'\0'
def frame(x, y, w, h, rows, disposal, delay, interlace=0):
    px = [int(c) for c in ''.join(rows[r] for r in ([0, 4, 2, 1, 3, 5] if interlace else range(h)))]
    return b'!\xf9\4' + bytes([disposal << 2 | 1]) + struct.pack('<H', delay) + b'\3\0,' + struct.pack('<4HB', x, y, w, h, interlace << 6) + data(px)
frames = [frame(0, 0, 8, 6, ['00001111', '01230123', '33333333', '22221111', '10101010', '00330033'], 1, 10),
          frame(2, 1, 4, 3, ['0000', '1331', '2222'], 2, 20), frame(1, 2, 5, 3, ['11111', '03330', '22222'], 3, 0),
          frame(6, 0, 2, 6, ['01', '10', '22', '11', '00', '21'], 1, 7, 1), frame(5, 4, 5, 3, ['00010', '11211', '22022'], 0, 5)]
frames = frames if len(sys.argv) < 3 else [frame(0, 0, 1, 1, ['1'], 0, 1)] * int(sys.argv[2])
gif = b'GIF89a' + struct.pack('<2H3B', 8, 6, 0xf1, 0, 0) + bytes([0, 0, 0, 255, 255, 255, 128, 128, 128, 255, 0, 0]) + b''.join(frames) + b';'
sys.stdout.buffer.write(gif[:len(gif) - int(sys.argv[1] if len(sys.argv) > 1 else 0)])
PY
}
gif >a.gif
/usr/bin/python3 -c 'from PIL import Image, ImageSequence
for i, f in enumerate(ImageSequence.Iterator(Image.open("a.gif"))): f.convert("RGBA").save("p%d.png" % i)'
gifsicle --unoptimize --explode a.gif
# Each frame as Pillow and gifsicle composite it, prepared alike (a frame past the
# screen is cut by --fit none); red (grey 76) and grey (128) on each side of 100.
for row in "" "--background black --threshold 100" "--threshold auto --inverse"; do
    expect 0 --size 8x6 --fit none --align top-left --format bin $row --frames -o a.bin a.gif && mv err a.err
    expect 0 --size 8x6 --fit none --align top-left --format bin $row --frames -o p.bin p?.png && cmp a.bin p.bin
    expect 0 --size 8x6 --fit none --align top-left --format bin $row --frames -o g.bin a.gif.00? && cmp a.bin g.bin
done
[ "$(grep -c "^a.gif: threshold [0-9]*$" a.err)" = 1 ] || fail "threshold: $(cat a.err)"
# The first frame, worked by hand: rows 00001111 01230123 33333333 22221111 10101010 00330033, black lit.
expect 0 --size 8x6 --fit none --align top-left --format bin --frames -o - a.gif
[ "$(head -c 6 out | hex)" = 0f110000aa33 ] || fail "first frame $(hex out)"
# An animated WebP (Pillow's, lossless) through Qt's reader: its frames and delays.
/usr/bin/python3 -c 'from PIL import Image
f = [Image.open(n) for n in ("p0.png", "p1.png", "p4.png")]
f[0].save("w.webp", save_all=True, append_images=f[1:], duration=[30, 0, 50], lossless=True)'
expect 0 --size 8x6 --frames -o w.txt w.webp && expect 0 --size 8x6 --frames -o p.txt p0.png p1.png p4.png
[ "$(grep "^;" w.txt | tr -d '\r' | tr '\n' ' ')" = "; frame 1 of 3, 30 ms ; frame 2 of 3, 0 ms ; frame 3 of 3, 50 ms " ] &&
    sed /^\;/d w.txt >w.db && sed /^\;/d p.txt | cmp - w.db || fail "webp"
# Every output form read by C: the header's frames and delays against the
# listing's and the braille's titles, the bin's bytes, the PNG strip's width.
for f in c:h asm:txt bin:bin png:png; do expect 0 --size 8x6 --format ${f%:*} --frames --show -o a.${f#*:} a.gif; done
cat >check.c <<'C'
#include <stdio.h>
#include <string.h>
#include "a.h"
int main(int argc, char **argv)
{
    static unsigned char bytes[4096];
    char line[256];
    unsigned long delay;
    int k, i, of, count;
    FILE *f = fopen(argv[1], "rb");
    if (argc != 5 || !f || fread(bytes, 1, sizeof bytes, f) != sizeof a || memcmp(bytes, a, sizeof a) || fclose(f))
        return 1;
    for (k = 2; k < 4; ++k) {
        for (f = fopen(argv[k], "r"), count = 0; f && fgets(line, sizeof line, f);)
            if (sscanf(line, k == 2 ? "; frame %d of %d, %lu ms" : "frame %d of %d, %lu ms", &i, &of, &delay) == 3
                && (i != ++count || of != A_FRAMES || delay != a_delays[i - 1]))
                return 2;
        if (count != A_FRAMES)
            return 3;
    }
    f = fopen(argv[4], "rb");
    if (!f || fread(bytes, 1, 20, f) != 20 || (bytes[18] << 8 | bytes[19]) != A_FRAMES * (A_WIDTH + 1) - 1)
        return 4;
    if (sizeof a[0] != A_BYTES || A_BYTES != A_HEIGHT * ((A_WIDTH + 7) / 8))
        return 5;
    for (i = 0; i < A_FRAMES; ++i)
        printf("%lu ", a_delays[i]);
    return 0;
}
C
gcc -std=c99 -Wall -Wextra -pedantic -Werror check.c -o check && ./check a.bin a.txt out a.png >delays || fail "C check $?"
gifsicle --info a.gif | perl -ne '$n++ if /^  \+ image/; $d[$n - 1] = sprintf "%.0f", $1 * 1000 if /delay ([\d.]+)s/;
    END { print join(" ", map { $_ // 0 } @d[0 .. $n - 1]), " " }' | cmp - delays
[ "$(cat delays)" = "100 200 0 70 50 " ] || fail "delays $(cat delays)"
# With --progmem both arrays stay in the ATmega328P's flash: nothing of them in .data.
expect 0 --size 8x6 --format c --progmem --frames -o p.h a.gif
printf '#include <avr/pgmspace.h>\n#include "p.h"\nvolatile unsigned char k;\nint main(void) { unsigned long s = 0;
for (int i = 0; i < P_FRAMES; ++i) s += pgm_read_byte(&p[i][k]) + pgm_read_dword(&p_delays[i + k]); return (int)s; }\n' >avr.c
avr-gcc -mmcu=atmega328p -Os -Wall -Werror avr.c -o avr.elf && [ "$(avr-size -A avr.elf | awk '$1 == ".data" { print $2 }')" = 0 ] || fail "progmem"
# Pictures in the order given: 10 black, 2 white, 1 its left half black; --delay
# for each; one still is one frame; a bitmap of the module's size as it is.
convert -size 8x6 xc:black 10.png && convert -size 8x6 xc:white 2.png && convert 2.png -fill black -draw "rectangle 0,0 3,5" 1.png
expect 0 --size 8x6 --format bin --frames -o - 10.png 2.png 1.png && [ "$(hex out)" = ffffffffffff0000000000000f0f0f0f0f0f ] || fail "order"
expect 0 --size 8x6 --delay 40 --frames -o o.txt 10.png 2.png 1.png && [ "$(grep -c "^; frame [1-3] of 3, 40 ms" o.txt)" = 3 ] || fail "--delay"
expect 0 --size 8x6 --frames 1.png && [ "$(grep "^;" lcd_1.txt)" = "$(printf '; frame 1 of 1, 0 ms\r')" ] || fail "one still"
expect 0 --frames --format bin -o b.bin bit-order.bmp && expect 0 --format bin -o - bit-order.bmp && cmp out b.bin
expect 2 --frames 10.png 2.png && grep -q "give -o" err || fail "several without -o"
for bad in "--delay 4 1.png" "--frames --delay -1 1.png" "--frames --to-bitmap o.txt"; do expect 2 $bad; done
# One threshold over all frames: 60 and 100 in the first, 200 in the second. Splitting off
# 60 scores (4 * 60 - 560)^2 / 3 = 34133, off 60 and 100 (4 * 160 - 2 * 560)^2 / 4 = 57600: T = 101.
for g in "60 60 60 60 100 100 100 100" "200 200 200 200 200 200 200 200"; do echo "P2 8 2 255 $g $g"; done | split -l 1 - f
expect 0 --size 8x2 --threshold auto --format bin --frames -o - faa fab && [ "$(cat err)" = "faa, fab: threshold 101" ] && [ "$(hex out)" = ffff0000 ] || fail "otsu"
# A GIF cut inside its last frame, too many frames, too large a screen: status 2, no file.
gif 4 >cut.gif && gif 0 10001 >many.gif
perl -e 'print "GIF89a", pack("vvC3", 8193, 8192, 0, 0, 0), ",", pack("v4C", 0, 0, 1, 1, 0), "\2\2\104\1\0;"' >huge.gif
for case in "cut:frame 5: the picture data is incomplete" "many:more than 10000 frames" "huge:8193 x 8192 pixels; the most"; do
    expect 2 --frames -o x.txt "${case%%:*}.gif" && grep -q "^${case%%:*}.gif: .*${case#*:}" err && [ ! -e x.txt ] || fail "$case: $(cat err)"
done
