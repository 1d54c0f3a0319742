#include "lcd_dotpress-logo.h"
int first(void) { return lcd_dotpress_logo[0]; }
