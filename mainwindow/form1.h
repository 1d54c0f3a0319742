#pragma once

#include "bitmapfile.h"
#include "encoder.h"

#include <QImage>
#include <QString>
#include <QWidget>

class DirList;
class DriveList;
class FileList;
class Form2;
class Messages;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
struct SharedState;

// Where the lists start for a program in programFolder: that folder, or the
// home folder for an installed program.
QString StartFolder(const QString &programFolder);

// The main window: browse to a 240 x 64, 1-bit bitmap, admit it, show it and
// convert the picture on display into its DB listing. Every control carries
// its name as objectName. Boxes go through messages.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    Form1(SharedState &state, Messages &messages, QWidget *parent = nullptr);

    // Fills the notice, points the lists at the program's folder and places
    // the picture box. Run once while the window is still hidden.
    void Init_Form();

    // "S" after a completed conversion, "F" after an admission, a Reset or a
    // run that did not complete; empty before any of these.
    const QString &resultFlag() const { return m_resultFlag; }

private:
    // Event handlers, named after their control and event.
    void Drive1_Change();
    void Dir1_Open(const QString &folder);
    void Dir1_Change();
    void File1_DblClick();
    void ConvertButton_Click();
    void PreviewButton_Click();
    void ResetButton_Click();
    void ExitButton_Click();

    void SelectBitmap();
    void PrepareConversion();
    void Reset();
    void ClearResult();
    void SetScanBounds();
    bool EncodeRows(RgbColour onColour, QString &failure);
    void ShowResult();
    void showProgress(int percent);
    QString admittedOutputPath() const;
    void reportFailure(const QString &what, const QString &path, const QString &reason);

    SharedState &m_state;
    Messages &m_messages;
    PaletteColours m_palette{};
    ScanBounds m_scanBounds; // of the conversion under way
    QString m_resultFlag;
    // The admitted picture as decoded: what PreviewPic shows and what is converted.
    QImage m_picture;
    // Where the admitted bitmap lies; its listing goes beside it, wherever the
    // lists have been taken since.
    QString m_admittedFolder;
    QString m_admittedName;

    DriveList *m_drive1 = nullptr;
    DirList *m_dir1 = nullptr;
    FileList *m_file1 = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QLabel *m_heightValue = nullptr;
    QLabel *m_widthValue = nullptr;
    QLabel *m_colorValue = nullptr;
    QLabel *m_previewPic = nullptr;
    QRadioButton *m_normalOption = nullptr;
    QRadioButton *m_inverseOption = nullptr;
    QLabel *m_progressPer = nullptr;
    QLabel *m_statusValue = nullptr;
    QLabel *m_outFileValue = nullptr;
    QPushButton *m_convertButton = nullptr;
    QPushButton *m_previewButton = nullptr;
    QPushButton *m_resetButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    // The LCD preview: created at the first Preview and reused, owned by this window.
    Form2 *m_form2 = nullptr;
    QLabel *m_copyRightLabel = nullptr;
};
