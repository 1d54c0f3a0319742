// dotpress: the main window.
#include "form1.h"
#include "messages.h"
#include "sharedstate.h"
#include "version.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dotpress"));
    QApplication::setApplicationVersion(QStringLiteral(DOTPRESS_VERSION));
    // Lets the desktop match the window to the menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.dotpress.Dotpress"));

    SharedState state;
    DialogMessages messages;
    Form1 form(state, messages);
    form.Init_Form();
    form.move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, form.size(),
                                  form.screen()->availableGeometry())
                  .topLeft());
    form.show();
    return app.exec();
}
