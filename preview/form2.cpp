#include "form2.h"

#include "listingreader.h"
#include "messages.h"
#include "sharedstate.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

namespace {

// The design, in pixels at 15 twips to the pixel.
constexpr QSize ClientSize(290, 232);
constexpr QRect LcdPicGeometry(8, 0, 273, 185);
constexpr QRect ShowButtonGeometry(96, 200, 105, 25);

constexpr QRgb DotOn = qRgb(0, 0, 0);
constexpr QRgb DotOff = qRgb(0, 128, 0);

} // namespace

Form2::Form2(const SharedState &state, Messages &messages, QWidget *parent)
    : QDialog(parent), m_state(state), m_messages(messages)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("LCD Preview"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    if (parent != nullptr)
        setWindowIcon(parent->windowIcon());
    resize(ClientSize);

    // A picture box: the sunken border of the main window's, its own
    // background, and the dots from the top left of its inner area.
    m_lcdPic = new QLabel(this);
    m_lcdPic->setObjectName(QStringLiteral("LcdPic"));
    m_lcdPic->setGeometry(LcdPicGeometry);
    m_lcdPic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lcdPic->setLineWidth(2);
    m_lcdPic->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lcdPic->setFocusPolicy(Qt::StrongFocus);
    m_lcd = QImage(m_lcdPic->contentsRect().size(), QImage::Format_ARGB32);
    m_lcd.fill(Qt::transparent);

    m_showButton = new QPushButton(QStringLiteral("Show"), this);
    m_showButton->setObjectName(QStringLiteral("ShowButton"));
    m_showButton->setGeometry(ShowButtonGeometry);
    connect(m_showButton, &QPushButton::clicked, this, &Form2::ShowButton_Click);

    setTabOrder(m_lcdPic, m_showButton);
}

void Form2::showEvent(QShowEvent *event)
{
    // Each opening starts blank; a window restored from the task bar (a
    // spontaneous show) keeps its dots.
    if (!event->spontaneous())
        clearLcd();
    QDialog::showEvent(event);
}

void Form2::ShowButton_Click()
{
    ShowListing();
}

void Form2::ShowListing()
{
    clearLcd();
    const QString &path = m_state.outputPath;
    // Only an admitted bitmap enables Preview: the grid is the module's.
    const BitmapHeaders &h = m_state.headers;
    DotGrid dots(IsAdmitted(h) ? DotSize{h.biWidth, h.biHeight} : DotSize{});
    const ListingReadResult result = ReadListingFile(path, dots);
    // The dots drawn come first in reading order; those that fall outside
    // the box are not seen.
    for (qint64 i = 0; i < result.dots; ++i) {
        const int x = int(i % dots.width()), y = int(i / dots.width());
        if (m_lcd.valid(x, y))
            m_lcd.setPixel(x, y, dots.lit(x, y) ? DotOn : DotOff);
    }
    m_lcdPic->setPixmap(QPixmap::fromImage(m_lcd));
    if (result.ok())
        return;
    const QString what = result.problem == ListingProblem::CannotOpen
                             ? QStringLiteral("The listing cannot be opened.")
                             : QStringLiteral("The listing cannot be shown in full.");
    m_messages.show(this, Messages::Kind::Warning, windowTitle(), FailureText(what, path, result.describe()));
}

void Form2::clearLcd()
{
    m_lcd.fill(Qt::transparent);
    m_lcdPic->clear();
}
