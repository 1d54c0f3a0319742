/* Draws from a Dotpress font table (font.h, the font "font"), written from
 * the table's field meanings, and from a GFXfont (gfx.h, "gfx", with -DGFX),
 * written from that form's documentation.
 *   draw glyphs        each glyph as glyphs.py prints it
 *   draw text STRING   the UTF-8 string set from the table into 240 x 64: each line from x = 0,
 *                      line k's baseline at k * line_height + ascent; rows-msb bytes on stdout
 *   draw gfx STRING    the same from the GFXfont, yAdvance a line */
#include <stdint.h>
#include <stdio.h>
#define PROGMEM
typedef struct { uint16_t bitmapOffset; uint8_t width, height, xAdvance; int8_t xOffset, yOffset; } GFXglyph;
typedef struct { uint8_t *bitmap; GFXglyph *glyph; uint16_t first, last; uint8_t yAdvance; } GFXfont;
#include "font.h"
#ifdef GFX
#include "gfx.h"
#endif

static uint8_t screen[64][30];

static void plot(int x, int y)
{
    if (x >= 0 && y >= 0 && x < 240 && y < 64)
        screen[y][x / 8] |= 0x80 >> (x % 8);
}

static int dot(const dotpress_font *f, const dotpress_glyph *g, int c, int r)
{
    const uint8_t *d = f->dots + g->offset;
    switch (f->layout) {
    case DOTPRESS_ROWS_LSB: return d[r * ((g->width + 7) / 8) + c / 8] >> (c % 8) & 1;
    case DOTPRESS_ROWS_MSB: return d[r * ((g->width + 7) / 8) + c / 8] >> (7 - c % 8) & 1;
    case DOTPRESS_PAGES_LSB: return d[r / 8 * g->width + c] >> (r % 8) & 1;
    default: return d[r / 8 * g->width + c] >> (7 - r % 8) & 1;
    }
}

static const dotpress_glyph *find(const dotpress_font *f, uint32_t code)
{
    uint32_t i;
    for (i = 0; i < f->count; ++i)
        if (f->glyphs[i].code == code)
            return &f->glyphs[i];
    return 0;
}

static uint32_t next(const unsigned char **s)
{
    uint32_t c = *(*s)++;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= more ? 0x3F >> more : 0x7F;
    while (more--)
        c = c << 6 | (*(*s)++ & 0x3F);
    return c;
}

int main(int argc, char **argv)
{
    const unsigned char *s = argc > 2 ? (const unsigned char *)argv[2] : 0;
    int x = 0, y = font.ascent, c, r, n = 0;
    uint32_t i;
    if (argv[1][0] == 'g' && argv[1][1] == 'l') {
        for (i = 0; i < font.count; ++i) {
            const dotpress_glyph *g = &font.glyphs[i];
            printf("U+%04X %d", (unsigned)g->code, g->advance);
            for (r = 0; r < g->height; ++r)
                for (c = 0; c < g->width; ++c)
                    if (dot(&font, g, c, r))
                        printf(" %d,%d", g->left + c, r - g->top);
            printf("\n");
        }
        return 0;
    }
    while (*s) {
        uint32_t code = next(&s);
        if (code == '\n') {
            x = 0;
            y += argv[1][0] == 't' ? font.line_height : 0;
#ifdef GFX
            y += argv[1][0] == 'g' ? gfx.yAdvance : 0;
#endif
        } else if (argv[1][0] == 't') {
            const dotpress_glyph *g = find(&font, code);
            for (r = 0; r < g->height; ++r)
                for (c = 0; c < g->width; ++c)
                    if (dot(&font, g, c, r))
                        plot(x + g->left + c, y - g->top + r);
            x += g->advance;
        } else {
#ifdef GFX
            const GFXglyph *g = &gfx.glyph[code - gfx.first];
            for (n = 0, r = 0; r < g->height; ++r)
                for (c = 0; c < g->width; ++c, ++n)
                    if (gfx.bitmap[g->bitmapOffset + n / 8] & 0x80 >> (n % 8))
                        plot(x + g->xOffset + c, y + g->yOffset + r);
            x += g->xAdvance;
#endif
        }
    }
    (void)n;
    fwrite(screen, 1, sizeof screen, stdout);
    return 0;
}
