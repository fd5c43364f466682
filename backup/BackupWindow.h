#pragma once

// The backup and restore window: a red reminder line and two picture buttons that copy the
// data folder's data.mdb to a backup file and back. A successful restore ends the program.

#include "data/DatabaseFiles.h"

#include <QDialog>

#include <functional>

class BevelPanel;
class PictureButton;
class QFileDialog;
class QLabel;

namespace db {
class Connection;
}

class BackupWindow : public QDialog
{
    Q_OBJECT
public:
    // mainConnection is the connection a restore closes before it replaces the file; it may be
    // null. The data folder is db::dataFolder() at creation.
    explicit BackupWindow(db::Connection *mainConnection, QWidget *parent = nullptr);

    BevelPanel *buttonPanel = nullptr;
    QLabel *reminderLabel = nullptr;
    PictureButton *backupButton = nullptr;
    PictureButton *restoreButton = nullptr;
    // Kept for the program's run, so each offers the name chosen last time.
    QFileDialog *backupDialog = nullptr;
    QFileDialog *restoreDialog = nullptr;

    void backUp();  // backup
    void restore(); // restore

    void setDataFolder(const QString &folder) { m_files.setDataFolder(folder); }
    QString dataFolder() const { return m_files.dataFolder(); }
    backup::DatabaseFiles &files() { return m_files; }

    // Ends the program after a successful restore; replaceable so tests can see it.
    std::function<void()> quitProgram;

protected:
    // Run the dialogs and return the chosen name, or an empty one when cancelled.
    virtual QString chooseBackupName();
    virtual QString chooseRestoreName();

    void showEvent(QShowEvent *event) override;

private:
    QString runDialog(QFileDialog *dialog, QString &last);

    db::Connection *m_connection;
    backup::DatabaseFiles m_files;
    QString m_lastBackupName;
    QString m_lastRestoreName;
    bool m_centred = false;
};
