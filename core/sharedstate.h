#pragma once

#include "bitmapheaders.h"
#include "encoder.h"

#include <QString>

// The state that the windows share for the whole run: owned by the
// application and handed to each window.
struct SharedState
{
    BitmapHeaders headers;     // of the last selected bitmap
    ScanBounds scanBounds;     // of the last conversion
    QString outputPath;        // the listing's path, empty when no bitmap is admitted
};
