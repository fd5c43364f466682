#include "backup/BackupWindow.h"

#include "data/DataFolder.h"
#include "data/Database.h"
#include "data/FailureText.h"
#include "printing/Fonts.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QScreen>

namespace {

PictureButton *makeButton(const QString &name, const QString &caption, const QString &icon, int left,
                          QWidget *parent)
{
    auto *button = new PictureButton(caption, icon, 32, parent);
    button->setObjectName(name);
    button->setGeometry(left, 48, 135, 38);
    button->setFont(fonts::songPixels(14, true));
    button->setStyleSheet(button->styleSheet() + QStringLiteral("QToolButton { color: blue; }"));
    return button;
}

QFileDialog *makeDialog(const QString &name, QFileDialog::AcceptMode mode, QWidget *parent)
{
    auto *dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setAcceptMode(mode);
    // A typed name of a file that does not exist is accepted by both dialogs.
    dialog->setFileMode(QFileDialog::AnyFile);
    if (mode == QFileDialog::AcceptSave)
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    return dialog;
}

} // namespace

BackupWindow::BackupWindow(db::Connection *mainConnection, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_connection(mainConnection), m_files(db::dataFolder())
{
    setObjectName(QStringLiteral("SjbfForm"));
    setWindowTitle(QStringLiteral("数据库备份与恢复"));
    setFont(fonts::msSansSerifPixels(11));
    setFixedSize(376, 106);

    buttonPanel = new BevelPanel(BevelPanel::Bevel::LoweredInner, this);
    buttonPanel->setObjectName(QStringLiteral("Panel2"));
    buttonPanel->setColor(windowGrey());
    buttonPanel->setGeometry(0, 0, 376, 106);

    reminderLabel =
        new QLabel(QStringLiteral("提示：及时备份数据库，为了更好地保护数据不被丢失！"), buttonPanel);
    reminderLabel->setObjectName(QStringLiteral("Label1"));
    reminderLabel->setGeometry(16, 18, 350, 13);
    reminderLabel->setFont(fonts::songPixels(13, true));
    QPalette red = reminderLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    reminderLabel->setPalette(red);

    backupButton = makeButton(QStringLiteral("RzBitBtn1"), QStringLiteral("数据库备份"),
                              QStringLiteral(":/icons/floppy.png"), 40, buttonPanel);
    restoreButton = makeButton(QStringLiteral("RzBitBtn2"), QStringLiteral("数据库恢复"),
                               QStringLiteral(":/icons/folder_open.png"), 198, buttonPanel);
    connect(backupButton, &QToolButton::clicked, this, &BackupWindow::backUp);
    connect(restoreButton, &QToolButton::clicked, this, &BackupWindow::restore);

    backupDialog = makeDialog(QStringLiteral("SaveDialog1"), QFileDialog::AcceptSave, this);
    restoreDialog = makeDialog(QStringLiteral("OpenDialog1"), QFileDialog::AcceptOpen, this);

    quitProgram = [] { QCoreApplication::exit(0); };
}

QString BackupWindow::runDialog(QFileDialog *dialog, QString &last)
{
    // Each dialog offers the name chosen in it last time.
    if (!last.isEmpty())
        dialog->selectFile(last);
    if (dialog->exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty())
        return QString();
    last = chosen.first();
    return last;
}

QString BackupWindow::chooseBackupName()
{
    return runDialog(backupDialog, m_lastBackupName);
}

QString BackupWindow::chooseRestoreName()
{
    return runDialog(restoreDialog, m_lastRestoreName);
}

void BackupWindow::backUp()
{
    const QString name = chooseBackupName();
    if (name.isEmpty())
        return;
    try {
        m_files.backup(name);
    } catch (const std::exception &e) {
        // The fixed message first, the reason below it. A failed write already says in Chinese
        // what happened to which file; other failures are explained here.
        const auto *copy = dynamic_cast<const backup::CopyError *>(&e);
        const QString reason =
            copy && copy->code() != 0
                ? copy->message()
                : failures::writeText(QStringLiteral("写入备份文件"), backup::DatabaseFiles::backupPath(name),
                                      QString::fromUtf8(e.what()));
        messages::show(this, failures::withReason(QStringLiteral("数据备份失败，请重试！"), reason));
        return;
    }
    messages::show(this, QStringLiteral("数据备份成功！"));
}

void BackupWindow::restore()
{
    const QString name = chooseRestoreName();
    if (name.isEmpty())
        return;
    // The chosen file is checked first; the main connection is closed only right before a
    // checked copy replaces data.mdb, so a bad file changes nothing.
    try {
        m_files.restore(name, [this] {
            if (m_connection)
                m_connection->close();
        });
    } catch (const std::exception &e) {
        const auto *copy = dynamic_cast<const backup::CopyError *>(&e);
        const QString reason =
            copy && copy->code() != 0 ? copy->message() : failures::explain(QString::fromUtf8(e.what()));
        messages::show(this, failures::withReason(QStringLiteral("数据恢复失败，请重试！"), reason));
        return;
    }
    messages::show(this, QStringLiteral("数据恢复成功！"));
    if (quitProgram)
        quitProgram();
}

void BackupWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (QScreen *s = screen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
}
