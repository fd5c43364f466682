#pragma once

// Every message of the program: a modal box owned by the window whose handler shows it, with
// the caption "提示", one OK button and no icon. Tests install a recorder instead of the box.

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class QWidget;

namespace messages {

void show(QWidget *owner, const QString &text);

// While a recorder is set, show() hands the text to it instead of opening a box.
using Recorder = std::function<void(QWidget *owner, const QString &text)>;
void setRecorder(Recorder recorder);

// A question with two answers, in a box that is the owner's child and blocks only the owner's
// window: returns true for yes. While a recorder is set, it answers instead of a box.
bool confirm(QWidget *owner, const QString &text, const QString &yes, const QString &no);
using ConfirmRecorder = std::function<bool(QWidget *owner, const QString &text)>;
void setConfirmRecorder(ConfirmRecorder recorder);

// The application-wide error box: the text of an error that ended an event handler.
void showError(QWidget *owner, const QString &text);
void setErrorRecorder(Recorder recorder);

// Runs one event handler: an error it raises ends it there and is shown in the error box; the
// program goes on.
template <class Handler> void guard(QWidget *owner, Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        showError(owner, QString::fromUtf8(e.what()));
    }
}

} // namespace messages
