#include "dirlist.h"

#include "foldercontents.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace {

constexpr int FolderRole = Qt::UserRole;

// The folder that holds folder; a root gives itself.
QString parentOf(const QString &folder)
{
    return QFileInfo(folder).absolutePath();
}

} // namespace

DirList::DirList(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        emit openRequested(item->data(0, FolderRole).toString());
    });
}

bool DirList::setPath(const QString &folder, QString &reason)
{
    const FolderContents contents = ReadFolder(folder, QDir::Dirs | QDir::NoDotAndDotDot);
    if (!contents.ok()) {
        reason = contents.error;
        return false;
    }
    m_path = contents.path;
    clear();

    QStringList way{m_path};
    for (QString up = parentOf(m_path); up != way.first(); up = parentOf(up))
        way.prepend(up);
    QTreeWidgetItem *current = nullptr;
    for (const QString &step : way)
        current = addFolder(current, step, true);
    const QDir here(m_path);
    for (const QString &name : contents.names)
        addFolder(current, here.filePath(name), false);

    expandAll();
    setCurrentItem(current);
    scrollToItem(current);
    emit changed();
    return true;
}

QTreeWidgetItem *DirList::addFolder(QTreeWidgetItem *parent, const QString &folder, bool open)
{
    const QString name = QFileInfo(folder).fileName();
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, name.isEmpty() ? QDir::toNativeSeparators(folder) : name);
    item->setIcon(0, style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
    item->setData(0, FolderRole, folder);
    item->setToolTip(0, QDir::toNativeSeparators(folder));
    return item;
}

void DirList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (const QTreeWidgetItem *item = currentItem())
            emit openRequested(item->data(0, FolderRole).toString());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}
