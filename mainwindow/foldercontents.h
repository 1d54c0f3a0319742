#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// What the directory and file lists show of one folder.
struct FolderContents
{
    QString path;      // absolute and cleaned, with '/' separators
    QStringList names; // the entries that match, sorted by name, letter case ignored
    QString error;     // the system's reason when the folder cannot be read
    bool ok() const { return error.isEmpty(); }
};

// Reads the entries of folder that pass filters and match one of nameFilters
// (letter case ignored; none given matches all). A folder that does not exist,
// is no folder or may not be read gives the system's reason and no names.
FolderContents ReadFolder(const QString &folder, QDir::Filters filters,
                          const QStringList &nameFilters = {});
