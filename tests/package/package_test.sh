#!/bin/sh
# The converter in firmware builds, one area at a time: a --progmem header
# on an ATmega328P (avr-size, simavr), the CMake package installed and used
# by a project on the host, cross-built for a Cortex-M0, and from the .deb.
# Usage: package_test.sh AREA CONVERTER BUILD_DIR SAMPLES_DIR
set -eu
area=$1 conv=$2 build=$3 samples=$4 here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
# run LOG COMMAND...: runs it, its output in LOG, which is shown if it fails.
run() { log=$1; shift; "$@" >"$log" 2>&1 || fail "$* (status $?): $(cat "$log")"; }
# found NEEDLE HAYSTACK: the bytes of NEEDLE stand in HAYSTACK in order.
found() { perl -0777 -e 'open A, $ARGV[0]; open B, $ARGV[1]; exit(index(<B>, <A>) < 0)' "$1" "$2" || fail "$1 not in $2"; }

# A 128 x 64 pages-lsb header and tiny.bdf's table (format c unless told) with --progmem: flash, not RAM, by avr-size
# (without it data grows by 1024 + 78: the font's 9 bytes of dots, 3 glyphs of 18, a font of 15); simavr sends what
# pgm_read_byte reads; both headers build for the host; gfxfont takes --progmem as it is.
avr() {
    mkdir flash ram
    frame="--size 128x64 --layout pages-lsb --fit cover --dither atkinson $samples/dotpress-logo.bmp" font="--font $here/../data/fonts/tiny.bdf"
    for kind in "c --progmem -o flash/lcd_frame.h" "c -o ram/lcd_frame.h" "bin -o frame.bin"; do run log "$conv" $frame --format $kind; done
    run log "$conv" $font --progmem -o flash/font_tiny.h && run log "$conv" $font --format c -o ram/font_tiny.h
    "$conv" $font --chars A --format gfxfont --progmem -o - >g.h && "$conv" $font --chars A --format gfxfont -o - | cmp - g.h || fail "gfxfont"
    for kind in flash ram; do
        run log avr-gcc -mmcu=atmega328p -Os -std=c99 -Wall -Wextra -Werror -I $kind -o $kind.elf "$here/avr.c"
        avr-size -C --mcu=atmega328p $kind.elf >$kind.size
        printf '#include "lcd_frame.h"\n_Static_assert(%s, "");\nint f(void) { return lcd_frame[0]; }\n' \
            'LCD_FRAME_WIDTH == 128 && LCD_FRAME_HEIGHT == 64 && LCD_FRAME_BYTES == sizeof lcd_frame' >$kind/use.c
        run log gcc -std=c11 -Wall -Wextra -pedantic -Werror -c -o $kind.o $kind/use.c
    done
    size() { sed -n "s/^$1: *\([0-9]*\) bytes.*/\1/p" $2.size; }
    [ $(($(size Data ram) - $(size Data flash))) = 1102 ] && [ "$(size Data flash)" -lt 1024 ] && [ "$(size Program flash)" -gt 1024 ] \
        || fail "avr-size: $(cat flash.size ram.size)"
    for format in asm bin png; do
        "$conv" --progmem --format $format -o x "$samples/bit-order.bmp" 2>err || [ $? = 2 ] && grep -q -- --progmem err \
            && [ ! -e x ] || fail "--progmem --format $format: $(cat err)"
    done
    timeout 60 simavr -m atmega328p -f 16000000 flash.elf >sim.out 2>&1 || fail "simavr: $(cat sim.out)"
    grep -o '[0-9a-f]\{64\}' sim.out | perl -ne 'chomp; print pack "H*", $_' | cmp - frame.bin || fail "UART: $(cat sim.out)"
}

# The project, its pictures and font in src/; expected LAYOUT: what its program prints: the logo in LAYOUT, the order,
# tiny.bdf's A .X./X.X/XXX/X.X and j (left -1 cuts column 0) X./../X./X. in 3 x 5 pages-lsb cells, 2 glyphs, DejaVu's A.
project() { cp -R "$here/project" src && mkdir src/pictures src/fonts && cp "$samples/bit-order.bmp" src/pictures/order.bmp \
    && cp "$samples/dotpress-logo.bmp" src/logo.dib && cp "$here/../data/fonts/tiny.bdf" src/fonts; }
expected() { { "$conv" --layout $1 --format bin -o - src/logo.dib && "$conv" --inverse --format bin -o - src/pictures/order.bmp \
    && printf '\016\005\016\015\000\000\002A'; } >expected; }
# converted LOG: the one header the build in LOG made is lcd_logo.h, and show.c was compiled again.
converted() { [ "$(grep -c 'dotpress-convert.*lcd_' "$1")" = 1 ] && grep -q 'dotpress-convert.*lcd_logo\.h' "$1" && grep -q 'show\.c' "$1"; }

# Installed into a folder of the test's, used by a project on the host.
host() {
    run log cmake --install "$build" --prefix "$work/prefix"
    project && (cd src && find . | sort) >tree
    run log cmake -S src -B b -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix"
    expected pages-lsb && run log ninja -C b && b/show | cmp - expected || fail "the program's bytes"
    (cd src && find . | sort) | cmp - tree || fail "the source tree changed"
    # Nothing changed: no work. A picture or its option changed: its header alone.
    [ "$(ninja -C b -n | grep -vc '^ninja: ')" = 0 ] || fail "no-op build: $(ninja -C b -n)"
    grep -q ' PROGMEM = ' b/dotpress/show/lcd_order.h && grep -q 'small PROGMEM = ' b/dotpress/show/small.h && ! grep -q PROGMEM b/dotpress/show/lcd_logo.h || fail "PROGMEM"
    touch prefix/bin/dotpress-convert && run log ninja -C b -v
    [ "$(grep -c 'dotpress-convert.*lcd_' log)" = 2 ] || fail "converter changed: $(cat log)"
    touch src/logo.dib && run log ninja -C b -v && converted log || fail "touched: $(cat log)"
    run log cmake -DLOGO_LAYOUT=rows-msb b && run log ninja -C b -v && converted log || fail "option: $(cat log)"
    expected rows-msb && b/show | cmp - expected || fail "the program's bytes in rows-msb"
    # Refused: the build fails with the converter's words, twice, and no header remains.
    printf '\010' | dd of=src/logo.dib bs=1 seek=28 conv=notrunc 2>log
    for again in 1 2; do
        ! ninja -C b >log 2>&1 && grep -q 'logo.dib: Picture Resolution is limit to 240 x 64' log || fail "refused: $(cat log)"
    done
    [ ! -e b/dotpress/show/lcd_logo.h ] || fail "a header remains"
    ! cmake -S src -B src -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >log 2>&1 && grep -q 'into the build tree' log \
        || fail "in the source tree: $(cat log)"
}

# Installed into a folder of the test's, cross-built for a Cortex-M0 finding the package by
# Dotpress_DIR and by CMAKE_FIND_ROOT_PATH: each array lies whole in .rodata.
cross() {
    run log cmake --install "$build" --prefix "$work/prefix"
    project && expected pages-lsb
    head -c 1920 expected >logo.bin && tail -c +1921 expected | head -c 1920 >order.bin
    for how in "-DDotpress_DIR=$work/prefix/lib/cmake/Dotpress" "-DCMAKE_FIND_ROOT_PATH=$work/prefix"; do
        rm -rf b
        run log cmake -S src -B b -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/arm-none-eabi.cmake" "$how"
        run log ninja -C b && run log arm-none-eabi-objcopy -O binary -j .rodata b/show rodata.bin
        found logo.bin rodata.bin && found order.bin rodata.bin
    done
}

# The .deb, made as the package target makes it and unpacked into the test's
# folder, found by a project outside the source tree; a version of another
# major is not taken.
deb() {
    run log cpack --config "$build/CPackConfig.cmake" -B "$work/deb"
    run log dpkg -x deb/dotpress_*.deb root
    project && expected pages-lsb
    ! cmake -S src -B b -G Ninja -DCMAKE_PREFIX_PATH="$work/root/usr" -DWANT=1 >log 2>&1 || fail "version 1 taken"
    grep -q 'DotpressConfig.cmake, version: 0.1.0' log || fail "$(cat log)"
    run log cmake -S src -B b -G Ninja -DCMAKE_PREFIX_PATH="$work/root/usr" -DWANT=0.1
    run log ninja -C b && b/show | cmp - expected || fail "the program's bytes"
}

$area
