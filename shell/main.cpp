// Program entry: reads the command line, settles the data folder, creates the windows once, in
// order (main window, backup, single print, batch print), shows the main window and runs until
// it closes.

#include "backup/BackupWindow.h"
#include "data/CheckedSaveFile.h"
#include "data/DataFolder.h"
#include "printwindows/BatchWaybillWindow.h"
#include "printwindows/SingleWaybillWindow.h"
#include "recipients/RecipientPage.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "shell/StartOptions.h"
#include "widgets/Messages.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // --help and --version answer without a display.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(StartOptions::usage().toUtf8().constData(), stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::puts("waybill " WAYBILL_VERSION);
            return 0;
        }
    }

    Application application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("waybill"));
    const StartOptions options = StartOptions::parse(application.arguments().mid(1));
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "waybill: %s\n\n%s", options.error.toUtf8().constData(),
                     StartOptions::usage().toUtf8().constData());
        return 2;
    }
    app::configure();
    if (options.userData) {
        db::setDataFolder(db::userDataFolder());
        // A failure is shown; the window then opens as it does without a data.mdb.
        messages::guard(nullptr, [] { db::createDataFolder(db::dataFolder()); });
    } else if (!options.dataFolder.isEmpty()) {
        db::setDataFolder(options.dataFolder);
    }
    // What an interrupted backup, restore or export left beside the database.
    files::removeLeftoverTemporaryFiles(db::dataFolder());

    // The window is on the screen before any file is touched: a busy or slow file then shows a
    // painted window that says it waits, not an empty screen.
    MainWindow mainWindow(nullptr, MainWindow::StartUp::AfterShow);
    mainWindow.show();
    QDialog *backupWindow = new BackupWindow(&mainWindow.connection, &mainWindow);
    QDialog *singleWindow =
        new SingleWaybillWindow(&mainWindow.senderQuery, &mainWindow.recipientQuery, &mainWindow);
    auto *batchWindow = new BatchWaybillWindow(&mainWindow);
    // The batch window reads its own copy of the book; the main window's search and selection
    // reach it as rowids.
    RecipientPage *recipients = mainWindow.recipientPage();
    batchWindow->recipientSets.searchRowIds = [recipients] { return recipients->searchRowIds(); };
    batchWindow->recipientSets.selectedRowIds = [recipients] { return recipients->selectedRowIds(); };
    mainWindow.setSecondaryWindows(backupWindow, singleWindow, batchWindow);

    return application.exec();
}
