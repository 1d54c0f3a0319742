#include "messages.h"

#include <QMessageBox>

void DialogMessages::show(QWidget *parent, Kind kind, const QString &title, const QString &text)
{
    QMessageBox box(kind == Kind::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    text, QMessageBox::Ok, parent);
    box.exec();
}
