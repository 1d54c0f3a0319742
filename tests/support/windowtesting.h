#pragma once

// The windows driven headless as a user would: controls found by name, the
// lists on a temporary folder holding example.bmp, boxes answered by a
// recorder, the preview worked on while its exec() runs.
#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "form2.h"
#include "messages.h"
#include "sharedstate.h"

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

// A row of the window's state table: Convert, Preview, Inverse enabled, Normal chosen, PreviewPic's top left pixel (0: empty),
// height x width, Color, Status, Output File, Progress, the result flag, where the listing goes; "<tmp>" the test's folder.
using WindowState = std::tuple<bool, bool, bool, bool, QRgb, QString, QString, QString, QString, QString, QString, QString>;

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The worked example in palette colour 0, red, on colour 1, blue.
        QImage example(240, 64, QImage::Format_Mono);
        example.setColorTable({Red, Blue});
        example.fill(1);
        for (int x : WorkedExampleColumns)
            example.setPixel(x, 0, 0);
        QBuffer buffer(&m_example);
        ASSERT_TRUE(m_temp.isValid() && example.save(&buffer, "BMP"));
        write("example.bmp", m_example);
        m_form.Init_Form();
        m_form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_form));
    }

    template <typename Widget = QWidget>
    Widget *control(const char *name) { return m_form.findChild<Widget *>(name); }
    void click(const QString &button) { QTest::mouseClick(control<QAbstractButton>(qPrintable(button)), Qt::LeftButton); }
    QString path(const QString &relative) const { return QDir::toNativeSeparators(m_temp.filePath(relative)); }
    QString local(QString text) const { return text.replace(QDir::toNativeSeparators(m_temp.path()), "<tmp>"); }
    void openFolder(const QString &relative = {}) { ASSERT_TRUE(control<DirList>("Dir1")->setPath(m_temp.filePath(relative), m_reason)); }
    // Selects name in File1 with a click and takes it with Enter.
    void choose(const QString &name)
    {
        auto *file1 = control<FileList>("File1");
        const QRect item = file1->visualItemRect(file1->findItems(name, Qt::MatchExactly).value(0));
        QTest::mouseClick(file1->viewport(), Qt::LeftButton, {}, item.center());
        QTest::keyClick(file1, Qt::Key_Return);
    }
    QString text(const char *label) { return local(control<QLabel>(label)->text()); }
    WindowState state()
    {
        const QImage picture = control<QLabel>("PreviewPic")->pixmap().toImage();
        return {control("ConvertButton")->isEnabled(), control("PreviewButton")->isEnabled(), control("InverseOption")->isEnabled(),
                control<QRadioButton>("NormalOption")->isChecked(), picture.isNull() ? 0 : picture.pixel(0, 0),
                text("HeightValue") + (text("HeightValue").isEmpty() ? "" : " x ") + text("WidthValue"), text("ColorValue"),
                text("StatusValue"), text("OutFileValue"), text("ProgressPer"), m_form.resultFlag(), local(m_shared.outputPath)};
    }
    // Presses Preview; once the modal preview is up, runs action on it and closes it.
    void preview(const std::function<void(Form2 &)> &action)
    {
        QTimer::singleShot(0, [&] {
            if (auto *form2 = qobject_cast<Form2 *>(QApplication::activeModalWidget())) {
                action(*form2);
                form2->close();
            }
        });
        click("PreviewButton");
    }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << name.toStdString();
    }

    QTemporaryDir m_temp;
    QByteArray m_example; // example.bmp
    QString m_reason;
    SharedState m_shared;
    RecordingMessages m_messages;
    Form1 m_form{m_shared, m_messages};
};
