#include "messages.h"

#include <QDir>
#include <QMessageBox>

void DialogMessages::show(QWidget *parent, Kind kind, const QString &title, const QString &text)
{
    QMessageBox box(kind == Kind::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

QString FailureText(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("%1\n\n%2\n\n%3").arg(what, QDir::toNativeSeparators(path), reason);
}
