// Window timings, on whatever platform QT_QPA_PLATFORM names (offscreen, or
// xcb under Xvfb):
//   start:   from just before the process is spawned to the main window shown
//            and painted, the program's folder listed in it (Init_Form);
//   convert: a Convert click on the admitted sample to "Successed" painted,
//            every percentage repaint and the listing's durable write included;
//   show:    a Show click in the LCD Preview to all 15 360 dots drawn and
//            painted.
// Prints the median and the range of each over RUNS runs (default 20).
//
//   dotpress-window-bench [RUNS]

#include "form1.h"
#include "form2.h"
#include "messages.h"
#include "sharedstate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const char ChildFlag[] = "--start-child";
const char SampleName[] = "dotpress-logo.bmp";

// CLOCK_MONOTONIC, which the child process reads too: both sides of the
// start-up measurement use the same clock.
qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

double msSince(qint64 startNs)
{
    return double(monotonicNs() - startNs) / 1e6;
}

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "dotpress-window-bench: %s\n", qPrintable(what));
    std::exit(2);
}

// A box would wait for a user: any box here is a failure of the run.
class FailingMessages : public Messages
{
public:
    void show(QWidget *, Kind, const QString &title, const QString &text) override
    {
        fail(title + QStringLiteral(": ") + text);
    }
};

// Counts the paints of a widget, so that the caller can tell when, and how
// often, it has been drawn.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return QObject::eventFilter(watched, event);
    }

private:
    int m_paints = 0;
};

// Runs the event loop until the widget is on the screen and painted; the
// paint is complete once the loop has come back from delivering it.
void waitUntilShown(QWidget &widget)
{
    PaintWatch watch(&widget);
    const qint64 deadline = monotonicNs() + qint64(10) * 1000000000;
    while (!(watch.paints() > 0 && widget.windowHandle() && widget.windowHandle()->isExposed())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (monotonicNs() > deadline)
            fail(QStringLiteral("the window was not shown within 10 s"));
    }
}

// Delivers what a handler left queued: the repaints of the labels it set.
void paintPending()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

template <typename T>
T *child(QWidget &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (found == nullptr)
        fail(QStringLiteral("no %1 in %2").arg(QLatin1String(name), parent.objectName()));
    return found;
}

struct Figures
{
    std::vector<double> ms;
    void print(const char *what, const char *target) const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
        std::printf("  %-36s median %8.2f ms  (min %.2f, max %.2f, %zu runs)  target %s\n", what,
                    median, sorted.front(), sorted.back(), n, target);
    }
};

// The main window as the program starts it, shown and painted.
struct MainWindow
{
    SharedState state;
    FailingMessages messages;
    Form1 form{state, messages};

    MainWindow()
    {
        form.Init_Form();
        form.show();
        waitUntilShown(form);
    }
};

// The child: start, show the main window as the program does, report how long
// it took since startNs.
int startChild(int argc, char *argv[], qint64 startNs)
{
    QApplication app(argc, argv);
    const MainWindow window;
    std::printf("%.3f\n", msSince(startNs));
    return 0;
}

Figures measureStart(int runs)
{
    // This same program, by the link the kernel keeps to it.
    const char *self = "/proc/self/exe";
    Figures figures;
    for (int i = 0; i < runs; ++i) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            fail(QStringLiteral("cannot make a pipe"));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const qint64 startNs = monotonicNs();
        const std::string stamp = std::to_string(startNs);
        char *childArgv[] = {const_cast<char *>(self), const_cast<char *>(ChildFlag),
                             const_cast<char *>(stamp.c_str()), nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, self, &actions, nullptr, childArgv, environ) != 0)
            fail(QStringLiteral("cannot start %1").arg(QString::fromLocal8Bit(self)));
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        std::string text;
        char buffer[64];
        for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, std::size_t(got));
        close(pipeFds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty())
            fail(QStringLiteral("the start run failed"));
        figures.ms.push_back(std::strtod(text.c_str(), nullptr));
    }
    return figures;
}

int measure(int argc, char *argv[], int runs)
{
    const Figures start = measureStart(runs);

    QApplication app(argc, argv);
    MainWindow window;
    Form1 &form = window.form;

    // Admit the sample beside the program, as a double-click would.
    auto *file1 = child<QListWidget>(form, "File1");
    const QList<QListWidgetItem *> items = file1->findItems(QLatin1String(SampleName), Qt::MatchFixedString);
    if (items.isEmpty())
        fail(QStringLiteral("%1 is not beside the program").arg(QLatin1String(SampleName)));
    file1->setCurrentItem(items.front());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(file1, &enter);
    paintPending();

    auto *convertButton = child<QPushButton>(form, "ConvertButton");
    auto *statusValue = child<QLabel>(form, "StatusValue");
    if (!convertButton->isEnabled())
        fail(QStringLiteral("the sample was not admitted"));
    const PaintWatch progressPaints(child<QLabel>(form, "ProgressPer"));
    const PaintWatch statusPaints(statusValue);
    Figures convert;
    for (int i = 0; i < runs; ++i) {
        const int progressBefore = progressPaints.paints();
        const int statusBefore = statusPaints.paints();
        const qint64 t0 = monotonicNs();
        convertButton->click();
        paintPending();
        convert.ms.push_back(msSince(t0));
        if (statusValue->text() != QLatin1String("Successed"))
            fail(QStringLiteral("Convert ended with \"%1\"").arg(statusValue->text()));
        // 0, 1 to 99 and 100: each percentage painted as it is set.
        if (progressPaints.paints() - progressBefore < 101 || statusPaints.paints() == statusBefore)
            fail(QStringLiteral("Convert painted the percentage %1 times")
                     .arg(progressPaints.paints() - progressBefore));
    }

    // The preview as the Preview button opens it, over the listing just
    // written; shown without modality so that the bench keeps control.
    Form2 preview(window.state, window.messages, &form);
    preview.show();
    waitUntilShown(preview);
    auto *showButton = child<QPushButton>(preview, "ShowButton");
    const PaintWatch lcdPaints(child<QLabel>(preview, "LcdPic"));
    Figures show;
    for (int i = 0; i < runs; ++i) {
        const int lcdBefore = lcdPaints.paints();
        const qint64 t0 = monotonicNs();
        showButton->click();
        paintPending();
        show.ms.push_back(msSince(t0));
        if (lcdPaints.paints() == lcdBefore)
            fail(QStringLiteral("Show did not paint LcdPic"));
        const QImage dots = preview.lcdImage();
        int drawn = 0;
        for (int y = 0; y < dots.height(); ++y)
            for (int x = 0; x < dots.width(); ++x)
                drawn += qAlpha(dots.pixel(x, y)) != 0;
        if (drawn != LcdWidth * LcdHeight)
            fail(QStringLiteral("Show drew %1 dots").arg(drawn));
    }

    std::printf("platform %s, %d runs each\n", qPrintable(QGuiApplication::platformName()), runs);
    start.print("start to window shown", "<= 250 ms");
    convert.print("Convert click to \"Successed\"", "<= 50 ms");
    show.print("Show click to all dots drawn", "<= 20 ms");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::string(argv[1]) == ChildFlag)
        return startChild(argc, argv, std::strtoll(argv[2], nullptr, 10));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    return measure(argc, argv, runs);
}
