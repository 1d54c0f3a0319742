#pragma once

// The seam every modal message box of the program goes through, so that
// tests can answer it instead of a user.

#include <QString>

class QWidget;

class Messages
{
public:
    virtual ~Messages() = default;
    // A box with an OK button only. An empty icon-less box is used for the
    // refusal; failures carry the warning icon.
    enum class Kind { Plain, Warning };
    virtual void show(QWidget *parent, Kind kind, const QString &title, const QString &text) = 0;
};

// The real boxes: modal, waiting until the user dismisses them.
class DialogMessages : public Messages
{
public:
    void show(QWidget *parent, Kind kind, const QString &title, const QString &text) override;
};

// The text of a failure's box: what failed, the file in the platform's
// spelling and the reason, with a blank line between them.
QString FailureText(const QString &what, const QString &path, const QString &reason);
