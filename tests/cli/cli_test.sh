#!/bin/sh
# The converter as a build system runs it: listings beside the bitmaps or where
# -o says, exit statuses, listings that cannot be written, the C and bin
# formats and the way back from a listing to a bitmap. A refused or failed
# input leaves the folder as it was: no file, no partial one, an older intact.
# Usage: cli_test.sh CONVERTER SAMPLES_DIR DATA_DIR
set -eu
conv=$1 data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$2"/*.bmp .
fail() { echo "FAIL: $*" >&2; exit 1; }
# expect STATUS ARGS...: runs the converter, its output in $work/out and $work/err.
expect() {
    want=$1; shift; got=0
    "$conv" "$@" >"$work/out" 2>"$work/err" || got=$?
    [ "$got" = "$want" ] || fail "$* gave status $got, not $want: $(cat "$work/err")"
}
C99="gcc -std=c99 -Wall -Wextra -pedantic -Werror"
CXX17="g++ -std=c++17 -Wall -Wextra -pedantic -Werror -x c++"

for name in bit-order dotpress-logo; do
    expect 0 --inverse $name.bmp
    cmp lcd_$name.txt "$data/lcd_$name-inverse.txt"
    for format in asm:txt c:h bin:bin; do
        expect 0 --format "${format%:*}" $name.bmp
        [ "$(cat out)" = "./lcd_$name.${format#*:}" ] || fail "printed $(cat out)"
        expect 0 --format "${format%:*}" -o - $name.bmp
        cmp out "lcd_$name.${format#*:}"
    done
    cmp lcd_$name.txt "$data/lcd_$name.txt"
    # The .bin holds the bytes the listing spells out, in its order.
    perl -ne 'print map { chr hex } /([0-9A-F]{2})H/g' lcd_$name.txt | cmp - lcd_$name.bin
    expect 0 --to-bitmap -o back.bmp lcd_$name.txt
    expect 0 -o - back.bmp
    cmp out lcd_$name.txt
done
cp "$data"/c/*.c .
$C99 main.c use.c -o c99 && ./c99 lcd_dotpress-logo.bin || fail "C99 program"
$CXX17 main.c use.c -o cxx && ./cxx lcd_dotpress-logo.bin || fail "C++17 program"
expect 0 -o one.txt bit-order.bmp && cmp one.txt lcd_bit-order.txt
expect 2 -o two.txt bit-order.bmp dotpress-logo.bmp && [ ! -e two.txt ] || fail "two.txt"

# Refusals (1) and failures (2) name the file; the highest status wins.
mkdir bad && cd bad
cp ../bit-order.bmp . && head -c 2100 bit-order.bmp >cut.bmp && cp bit-order.bmp grey.bmp
printf '\010' | dd of=grey.bmp bs=1 seek=28 conv=notrunc 2>/dev/null
expect 1 grey.bmp bit-order.bmp
printf 'grey.bmp: Picture Resolution is limit to 240 x 64 pixels (Width x Height) and \r\n2 Colors Bitmap.\n' | cmp - ../err
expect 2 grey.bmp missing.bmp cut.bmp bit-order.bmp
grep -q "^missing.bmp: cannot open" ../err && grep -q "^cut.bmp: picture data incomplete" ../err || fail "$(cat ../err)"
[ "$(ls | tr '\n' ' ')" = "bit-order.bmp cut.bmp grey.bmp lcd_bit-order.txt " ] || fail "left $(ls)"

# No folder, a path through a file, a folder in the listing's place, a file
# size limit (a full disk, for root too); then a real full file system.
printf 'old\r\n' >lcd_bit-order.txt && mkdir lcd_folder.txt
before=$(ls -A; cat lcd_bit-order.txt)
for target in missing/x.txt grey.bmp/x.txt lcd_folder.txt lcd_bit-order.txt; do
    (trap '' XFSZ; ulimit -f 8; expect 2 -o "$target" bit-order.bmp) || exit 1
    grep -q "^bit-order.bmp: cannot write " ../err && [ "$(ls -A; cat lcd_bit-order.txt)" = "$before" ] || fail "$target"
done
mkdir small
unshare -rm sh -c 'mount -t tmpfs -o size=8k tmpfs small || { echo skipped; exit; }; printf "old\r\n" >small/lcd.txt
    "$0" -o small/lcd.txt bit-order.bmp 2>/dev/null; echo "exit=$? $(ls -A small) $(cat small/lcd.txt)"' "$conv" >full 2>&1 || true
grep -q -e "exit=2 lcd.txt old" -e skipped -e "unshare: " full || fail "full file system: $(cat full)"
cd ..

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
for bad in --bogus "--format x bit-order.bmp" "--to-bitmap --inverse a.txt" "--leading-zero --format bin ../bit-order.bmp" \
    "--to-bitmap --leading-zero ../lcd_bit-order.txt"; do expect 2 $bad; done
echo "cli_test: all passed"
