#!/bin/sh
# The --leading-zero listing in real assemblers: z80asm, and as31 once DB is
# spelled .db, assemble it into the bytes of --format bin, for the samples and
# a picture of every byte value, which z80asm refuses in the default listing
# (A0H is a symbol). It is the default listing with a 0 before each letter and
# reads back exactly. scripts/setup.sh installs both assemblers.
# Usage: assemblers_test.sh CONVERTER SAMPLES_DIR
set -eu
conv=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d)
command -v z80asm >"$work/which" && command -v as31 >>"$work/which" || fail "z80asm and as31 are needed: scripts/setup.sh installs them"
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$2"/*.bmp .
# Bytes 00 to FF over and over, drawn from a listing.
perl -e 'for $l (0..239) { print "        DB ", join(",", map { sprintf "%02XH", ($l * 8 + $_) % 256 } 0..7), ";\r\n" }' >every.txt
"$conv" --to-bitmap every.txt

for name in bit-order dotpress-logo every; do
    "$conv" --format bin -o $name.bin $name.bmp && "$conv" -o $name.txt $name.bmp
    "$conv" --leading-zero -o $name.asm $name.bmp
    sed 's/\([ ,]\)\([A-F][0-9A-F]H\)/\10\2/g' $name.txt | cmp - $name.asm || fail "$name.asm is not the listing with a 0 before each letter"
    z80asm -o $name.z80 $name.asm && cmp $name.z80 $name.bin || fail "z80asm $name.asm"
    sed 's/^        DB /        .db /' $name.asm >$name.a51
    as31 -Fbin -O$name.8051 $name.a51 >as31.log 2>&1 && cmp $name.8051 $name.bin || fail "as31 $name.a51: $(cat as31.log)"
    "$conv" --to-bitmap -o back.bmp $name.asm && "$conv" -o - back.bmp | cmp - $name.txt
done
perl -e 'print map { chr($_ % 256) } 0..1919' | cmp - every.bin
! z80asm -o designed.z80 every.txt 2>z80asm.log || fail "z80asm took A0H as a number"
echo "assemblers_test: all passed"
