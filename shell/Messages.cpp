#include "shell/Messages.h"

#include <QMessageBox>

namespace messages {

namespace {
Recorder &recorder()
{
    static Recorder r;
    return r;
}
Recorder &errorRecorder()
{
    static Recorder r;
    return r;
}
} // namespace

void setRecorder(Recorder r)
{
    recorder() = std::move(r);
}

void setErrorRecorder(Recorder r)
{
    errorRecorder() = std::move(r);
}

void show(QWidget *owner, const QString &text)
{
    if (recorder()) {
        recorder()(owner, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("提示"), text, QMessageBox::Ok, owner);
    box.exec();
}

void showError(QWidget *owner, const QString &text)
{
    if (errorRecorder()) {
        errorRecorder()(owner, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"), text, QMessageBox::Ok, owner);
    box.exec();
}

} // namespace messages
