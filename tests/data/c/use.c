#include "lcd_dotpress-logo.h"
#include "lcd_dotpress-logo.h" /* twice: its include guard keeps one copy */
int first(void) { return lcd_dotpress_logo[0]; }
