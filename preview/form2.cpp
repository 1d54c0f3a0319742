#include "form2.h"

#include "messages.h"
#include "sharedstate.h"

Form2::Form2(const SharedState &state, Messages &messages, QWidget *parent)
    : QDialog(parent), m_state(state), m_messages(messages)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("LCD Preview"));
}
