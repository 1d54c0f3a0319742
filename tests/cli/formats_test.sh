#!/bin/sh
# The converter's C and bin formats and the way back from a listing to a
# bitmap, run as a build system runs them.
# Usage: formats_test.sh CONVERTER SAMPLES_DIR DATA_DIR
set -eu
conv=$1 data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$2"/*.bmp .
fail() { echo "FAIL: $*" >&2; exit 1; }
# expect STATUS ARGS...: runs the converter, its output in out and err.
expect() {
    want=$1; shift; got=0
    "$conv" "$@" >out 2>err || got=$?
    [ "$got" = "$want" ] || fail "$* gave status $got, not $want: $(cat err)"
}
C99="gcc -std=c99 -Wall -Wextra -pedantic -Werror"
CXX17="g++ -std=c++17 -Wall -Wextra -pedantic -Werror -x c++"

# Two files of one program use the array; main compares it with the .bin.
echo '#include "lcd_dotpress-logo.h"
int first(void) { return lcd_dotpress_logo[0]; }' >use.c
echo '#include <stdio.h>
#include <string.h>
#include "lcd_dotpress-logo.h"
int first(void);
int main(int argc, char **argv) {
    unsigned char bin[1921];
    FILE *f = argc > 1 ? fopen(argv[1], "rb") : NULL;
    size_t n = f ? fread(bin, 1, sizeof bin, f) : 0;
    return n != 1920 || memcmp(bin, lcd_dotpress_logo, n) != 0 || first() != bin[0];
}' >main.c

for name in bit-order dotpress-logo; do
    expect 0 --format asm $name.bmp
    for format in c:h bin:bin; do
        expect 0 --format "${format%:*}" $name.bmp
        expect 0 --format "${format%:*}" -o - $name.bmp
        cmp out "lcd_$name.${format#*:}"
    done
    # The .bin holds the bytes the listing spells out, in its order.
    perl -ne 'print map { chr hex } /([0-9A-F]{2})H/g' lcd_$name.txt | cmp - lcd_$name.bin
    expect 0 --to-bitmap -o back.bmp lcd_$name.txt
    expect 0 -o - back.bmp
    cmp out lcd_$name.txt
done
$C99 main.c use.c -o c99 && ./c99 lcd_dotpress-logo.bin || fail "C99 program"
$CXX17 main.c use.c -o cxx && ./cxx lcd_dotpress-logo.bin || fail "C++17 program"

# Lower-case digits, LF line ends and edited bytes come back canonical.
cp "$data/hand-edited.txt" .
expect 0 --to-bitmap hand-edited.txt
expect 0 -o - hand-edited.bmp
cmp out "$data/hand-edited-canonical.txt"

# Broken listings fail with their reason and leave no bitmap.
sed '17s/01H/0GH/' lcd_bit-order.txt >broken.txt
sed '5s/.*/  DB/' lcd_bit-order.txt >short.txt
head -n 239 lcd_bit-order.txt >cut.txt
for case in "broken:line 17: unexpected character 'G'" "short:line 5:" "cut:gives 15296 of 15360 dots"; do
    expect 2 --to-bitmap "${case%%:*}.txt"
    grep -qF "${case#*:}" err || fail "${case%%:*}: $(cat err)"
    [ ! -e "${case%%:*}.bmp" ] || fail "${case%%:*}.bmp written"
done

# File names that are no C identifiers, all headers in one program.
mkdir names && cd names
for name in "my logo.bmp" a-b.bmp 2x.bmp pic.BMP.BMP; do cp ../bit-order.bmp "$name"; "$conv" --format c "$name" >/dev/null; done
"$conv" --format c -o 2x.h 2x.bmp >/dev/null
[ "$(grep -ho 'char [^[]*' ./*.h | sort | tr '\n' ' ')" = "char _2x char lcd_2x char lcd_a_b char lcd_my_logo char lcd_pic_h " ] || fail "identifiers"
for h in ./*.h; do echo "#include \"$h\""; done >all.c
echo 'int sum(void) { return lcd_my_logo[0] + _2x[0] + lcd_pic_h[0] + lcd_2x[0] + lcd_a_b[0]; }' >>all.c
$C99 -c all.c && $CXX17 -c all.c || fail "headers of every name"

# A wrong command line is a failure, not a refusal.
for bad in --bogus "--format x bit-order.bmp" "--to-bitmap --inverse a.txt"; do expect 2 $bad; done
