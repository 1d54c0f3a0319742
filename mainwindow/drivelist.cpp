#include "drivelist.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
#ifdef Q_OS_WIN
    // Asking a drive for its label would wait for an empty disc drive, so the
    // letters stand alone.
    for (const QFileInfo &root : QDir::drives()) {
        const QString letter = root.filePath().left(2).toUpper();
        addItem(letter.toLower(), letter);
    }
#else
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo &a, const QStorageInfo &b) {
        return a.rootPath() < b.rootPath();
    });
    for (const QStorageInfo &volume : volumes) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || findData(root) >= 0)
            continue;
        const QString label = volume.name();
        addItem(label.isEmpty() ? root : QStringLiteral("%1 [%2]").arg(root, label), root);
    }
#endif
    // No drive is chosen until the window points the lists somewhere.
    setCurrentIndex(-1);
}

QString DriveList::drive() const
{
    return currentData().toString();
}

void DriveList::setDrive(const QString &drive)
{
    int index = findData(drive);
    if (index < 0 && !drive.isEmpty()) {
        addItem(QDir::toNativeSeparators(drive), drive);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

void DriveList::showDriveOf(const QString &folder)
{
    const QString drive = driveOf(folder);
    if (drive.isEmpty())
        return;
    const QSignalBlocker blocker(this);
    setDrive(drive);
}

QString DriveList::driveOf(const QString &folder)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(folder).left(2).toUpper();
#else
    // A volume that the mount table does not show (in a container or a
    // chroot) still lies under the root of the file system.
    const QString root = QStorageInfo(folder).rootPath();
    return root.isEmpty() ? QDir::rootPath() : root;
#endif
}
