// Replays the fuzz targets' inputs in the ordinary builds (no clang needed):
// every file below the folders given, i.e. the committed corpus and each input
// that once broke a target (fuzz/regressions/<target>/). A target aborts on a
// broken promise, so the replay fails the same way the fuzzer did.

#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    QStringList inputs;
    for (int i = 1; i < argc; ++i) {
        for (QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            inputs << it.next();
    }
    std::sort(inputs.begin(), inputs.end());
    for (const QString &input : inputs) {
        QFile file(input);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(input));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(input));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    }
    std::printf("replayed %lld inputs\n", static_cast<long long>(inputs.size()));
    return inputs.isEmpty() ? 1 : 0;
}
