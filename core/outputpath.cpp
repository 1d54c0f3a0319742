#include "outputpath.h"

#include <QDir>

QString FormOutputPath(const QString &folder, const QString &fileName)
{
    QString name = fileName;
    name.replace(QStringLiteral(".bmp"), QStringLiteral(".txt"), Qt::CaseInsensitive);
    return folder + QDir::separator() + QStringLiteral("lcd_") + name;
}
