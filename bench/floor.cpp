// The floor of any Qt program doing the converter's job, for scripts/compare.sh:
// loaded with the converter's Qt libraries (Core, and Gui for its image
// readers), it reads the bitmap whole and writes 10 800 bytes through
// QSaveFile. No decode, no encode, no Dotpress code.
//
//   dotpress-floor BITMAP OUTPUT

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    // Qt Gui is loaded as the converter loads it; the call costs nothing.
    if (args.size() != 3 || QImageReader::allocationLimit() < 0)
        return 2;
    QFile bitmap(args[1]);
    if (!bitmap.open(QIODevice::ReadOnly))
        return 2;
    const QByteArray bytes = bitmap.readAll();
    QSaveFile out(args[2]);
    const QByteArray listing(10800, bytes.isEmpty() ? ' ' : bytes.front());
    if (!out.open(QIODevice::WriteOnly) || out.write(listing) != listing.size() || !out.commit())
        return 2;
    return 0;
}
