// desktop_driver: the main window and the LCD preview as the program builds
// them (real message boxes, the preview shown modal) on an X display, worked
// by a user made of X input events: xdotool moves the pointer and clicks at
// the places where the live widgets lie, and presses keys. The windows are
// photographed from the screen itself.
//
//   desktop_driver SHOTS_FOLDER
//
// Beside the driver lies bitmaps/, holding dotpress-logo.bmp and refused.bmp
// (not 240 x 64). The cycle: open bitmaps in Dir1, admit the logo, Convert in
// Normal and in Inverse, Preview, Show, close the preview, choose the refused
// bitmap and dismiss the size box, admit again, Reset, Exit. Prints each step;
// exits 0 when the whole cycle went as it should, 1 at the first step that
// did not (or did not within its time).

#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "form2.h"
#include "messages.h"
#include "sharedstate.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Each step is given this long to show its effect: far more than it takes.
constexpr qint64 StepTimeoutMs = 30000;
constexpr int TickMs = 50;

constexpr QRgb LcdOn = qRgb(0, 0, 0);
constexpr QRgb LcdOff = qRgb(0, 128, 0);

void Say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

// The user: X input events through xdotool, at native screen coordinates.
class User
{
public:
    explicit User(qreal scale) : m_scale(scale) {}

    void click(QWidget *widget, QPoint at, int clicks = 1) const
    {
        const QPoint global = widget->mapToGlobal(at) * m_scale;
        run({"mousemove", "--sync", QString::number(global.x()), QString::number(global.y()), "click",
             "--repeat", QString::number(clicks), "--delay", "80", "1"});
    }
    void click(QWidget *widget) const { click(widget, widget->rect().center()); }
    void key(const char *name) const { run({"key", QLatin1String(name)}); }

private:
    static void run(const QStringList &arguments)
    {
        if (QProcess::execute(QStringLiteral("xdotool"), arguments) != 0)
            Say(QStringLiteral("xdotool %1 failed").arg(arguments.join(' ')));
    }

    qreal m_scale;
};

struct Step
{
    QString what;
    std::function<void()> act;  // one user action
    std::function<bool()> done; // true once the windows show its effect
};

// Runs the steps one after the other from a timer, which also fires inside
// the modal loops of the preview and of the message box.
class Script : public QObject
{
public:
    explicit Script(std::vector<Step> steps) : m_steps(std::move(steps))
    {
        connect(&m_tick, &QTimer::timeout, this, [this] { tick(); });
    }

    void start()
    {
        m_tick.start(TickMs);
        begin();
    }
    void fail(const QString &why)
    {
        Say(QStringLiteral("FAILED: %1").arg(why));
        m_failed = true;
        m_tick.stop();
        QCoreApplication::exit(1);
    }
    bool failed() const { return m_failed; }
    bool finished() const { return m_next >= m_steps.size(); }
    // The last step's action has run (the program may have ended with it).
    bool atLastStep() const { return m_next + 1 == m_steps.size(); }

private:
    void begin()
    {
        const Step &step = m_steps[m_next];
        Say(QStringLiteral("step %1: %2").arg(m_next + 1).arg(step.what));
        m_busy = true;
        if (step.act)
            step.act();
        m_busy = false;
        m_waiting.start();
    }
    void tick()
    {
        if (m_busy || m_failed || finished())
            return;
        const Step &step = m_steps[m_next];
        if (!step.done()) {
            if (m_waiting.elapsed() > StepTimeoutMs)
                fail(QStringLiteral("no effect within %1 s: %2").arg(StepTimeoutMs / 1000).arg(step.what));
            return;
        }
        if (m_failed)
            return;
        if (++m_next < m_steps.size())
            begin();
        else
            m_tick.stop();
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    bool m_busy = false;
    bool m_failed = false;
    QTimer m_tick;
    QElapsedTimer m_waiting;
};

// A rectangle of the screen as it is shown now.
QImage Grab(QWidget *widget, const QRect &rect)
{
    const QPoint at = widget->mapToGlobal(rect.topLeft());
    return widget->screen()->grabWindow(0, at.x(), at.y(), rect.width(), rect.height()).toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QImage GrabWindow(QWidget *window) { return Grab(window, window->rect()); }

QListWidgetItem *FileItem(FileList *list, const QString &name)
{
    const QList<QListWidgetItem *> items = list->findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? nullptr : items.first();
}

// The 1920 bytes of a listing, in order.
QByteArray Bytes(const QByteArray &listing)
{
    QByteArray digits;
    for (const QByteArray &line : listing.split('\n')) {
        for (const QByteArray &field : line.mid(11).split(','))
            digits += field.left(2);
    }
    return QByteArray::fromHex(digits);
}

// Every pixel is one of the two palette colours, so each byte of the Inverse
// listing is the complement of the Normal one.
bool Complements(const QByteArray &normal, const QByteArray &inverse)
{
    const QByteArray a = Bytes(normal), b = Bytes(inverse);
    if (a.size() != 1920 || b.size() != a.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (char(~a[i]) != b[i])
            return false;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 || QGuiApplication::platformName() != QLatin1String("xcb")) {
        Say(QStringLiteral("usage: QT_QPA_PLATFORM=xcb desktop_driver SHOTS_FOLDER (on an X display); platform: %1")
                .arg(QGuiApplication::platformName()));
        return 2;
    }
    const QDir shots(QString::fromLocal8Bit(argv[1]));
    const QDir work(QCoreApplication::applicationDirPath() + QStringLiteral("/bitmaps"));
    const QString listingPath = work.filePath(QStringLiteral("lcd_dotpress-logo.txt"));

    // The start-up of the program itself.
    SharedState state;
    DialogMessages messages;
    Form1 form1(state, messages);
    form1.Init_Form();
    form1.move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, form1.size(),
                                   form1.screen()->availableGeometry())
                   .topLeft());
    form1.show();

    const User user(form1.screen()->devicePixelRatio());
    auto control = [&](const char *name) { return form1.findChild<QWidget *>(QLatin1String(name)); };
    auto label = [&](const char *name) { return form1.findChild<QLabel *>(QLatin1String(name))->text(); };
    auto *dir1 = form1.findChild<DirList *>(QStringLiteral("Dir1"));
    auto *file1 = form1.findChild<FileList *>(QStringLiteral("File1"));
    auto *previewPic = form1.findChild<QLabel *>(QStringLiteral("PreviewPic"));
    auto modal = [] { return QApplication::activeModalWidget(); };
    auto form2 = [&] { return qobject_cast<Form2 *>(modal()); };
    auto box = [&] { return qobject_cast<QMessageBox *>(modal()); };
    auto exposed = [](QWidget *w) { return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed(); };
    auto chooseFile = [&](const QString &name) {
        QListWidgetItem *item = FileItem(file1, name);
        if (item == nullptr)
            return Say(QStringLiteral("%1 is not in File1").arg(name));
        user.click(file1->viewport(), file1->visualItemRect(item).center(), 2);
    };
    auto admitted = [&] {
        return control("ConvertButton")->isEnabled() && label("HeightValue") == "64" && !previewPic->pixmap().isNull();
    };
    auto isReset = [&] {
        return !control("ConvertButton")->isEnabled() && label("HeightValue").isEmpty() && previewPic->pixmap().isNull();
    };

    QByteArray normalListing;
    QImage picture; // PreviewPic's 240 x 64 as on the screen
    QImage lcd;     // LcdPic's 240 x 64 as on the screen
    Script *script = nullptr;
    auto check = [&](bool ok, const QString &what) {
        if (!ok)
            script->fail(what);
        return ok;
    };
    auto save = [&](const QImage &image, const char *name) {
        const QString path = shots.filePath(QLatin1String(name));
        check(image.save(path), QStringLiteral("cannot save %1").arg(path));
        Say(QStringLiteral("saved %1").arg(path));
    };

    std::vector<Step> steps = {
        {"the main window is on the screen", {}, [&] { return exposed(&form1); }},
        {"open bitmaps in Dir1",
         [&] {
             // A subfolder of the program's folder, which Dir1 shows open.
             QTreeWidgetItem *here = dir1->currentItem();
             QTreeWidgetItem *folder = nullptr;
             for (int i = 0; here != nullptr && i < here->childCount(); ++i)
                 if (here->child(i)->text(0) == QLatin1String("bitmaps"))
                     folder = here->child(i);
             if (folder == nullptr)
                 return script->fail(QStringLiteral("no folder bitmaps under %1 in Dir1").arg(dir1->path()));
             dir1->scrollToItem(folder);
             user.click(dir1->viewport(), dir1->visualItemRect(folder).center(), 2);
         },
         [&] { return QDir(file1->path()) == work && FileItem(file1, "dotpress-logo.bmp") != nullptr; }},
        {"admit dotpress-logo.bmp", [&] { chooseFile("dotpress-logo.bmp"); }, admitted},
        {"Convert in Normal",
         [&] { user.click(control("ConvertButton")); },
         [&] { return label("StatusValue") == "Successed" && QFile::exists(listingPath); }},
        {"choose Inverse",
         [&] {
             QFile listing(listingPath);
             if (check(listing.open(QIODevice::ReadOnly), "the listing cannot be read"))
                 normalListing = listing.readAll();
             check(normalListing.size() == 10800, "the Normal listing is not 10800 bytes");
             user.click(control("InverseOption"));
         },
         [&] { return form1.findChild<QRadioButton *>(QStringLiteral("InverseOption"))->isChecked(); }},
        {"Convert in Inverse",
         [&] { user.click(control("ConvertButton")); },
         [&] {
             QFile listing(listingPath);
             return label("StatusValue") == "Successed" && listing.open(QIODevice::ReadOnly)
                    && listing.readAll() != normalListing;
         }},
        {"photograph the main window and Preview",
         [&] {
             QFile listing(listingPath);
             listing.open(QIODevice::ReadOnly);
             check(Complements(normalListing, listing.readAll()),
                   "the Inverse listing is not the complement of the Normal one");
             const QImage window = GrabWindow(&form1);
             save(window, "desktop-main-window.png");
             picture = Grab(previewPic, QRect(previewPic->contentsRect().topLeft(), QSize(240, 64)));
             user.click(control("PreviewButton"));
         },
         [&] { return exposed(form2()); }},
        {"Show", [&] { user.click(form2()->findChild<QWidget *>(QStringLiteral("ShowButton"))); },
         [&] {
             if (form2() == nullptr)
                 return false;
             auto *lcdPic = form2()->findChild<QLabel *>(QStringLiteral("LcdPic"));
             if (lcdPic->pixmap().isNull())
                 return false;
             lcd = Grab(lcdPic, QRect(lcdPic->contentsRect().topLeft(), QSize(240, 64)));
             return lcd.pixel(0, 0) == LcdOn || lcd.pixel(0, 0) == LcdOff;
         }},
        {"photograph the preview and close it with Escape",
         [&] {
             save(GrabWindow(form2()), "desktop-lcd-preview.png");
             // Inverse: a dot is on where the picture shows palette entry 1 (white).
             int wrong = 0;
             for (int y = 0; y < 64; ++y)
                 for (int x = 0; x < 240; ++x) {
                     const bool white = qGray(picture.pixel(x, y)) >= 128;
                     wrong += lcd.pixel(x, y) != (white ? LcdOn : LcdOff);
                 }
             check(wrong == 0, QStringLiteral("%1 dots on the screen differ from the picture").arg(wrong));
             user.key("Escape");
         },
         [&] { return modal() == nullptr; }},
        {"choose refused.bmp", [&] { chooseFile("refused.bmp"); }, [&] { return exposed(box()); }},
        {"photograph the size box and press OK",
         [&] {
             check(box()->windowTitle() == "Picture Size Error", "the box is not the size box");
             save(GrabWindow(box()), "desktop-refusal.png");
             user.click(box()->button(QMessageBox::Ok));
         },
         [&] { return modal() == nullptr && isReset(); }},
        {"admit dotpress-logo.bmp again", [&] { chooseFile("dotpress-logo.bmp"); }, admitted},
        {"Reset", [&] { user.click(control("ResetButton")); }, isReset},
        {"Exit", [&] { user.click(control("ExitButton")); }, [&] { return !form1.isVisible(); }},
    };
    Script run(std::move(steps));
    script = &run;
    QTimer::singleShot(0, &run, [&] { run.start(); });
    const int status = app.exec();
    if (run.failed() || status != 0)
        return 1;
    // Exit ends the program before its step can be seen done.
    if (!run.finished() && !(run.atLastStep() && !form1.isVisible())) {
        Say(QStringLiteral("FAILED: the program ended before the cycle did"));
        return 1;
    }
    Say(QStringLiteral("the whole cycle went as it should"));
    return 0;
}
