#pragma once

// Writing an output file: whole or not at all, and never over a device or a
// named pipe.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct WriteResult
{
    bool ok = false;
    QString error; // the system's reason
};

// Writes bytes to path, given as the system spells it. A regular file, or a
// new name, is replaced atomically: a new file beside it, given the old
// one's permission bits (and its owner and group where the system allows),
// takes its place only once complete, so on failure the old file stays as it
// was. A link is followed. A path that names
// anything else (a device, a named pipe) is opened and written into, as cp
// does.
WriteResult WriteOutputFile(const QByteArray &path, QByteArrayView bytes);

// Writes all of bytes to an open file descriptor, or says why it could not.
WriteResult WriteAll(int fd, QByteArrayView bytes);
