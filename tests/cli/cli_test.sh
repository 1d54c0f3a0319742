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
    printf 'grey.bmp: Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap.\n%s\n' \
        'grey.bmp: any other picture is prepared for the module with --fit (or --threshold, --dither, --background)' | cmp - "$work/err"
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
    for case in "broken:line 17: unexpected character 'G'" "short:line 5:" "cut:gives 15296 of 15360 dots"; do
        expect 2 --to-bitmap "${case%%:*}.txt"
        grep -qF "${case#*:}" "$work/err" || fail "${case%%:*}: $(cat "$work/err")"
        [ ! -e "${case%%:*}.bmp" ] || fail "${case%%:*}.bmp written"
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
}

# The braille of --show (the lines after the path) back into the 1920 bytes.
braille_bytes() {
    tail -n 16 "$work/out" | perl -CI -ne 'chomp; my @bit = ([0, 1, 2, 6], [3, 4, 5, 7]);
        for my $i (0 .. length($_) - 1) { my $v = ord(substr $_, $i, 1) - 0x2800;
            for my $c (0, 1) { for my $r (0 .. 3) { next unless $v >> $bit[$c][$r] & 1;
                my ($x, $y) = (2 * $i + $c, 4 * ($. - 1) + $r); $b[$y * 30 + int($x / 8)] |= 1 << $x % 8 } } }
        END { print pack "C1920", map { $_ // 0 } @b[0 .. 1919] }'
}

# Any other picture, prepared: every option over one grey, semi-transparent
# picture (scripts/make_test_picture.py), from a file, a pipe and standard
# input, the bytes of row n the nth 1920 of grey-table.bin (each checked by eye
# with --show); cover's odd overflow; every input format, the admitted bitmap
# untouched by the options, the refusal without them, a decompression bomb, --show.
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
    # 240 x 65, the top row black: cover keeps it and cuts the bottom one.
    { printf 'P4 240 65 '; perl -e 'print "\377" x 30, "\0" x 1920'; } >tall.pbm
    expect 0 --fit cover --format bin -o - tall.pbm && perl -e 'print "\377" x 30, "\0" x 1890' | cmp - "$work/out"
    convert -size 100x100 xc:black square.png
    # Under contain the square is 64 x 64 at column (240 - 64) / 2 = 88: bytes 11 to 18 of each row.
    perl -e 'print ((("\0" x 11) . ("\377" x 8) . ("\0" x 11)) x 64)' >square.bin
    for format in png jpg gif bmp pbm pgm ppm xbm xpm ico; do
        [ $format = png ] || convert square.png square.$format
        expect 0 --fit contain --format bin -o got.bin square.$format && cmp got.bin square.bin || fail "square.$format"
    done
    expect 0 --dither atkinson --format bin square.gif && [ "$(cat "$work/out")" = ./lcd_square.bin ] || fail "named"
    expect 0 --fit cover --dither bayer8 --threshold 3 --background black -o - bit-order.bmp && cmp "$work/out" "$data/lcd_bit-order.txt"
    expect 1 square.png && grep -q "^square.png: Picture Resolution" "$work/err" && grep -q -- "--fit" "$work/err" || fail "refusal"
    perl -MCompress::Zlib -e 'sub chunk { pack("N", length $_[1]) . $_[0] . $_[1] . pack("N", crc32($_[0] . $_[1])) }
        print "\x89PNG\r\n\x1a\n", chunk("IHDR", pack("NNC5", 100000, 100000, 8, 0, 0, 0, 0)), chunk("IDAT", compress("\0" x 100001)), chunk("IEND", "")' >bomb.png
    expect 2 --fit contain bomb.png && grep -q "100000 x 100000" "$work/err" || fail "bomb"
    expect 0 --show --fit contain --dither floyd-steinberg -o lcd.bin --format bin square.png && braille_bytes | cmp - square.bin
    expect 0 --show --to-bitmap -o back.bmp "$data/lcd_dotpress-logo.txt" && bytes_of "$data/lcd_dotpress-logo.txt" >logo.bin
    braille_bytes | cmp - logo.bin
    expect 2 --show -o - square.png
}

$area
echo "cli_test $area: all passed"
