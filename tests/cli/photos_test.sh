#!/bin/sh
# Large pictures: a JPEG decoded at 1/d, against Pillow's decode of the same
# file at 1/d; the boundary of d; a 70 MB file; cut files read as they are
# decoded; standard input and named pipes, and the cap of a held pipe.
# Usage: photos_test.sh CONVERTER
set -eu
conv=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
prep="--size 16x8 --fit contain --dither floyd-steinberg --format bin"

# d is the largest of 1, 2, 4, 8 leaving ceil(side / d) at least twice the
# fitted side; on 16 x 8: 256 x 128 fits at 16 x 8, and 32 x 16 is 2 x that:
# d = 8. 63 x 32 fits at round(15.75) = 16 x 8 and ceil(63 / 2) = 32: d = 2;
# 62 x 32 at round(15.5) = 16 x 8, but 31 < 32: d = 1. 32 x 63 turned a
# quarter (--rotate or EXIF 6) fits at 8 x 16 as it lies: d = 2 (16 x 8
# would give 1). Expected: Pillow's decode at 1/d as a PPM, prepared alike.
# Rows: name, size, d, EXIF orientation, --rotate of the JPEG and of the PPM.
cat >rows <<ROWS
big 256 128 8 1 0 0
above 63 32 2 1 0 0
below 62 32 1 1 0 0
turned 32 63 2 1 90 90
exif 32 63 2 6 0 90
ROWS
/usr/bin/python3 -c 'import sys
from PIL import Image
for row in sys.stdin:
    name, w, h, d, exif = row.split()[:5]; w, h, d = int(w), int(h), int(d)
    im = Image.merge("RGB", [Image.effect_noise((w, h), 90) for _ in "rgb"]); e = Image.Exif()
    if exif != "1": e[0x0112] = int(exif)
    im.save(name + ".jpg", quality=90, exif=e)
    im = Image.open(name + ".jpg"); im.draft("RGB", (w // d, h // d))
    assert im.size == (-(-w // d), -(-h // d)), im.size
    im.convert("RGB").save(name + ".ppm")' <rows
while read -r name w h d exif jpeg ppm; do
    "$conv" $prep --rotate $jpeg -o a.bin $name.jpg >log && "$conv" $prep --rotate $ppm -o b.bin $name.ppm >log
    cmp a.bin b.bin || fail "$name: not decoded at 1/$d"
done <rows

# Standard input and a named pipe, read as they are decoded (JPEG) or held
# first (BMP); the same dots as from the file.
mkfifo pipe && /usr/bin/convert big.ppm big.bmp
for f in big.jpg big.bmp; do
    "$conv" $prep -o a.bin $f >log && "$conv" $prep -o b.bin - <$f >log && cmp a.bin b.bin || fail "$f from standard input"
    cat $f >pipe & "$conv" $prep -o c.bin pipe >log && cmp a.bin c.bin || fail "$f from a named pipe"
done

# 5000 x 4700, the left half black: a 70 MB PNG stored uncompressed, and a
# PPM from a named pipe; stretched on 16 x 8,
# each row's 8 left dots lit: bytes FF 00.
perl -MCompress::Zlib -e 'sub chunk { pack("N", length $_[1]) . $_[0] . $_[1] . pack("N", crc32($_[0] . $_[1])) }
    my $row = "\0" x 7500 . "\377" x 7500;
    print "\x89PNG\r\n\x1a\n", chunk("IHDR", pack("NNC5", 5000, 4700, 8, 2, 0, 0, 0)),
        chunk("IDAT", compress(("\0" . $row) x 4700, 0)), chunk("IEND", "")' >wide.png
[ "$(wc -c <wide.png)" -gt 70000000 ] || fail "wide.png is small"
perl -e 'print "\377\0" x 8' >half.bin
"$conv" --size 16x8 --fit stretch --format bin -o a.bin wide.png >log && cmp a.bin half.bin || fail "70 MB PNG"
perl -e 'print "P6 5000 4700 255\n", ("\0" x 7500 . "\377" x 7500) x 4700' >pipe &
"$conv" --size 16x8 --fit stretch --format bin -o a.bin pipe >log && cmp a.bin half.bin || fail "70 MB PPM, named pipe"
# Held from a pipe, a BMP fails past 256 MiB, and says so.
st=0 && perl -e 'print "BM"; print "\0" x 1048576 for 0 .. 256' | "$conv" --fit contain -o a.bin - >log 2>err || st=$?
[ $st = 2 ] && grep -q "^-: .*at most 268435456 bytes (256 MiB)" err || fail "held pipe: $st $(cat err)"

# A GIF's frame of 8 x 4 at 4, 2 on its 16 x 8 screen, black but for its top
# left pixel, streamed (or interlaced, whole) over the screen's background,
# white: rows 2 to 5 lit from column 4 (5 on row 2) to 11.
/usr/bin/convert -size 8x4 xc:black -fill white -draw 'point 0,0' b.gif
gifsicle --logical-screen 16x8 --position 4,2 b.gif >f.gif && gifsicle -i f.gif >fi.gif
perl -e 'print "\0" x 4, "\340\17", "\360\17" x 3, "\0" x 4' >frame.bin
for f in f.gif fi.gif; do
    "$conv" --size 16x8 --fit none --format bin -o a.bin $f >log && cmp a.bin frame.bin || fail "$f"
done

# Cut within its last rows, a picture fails in every reader, from the file
# and from standard input, and nothing is written.
/usr/bin/convert big.ppm -resize 64x48! n.png && /usr/bin/convert n.png -interlace PNG ni.png
/usr/bin/convert n.png n.gif && /usr/bin/convert n.png -interlace GIF ni.gif && /usr/bin/convert n.png n.ppm
/usr/bin/convert n.png n.jpg && /usr/bin/convert n.png -interlace JPEG ni.jpg && /usr/bin/convert n.png n.tif
for f in n.png:30 ni.png:30 n.gif:4 ni.gif:4 n.jpg:10 ni.jpg:10 n.ppm:96 n.tif:100 big.bmp:100; do
    head -c $(($(wc -c <${f%:*}) - ${f#*:})) ${f%:*} >cut.${f%%.*}
    for input in cut.${f%%.*} -; do
        st=0 && "$conv" --fit contain -o cut.bin $input <cut.${f%%.*} >log 2>err || st=$?
        [ $st = 2 ] && grep -q "incomplete\|cannot be decoded" err && [ ! -e cut.bin ] || fail "$f from $input: $st $(cat err)"
    done
done
echo "photos_test: all passed"
