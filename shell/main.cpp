// Program entry: creates the windows once, in order (main window, backup, single print, batch
// print), shows the main window and runs until it closes.

#include "backup/sjbfUnit.h"
#include "data/CheckedSaveFile.h"
#include "data/Database.h"
#include "printing/plstUnit.h"
#include "printing/stUnit.h"
#include "shell/Application.h"
#include "shell/Unit1.h"

int main(int argc, char **argv)
{
    Application application(argc, argv);
    app::configure();
    // What an interrupted backup, restore or export left beside the database.
    files::removeLeftoverTemporaryFiles(db::databaseFolder());

    // The window is on the screen before any file is touched: a busy or slow file then shows a
    // painted window that says it waits, not an empty screen.
    TForm1 Form1(nullptr, TForm1::StartUp::AfterShow);
    Form1.show();
    QDialog *SjbfForm = new TSjbfForm(&Form1.ADOConnection1, &Form1);
    QDialog *StForm = new TStForm(&Form1.ADOQuery1, &Form1.ADOQuery2, &Form1);
    QDialog *plstForm = new TplstForm(&Form1);
    Form1.setSecondaryWindows(SjbfForm, StForm, plstForm);

    return application.exec();
}
