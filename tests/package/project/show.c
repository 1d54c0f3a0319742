/* Prints the bytes of both pictures, counted by their size defines, then the
 * small font's dots and glyph count and the GFXfont's first code. */
#include <stdint.h>
#include <stdio.h>
#include "small.h" /* first: with PROGMEM it defines PROGMEM */
#include "lcd_logo.h"
#include "lcd_order.h"
#define PROGMEM
typedef struct { uint16_t bitmapOffset; uint8_t width, height, xAdvance; int8_t xOffset, yOffset; } GFXglyph;
typedef struct { uint8_t *bitmap; GFXglyph *glyph; uint16_t first, last; uint8_t yAdvance; } GFXfont;
#include "font_DejaVuSans_8.h"
int main(void)
{
    fwrite(lcd_logo, 1, LCD_LOGO_BYTES, stdout);
    fwrite(lcd_order, 1, LCD_ORDER_WIDTH / 8 * LCD_ORDER_HEIGHT, stdout);
    fwrite(small.dots, 1, sizeof small_dots, stdout);
    putchar((int)small.count);
    putchar(font_DejaVuSans_8.first);
    return 0;
}
