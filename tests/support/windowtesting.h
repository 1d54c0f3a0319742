#pragma once

// What the window tests share: boxes answered by a recorder, the colours
// they look for and the dots of the worked example.
#include "messages.h"

#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <set>

inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

constexpr QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Black = qRgb(0, 0, 0), Green = qRgb(0, 128, 0);
// The worked example: its line "        DB 01H,FFH,80H,0FH,F0H,00H,05H,C0H;" lights these columns of row 0.
inline const std::set<int> WorkedExampleColumns{0, 8, 9, 10, 11, 12, 13, 14, 15, 23, 24, 25, 26, 27, 36, 37, 38, 39, 48, 50, 62, 63};

// Each box the real DialogMessages shows, answered at once and recorded as
// "plain|TITLE|TEXT" (no icon) or "warning|TITLE|TEXT"; "+buttons" is added
// to a box with any button besides OK.
struct RecordingMessages : Messages
{
    void show(QWidget *parent, Kind kind, const QString &title, const QString &text) override
    {
        QTimer::singleShot(0, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            const QString icon = box->icon() == QMessageBox::NoIcon ? "plain" : box->icon() == QMessageBox::Warning ? "warning" : "other";
            m_boxes << QStringList{icon + (box->standardButtons() == QMessageBox::Ok ? "" : "+buttons"), box->windowTitle(), box->text()}.join('|');
            box->accept();
        });
        DialogMessages().show(parent, kind, title, text);
    }
    QStringList m_boxes;
};
