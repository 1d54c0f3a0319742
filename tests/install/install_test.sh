#!/usr/bin/env bash
# install_test.sh CMAKE BUILD: installs BUILD into a temporary prefix, checks
# the tree, validates the menu entry, the AppStream metadata and the manual
# pages, and converts the installed samples with the installed converter.
set -euo pipefail
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT
"$1" --install "$2" --prefix "$prefix" >"$work/install.log"

id=org.dotpress.Dotpress
share=$prefix/share
for f in bin/dotpress bin/dotpress-convert share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/man/man1/dotpress.1 share/man/man1/dotpress-convert.1; do
    [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for n in 16 32 48 64 128 256; do
    file -b "$share/icons/hicolor/${n}x$n/apps/$id.png" | grep -q "^PNG image data, $n x $n," || fail "no $n x $n icon"
done
samples=("$share"/dotpress/samples/*.bmp)
[ -f "${samples[0]}" ] || fail "no sample bitmaps in $share/dotpress/samples"

desktop-file-validate "$share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
for page in dotpress dotpress-convert; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/$page.1" 2>&1 >"$work/$page.txt")
    [ -z "$warnings" ] || fail "man -l $page.1 warns: $warnings"
done

# One version everywhere: the converter's, the manual pages' and the release's.
version=$("$prefix/bin/dotpress-convert" --version | sed 's/.* //')
grep -q "\"Dotpress $version\"" "$share/man/man1/dotpress.1" "$share/man/man1/dotpress-convert.1" \
    && grep -q "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml" || fail "version $version not everywhere"

cp "${samples[@]}" "$work/"
"$prefix/bin/dotpress-convert" "$work"/*.bmp || fail "the installed dotpress-convert ended with status $?"
for sample in "${samples[@]}"; do
    listing=$work/lcd_$(basename "$sample" .bmp).txt
    [ "$(grep -c '^ *DB ' "$listing")" -eq 240 ] || fail "$listing does not hold 240 DB lines"
done
echo "installed tree, menu entry, metainfo and manual pages valid; ${#samples[@]} samples converted"
