#include "printer/PrinterJob.h"

#include "printing/WaybillReport.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace printing {

PaperCheck preparePrinter(QPrinter &printer)
{
    PaperCheck check = WaybillReport::applyPageLayout(printer);
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        const QPrinterInfo info(printer);
        if (!info.isNull() &&
            !driverOffersPaper(info.supportedPageSizes(), info.supportsCustomPageSizes(),
                               info.minimumPhysicalPageSize(), info.maximumPhysicalPageSize())) {
            // Qt may keep the waybill size for such a driver, which then prints on whatever paper
            // it falls back to. Ask for the driver's own paper instead, so that the paper named
            // to the user is the paper that prints.
            printer.setPageSize(info.defaultPageSize());
            check = checkPaper(printer.pageLayout());
            check.fits = false;
        }
    }
    if (!printer.fullPage())
        printer.setFullPage(true);
    // Should a driver refuse full-page mode, render() still counts from the paper's corner.
    return check;
}

} // namespace printing
