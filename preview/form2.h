#pragma once

#include <QDialog>
#include <QImage>

struct SharedState;
class Messages;
class QLabel;
class QPushButton;
class QShowEvent;

// The "LCD Preview" window: reads the listing at SharedState::outputPath back
// and draws it dot for dot, one screen pixel per LCD dot, black for a 1 bit
// and green for a 0 bit. Created once by the main window and reused; shown
// modal with the main window as its owner. It opens blank; Show draws.
class Form2 : public QDialog
{
    Q_OBJECT

public:
    Form2(const SharedState &state, Messages &messages, QWidget *parent = nullptr);

    // What LcdPic shows inside its border, (0, 0) its top left pixel;
    // transparent where nothing is drawn and the background shows.
    QImage lcdImage() const { return m_lcd; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ShowButton_Click();
    void ShowListing();
    void clearLcd();

    const SharedState &m_state;
    Messages &m_messages;
    // The dots drawn, kept so that they survive every repaint of LcdPic.
    QImage m_lcd;
    QLabel *m_lcdPic = nullptr;
    QPushButton *m_showButton = nullptr;
};
