#pragma once

#include "printing/WaybillReport.h"

#include <QPointer>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace printing {

class PreviewWindow;

// The waybill report as the print windows use it: the report plus the real printer's settings,
// the preview window and printing on paper.
class WaybillPrintJob : public WaybillReport
{
    Q_OBJECT
public:
    explicit WaybillPrintJob(PositionSet set, QObject *parent = nullptr);
    ~WaybillPrintJob() override;

    // The settings for the real printer: the system's default printer until another one is
    // chosen in the set-up, waybill paper, one copy.
    QPrinter &printer();

    // Opens the preview window, generates the pages into it while it is already shown, and
    // returns when the window has been closed. While a preview of this report is open, a second
    // call only brings that window to the front.
    void preview();
    PreviewWindow *previewWindow() const { return m_window; }

    // The print dialog, starting from the current settings; they change only when it is
    // confirmed. Returns whether it was.
    bool printerSetup(QWidget *parent);

    // Generates the pages again and prints them with the current settings under a progress
    // dialog that can cancel. Before the first page it says when the printer has no waybill paper
    // and which addresses were shortened, and the user may stop there. Pages on a printer move
    // by its stored calibration. Returns false when stopped, cancelled or failed (failures are
    // shown).
    bool print(QWidget *parent);

    // Prints pages [first, last] on a printer as print() does, moved by offset; warning, when
    // not empty, is asked about before the first page.
    static bool printPages(QWidget *parent, QPrinter &printer, const PageList &pages, int first, int last,
                           int copies, const PrintOffset &offset, const QString &warning = QString());

    // Replaces the print dialog (tests run without one): gets the printer to set up, returns
    // whether the set-up was confirmed. An empty hook restores the dialog.
    using PrintDialogHook = std::function<bool(QPrinter &printer, QWidget *parent)>;
    static void setPrintDialogHook(PrintDialogHook hook);

private:
    std::unique_ptr<QPrinter> m_printer;
    QPointer<PreviewWindow> m_window;
};

} // namespace printing
