/* With use.c, two files of one program that include the header and use the
 * array; the array must equal the .bin file named on the command line. */
#include <stdio.h>
#include <string.h>
#include "lcd_dotpress-logo.h"
int first(void);
int main(int argc, char **argv) {
    unsigned char bin[1921];
    FILE *f = argc > 1 ? fopen(argv[1], "rb") : NULL;
    size_t n = f ? fread(bin, 1, sizeof bin, f) : 0;
    return n != 1920 || memcmp(bin, lcd_dotpress_logo, n) != 0 || first() != bin[0];
}
