#include "foldercontents.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

FolderContents ReadFolder(const QString &folder, QDir::Filters filters,
                          const QStringList &nameFilters)
{
    FolderContents result;
    result.path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());

    // QDir reads an unreadable folder as an empty one; opening it here first
    // tells the two apart and gives the reason.
    std::error_code error;
    const std::filesystem::directory_iterator probe(
        std::filesystem::path(result.path.toStdU16String()), error);
    if (error) {
        result.error = QString::fromLocal8Bit(error.message());
        return result;
    }
    result.names = QDir(result.path).entryList(nameFilters, filters, QDir::Name | QDir::IgnoreCase);
    return result;
}
