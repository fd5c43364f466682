// Program entry: creates the windows once, in order (main window, backup, single print, batch
// print), shows the main window and runs until it closes.

#include "backup/sjbfUnit.h"
#include "shell/Application.h"
#include "shell/Unit1.h"

#include <QDialog>

namespace {
QDialog *placeholderWindow(const QString &caption, QWidget *owner)
{
    auto *dialog = new QDialog(owner);
    dialog->setWindowTitle(caption);
    return dialog;
}
} // namespace

int main(int argc, char **argv)
{
    Application application(argc, argv);
    app::configure();

    TForm1 Form1;
    QDialog *SjbfForm = new TSjbfForm(&Form1.ADOConnection1, &Form1);
    QDialog *StForm = placeholderWindow(QStringLiteral("单张打印EMS快递单"), &Form1);
    QDialog *plstForm = placeholderWindow(QStringLiteral("批量打印EMS快递单"), &Form1);
    Form1.setSecondaryWindows(SjbfForm, StForm, plstForm);

    Form1.show();
    return application.exec();
}
