#!/bin/sh
# The converter as a build system runs it, one area at a time: listings
# beside the bitmaps or where -o says, exit statuses, outputs that cannot be
# written, the formats, the way back from a listing, file names, and pipes,
# devices and standard streams. A refused or failed input leaves the folder
# as it was: no file, no partial one, an older one intact.
# Usage: cli_test.sh AREA CONVERTER SAMPLES_DIR DATA_DIR
set -eu
area=$1 conv=$2 data=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/t" && cd "$work/t"
cp "$3"/*.bmp .
fail() { echo "FAIL: $*" >&2; exit 1; }
# expect STATUS ARGS...: runs the converter, its output in $work/out and $work/err.
expect() {
    want=$1; shift; got=0
    "$conv" "$@" >"$work/out" 2>"$work/err" || got=$?
    [ "$got" = "$want" ] || fail "$* gave status $got, not $want: $(cat "$work/err")"
}
C99="gcc -std=c99 -Wall -Wextra -pedantic -Werror"
CXX17="g++ -std=c++17 -Wall -Wextra -pedantic -Werror -x c++"
# The bytes a listing spells out, in its order.
bytes_of() { perl -ne 'print map { chr hex } /([0-9A-F]{2})H/g' "$1"; }

formats() {
    for name in bit-order dotpress-logo; do
        for sense in "" -inverse; do
            for format in asm:txt c:h bin:bin; do
                expect 0 ${sense:+--inverse} --format "${format%:*}" $name.bmp
                [ "$(cat "$work/out")" = "./lcd_$name.${format#*:}" ] || fail "printed $(cat "$work/out")"
                expect 0 ${sense:+--inverse} --format "${format%:*}" -o - $name.bmp
                cmp "$work/out" "lcd_$name.${format#*:}"
            done
            cmp lcd_$name.txt "$data/lcd_$name$sense.txt"
            bytes_of lcd_$name.txt | cmp - lcd_$name.bin
            perl -ne 'print map { chr hex } /0x([0-9A-F]{2})/g' lcd_$name.h | cmp - lcd_$name.bin
            want=Normal && [ -z "$sense" ] || want=Inverse
            grep -q "$want: dots of palette entry" lcd_$name.h || fail "sense in lcd_$name.h"
        done
    done
    cp "$data"/c/*.c .
    $C99 main.c use.c -o c99 && ./c99 lcd_dotpress-logo.bin || fail "C99 program"
    $CXX17 main.c use.c -o cxx && ./cxx lcd_dotpress-logo.bin || fail "C++17 program"
    expect 0 -o one.txt bit-order.bmp && cmp one.txt "$data/lcd_bit-order.txt"
    expect 2 -o two.txt bit-order.bmp dotpress-logo.bmp && [ ! -e two.txt ] || fail "two.txt"
}

# Refusals (1) and failures (2) name the file; the highest status wins.
statuses() {
    head -c 2100 bit-order.bmp >cut.bmp && cp bit-order.bmp grey.bmp && rm dotpress-logo.bmp
    printf '\010' | dd of=grey.bmp bs=1 seek=28 conv=notrunc 2>"$work/err"
    expect 1 grey.bmp bit-order.bmp
    printf 'grey.bmp: %s\n' 'Picture Resolution is limit to 240 x 64 pixels (Width x Height) and' '2 Colors Bitmap.' \
        'any other picture is prepared for the module with --fit (or --threshold, --dither, --background, --align)' | cmp - "$work/err"
    # Preparation options do not apply to an admitted bitmap: converted as it is, and said so.
    for case in "--fit cover --dither bayer8 --threshold 3 --background black:--fit, --threshold, --dither, --background do" \
        "--fit cover:--fit does"; do
        expect 0 ${case%:*} -o - bit-order.bmp && cmp "$work/out" "$data/lcd_bit-order.txt"
        grep -qx "bit-order.bmp: a 240 x 64, 1-bit bitmap is converted as it is: ${case#*:} not apply" "$work/err" || fail "note: ${case#*:}"
    done
    expect 2 grey.bmp missing.bmp cut.bmp bit-order.bmp
    grep -q "^missing.bmp: cannot open" "$work/err" && grep -q "^cut.bmp: picture data incomplete" "$work/err" || fail "$(cat "$work/err")"
    [ "$(ls | tr '\n' ' ')" = "bit-order.bmp cut.bmp grey.bmp lcd_bit-order.txt " ] || fail "left $(ls)"
    for bad in --bogus "--format x bit-order.bmp" "--to-bitmap --inverse a.txt" "--to-bitmap --fit cover lcd_bit-order.txt" - "--leading-zero --format bin bit-order.bmp" \
        "--to-bitmap --leading-zero lcd_bit-order.txt"; do expect 2 $bad; done
}

# No folder, a path through a file, a folder in the listing's place, a file
# size limit (a full disk, for root too); then a real full file system.
write_faults() {
    printf 'old\r\n' >lcd_bit-order.txt && mkdir lcd_folder.txt
    before=$(ls -A; cat lcd_bit-order.txt)
    for target in missing/x.txt bit-order.bmp/x.txt lcd_folder.txt lcd_bit-order.txt; do
        (trap '' XFSZ; ulimit -f 8; expect 2 -o "$target" bit-order.bmp) || exit 1
        grep -q "^bit-order.bmp: cannot write " "$work/err" && [ "$(ls -A; cat lcd_bit-order.txt)" = "$before" ] || fail "$target"
    done
    mkdir small
    unshare -rm sh -c 'mount -t tmpfs -o size=8k tmpfs small || { echo skipped; exit; }; printf "old\r\n" >small/lcd.txt
        "$0" -o small/lcd.txt bit-order.bmp 2>err; echo "exit=$? $(ls -A small) $(cat small/lcd.txt)"' "$conv" >full 2>&1 || true
    grep -q -e "exit=2 lcd.txt old" -e skipped -e "unshare: " full || fail "full file system: $(cat full)"
}

way_back() {
    for name in bit-order dotpress-logo; do
        expect 0 --to-bitmap -o back.bmp "$data/lcd_$name.txt"
        # Lit dots black, palette entry 0; the others white.
        [ "$(od -An -tx1 -j54 -N8 back.bmp | tr -d ' \n')" = 00000000ffffff00 ] || fail "palette of back.bmp"
        expect 0 -o - back.bmp
        cmp "$work/out" "$data/lcd_$name.txt"
    done
    # Lower-case digits, LF line ends and edited bytes come back canonical.
    cp "$data/hand-edited.txt" .
    expect 0 --to-bitmap hand-edited.txt
    expect 0 -o - hand-edited.bmp
    cmp "$work/out" "$data/hand-edited-canonical.txt"
    # Broken listings fail with their reason and leave no bitmap.
    sed '17s/01H/0GH/' "$data/lcd_bit-order.txt" >broken.txt
    sed '5s/.*/  DB/' "$data/lcd_bit-order.txt" >short.txt
    head -n 239 "$data/lcd_bit-order.txt" >cut.txt
    for case in "broken:line 17: unexpected character 'G'" "short:line 5:" "cut:gives 1912 bytes; 240 x 64 in rows-lsb takes 1920"; do
        expect 2 --to-bitmap "${case%%:*}.txt"
        grep -qF "${case#*:}" "$work/err" || fail "${case%%:*}: $(cat "$work/err")"
        [ ! -e "${case%%:*}.bmp" ] || fail "${case%%:*}.bmp written"
    done
}

# Other modules: the four byte layouts on a 10 x 10 picture, worked by hand;
# the way back for every layout at two sizes; braille at an odd size; the
# C header's comment for each; a 4096 x 4096 bitmap; the refusal of another
# size; a wrong option value named; and real clients:
# luma.oled's SSD1306 driver for pages, netpbm's raw PBM for rows-msb.
layouts() {
    # Dots at the corners and at (3, 5).
    { echo 1000000001; for y in 1 2 3 4; do echo 0000000000; done
      echo 0001000000; for y in 6 7 8; do echo 0000000000; done; echo 1000000001; } | sed 's/[01]/& /g; 1i P1 10 10' >t.pbm
    # rows: 2 bytes a row, (9, y) bit 1 (bit 6 msb-first), (3, 5) byte 10 bit 3 (bit 4); pages:
    # 10 bytes a page, (3, 5) byte 3 bit 5 (bit 2), row 9 in page 1 bit 1 (bit 6).
    for case in "rows-lsb 0102000000000000000008000000000000000102" \
        "rows-msb 8040000000000000000010000000000000008040" \
        "pages-lsb 0100002000000000000102000000000000000002" \
        "pages-msb 8000000400000000008040000000000000000040"; do
        expect 0 --size 10x10 --layout "${case% *}" --fit contain --format bin -o - t.pbm
        [ "$(od -An -tx1 "$work/out" | tr -d ' \n')" = "${case#* }" ] || fail "${case% *}: $(od -An -tx1 "$work/out")"
    done
    # Braille, 3 lines of 5: U+2801 (0, 0), U+2808 (9, 0), U+2810 (3, 5), U+2802 (0, 9), U+2810 (9, 9).
    expect 0 --size 10x10 --show --fit contain t.pbm
    [ "$(tail -n +2 "$work/out" | od -An -tx1 | tr -d ' \n')" = \
        e2a081e2a080e2a080e2a080e2a0880ae2a080e2a090e2a080e2a080e2a0800ae2a082e2a080e2a080e2a080e2a0900a ] || fail "braille"
    # 13 x 7: 2 bytes a row, 14 in all, or 13 bytes a page, one page.
    for case in "rows-lsb:14:Rows from the top, 2 bytes a row, eight dots a byte with the leftmost dot in bit 0." \
        "rows-msb:14:Rows from the top, 2 bytes a row, eight dots a byte with the leftmost dot in bit 7." \
        "pages-lsb:13:Pages of eight rows from the top, 13 bytes a page, one a column from the left, with the top dot in bit 0." \
        "pages-msb:13:Pages of eight rows from the top, 13 bytes a page, one a column from the left, with the top dot in bit 7."; do
        rest=${case#*:} && expect 0 --size 13x7 --layout ${case%%:*} --format c --fit contain -o t.h t.pbm
        grep -q " t\[${rest%%:*}\]" t.h && grep -q '13 x 7 dots' t.h && grep -qxF " * ${rest#*:}" t.h || fail "$(cat t.h)"
    done
    # Each layout there and back at 128 x 64 and 13 x 7: listing, bitmap, listing.
    convert -size 128x64 xc:white +antialias -fill black -draw "rectangle 3,2 40,20" -draw "circle 90,35 90,10" \
        -draw "line 0,63 127,0" -draw "point 127,63" p.png
    for size in 128x64 13x7; do
        for layout in rows-lsb rows-msb pages-lsb pages-msb; do
            expect 0 --size $size --layout $layout --fit stretch --leading-zero -o there.txt p.png
            expect 0 --size $size --layout $layout --to-bitmap -o back.bmp there.txt
            expect 0 --size $size --layout $layout --leading-zero -o again.txt back.bmp
            cmp again.txt there.txt && ! cmp -s there.txt there.old || fail "$size $layout"
            mv there.txt there.old
        done
    done
    expect 2 --size 13x7 --to-bitmap -o short.bmp "$data/lcd_bit-order.txt"
    grep -q "gives 1920 bytes; 13 x 7 in rows-lsb takes 14" "$work/err" && [ ! -e short.bmp ] || fail "$(cat "$work/err")"
    expect 1 --size 128x64 bit-order.bmp && grep -q "^bit-order.bmp: Picture Resolution is limit to 128 x 64" "$work/err" || fail "refusal"
    # A 4096 x 4096 bitmap, 2 MiB of rows, is read whole: row n holds n as 32 bits, 128 times.
    perl -e 'print "P4 4096 4096\n", map { pack("N", $_) x 128 } 0 .. 4095' >big.pbm && ppmtobmp big.pbm >big.bmp 2>"$work/err"
    expect 0 --size 4096x4096 --layout rows-msb --format bin -o - big.bmp && tail -c 2097152 big.pbm | cmp - "$work/out"
    for bad in "size 128*64:'128\*64' is not WxH with W and H from 1 to 4096" "size 4097x1:'4097x1' is not" "size 1x4097:'1x4097' is not" \
        "size 0x8:'0x8' is not" "layout pages:unknown layout 'pages' (rows-lsb, rows-msb, pages-lsb, pages-msb)" \
        "format hex:unknown format 'hex' (asm, c, bin, png, gfxfont)" "fit fill:unknown fit 'fill' (contain, cover, stretch, none)" \
        "dither floyd:unknown method 'floyd' (none, floyd-steinberg, atkinson, bayer4, bayer8)" \
        "background grey:unknown background 'grey' (white, black)" "threshold 1e3:'1e3' is not a whole number from 0 to 256 or auto"; do
        option=${bad%%:*}
        expect 2 --${option% *} "${option#* }" bit-order.bmp
        grep -q "^dotpress-convert: --${option% *}: ${bad#*:}" "$work/err" || fail "$bad: $(cat "$work/err")"
    done
    # What the SSD1306 driver sends for the picture, white lit: pages-lsb, light dots lit.
    if /usr/bin/python3 -c 'import luma.oled' 2>luma.err; then
        /usr/bin/python3 -c 'import sys
from PIL import Image
from luma.oled.device import ssd1306
class Recorder:
    sent = bytearray()
    def command(self, *cmd): pass
    def data(self, data): self.sent += bytes(data)
serial = Recorder()
device = ssd1306(serial_interface=serial, width=128, height=64)
serial.sent = bytearray()
device.display(Image.open(sys.argv[1]).convert("1"))
sys.stdout.buffer.write(serial.sent)' p.png >luma.bin
        expect 0 --size 128x64 --layout pages-lsb --inverse --fit contain --format bin -o - p.png && cmp "$work/out" luma.bin
    else
        echo "python3-luma.oled missing: the SSD1306 comparison skipped"
    fi
    pngtopnm p.png | ppmtopgm | pgmtopbm -threshold | tail -c 1024 >p.bits
    expect 0 --size 128x64 --layout rows-msb --fit contain --format bin -o - p.png && cmp "$work/out" p.bits
}

# pbm NAME W ROW...: a plain PBM, 1 for black.
pbm() {
    name=$1 width=$2; shift 2
    { echo "P1 $width $#"; for row in "$@"; do echo "$row" | sed 's/./& /g'; done; } >"$name"
}
# placed EXPECTED ARGS...: the 8 x 8 module's bytes, a row a byte, leftmost dot in bit 0.
placed() {
    bytes=$1; shift
    expect 0 --size 8x8 --format bin -o - "$@"
    [ "$(od -An -tx1 "$work/out" | tr -d ' \n')" = "$bytes" ] || fail "$*: $(od -An -tx1 "$work/out")"
}

# Placing on an 8 x 8 module, worked by hand: --fit none with each
# alignment, a picture smaller and one larger than the module by an odd
# count; cover's alignments; each turn of an L, prepared and as a bitmap;
# Otsu's threshold without the margins; the PNG of the dots read back.
placing() {
    pbm small.pbm 2 11 11
    pbm large.pbm 11 10000000001 00000000000 00000000000 00000000000 00001100000 00001100000 00000000000 \
        00000000000 00000000000 00000000000 10000000001
    # small: left and top 0, (8 - 2) / 2 = 3 or 6. large: 0, (8 - 11) / 2 = -1 (C++ truncates: the
    # smaller part is cut on the left or top) or -3; its 2 x 2 block at (4, 4) lands at 4 + left, and
    # a corner at (0, 0) or (7, 7) where nothing is cut there.
    for case in center:0000001818000000:0000001818000000 top:1818000000000000:0000000018180000 \
        bottom:0000000000001818:0018180000000000 left:0000000303000000:0000003030000000 \
        right:000000c0c0000000:0000000606000000 top-left:0303000000000000:0100000030300000 \
        top-right:c0c0000000000000:8000000006060000 bottom-left:0000000000000303:0030300000000001 \
        bottom-right:000000000000c0c0:0006060000000080; do
        align=${case%%:*} both=${case#*:}
        placed "${both%:*}" --fit none --align "$align" small.pbm
        placed "${both#*:}" --fit none --align "$align" large.pbm
    done
    # 17 x 8 covers 8 x 8 unscaled, columns 0 to 7 and 16 black; centred, (8 - 17) / 2 = -4.
    pbm wide.pbm 17 11111111000000001 11111111000000001 11111111000000001 11111111000000001 \
        11111111000000001 11111111000000001 11111111000000001 11111111000000001
    placed ffffffffffffffff --fit cover --align top-left wide.pbm
    placed 8080808080808080 --fit cover --align bottom-right wide.pbm
    placed 0f0f0f0f0f0f0f0f --fit cover wide.pbm
    # An L, three wide and four high, turned clockwise, then flipped; the same L
    # as a JPEG stored on its side whose EXIF orientation (6) turns it upright first.
    pbm l.pbm 3 100 100 100 111
    /usr/bin/python3 -c 'from PIL import Image
exif = Image.Exif(); exif[0x0112] = 6
Image.open("l.pbm").convert("L").transpose(Image.ROTATE_90).save("l6.jpg", quality=100, exif=exif)'
    for case in 0:none:0101010700000000 90:none:0f01010000000000 180:none:0704040400000000 \
        270:none:08080f0000000000 0:horizontal:0404040700000000 0:vertical:0701010100000000 \
        90:vertical:01010f0000000000 90:horizontal:0f08080000000000; do
        set -- $(echo "$case" | tr : ' ')
        placed "$3" --fit none --align top-left --rotate "$1" --flip "$2" l.pbm
        placed "$3" --fit none --align top-left --rotate "$1" --flip "$2" l6.jpg
    done
    # Its braille at 3 x 4: U+28C7 (the left column and the foot's first dot), U+2840 (the last).
    expect 0 --size 3x4 --fit none --show -o l.bin l.pbm
    [ "$(tail -n +2 "$work/out" | od -An -tx1 | tr -d ' \n')" = e2a387e2a1800a ] || fail "braille of the L"
    # The same L as an 8 x 8 bitmap, taken as it is and turned whole: (x, y) to (7 - y, x) at 90.
    printf '        DB 01H,01H,01H,07H,00H,00H,00H,00H;\r\n' >l.txt
    expect 0 --size 8x8 --show --to-bitmap -o l.bmp l.txt
    [ "$(tail -n +2 "$work/out" | od -An -tx1 | tr -d ' \n')" = e2a387e2a180e2a080e2a0800ae2a080e2a080e2a080e2a0800a ] || fail "braille of l.bmp"
    placed 0101010700000000 l.bmp
    placed f010100000000000 --rotate 90 l.bmp
    placed 00000000e0808080 --rotate 180 l.bmp
    placed 0000000007010101 --flip vertical l.bmp
    expect 1 --size 8x4 --rotate 90 l.bmp && grep -q "a bitmap of 4 x 8 would fit" "$work/err" || fail "turned refusal"
    # Two greys, 100 and 200, at column 12 of 32 x 2 between black margins: every t from 101 to 200
    # splits them alike, so T is 101. With the 48 margin dots counted t = 1 would win: the scores
    # (N s0 - n0 S)^2 / (n0 (N - n0)) of 48 0s, 8 100s, 8 200s are 115200^2 / 768 and 83200^2 / 448.
    printf 'P2 8 2 255\n' >two.pgm && for i in 1 2; do echo 100 100 100 100 200 200 200 200; done >>two.pgm
    expect 0 --size 32x2 --threshold auto --background black --format bin -o - two.pgm
    [ "$(cat "$work/err")" = "two.pgm: threshold 101" ] && [ "$(od -An -tx1 "$work/out" | tr -d ' \n')" = fffff0fffffff0ff ] || fail "otsu"
    printf 'P2 2 1 255\n130 130\n' >one.pgm
    expect 0 --size 2x1 --threshold auto --dither atkinson --format bin -o - one.pgm
    [ "$(cat "$work/err")" = "one.pgm: threshold 128" ] || fail "otsu of one grey: $(cat "$work/err")"
    # The PNG of the dots, read back by the converter's reader and by netpbm, at the sides 1 and 4096
    # too; at 240 x 64, smaller than stored blocks would make it: 8 + 25 (IHDR) + 12 + 2 + 5 + 64 x 31
    # + 4 (IDAT) + 12 (IEND) = 2052 bytes.
    pbm picture.pbm 13 1111111111111 1000000000001 1011111111101 1010000000101 1011111111101 1000000000001 \
        1111111111111
    for size in 13x7 240x64 1024x1024 4096x1 1x4096; do
        for sense in "" --inverse; do
            expect 0 --size $size $sense --fit stretch --format png -o dots.png picture.pbm
            expect 0 --size $size $sense --fit stretch --format bin -o dots.bin picture.pbm
            expect 0 --size $size --fit none --format bin -o back.bin dots.png && cmp back.bin dots.bin
            expect 0 --size $size $sense --fit stretch --layout rows-msb --format bin -o - picture.pbm
            pngtopnm dots.png | tail -c "$(wc -c <"$work/out")" | cmp - "$work/out"
        done
        [ $size != 240x64 ] || [ "$(wc -c <dots.png)" -lt 2052 ] || fail "PNG of $(wc -c <dots.png) bytes"
    done
}

# Names that are no C identifiers or are keywords, names without ".bmp", and
# names that are not UTF-8, taken byte for byte.
names() {
    mkdir names && cd names
    for name in "my logo.bmp" a-b.bmp 2x.bmp pic.BMP.BMP; do cp ../bit-order.bmp "$name" && expect 0 --format c "$name"; done
    for name in 2x int class _Bool; do expect 0 --format c -o $name.h 2x.bmp; done
    [ "$(grep -ho 'char [^[]*' ./*.h | sort | tr '\n' ' ')" = "char _2x char _Bool_ char class_ char int_ char lcd_2x char lcd_a_b char lcd_my_logo char lcd_pic_h " ] || fail "identifiers"
    for h in ./*.h; do echo "#include \"$h\""; done >all.c
    echo 'int sum(void) { return lcd_my_logo[0] + _2x[0] + int_[0] + class_[0] + lcd_pic_h[0]; }' >>all.c
    $C99 -c all.c && $CXX17 -c all.c || fail "headers of every name"
    cp ../bit-order.bmp logo && cp ../bit-order.bmp logo.dib
    for format in asm:txt c:h bin:bin; do
        expect 0 --format "${format%:*}" logo && [ "$(cat "$work/out")" = "./lcd_logo.${format#*:}" ] || fail "logo: $(cat "$work/out")"
    done
    expect 0 logo.dib && [ "$(cat "$work/out")" = ./lcd_logo.txt ] || fail "logo.dib: $(cat "$work/out")"
    latin=$(printf 'caf\351') decoy=$(printf 'caf\357\277\275')
    cp ../bit-order.bmp "$latin.bmp" && cp ../dotpress-logo.bmp "$decoy.bmp"
    expect 0 "$latin.bmp" && cmp "lcd_$latin.txt" "$data/lcd_bit-order.txt" && [ ! -e "lcd_$decoy.txt" ] || fail "$latin"
    expect 2 "$latin.missing" && grep -qF 'caf\xe9.missing: cannot open' "$work/err" || fail "$(cat "$work/err")"
}

# Outputs that are named pipes or devices are written into; inputs come from
# named pipes and standard input; nothing is written over an input or twice.
streams() {
    mkfifo pipe.txt in.bmp
    cat pipe.txt >got.txt & reader=$!
    expect 0 -o pipe.txt bit-order.bmp
    [ -p pipe.txt ] || { kill $reader; fail "named pipe replaced"; }
    wait $reader && cmp got.txt "$data/lcd_bit-order.txt" || fail "named pipe output"
    cat bit-order.bmp >in.bmp &
    expect 0 -o - in.bmp && cmp "$work/out" "$data/lcd_bit-order.txt"
    "$conv" -o - - <bit-order.bmp | cmp - "$data/lcd_bit-order.txt"
    if [ "$(id -u)" = 0 ] && mknod null c 1 3 2>"$work/err"; then
        expect 0 -o null bit-order.bmp && [ -c null ] || fail "device output"
    else
        echo "not root: devices skipped"
    fi
    # Another file system beside the folder, and a standard output full from
    # the start or after 4096 bytes: small tmpfs mounts in a namespace of their own.
    mkdir other small
    unshare -rm sh -c 'mount -t tmpfs -o size=64k tmpfs other && mount -t tmpfs -o size=8k tmpfs small || exit 9
        "$0" -o other/lcd.txt bit-order.bmp >out && cmp other/lcd.txt "$1" && echo beside
        perl -e "print q(x) x 8192" >small/pad; "$0" bit-order.bmp >small/a 2>>err; echo path $?
        "$0" -o - bit-order.bmp >small/b 2>>err; echo data $?
        truncate -s 4096 small/pad && "$0" -o - bit-order.bmp >small/c 2>>err; echo short $?' "$conv" "$data/lcd_bit-order.txt" >mounts 2>&1 || true
    if [ "$(tr '\n' ' ' <mounts)" = "beside path 2 data 2 short 2 " ]; then
        [ "$(grep -c 'cannot write to standard output' err)" = 3 ] && grep -q "only 4096 of 10800 bytes" err || fail "$(cat err)"
    else
        grep -q -e "^unshare: " -e "^mount: " mounts && echo "mounts skipped: $(cat mounts)" || fail "$(cat mounts)"
    fi
    mkdir sub && cp bit-order.bmp self.bmp && ln -s self.bmp link.bmp
    for target in self.bmp link.bmp ./sub/../self.bmp; do
        expect 2 -o "$target" self.bmp && grep -q "output is the input" "$work/err" && cmp self.bmp bit-order.bmp || fail "$target"
    done
    expect 2 -o self.bmp - <self.bmp && grep -q "output is the input" "$work/err" && cmp self.bmp bit-order.bmp || fail "- <self.bmp"
    cp bit-order.bmp a.bmp && cp dotpress-logo.bmp a.BMP
    expect 2 a.bmp a.BMP && grep -q "already written from a.bmp" "$work/err" && cmp lcd_a.txt "$data/lcd_bit-order.txt" || fail "a.bmp a.BMP"
    ln -s real.txt sub/link.txt && expect 0 -o sub/link.txt bit-order.bmp && [ -L sub/link.txt ] && cmp sub/real.txt lcd_a.txt || fail "link"
    chmod 444 lcd_a.txt && expect 0 -o lcd_a.txt dotpress-logo.bmp && (umask 027 && expect 0 -o new.txt bit-order.bmp)
    [ "$(stat -c %a lcd_a.txt new.txt | tr '\n' ' ')" = "444 640 " ] && cmp lcd_a.txt "$data/lcd_dotpress-logo.txt" || fail "modes"
    # A name as long as a name can be, and (as root) another user's file keeps its owner.
    long=$(printf "%0250d.txt" 0) && expect 0 -o "$long" bit-order.bmp && cmp "$long" "$data/lcd_bit-order.txt"
    if [ "$(id -u)" = 0 ]; then
        chown 4321:4321 new.txt && expect 0 -o new.txt dotpress-logo.bmp
        [ "$(stat -c %u:%g:%a new.txt)" = 4321:4321:640 ] || fail "owner of a replaced file: $(stat -c %u:%g:%a new.txt)"
    fi
}

# Any other picture, prepared: every option over one grey, semi-transparent
# picture (scripts/make_test_picture.py), from a file, a pipe and standard
# input, the bytes of row n the nth 1920 of grey-table.bin (each checked by eye
# with --show); cover's odd overflow; every input format, netpbm's with comments;
# one option alone prepares, none is refused; the pixel limit before decoding,
# beyond Qt's allocation limit below it; cut files; EXIF orientations.
pictures() {
    cp "$data/grey.png" . && mkfifo pipe.png && n=0
    for row in "--fit contain" "--fit cover" "--fit stretch" "--background black" "--dither floyd-steinberg" "--dither atkinson" \
        "--dither bayer4" "--dither bayer8" "--inverse --fit cover" "--threshold 0" "--threshold 256" \
        "--background black --threshold 1" "--fit stretch pipe.png" "--fit stretch -"; do
        case $row in *.png | *-) ;; *) row="$row grey.png" ;; esac
        [ "${row##* }" != pipe.png ] || cat grey.png >pipe.png &
        cat grey.png | "$conv" --format bin -o - $row >got.bin 2>"$work/err" || fail "$row: $(cat "$work/err")"
        n=$((n + 1)) && head -c $((n * 1920)) "$data/grey-table.bin" | tail -c 1920 | cmp - got.bin || fail "row $n: $row"
    done
    # Qt's readers too keep the alpha straight: a lossless WebP and a 32-bit BMP give row 1.
    for f in grey.webp grey.bmp; do
        convert grey.png -define webp:lossless=true $f && expect 0 --fit contain --format bin -o got.bin $f
        head -c 1920 "$data/grey-table.bin" | cmp - got.bin || fail "$f"
    done
    # 240 x 65, the top row black: cover keeps it and cuts the bottom one.
    { printf 'P4 240 65 '; perl -e 'print "\377" x 30, "\0" x 1920'; } >tall.pbm
    expect 0 --fit cover --format bin -o - tall.pbm && perl -e 'print "\377" x 30, "\0" x 1890' | cmp - "$work/out"
    convert -size 100x100 xc:black square.png
    # Under contain the square is 64 x 64 at column (240 - 64) / 2 = 88: bytes 11 to 18 of each row.
    perl -e 'print ((("\0" x 11) . ("\377" x 8) . ("\0" x 11)) x 64)' >square.bin
    # An SVG is drawn at the size it is fitted to, so one declaring 100 000 x 100 000 converts.
    printf '<svg xmlns="http://www.w3.org/2000/svg" width="100000" height="100000" viewBox="0 0 1 1"><rect width="1" height="1"/></svg>' >square.svg
    for format in png jpg gif bmp pbm pgm ppm xbm xpm ico tif webp svg; do
        [ $format = png ] || [ $format = svg ] || convert square.png square.$format
        # Netpbm headers with comments between the fields.
        perl -0777 -pi -e 's/^(P\d)\n(\d+) (\d+)\n/$1\n# made by hand\n$2 # wide\n# high:\n$3\n/' square.$format
        expect 0 --fit contain --format bin -o got.bin square.$format && cmp got.bin square.bin || fail "square.$format"
    done
    # One preparation option alone prepares: --dither, --align.
    for only in "--dither atkinson" "--align top"; do
        expect 0 $only --format bin square.gif && [ "$(cat "$work/out")" = ./lcd_square.bin ] && cmp lcd_square.bin square.bin || fail "$only"
    done
    expect 1 square.png && grep -q "^square.png: Picture Resolution" "$work/err" && grep -q -- "--fit" "$work/err" || fail "refusal"
    perl -MCompress::Zlib -e 'sub chunk { pack("N", length $_[1]) . $_[0] . $_[1] . pack("N", crc32($_[0] . $_[1])) }
        print "\x89PNG\r\n\x1a\n", chunk("IHDR", pack("NNC5", 100000, 100000, 8, 0, 0, 0, 0)), chunk("IDAT", compress("\0" x 100001)), chunk("IEND", "")' >bomb.png
    expect 2 --fit contain bomb.png && grep -q "100000 x 100000" "$work/err" || fail "bomb"
    # Cut or damaged files fail in every format, nothing written; the limit is
    # 8192 x 8192 pixels, inclusive, and a short file declaring a large
    # picture fails without decoding it; plain PBM with or without spaces;
    # EXIF orientations; the largest image of an ICO.
    convert -seed 1 -size 161x90 xc:gray +noise Random -depth 8 noise.png && convert noise.png -interlace JPEG progressive.jpg
    for format in jpg gif bmp pgm webp tif xbm; do convert noise.png -type TrueColor noise.$format; done
    convert noise.png -type Palette -compress None BMP3:noise8.bmp && head -c -1 noise8.bmp >padding.bmp
    /usr/bin/python3 -c 'from PIL import Image; Image.open("noise.png").save("noise.ico")'
    expect 2 --fit contain padding.bmp # only the last row's padding cut: 161 bytes, 3 more to 164
    for f in noise.* noise8.bmp progressive.jpg; do
        n=$(wc -c <$f)
        for cut in $((n / 4)) $((n / 2)) $((n * 3 / 4)) $((n - 24)); do
            head -c $cut $f >cut.${f#*.} && expect 2 --fit contain -o cut.bin cut.${f#*.}
            grep -q "incomplete\|cannot be decoded" "$work/err" && [ ! -e cut.bin ] || fail "$f cut to $cut bytes"
        done
    done
    perl -e 'print "GIF89a", pack("vvC3", 8000, 8000, 0x80, 0, 0), "\0" x 6, ",", pack("v4C", 0, 0, 8000, 8000, 0), "\2\2\104\1\0;"' >huge.gif
    perl -0777 -pe 's/\xff\xc0(...)..../\xff\xc0$1\x1f\x40\x1f\x40/s' noise.jpg >huge.jpg
    perl -MCompress::Zlib -e 'sub chunk { pack("N", length $_[1]) . $_[0] . $_[1] . pack("N", crc32($_[0] . $_[1])) }
        sub png { "\x89PNG\r\n\x1a\n" . chunk("IHDR", pack("NNC5", $_[0], $_[1], $_[3] || 8, 0, 0, 0, 0)) . chunk("IDAT", compress($_[2])) . chunk("IEND", "") }
        open F, ">inside.png"; print F png(8192, 8192, "\0" x (8193 * 8192)); open F, ">outside.png"; print F png(8192, 8193, "");
        open F, ">line.png"; print F png(3000000, 1, "\0" x 3000001); open F, ">deep.png"; print F png(1, 1, "\0\377\0", 16);
        open F, ">side.png"; print F png(1 << 24, 1, "\0" x ((1 << 24) + 1))' && perl -e 'print "P5 32768 1 255\n", "\0" x 32768' >line.pgm
    # Headers alone of 10 000 x 10 000, a PGM and a TIFF, for Qt's readers.
    printf 'P2 10000 10000 255 0' >huge.pgm
    perl -e 'print "II*\0", pack("Vv", 8, 6), map(pack("vvVV", @$_), [256, 4, 1, 10000], [257, 4, 1, 10000], [258, 3, 1, 8],
        [262, 3, 1, 1], [273, 4, 1, 0], [279, 4, 1, 1]), pack("V", 0)' >huge.tif
    for f in huge.gif huge.jpg side.png outside.png huge.pgm huge.tif; do
        expect 2 --fit contain -o huge.bin $f && [ ! -e huge.bin ] && cat "$work/err" >>limits || fail $f
    done
    grep -q "8192 x 8193 pixels; the most a picture may have is 67108864 (8192 x 8192)" limits &&
        [ "$(grep -c "10000 x 10000 pixels; the most a picture may have is 67108864" limits)" = 2 ] || fail "limit: $(cat limits)"
    # 6000 x 6000 of 16-bit RGBA, 288 MB decoded by Qt: more than Qt's own limit.
    convert -size 6000x6000 xc:black -depth 16 -type TrueColorAlpha -compress zip big.tif
    expect 0 --fit contain --format bin -o got.bin big.tif && cmp got.bin square.bin
    expect 0 --fit contain --format bin -o got.bin inside.png && cmp got.bin square.bin
    # 16 bits to 8 as Qt rounds them: 0xFF00 is 254 (65280 / 257), below 255.
    expect 0 --threshold 255 --format bin -o got.bin deep.png && cmp got.bin square.bin
    # A picture 1 high lands on row (64 - 1) / 2 = 31, all 240 dots lit.
    perl -e 'print "\0" x (31 * 30), "\377" x 30, "\0" x (32 * 30)' >line.bin
    for f in line.png line.pgm; do expect 0 --fit contain --format bin -o got.bin $f && cmp got.bin line.bin; done
    # 1 black and 0 white, 2 x 1 fitted to 128 x 64 at column 56: bytes 7 to 14 of each row.
    printf 'P1 2 1 10' >plain.pbm && perl -e 'print ((("\0" x 7) . ("\377" x 8) . ("\0" x 15)) x 64)' >plain.bin
    pnmtoplainpnm square.pbm >square-plain.pbm
    for f in plain square-plain:square; do
        expect 0 --fit contain --format bin -o got.bin ${f%:*}.pbm && cmp got.bin ${f#*:}.bin || fail "$f"
    done
    /usr/bin/python3 -c 'from PIL import Image
im = Image.new("L", (96, 32), 255); im.paste(0, (0, 0, 32, 16)); im.save("o.jpg", quality=100); turned = Image.open("o.jpg")
for o, t in enumerate((Image.FLIP_LEFT_RIGHT, Image.ROTATE_180, Image.FLIP_TOP_BOTTOM, Image.TRANSPOSE, Image.ROTATE_270,
                       Image.TRANSVERSE, Image.ROTATE_90), 2):
    exif = Image.Exif(); exif[0x0112] = o; im.save("o%d.jpg" % o, quality=100, exif=exif); turned.transpose(t).save("r%d.png" % o)'
    for o in 2 3 4 5 6 7 8; do
        expect 0 --fit contain --format bin -o r.bin r$o.png && expect 0 --fit contain --format bin -o o.bin o$o.jpg
        cmp o.bin r.bin || fail "orientation $o"
    done
    # The 64 px image of the ICO, its left half black: bytes 11 to 14 of each row.
    convert -size 64x64 xc:white -fill black -draw 'rectangle 0,0 31,63' half.png
    for n in 16 32 48; do convert -size ${n}x$n xc:black i$n.png; done && convert i16.png i32.png half.png i48.png multi.ico
    perl -e 'print ((("\0" x 11) . ("\377" x 4) . ("\0" x 15)) x 64)' >half.bin
    expect 0 --fit contain --format bin -o got.bin multi.ico && cmp got.bin half.bin || fail "ico"
    head -c $(($(wc -c <multi.ico) - 24)) multi.ico >cut.ico && expect 2 --fit contain cut.ico
    # CMYK as Adobe stores it; an interlaced GIF's rows in place (the top half black).
    convert square.png -colorspace CMYK cmyk.jpg && expect 0 --fit contain --format bin -o got.bin cmyk.jpg && cmp got.bin square.bin
    convert -size 64x64 xc:white -fill black -draw 'rectangle 0,0 63,31' -interlace GIF top.gif
    head -c 960 square.bin >top.bin && perl -e 'print "\0" x 960' >>top.bin
    expect 0 --fit contain --format bin -o got.bin top.gif && cmp got.bin top.bin || fail "interlaced gif"
    expect 2 --show -o - square.png
}

$area
echo "cli_test $area: all passed"
