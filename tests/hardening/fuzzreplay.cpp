// Replays the fuzz targets' inputs in the ordinary builds (no clang needed):
// every file below the folders given, the committed corpus and each input
// that once broke a target (fuzz/regressions/<target>/). A target aborts on a
// broken promise, so the replay fails the same way the fuzzer did.
#include <QDirIterator>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); ++replayed) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly))
                return std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName())), 1;
            const QByteArray bytes = file.readAll();
            std::fprintf(stderr, "%s\n", qPrintable(file.fileName()));
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed == 0;
}
