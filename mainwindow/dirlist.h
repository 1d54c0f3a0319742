#pragma once

#include <QTreeWidget>

// Dir1: the current folder with the way up to its parents, each inside the
// one before, and its subfolders below it. A click only highlights; opening a
// folder (double-click or Enter) asks the window to change the path.
class DirList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit DirList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Shows folder and raises changed(). A folder that cannot be read leaves
    // the list as it was, gives the system's reason and returns false.
    bool setPath(const QString &folder, QString &reason);

signals:
    void openRequested(const QString &folder);
    // The list's Change: the path has been set.
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // The folders are indented without branch lines or expand arrows.
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}

private:
    QTreeWidgetItem *addFolder(QTreeWidgetItem *parent, const QString &folder, bool open);

    QString m_path;
};
