/* Sends each byte of lcd_frame, read from flash with pgm_read_byte, out of
 * the UART as two hex digits, 32 bytes a line (simavr prints the UART's
 * lines, a control byte as '.'); then sleeps with interrupts off, which ends
 * the simulation. Reads a font's glyph count too, which keeps its table. */
#include "lcd_frame.h" /* first: with --progmem it brings <avr/pgmspace.h> */
#include "font_tiny.h"
#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <avr/sleep.h>
static void put(unsigned char c) { while (!(UCSR0A & _BV(UDRE0))) {} UDR0 = c; }
static void hex(unsigned char d) { put(d < 10 ? '0' + d : 'a' + d - 10); }
int main(void) {
    UCSR0B = _BV(TXEN0);
    for (unsigned i = 0; i < LCD_FRAME_BYTES; ++i) {
        unsigned char b = pgm_read_byte(&lcd_frame[i]);
        hex(b >> 4), hex(b & 15);
        if (i % 32 == 31) put('\n');
    }
    GPIOR0 = pgm_read_byte(&font_tiny.count);
    cli();
    sleep_cpu();
    return 0;
}
