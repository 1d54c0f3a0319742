#include "filelist.h"

#include "foldercontents.h"

#include <QKeyEvent>

FileList::FileList(const QString &pattern, QWidget *parent)
    : QListWidget(parent), m_pattern(pattern)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &FileList::chosen);
}

bool FileList::setPath(const QString &folder, QString &reason)
{
    const FolderContents contents = ReadFolder(folder, QDir::Files, {m_pattern});
    if (!contents.ok()) {
        reason = contents.error;
        return false;
    }
    m_path = contents.path;
    clear();
    addItems(contents.names);
    return true;
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!selectedItems().isEmpty())
            emit chosen();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}
