#pragma once

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

namespace printing {

// What paper a printer driver will really print on, and whether it is the waybill form.
struct PaperCheck
{
    bool fits = false; // 230 x 126 mm within half a millimetre each way
    QString paper;     // e.g. "A4（210.0 × 297.0 mm）" or "230.0 × 126.0 mm"
};

inline constexpr double kPaperToleranceMm = 0.5;

// Judges the page layout a device holds after the waybill layout was asked of it.
PaperCheck checkPaper(const QPageLayout &layout);

// Whether a printer driver can print on the waybill paper: one of its own sizes is 230 x 126 mm
// (either way round), or it takes custom sizes and its range holds that size. A driver that
// cannot would be handed the waybill size all the same and fall back to a paper of its own.
bool driverOffersPaper(const QList<QPageSize> &sizes, bool customSizes, const QPageSize &minimum,
                       const QPageSize &maximum);

// "打印机 X 的纸是 A4（210.0 × 297.0 mm），不是快递单的 230 × 126 mm" — one line.
QString paperMismatchText(const QString &printer, const PaperCheck &check);

} // namespace printing
