#pragma once

// Driving the windows headless as a user would: boxes answered by a recorder,
// double-clicks as a window system sends them, and modal windows worked on
// while their exec() runs.

#include "messages.h"
#include "sharedstate.h"

#include <QApplication>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

// Answers every box at once and keeps what it said.
class RecordingMessages : public Messages
{
public:
    struct Box
    {
        Kind kind;
        QString title, text;
    };
    void show(QWidget *, Kind kind, const QString &title, const QString &text) override
    {
        boxes.push_back({kind, title, text});
    }
    std::vector<Box> take() { return std::exchange(boxes, {}); }

    std::vector<Box> boxes;
};

// What a window system sends for a double-click.
inline void DoubleClick(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// Runs open (which shows a modal window and returns when it is closed); once
// the modal window is up, runs action on it and closes it. Returns whether
// action ran.
template <typename Window>
bool WhileModal(const std::function<void()> &open, const std::function<void(Window &)> &action)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto *window = qobject_cast<Window *>(QApplication::activeModalWidget());
        if (window == nullptr)
            return;
        action(*window);
        window->close();
        ran = true;
    });
    open();
    return ran;
}

// The state that the preview reads after a 240 x 64 bitmap was converted
// into the listing at path.
inline void SetConverted(SharedState &state, const QString &listing)
{
    state.headers.biWidth = LcdWidth;
    state.headers.biHeight = LcdHeight;
    state.headers.biBitCount = LcdBitCount;
    state.outputPath = listing;
}

// Whether nothing at all is drawn in the preview's picture.
inline bool LcdBlank(const QImage &lcd)
{
    for (int y = 0; y < lcd.height(); ++y)
        for (int x = 0; x < lcd.width(); ++x)
            if (qAlpha(lcd.pixel(x, y)) != 0)
                return false;
    return true;
}
