#pragma once

// The main window driven headless as a user would: controls found by name,
// the lists on a temporary folder, boxes answered by a recorder, the preview
// worked on while its exec() runs.
#include "bmpfixture.h"
#include "dirlist.h"
#include "filelist.h"
#include "form1.h"
#include "form2.h"
#include "messages.h"
#include "sharedstate.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

struct RecordingMessages : Messages
{
    struct Box
    {
        Kind kind;
        QString title, text;
    };
    void show(QWidget *, Kind kind, const QString &title, const QString &text) override { boxes.push_back({kind, title, text}); }
    std::vector<Box> take() { return std::exchange(boxes, {}); }
    std::vector<Box> boxes;
};

// A row of the window's state table.
struct WindowState
{
    bool convert = false, preview = false, inverse = false, normal = true, picture = false;
    QString height, width, color, status, outFile, progress = "0", flag, outputPath;
    bool operator==(const WindowState &) const = default;
    friend void PrintTo(const WindowState &s, std::ostream *out)
    {
        *out << QStringList{QString("buttons %1%2 options %3%4 picture %5").arg(s.convert).arg(s.preview).arg(s.inverse).arg(s.normal).arg(s.picture),
                            s.height, s.width, s.color, s.status, s.outFile, s.progress, s.flag, s.outputPath}
                    .join(" | ").toStdString();
    }
};
inline const WindowState StartUp{}, AfterReset{.flag = "F"};
inline WindowState Admitted(const QString &listing)
{
    return {true, false, true, true, true, "64", "240", "1 Bits  (2 Colors)", "", "", "0", "F", listing};
}
inline WindowState Converted(const QString &listing, bool normal = true)
{
    return {true, true, true, normal, true, "64", "240", "1 Bits  (2 Colors)", "Successed", listing, "100", "S", listing};
}

inline void DoubleClick(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// Presses Show; the dots drawn.
inline QImage Show(Form2 &form2)
{
    form2.findChild<QPushButton *>("ShowButton")->click();
    return form2.lcdImage();
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        form.Init_Form();
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }

    template <typename Widget = QWidget>
    Widget *control(const char *name)
    {
        auto *widget = form.findChild<Widget *>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    FileList *file1() { return control<FileList>("File1"); }
    QStringList files()
    {
        QStringList names;
        for (int i = 0; i < file1()->count(); ++i)
            names << file1()->item(i)->text();
        return names;
    }
    QString text(const char *label) { return control<QLabel>(label)->text(); }
    void click(const char *button) { QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton); }
    WindowState state()
    {
        return {control("ConvertButton")->isEnabled(), control("PreviewButton")->isEnabled(),
                control("InverseOption")->isEnabled(), control<QRadioButton>("NormalOption")->isChecked(),
                !control<QLabel>("PreviewPic")->pixmap().isNull(), text("HeightValue"), text("WidthValue"),
                text("ColorValue"), text("StatusValue"), text("OutFileValue"), text("ProgressPer"),
                form.resultFlag(), shared.outputPath};
    }

    QString path(const QString &relative = {}) const { return QDir::cleanPath(temp.filePath(relative)); }
    QString listingFor(const QString &folder, const QString &base) const
    {
        return QDir::toNativeSeparators(QDir(path(folder)).filePath("lcd_" + base + ".txt"));
    }
    void openFolder(const QString &relative = {})
    {
        QString reason;
        ASSERT_TRUE(control<DirList>("Dir1")->setPath(path(relative), reason)) << reason.toStdString();
    }
    // Double-clicks name in File1, or selects it and presses Enter.
    void choose(const QString &name, bool byEnter = false)
    {
        const QList<QListWidgetItem *> items = file1()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        file1()->scrollToItem(items.first());
        const QPoint at = file1()->visualItemRect(items.first()).center();
        if (!byEnter)
            return DoubleClick(file1()->viewport(), at);
        QTest::mouseClick(file1()->viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(file1(), Qt::Key_Return);
    }
    // Presses Preview; once the modal preview is up, runs action on it and closes it.
    void preview(const std::function<void(Form2 &)> &action)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            if (auto *form2 = qobject_cast<Form2 *>(QApplication::activeModalWidget())) {
                action(*form2);
                form2->close();
                ran = true;
            }
        });
        click("PreviewButton");
        EXPECT_TRUE(ran) << "the preview did not open";
    }

    QTemporaryDir temp;
    SharedState shared;
    RecordingMessages messages;
    Form1 form{shared, messages};
};
