#include "printwindows/WaybillPrintJob.h"

#include "data/CheckedSaveFile.h"
#include "data/FailureText.h"
#include "printer/PrinterJob.h"
#include "printwindows/PreviewWindow.h"
#include "widgets/Messages.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>

#include <optional>

namespace printing {

namespace {

WaybillPrintJob::PrintDialogHook &printDialogHook()
{
    static WaybillPrintJob::PrintDialogHook hook;
    return hook;
}

} // namespace

WaybillPrintJob::WaybillPrintJob(PositionSet set, QObject *parent) : WaybillReport(set, parent) {}

WaybillPrintJob::~WaybillPrintJob()
{
    delete m_window.data();
}

QPrinter &WaybillPrintJob::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        preparePrinter(*m_printer);
        m_printer->setCopyCount(1);
        m_printer->setDocName(QStringLiteral("EMS快递单"));
    }
    return *m_printer;
}

void WaybillPrintJob::setPrintDialogHook(PrintDialogHook hook)
{
    printDialogHook() = std::move(hook);
}

void WaybillPrintJob::preview()
{
    if (m_window) {
        m_window->raise();
        m_window->activateWindow();
        return;
    }
    m_window = new PreviewWindow(this);
    QEventLoop loop;
    connect(m_window, &QObject::destroyed, &loop, &QEventLoop::quit);
    m_window->showAndRefresh();
    startGeneration();
    loop.exec();
    cancelGeneration();
}

bool WaybillPrintJob::printerSetup(QWidget *parent)
{
    QPrinter &p = printer();
    if (printDialogHook())
        return printDialogHook()(p, parent);
    QPrintDialog dialog(&p, parent);
    if (isGenerated() && pages().count() > 0)
        dialog.setMinMax(1, pages().count());
    // Qt's button reads "打印(P)", but this dialog only chooses the printer and its settings.
    dialog.setWindowTitle(QStringLiteral("打印机设置"));
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("保存设置"));
    return dialog.exec() == QDialog::Accepted;
}

bool WaybillPrintJob::print(QWidget *parent)
{
    // A run still feeding the preview walks the same record source: let it end first.
    finishGeneration();
    QPrinter &p = printer();
    const PageList pages = generate();
    int first = 0, last = pages.count() - 1;
    if (p.printRange() == QPrinter::PageRange && p.fromPage() > 0) {
        first = p.fromPage() - 1;
        if (p.toPage() > 0)
            last = std::min(last, p.toPage() - 1);
    }
    const int copies = p.supportsMultipleCopies() ? 1 : std::max(1, p.copyCount());
    // A printer's calibration moves its pages; a PDF file stays as the layout is.
    const PrintOffset offset =
        p.outputFormat() == QPrinter::NativeFormat ? calibration::stored(p.printerName()) : PrintOffset{};
    return printPages(parent, p, pages, first, last, copies, offset, shortenedText(pages));
}

bool WaybillPrintJob::printPages(QWidget *parent, QPrinter &p, const PageList &pages, int first, int last,
                                 int copies, const PrintOffset &offset, const QString &warning)
{
    const PaperCheck paper = preparePrinter(p);
    if (!paper.fits &&
        !messages::confirm(
            parent,
            QStringLiteral("%1。\n在这种纸上打印，快递单的内容不会落在表格的格子里。\n\n要照样打印吗？")
                .arg(paperMismatchText(p.printerName(), paper)),
            QStringLiteral("照样打印"), QStringLiteral("停止")))
        return false;
    if (!warning.isEmpty() &&
        !messages::confirm(parent, QStringLiteral("%1。\n\n要照样打印吗？").arg(warning),
                           QStringLiteral("照样打印"), QStringLiteral("停止")))
        return false;

    QProgressDialog progress(QStringLiteral("正在打印..."), QStringLiteral("取消"), 0,
                             std::max(1, (last - first + 1) * copies), parent);
    progress.setWindowTitle(QStringLiteral("打印"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    bool cancelled = false;
    // Printing to a PDF file: Qt writes the file unchecked, so it goes to a checked temporary
    // file that replaces the chosen one only when whole.
    const QString pdfTarget = p.outputFormat() == QPrinter::PdfFormat ? p.outputFileName() : QString();
    std::optional<files::CheckedSaveFile> pdf;
    if (!pdfTarget.isEmpty()) {
        try {
            pdf.emplace(pdfTarget);
            pdf->create();
        } catch (const files::FileError &e) {
            messages::showError(parent, e.message());
            return false;
        }
        p.setOutputFileName(pdf->temporaryPath());
    }
    const bool done = render(
        pages, p, first, last, copies,
        [&](int count, int) {
            progress.setValue(count);
            if (progress.wasCanceled()) {
                cancelled = true;
                p.abort();
                return false;
            }
            return true;
        },
        offset);
    progress.reset();
    if (pdf) {
        p.setOutputFileName(pdfTarget);
        try {
            if (done)
                files::commitPdf(*pdf, done);
        } catch (const files::FileError &e) {
            messages::showError(parent, e.message());
            return false;
        }
    }
    if (!done && !cancelled) {
        if (pdfTarget.isEmpty())
            messages::showError(parent, QStringLiteral("无法打印到打印机 %1").arg(p.printerName()));
        else
            messages::showError(parent, failures::pdfText(pdfTarget));
    }
    return done;
}

} // namespace printing
