#pragma once

#include <QDialog>

struct SharedState;
class Messages;

// The "LCD Preview" window: reads the listing at SharedState::outputPath back
// and draws it dot for dot. Created once by the main window and reused; shown
// modal with the main window as its owner.
class Form2 : public QDialog
{
    Q_OBJECT

public:
    Form2(const SharedState &state, Messages &messages, QWidget *parent = nullptr);

private:
    const SharedState &m_state;
    Messages &m_messages;
};
