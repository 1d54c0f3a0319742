#include "outputpath.h"

#include <QDir>

QString FormOutputPath(const QString &folder, const QString &fileName, const QString &extension)
{
    QString name = fileName;
    name.replace(QStringLiteral(".bmp"), extension, Qt::CaseInsensitive);
    return folder + QDir::separator() + QStringLiteral("lcd_") + name;
}

QString BitmapPathForListing(const QString &listingPath)
{
    const QString txt = QStringLiteral(".txt");
    const bool isTxt = listingPath.endsWith(txt, Qt::CaseInsensitive);
    return (isTxt ? listingPath.chopped(txt.size()) : listingPath) + QStringLiteral(".bmp");
}
