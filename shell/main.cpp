// Program entry: reads the command line, settles the data folder, creates the windows once, in
// order (main window, backup, single print, batch print), shows the main window and runs until
// it closes.

#include "backup/sjbfUnit.h"
#include "data/CheckedSaveFile.h"
#include "data/DataFolder.h"
#include "printing/plstUnit.h"
#include "printing/stUnit.h"
#include "recipients/RecipientPage.h"
#include "shell/Application.h"
#include "shell/Messages.h"
#include "shell/StartOptions.h"
#include "shell/Unit1.h"

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
    TForm1 Form1(nullptr, TForm1::StartUp::AfterShow);
    Form1.show();
    QDialog *SjbfForm = new TSjbfForm(&Form1.ADOConnection1, &Form1);
    QDialog *StForm = new TStForm(&Form1.ADOQuery1, &Form1.ADOQuery2, &Form1);
    auto *plstForm = new TplstForm(&Form1);
    // The batch window reads its own copy of the book; the main window's search and selection
    // reach it as rowids.
    RecipientPage *recipients = Form1.recipientPage();
    plstForm->recipientSets.searchRowIds = [recipients] { return recipients->searchRowIds(); };
    plstForm->recipientSets.selectedRowIds = [recipients] { return recipients->selectedRowIds(); };
    Form1.setSecondaryWindows(SjbfForm, StForm, plstForm);

    return application.exec();
}
