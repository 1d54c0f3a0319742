#include "outputfile.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Paths are bytes here, not QStrings: a name that is not UTF-8 must reach
// the system as it was given, which QSaveFile cannot do.

namespace {

WriteResult Failure(int error)
{
    return {false, QString::fromLocal8Bit(std::strerror(error))};
}

// The file a link leads to, whether it exists yet or not; the path itself
// for anything else.
QByteArray Followed(QByteArray path)
{
    struct stat link;
    for (int hops = 0; hops < 40 && ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode); ++hops) {
        QByteArray to(qsizetype(link.st_size > 0 ? link.st_size : 4096), '\0');
        const ssize_t length = ::readlink(path.constData(), to.data(), size_t(to.size()));
        if (length <= 0)
            break;
        to.truncate(length);
        const qsizetype slash = path.lastIndexOf('/');
        path = to.startsWith('/') || slash < 0 ? to : path.left(slash + 1) + to;
    }
    return path;
}

// A new file beside target, under a short name of its own (a target's name
// may already be as long as a name can be), with the permission bits of any
// new file (0666 less the umask).
int CreateBeside(const QByteArray &target, QByteArray &name)
{
    const QByteArray folder = target.left(target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + ".dotpress-" + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

WriteResult WriteAll(int fd, QByteArrayView bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t got = ::write(fd, bytes.data() + written, size_t(bytes.size() - written));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            const int error = got < 0 ? errno : ENOSPC;
            if (written == 0)
                return Failure(error);
            return {false, QStringLiteral("only %1 of %2 bytes could be written (%3)")
                               .arg(written).arg(bytes.size())
                               .arg(QString::fromLocal8Bit(std::strerror(error)))};
        }
        written += got;
    }
    return {true, {}};
}

WriteResult WriteOutputFile(const QByteArray &path, QByteArrayView bytes)
{
    struct stat old;
    const bool exists = ::stat(path.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        const int fd = ::open(path.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            return Failure(errno);
        WriteResult result = WriteAll(fd, bytes);
        if (::close(fd) != 0 && result.ok)
            result = Failure(errno);
        return result;
    }

    const QByteArray target = Followed(path);
    QByteArray temporary;
    const int fd = CreateBeside(target, temporary);
    if (fd < 0)
        return Failure(errno);
    WriteResult result = WriteAll(fd, bytes);
    // The old file's owner and group where the system lets us give them
    // (as root, or a group we are in); where not, the new file stays ours, as
    // any new file would be. Then the old file's permission bits.
    if (result.ok && exists && ::fchown(fd, old.st_uid, old.st_gid) != 0
        && ::fchown(fd, uid_t(-1), old.st_gid) != 0)
        errno = 0;
    if (result.ok && exists && ::fchmod(fd, old.st_mode & 07777) != 0)
        result = Failure(errno);
    // A full disk may only show when the data reaches it.
    if (result.ok && ::fsync(fd) != 0)
        result = Failure(errno);
    if (::close(fd) != 0 && result.ok)
        result = Failure(errno);
    if (result.ok && ::rename(temporary.constData(), target.constData()) != 0)
        result = Failure(errno);
    if (!result.ok)
        ::unlink(temporary.constData());
    return result;
}
