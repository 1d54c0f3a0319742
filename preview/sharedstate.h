#pragma once

// The state the two windows share for the whole run: owned by the
// application and handed to each window.

#include "bitmapfile.h"

#include <QString>

struct SharedState
{
    BitmapHeaders headers; // of the bitmap selected last, admitted or not
    QString outputPath;    // the listing's path, empty when no bitmap is admitted
};
