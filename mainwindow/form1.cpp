#include "form1.h"

#include "dirlist.h"
#include "drivelist.h"
#include "filelist.h"
#include "bytelayout.h"
#include "form2.h"
#include "listingformat.h"
#include "messages.h"
#include "outputfile.h"
#include "outputnaming.h"
#include "picture.h"
#include "sharedstate.h"
#include "version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

// The designed caption names the version by its major and minor number.
const QString WindowCaption = QStringLiteral("Dotpress-%1.%2").arg(DOTPRESS_VERSION_MAJOR).arg(DOTPRESS_VERSION_MINOR);
constexpr int TwipsPerPixel = 15;

constexpr char RefusalTitle[] = "Picture Size Error";

// The depth text, "1 Bits  (2 Colors)" for the one depth admitted.
QString ColorValueText(const BitmapHeaders &headers)
{
    const int bits = headers.biBitCount;
    return QString::number(bits) + QStringLiteral(" Bits ") + QStringLiteral(" (")
        + QString::number(1 << bits) + QStringLiteral(" Colors)");
}

// The picture box's outer size, border included: a 240 x 64 picture and a
// sunken border of two pixels on each side, with room to spare.
constexpr int PreviewPicWidth = 245;
constexpr int PreviewPicHeight = 69;

// A design rectangle given in twips, relative to the container.
QRect Twips(int left, int top, int width, int height)
{
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
            height / TwipsPerPixel};
}

template <typename Widget>
Widget *Place(Widget *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel *MakeLabel(QWidget *container, const char *name, const QRect &geometry,
                  const QString &caption = {})
{
    auto *label = Place(new QLabel(caption, container), name, geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A caption wider in this font than in its designed box runs on to the
    // right rather than being cut off; none has a neighbour that close.
    if (!caption.isEmpty())
        label->resize(std::max(geometry.width(), label->sizeHint().width()), geometry.height());
    return label;
}

// Arial, or a face with its metrics where it is missing, at pointSize.
QFont ArialFont(qreal pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    font.setPointSizeF(pointSize);
    return font;
}

void SetTextColour(QWidget *widget, int red, int green, int blue)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(red, green, blue));
    widget->setPalette(palette);
}

} // namespace

// Beside the program is where the samples lie in a build or a copied folder.
// An installed program's folder (a bin folder with ../share/dotpress/samples
// beside it) holds no bitmaps, so there the lists start in the home folder.
QString StartFolder(const QString &programFolder)
{
    const QDir folder(programFolder);
    if (folder.dirName() == QLatin1String("bin")
        && QFileInfo(folder.filePath(QStringLiteral("../share/dotpress/samples"))).isDir())
        return QDir::homePath();
    return programFolder;
}

Form1::Form1(SharedState &state, Messages &messages, QWidget *parent)
    : QWidget(parent), m_state(state), m_messages(messages)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(WindowCaption);
    setWindowIcon(QIcon(QStringLiteral(":/dotpress/dotpress.xpm")));
    // Nothing in the window follows its size, so it keeps its design size.
    setFixedSize(6990 / TwipsPerPixel, 8175 / TwipsPerPixel);
    // The captions are laid out for a narrow face at 8 points: a wider
    // desktop font would cut them off.
    setFont(ArialFont(8));

    MakeLabel(this, "DriverLabel", Twips(360, 240, 615, 255), QStringLiteral("Driver:"));
    m_drive1 = Place(new DriveList(this), "Drive1", Twips(960, 240, 2295, 315));
    MakeLabel(this, "DirLabel", Twips(360, 600, 975, 255), QStringLiteral("Directory:"));
    m_dir1 = Place(new DirList(this), "Dir1", Twips(360, 900, 2895, 1665));
    MakeLabel(this, "FileLabel", Twips(3480, 360, 1575, 255), QStringLiteral("Files Name (*.bmp):"));
    m_file1 = Place(new FileList(QStringLiteral("*.bmp"), this), "File1", Twips(3480, 720, 3135, 1845));

    m_frame1 = Place(new QGroupBox(this), "Frame1", Twips(360, 2640, 6255, 3015));
    MakeLabel(m_frame1, "HeightLabel", Twips(480, 240, 615, 255), QStringLiteral("Height :"));
    m_heightValue = MakeLabel(m_frame1, "HeightValue", Twips(1200, 240, 615, 285));
    MakeLabel(m_frame1, "WidthLabel", Twips(1920, 240, 615, 255), QStringLiteral("Width :"));
    m_widthValue = MakeLabel(m_frame1, "WidthValue", Twips(2640, 240, 615, 285));
    MakeLabel(m_frame1, "ColorLabel", Twips(3480, 240, 495, 255), QStringLiteral("Color :"));
    m_colorValue = MakeLabel(m_frame1, "ColorValue", Twips(4080, 240, 1935, 285));
    for (QLabel *value : {m_heightValue, m_widthValue, m_colorValue})
        SetTextColour(value, 0, 0, 192);
    m_previewPic = MakeLabel(m_frame1, "PreviewPic", Twips(1080, 600, 4335, 2055));
    m_previewPic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_previewPic->setLineWidth(2);

    auto *frame2 = Place(new QGroupBox(this), "Frame2", Twips(360, 5640, 6255, 1935));
    // Frame3 comes first so that the option buttons lie above it.
    Place(new QGroupBox(frame2), "Frame3", Twips(240, 120, 4575, 735));
    m_normalOption = Place(new QRadioButton(QStringLiteral("Normal"), frame2), "NormalOption",
                           Twips(480, 360, 975, 375));
    m_normalOption->setChecked(true);
    m_inverseOption = Place(new QRadioButton(QStringLiteral("Inverse"), frame2), "InverseOption",
                            Twips(1560, 360, 975, 375));
    m_inverseOption->setEnabled(false);
    MakeLabel(frame2, "ProgressLabel", Twips(360, 1080, 735, 255), QStringLiteral("Progress :"));
    m_progressPer = MakeLabel(frame2, "ProgressPer", Twips(1200, 1080, 375, 255));
    MakeLabel(frame2, "PercentLabel", Twips(1680, 1080, 255, 255), QStringLiteral("%"));
    MakeLabel(frame2, "StatusLabel", Twips(2400, 1080, 615, 255), QStringLiteral("Status :"));
    m_statusValue = MakeLabel(frame2, "StatusValue", Twips(3120, 1080, 1095, 255));
    MakeLabel(frame2, "OutFileLabel", Twips(360, 1440, 855, 255), QStringLiteral("Output File :"));
    m_outFileValue = MakeLabel(frame2, "OutFileValue", Twips(1320, 1440, 4695, 375));
    m_outFileValue->setWordWrap(true);
    SetTextColour(m_outFileValue, 0, 128, 0);

    // The buttons belong to the window and are drawn above Frame2.
    m_convertButton = Place(new QPushButton(QStringLiteral("Convert"), this), "ConvertButton",
                            Twips(3120, 6000, 855, 375));
    m_convertButton->setEnabled(false);
    m_previewButton = Place(new QPushButton(QStringLiteral("Preview"), this), "PreviewButton",
                            Twips(4080, 6000, 855, 375));
    m_previewButton->setEnabled(false);
    m_resetButton = Place(new QPushButton(QStringLiteral("Reset"), this), "ResetButton",
                          Twips(5520, 6000, 855, 375));
    m_exitButton = Place(new QPushButton(QStringLiteral("Exit"), this), "ExitButton",
                         Twips(5520, 6480, 855, 375));

    m_copyRightLabel = MakeLabel(this, "CopyRightLabel", Twips(360, 7680, 6255, 495));
    SetTextColour(m_copyRightLabel, 64, 64, 64);
    QFont notice = ArialFont(8.25);
    notice.setWeight(QFont::Normal);
    m_copyRightLabel->setFont(notice);

    // The design's tab order, of the controls that take the focus: labels and
    // frames never do, so their places in it change nothing.
    QWidget *const tabOrder[] = {
        m_drive1, m_dir1, m_file1, m_previewButton, m_convertButton, m_resetButton,
        m_exitButton, m_inverseOption, m_normalOption,
    };
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(m_drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    connect(m_dir1, &DirList::openRequested, this, &Form1::Dir1_Open);
    connect(m_dir1, &DirList::changed, this, &Form1::Dir1_Change);
    connect(m_file1, &FileList::chosen, this, &Form1::File1_DblClick);
    connect(m_convertButton, &QPushButton::clicked, this, &Form1::ConvertButton_Click);
    connect(m_previewButton, &QPushButton::clicked, this, &Form1::PreviewButton_Click);
    connect(m_resetButton, &QPushButton::clicked, this, &Form1::ResetButton_Click);
    connect(m_exitButton, &QPushButton::clicked, this, &Form1::ExitButton_Click);
}

void Form1::Init_Form()
{
    m_copyRightLabel->setText(
        QStringLiteral("Dotpress %1.%2: 240 x 64 dot bitmaps into DB listings for graphic LCD modules.\n"
                       "Copyright (C) the Dotpress developers. Free to use and share; no warranty.")
            .arg(DOTPRESS_VERSION_MAJOR).arg(DOTPRESS_VERSION_MINOR));
    m_progressPer->setText(QStringLiteral("0"));

    // Each assignment raises its list's Change, so File1 ends up listing the
    // bitmaps beside the program (or the home folder's, once installed).
    const QString startFolder = StartFolder(QCoreApplication::applicationDirPath());
    m_drive1->setDrive(DriveList::driveOf(startFolder));
    Dir1_Open(startFolder);

    // Centred across Frame1, its middle 150 twips below the frame's, under
    // the row of values.
    const float frameWidth = float(m_frame1->width() * TwipsPerPixel);
    const float frameHeight = float(m_frame1->height() * TwipsPerPixel);
    const float width = float(PreviewPicWidth * TwipsPerPixel);
    const float height = float(PreviewPicHeight * TwipsPerPixel);
    const float top = (frameHeight + 300.0f) / 2.0f - height / 2.0f;
    const float left = frameWidth / 2.0f - width / 2.0f;
    m_previewPic->setGeometry(qRound(left / TwipsPerPixel), qRound(top / TwipsPerPixel),
                              PreviewPicWidth, PreviewPicHeight);
}

void Form1::Drive1_Change()
{
    const QString drive = m_drive1->drive();
    if (drive.isEmpty())
        return;
    QString reason;
    if (!m_dir1->setPath(drive, reason)) {
        reportFailure(QStringLiteral("The drive cannot be opened."), drive, reason);
        m_drive1->showDriveOf(m_dir1->path());
    }
}

void Form1::Dir1_Open(const QString &folder)
{
    QString reason;
    if (!m_dir1->setPath(folder, reason))
        reportFailure(QStringLiteral("The folder cannot be opened."), folder, reason);
}

void Form1::Dir1_Change()
{
    // Dir1 may have been taken onto another volume: the drive list follows.
    m_drive1->showDriveOf(m_dir1->path());
    QString reason;
    if (!m_file1->setPath(m_dir1->path(), reason))
        reportFailure(QStringLiteral("The folder cannot be listed."), m_dir1->path(), reason);
}

void Form1::File1_DblClick()
{
    SelectBitmap();
}

void Form1::SelectBitmap()
{
    // One separator, as is: at a root the two stand in a row.
    const QString folder = QDir::toNativeSeparators(m_file1->path());
    const QString name = m_file1->fileName();
    const QString path = folder + QDir::separator() + name;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reportFailure(QStringLiteral("The bitmap cannot be opened."), path, file.errorString());
        Reset();
        return;
    }
    const BitmapFile read = ReadBitmapFile(file);
    file.close();
    if (!read.ok()) {
        reportFailure(QStringLiteral("The bitmap cannot be opened."), path, read.error);
        Reset();
        return;
    }
    m_state.headers = read.headers;
    if (read.headers.biBitCount == LcdBitCount)
        m_palette = read.palette;
    if (!IsAdmitted(m_state.headers)) {
        m_messages.show(this, Messages::Kind::Plain, QLatin1String(RefusalTitle), RefusalText());
        Reset();
        return;
    }
    const DecodedPicture picture = DecodeBitmap(read);
    if (!picture.ok()) {
        reportFailure(QStringLiteral("The bitmap cannot be shown."), path, picture.error);
        Reset();
        return;
    }
    m_picture = PictureImage(picture);
    m_previewPic->setPixmap(QPixmap::fromImage(m_picture));
    m_heightValue->setText(QString::number(m_state.headers.biHeight));
    m_widthValue->setText(QString::number(m_state.headers.biWidth));
    m_colorValue->setText(ColorValueText(m_state.headers));
    m_admittedFolder = folder;
    m_admittedName = name;
    PrepareConversion();
}

void Form1::PrepareConversion()
{
    m_inverseOption->setEnabled(true);
    m_normalOption->setChecked(true);
    m_previewButton->setEnabled(false);
    m_convertButton->setEnabled(true);
    m_statusValue->clear();
    m_outFileValue->clear();
    m_progressPer->setText(QStringLiteral("0"));
    m_resultFlag = QStringLiteral("F");
    m_state.outputPath = admittedOutputPath();
}

void Form1::ConvertButton_Click()
{
    // Only an admitted bitmap, 240 x 64 at 1 bit per pixel, enables Convert.
    SetScanBounds();
    ClearResult();
    const Sense sense = m_normalOption->isChecked() ? Sense::Normal : Sense::Inverse;
    QString failure;
    if (EncodeRows(OnColour(m_palette, sense), failure)) {
        m_resultFlag = QStringLiteral("S");
        m_previewButton->setEnabled(true);
    }
    ShowResult();
    // Told after "Failed" is up, so the window behind the box is already
    // in its final state.
    if (!failure.isEmpty())
        reportFailure(QStringLiteral("The listing cannot be written."), m_state.outputPath, failure);
}

// Encodes the picture on display, writes its listing whole or not at all
// and shows 100 once it is on disk.
void Form1::SetScanBounds()
{
    m_scanBounds = ScanBoundsFor(m_state.headers);
}

bool Form1::EncodeRows(RgbColour onColour, QString &failure)
{
    const ImagePixelSource source(m_picture);
    const DotGrid dots = ScanDots(source, m_scanBounds, onColour, [this](int percent) { showProgress(percent); });
    const QByteArray bytes = PackDots(dots, ByteLayout::RowsLsb);
    const WriteResult written = WriteOutputFile(QFile::encodeName(m_state.outputPath), FormatListing(bytes));
    if (!written.ok) {
        failure = written.error;
        return false;
    }
    showProgress(100);
    return true;
}

void Form1::ClearResult()
{
    m_statusValue->clear();
    m_outFileValue->clear();
    m_previewButton->setEnabled(false);
    showProgress(0);
    m_resultFlag = QStringLiteral("F");
    m_state.outputPath = admittedOutputPath();
}

void Form1::ShowResult()
{
    if (m_resultFlag == QLatin1String("S")) {
        m_statusValue->setText(QStringLiteral("Successed"));
        m_outFileValue->setText(m_state.outputPath);
    } else {
        m_statusValue->setText(QStringLiteral("Failed"));
        m_outFileValue->clear();
    }
}

void Form1::showProgress(int percent)
{
    // The run keeps the event loop waiting, so the label is painted at once.
    m_progressPer->setText(QString::number(percent));
    m_progressPer->repaint();
}

QString Form1::admittedOutputPath() const
{
    return WindowListingPath(m_admittedFolder, m_admittedName);
}

void Form1::PreviewButton_Click()
{
    if (m_form2 == nullptr)
        m_form2 = new Form2(m_state, m_messages, this);
    // Modal with this window as its owner; returns when it is closed.
    m_form2->exec();
}

void Form1::ResetButton_Click()
{
    Reset();
}

void Form1::Reset()
{
    m_previewPic->clear();
    m_picture = QImage();
    m_inverseOption->setEnabled(false);
    m_normalOption->setChecked(true);
    m_previewButton->setEnabled(false);
    m_convertButton->setEnabled(false);
    for (QLabel *label : {m_heightValue, m_widthValue, m_colorValue, m_statusValue, m_outFileValue})
        label->clear();
    m_progressPer->setText(QStringLiteral("0"));
    m_resultFlag = QStringLiteral("F");
    m_state.outputPath.clear();
    m_admittedFolder.clear();
    m_admittedName.clear();
}

void Form1::ExitButton_Click()
{
    close();
}

void Form1::reportFailure(const QString &what, const QString &path, const QString &reason)
{
    // The system's reasons start with a capital; the decoder's do not.
    const QString because = reason.left(1).toUpper() + reason.mid(1);
    m_messages.show(this, Messages::Kind::Warning, WindowCaption, FailureText(what, path, because));
}
