#pragma once

#include <QString>

class QWidget;

// Every modal message box of the program goes through this one seam, so that
// tests can answer it instead of a user.
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
