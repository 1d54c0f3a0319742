"""Every glyph's advance and lit dots against the pen on the baseline (y down),
one line a glyph by code: "U+0041 6 1,-9 ...", as draw.c prints them.
  glyphs.py bdf FILE            from a BDF font, read here from its fields
  glyphs.py outline FONT PX [T] rendered by FreeType's own Python binding, monochrome, or
                                in 256 levels lit where 255 - coverage < T
"""
import sys

lines, rows = {}, None
if sys.argv[1] == 'bdf':
    code = None
    for line in open(sys.argv[2], encoding='latin-1'):
        word, *v = line.split() or ['']
        if word == 'ENCODING':
            code, rows = int(v[0]), None
        elif word == 'DWIDTH':
            adv = int(v[0])
        elif word == 'BBX':
            w, h, xo, yo = map(int, v)
        elif word == 'BITMAP':
            rows = []
        elif word == 'ENDCHAR':
            if code >= 0:
                dots = [f'{xo + c},{r - yo - h}' for r, bits in enumerate(rows) for c in range(w)
                        if int(bits, 16) >> (len(bits) * 4 - 1 - c) & 1]
                lines[code] = ' '.join([f'U+{code:04X} {adv}'] + dots)
            rows = None
        elif rows is not None:
            rows.append(word)
else:
    import freetype
    face = freetype.Face(sys.argv[2])
    face.set_pixel_sizes(0, int(sys.argv[3]))
    for code, index in face.get_chars():
        if code < 32 or code > 126:
            continue
        grey = len(sys.argv) > 4
        face.load_glyph(index, freetype.FT_LOAD_RENDER | (freetype.FT_LOAD_TARGET_NORMAL if grey else freetype.FT_LOAD_TARGET_MONO))
        g = face.glyph
        b = g.bitmap
        lit = (lambda r, c: 255 - b.buffer[r * b.pitch + c] < int(sys.argv[4])) if grey else \
            (lambda r, c: b.buffer[r * b.pitch + c // 8] >> (7 - c % 8) & 1)
        dots = [f'{g.bitmap_left + c},{r - g.bitmap_top}' for r in range(b.rows) for c in range(b.width) if lit(r, c)]
        lines[code] = ' '.join([f'U+{code:04X} {(g.advance.x + 32) >> 6}'] + dots)
print('\n'.join(lines[c] for c in sorted(lines)))
