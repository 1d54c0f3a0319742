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

// Each box as "plain|TITLE|TEXT" or "warning|TITLE|TEXT".
struct RecordingMessages : Messages
{
    void show(QWidget *, Kind kind, const QString &title, const QString &text) override
    {
        m_boxes << QStringList{kind == Kind::Plain ? "plain" : "warning", title, text}.join('|');
    }
    QStringList m_boxes;
};
