#pragma once

#include <QString>

// The listing's path: the folder, the platform's separator, "lcd_" and the
// bitmap's name with every ".bmp" (any letter case) replaced by ".txt".
// A folder that already ends in a separator keeps it, so two stand in a row.
QString FormOutputPath(const QString &folder, const QString &fileName);
