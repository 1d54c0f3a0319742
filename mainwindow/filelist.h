#pragma once

#include <QListWidget>

// File1: the files of one folder whose names match a pattern, letter case
// ignored, sorted by name. A click or the arrow keys only select; a
// double-click or Enter on the selected file raises chosen().
class FileList : public QListWidget
{
    Q_OBJECT

public:
    explicit FileList(const QString &pattern, QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // Lists folder, with nothing selected. A folder that cannot be read leaves
    // the list as it was, gives the system's reason and returns false.
    bool setPath(const QString &folder, QString &reason);
    // The name of the selected file, without folder; empty when none is.
    QString fileName() const;

signals:
    void chosen();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_pattern;
    QString m_path;
};
