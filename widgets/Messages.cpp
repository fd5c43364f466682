#include "widgets/Messages.h"

#include <QMessageBox>
#include <QPushButton>

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
ConfirmRecorder &confirmRecorder()
{
    static ConfirmRecorder r;
    return r;
}
} // namespace

void setConfirmRecorder(ConfirmRecorder r)
{
    confirmRecorder() = std::move(r);
}

bool confirm(QWidget *owner, const QString &text, const QString &yes, const QString &no)
{
    if (confirmRecorder())
        return confirmRecorder()(owner, text);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), text, QMessageBox::NoButton, owner);
    box.setWindowModality(Qt::WindowModal);
    QPushButton *goOn = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton *stop = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(stop);
    box.setEscapeButton(stop);
    box.exec();
    return box.clickedButton() == goOn;
}

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
