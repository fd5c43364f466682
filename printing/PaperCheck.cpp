#include "printing/PaperCheck.h"

#include "printing/Length.h"

#include <QRectF>

#include <cmath>

namespace printing {

PaperCheck checkPaper(const QPageLayout &layout)
{
    PaperCheck check;
    if (!layout.isValid()) {
        check.paper = QStringLiteral("未知纸张");
        return check;
    }
    const QSizeF mm = layout.fullRect(QPageLayout::Millimeter).size();
    check.fits = std::abs(mm.width() - kPaperWidth.mm()) <= kPaperToleranceMm &&
                 std::abs(mm.height() - kPaperHeight.mm()) <= kPaperToleranceMm;
    const QString size = QStringLiteral("%1 × %2 mm").arg(mm.width(), 0, 'f', 1).arg(mm.height(), 0, 'f', 1);
    const QPageSize &pageSize = layout.pageSize();
    check.paper =
        pageSize.id() == QPageSize::Custom ? size : QStringLiteral("%1（%2）").arg(pageSize.name(), size);
    return check;
}

namespace {

// Short side first, in millimetres.
QSizeF sorted(const QSizeF &mm)
{
    return mm.width() <= mm.height() ? mm : mm.transposed();
}

bool isWaybillSize(const QSizeF &mm)
{
    const QSizeF s = sorted(mm);
    return std::abs(s.width() - kPaperHeight.mm()) <= kPaperToleranceMm &&
           std::abs(s.height() - kPaperWidth.mm()) <= kPaperToleranceMm;
}

} // namespace

bool driverOffersPaper(const QList<QPageSize> &sizes, bool customSizes, const QPageSize &minimum,
                       const QPageSize &maximum)
{
    for (const QPageSize &size : sizes)
        if (size.isValid() && isWaybillSize(size.size(QPageSize::Millimeter)))
            return true;
    if (!customSizes)
        return false;
    const QSizeF paper = sorted(QSizeF(kPaperWidth.mm(), kPaperHeight.mm()));
    const QSizeF low = sorted(minimum.size(QPageSize::Millimeter));
    const QSizeF high = sorted(maximum.size(QPageSize::Millimeter));
    // A driver that names no range takes any size.
    if (!maximum.isValid() || high.isEmpty())
        return true;
    return paper.width() >= low.width() - kPaperToleranceMm &&
           paper.height() >= low.height() - kPaperToleranceMm &&
           paper.width() <= high.width() + kPaperToleranceMm &&
           paper.height() <= high.height() + kPaperToleranceMm;
}

QString paperMismatchText(const QString &printer, const PaperCheck &check)
{
    return QStringLiteral("打印机 %1 的纸是 %2，不是快递单的 230 × 126 mm").arg(printer, check.paper);
}

} // namespace printing
