// desktop_driver SHOTS_FOLDER: the windows as the program builds them (real
// message boxes, the preview modal) on an X display with the xcb platform,
// worked by xdotool's X input events where the live widgets lie. The cycle:
// open bitmaps/ (beside the driver) in Dir1, admit dotpress-logo.bmp, Convert
// in Normal and in Inverse, Preview, Show, close it, Reset, choose a 16 x 16
// bitmap and press OK on the size box, Exit. Exits 0 when each step showed
// its effect in time; screenshots go to SHOTS_FOLDER.
#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "form2.h"
#include "messages.h"
#include "sharedstate.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <vector>

void Say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 || QGuiApplication::platformName() != "xcb") {
        Say("usage: QT_QPA_PLATFORM=xcb desktop_driver SHOTS_FOLDER (on an X display)");
        return 2;
    }
    const QDir shots(QString::fromLocal8Bit(argv[1]));
    const QDir work(QCoreApplication::applicationDirPath() + "/bitmaps");
    const QString listing = work.filePath("lcd_dotpress-logo.txt");
    QFile::remove(listing);
    QDir().mkpath(shots.path());
    QImage(16, 16, QImage::Format_Mono).save(work.filePath("refused.bmp"));

    SharedState state;
    DialogMessages messages;
    Form1 form1(state, messages);
    form1.Init_Form();
    form1.move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, form1.size(), form1.screen()->availableGeometry()).topLeft());
    form1.show();

    auto clickAt = [scale = form1.screen()->devicePixelRatio()](QWidget *widget, QPoint at, int clicks = 1) {
        const QPoint global = widget->mapToGlobal(at) * scale;
        QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(global.x()), QString::number(global.y()),
                                      "click", "--repeat", QString::number(clicks), "--delay", "80", "1"});
    };
    auto press = [&](QWidget *window, const char *name) {
        QWidget *button = window->findChild<QWidget *>(name);
        clickAt(button, button->rect().center());
    };
    auto label = [&](const char *name) { return form1.findChild<QLabel *>(name)->text(); };
    auto *file1 = form1.findChild<FileList *>("File1");
    auto form2 = [] { return qobject_cast<Form2 *>(QApplication::activeModalWidget()); };
    auto box = [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); };
    auto exposed = [](QWidget *w) { return w && w->windowHandle() && w->windowHandle()->isExposed(); };
    auto chooseFile = [&](const QString &name) {
        for (QListWidgetItem *item : file1->findItems(name, Qt::MatchExactly))
            clickAt(file1->viewport(), file1->visualItemRect(item).center(), 2);
    };
    auto isReset = [&] { return !QApplication::activeModalWidget() && label("HeightValue").isEmpty() && !form1.findChild<QWidget *>("ConvertButton")->isEnabled(); };
    auto listingRead = [&] {
        QFile file(listing);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    bool failed = false;
    auto check = [&](bool ok, const QString &what) {
        if (!ok && !failed) {
            Say("FAILED: " + what);
            failed = true;
            QCoreApplication::exit(1);
        }
    };
    auto save = [&](QWidget *window, const char *name) {
        const QPoint at = window->mapToGlobal(QPoint());
        const QString path = shots.filePath(name);
        check(window->screen()->grabWindow(0, at.x(), at.y(), window->width(), window->height()).save(path), "cannot save " + path);
        Say("saved " + path);
    };

    // Each step: what it is, one user action, and true once the windows show its effect.
    struct Step { QString what; std::function<void()> act; std::function<bool()> done; };
    QByteArray normal;
    const std::vector<Step> steps = {
        {"the main window is on the screen", [] {}, [&] { return exposed(&form1); }},
        {"open bitmaps in Dir1",
         [&] {
             auto *dir1 = form1.findChild<DirList *>("Dir1");
             for (QTreeWidgetItem *folder : dir1->findItems("bitmaps", Qt::MatchExactly | Qt::MatchRecursive)) {
                 dir1->scrollToItem(folder);
                 clickAt(dir1->viewport(), dir1->visualItemRect(folder).center(), 2);
             }
         },
         [&] { return QDir(file1->path()) == work && file1->count() == 2; }},
        {"admit dotpress-logo.bmp", [&] { chooseFile("dotpress-logo.bmp"); }, [&] { return label("HeightValue") == "64"; }},
        {"Convert in Normal", [&] { press(&form1, "ConvertButton"); },
         [&] { return label("StatusValue") == "Successed" && !(normal = listingRead()).isEmpty(); }},
        {"choose Inverse and Convert",
         [&] {
             press(&form1, "InverseOption");
             press(&form1, "ConvertButton");
         },
         [&] { return form1.findChild<QRadioButton *>("InverseOption")->isChecked() && listingRead() != normal; }},
        {"photograph the main window and press Preview", [&] { save(&form1, "desktop-main-window.png"); press(&form1, "PreviewButton"); },
         [&] { return exposed(form2()); }},
        {"Show", [&] { press(form2(), "ShowButton"); },
         [&] { return form2() && !form2()->findChild<QLabel *>("LcdPic")->pixmap().isNull(); }},
        {"photograph the preview and close it with Escape",
         [&] {
             save(form2(), "desktop-lcd-preview.png");
             QProcess::execute("xdotool", {"key", "Escape"});
         },
         [&] { return QApplication::activeModalWidget() == nullptr; }},
        {"Reset", [&] { press(&form1, "ResetButton"); }, isReset},
        {"choose refused.bmp", [&] { chooseFile("refused.bmp"); }, [&] { return exposed(box()); }},
        {"photograph the size box and press OK",
         [&] {
             check(box()->windowTitle() == "Picture Size Error", "the box is not the size box");
             save(box(), "desktop-refusal.png");
             clickAt(box()->button(QMessageBox::Ok), box()->button(QMessageBox::Ok)->rect().center());
         },
         isReset},
        {"Exit", [&] { press(&form1, "ExitButton"); }, [&] { return !form1.isVisible(); }},
    };

    // The steps run from a timer, which fires inside the modal loops too.
    std::size_t next = 0;
    bool acted = false;
    QElapsedTimer waiting;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (failed || next == steps.size())
            return;
        if (!acted) {
            Say(QString("step %1: %2").arg(next + 1).arg(steps[next].what));
            acted = true;
            waiting.start();
            steps[next].act();
        } else if (steps[next].done()) {
            ++next;
            acted = false;
        } else {
            check(waiting.elapsed() < 30000, "no effect within 30 s: " + steps[next].what);
        }
    });
    tick.start(50);
    // Exit ends the program before its step can be seen done.
    if (app.exec() != 0 || failed || form1.isVisible() || next + 1 < steps.size()) {
        Say("FAILED: the cycle did not end with Exit");
        return 1;
    }
    Say("the whole cycle went as it should");
    return 0;
}
