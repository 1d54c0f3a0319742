#pragma once

#include <QComboBox>

// Drive1: the drives to browse. On Windows the drive letters; elsewhere the
// mounted volumes, each given by its root path. Its current index changes
// (currentIndexChanged) are the drive list's Change.
class DriveList : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveList(QWidget *parent = nullptr);

    // The drive chosen, as the directory list takes it: "C:" on Windows, the
    // volume's root path elsewhere; empty when none is chosen.
    QString drive() const;
    // Chooses drive, listing it first when it is not listed yet (a volume
    // mounted since the start, a network path).
    void setDrive(const QString &drive);
    // Shows the drive that holds folder without raising the Change.
    void showDriveOf(const QString &folder);

    // The drive that holds folder: its first two characters on Windows, the
    // root path of its volume elsewhere ("/" when no mounted volume is known
    // to hold it).
    static QString driveOf(const QString &folder);
};
