#include "gifsource.h"

#include "greypicture.h"

#include <algorithm>

int ReadGifSource(GifFileType *gif, GifByteType *data, int length)
{
    auto *source = static_cast<GifSource *>(gif->UserData);
    const int count = int(std::min<qsizetype>(length, source->bytes.size() - source->at));
    std::copy_n(source->bytes.constData() + source->at, count, data);
    source->at += count;
    return count;
}

QString GifFailure(int code)
{
    return code == D_GIF_ERR_READ_FAILED ? IncompleteData() : Undecodable(QString::fromLatin1(GifErrorString(code)));
}

int InterlacedRow(int n, int height)
{
    static constexpr int Start[] = {0, 4, 2, 1}, Step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = (height - Start[pass] + Step[pass] - 1) / Step[pass];
        if (n < rows)
            return Start[pass] + n * Step[pass];
        n -= rows;
    }
    return height;
}
