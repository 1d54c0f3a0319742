/* Prints the bytes of both pictures, counted by their size defines. */
#include <stdio.h>
#include "lcd_logo.h"
#include "lcd_order.h"
int main(void)
{
    fwrite(lcd_logo, 1, LCD_LOGO_BYTES, stdout);
    fwrite(lcd_order, 1, LCD_ORDER_WIDTH / 8 * LCD_ORDER_HEIGHT, stdout);
    return 0;
}
