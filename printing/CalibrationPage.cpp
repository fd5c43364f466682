#include "printing/CalibrationPage.h"

#include "printing/Fonts.h"
#include "printing/Length.h"
#include "resources/FormBoxes.h"

namespace printing {

namespace {

// Thin enough to read a tenth of a millimetre against the form's own line, thick enough for a
// 24-pin head (one dot is about 0.14 mm).
constexpr double kRule = 0.2;

void outline(Page &page, const QRectF &r)
{
    page.addInk(QRectF(r.left() - kRule / 2, r.top() - kRule / 2, r.width() + kRule, kRule));
    page.addInk(QRectF(r.left() - kRule / 2, r.bottom() - kRule / 2, r.width() + kRule, kRule));
    page.addInk(QRectF(r.left() - kRule / 2, r.top() - kRule / 2, kRule, r.height() + kRule));
    page.addInk(QRectF(r.right() - kRule / 2, r.top() - kRule / 2, kRule, r.height() + kRule));
}

void crosshair(Page &page, const QPointF &p, double arm)
{
    page.addInk(QRectF(p.x() - arm, p.y() - kRule / 2, 2 * arm, kRule));
    page.addInk(QRectF(p.x() - kRule / 2, p.y() - arm, kRule, 2 * arm));
}

} // namespace

std::vector<QPointF> calibrationMarks()
{
    const formboxes::Rect &frame = formboxes::boxes[0].rect;
    return {{frame.left, frame.top},
            {frame.right(), frame.top},
            {frame.left, frame.bottom()},
            {frame.right(), frame.bottom()},
            {112.0, 63.4}};
}

PageList calibrationPage(const QString &printer, const PrintOffset &offset)
{
    PageList list;
    const int numbers = list.fonts.add(fonts::songPoints(6));
    const int caption = list.fonts.add(fonts::songPoints(8));
    Page page;

    for (const formboxes::Box &b : formboxes::boxes)
        outline(page, QRectF(b.rect.left, b.rect.top, b.rect.width, b.rect.height));
    for (const QPointF &p : calibrationMarks()) {
        crosshair(page, p, 6.0);
        // The label beside the mark, on the side away from the paper's nearer edge.
        const double labelX = p.x() < kPaperWidth.mm() / 2 ? p.x() + 1.0 : p.x() - 13.0;
        const double labelY = p.y() < kPaperHeight.mm() / 2 ? p.y() + 1.0 : p.y() - 3.5;
        page.addItem(QRectF(labelX, labelY, 0, 0), numbers,
                     {QStringLiteral("%1,%2").arg(p.x(), 0, 'f', 1).arg(p.y(), 0, 'f', 1)});
    }

    // Scales from the paper's corner: a tick every millimetre, longer every 5 and 10, numbered
    // every 10. Where the paper's edge cuts a scale shows how far the printer moved the page.
    const int width = int(kPaperWidth.mm()), height = int(kPaperHeight.mm());
    auto tickLength = [](int mm) { return mm % 10 == 0 ? 4.0 : mm % 5 == 0 ? 2.5 : 1.5; };
    for (int x = 1; x < width; ++x) {
        page.addInk(QRectF(x - kRule / 2, 0, kRule, tickLength(x)));
        if (x % 10 == 0 && x >= 20)
            page.addItem(QRectF(x + 0.4, 0.9, 0, 0), numbers, {QString::number(x)});
    }
    for (int y = 1; y < height; ++y) {
        page.addInk(QRectF(0, y - kRule / 2, tickLength(y), kRule));
        if (y % 10 == 0 && y >= 20)
            page.addItem(QRectF(1.0, y + 0.3, 0, 0), numbers, {QString::number(y)});
    }

    // In the goods box, which stays blank on a waybill and leaves the printed lines free.
    page.addItem(QRectF(31.0, 72.0, 0, 0), caption,
                 {QStringLiteral("校准页  %1").arg(printer),
                  QStringLiteral("偏移 %1").arg(calibration::format(offset)),
                  QStringLiteral("线和十字应压在表格的线上")});
    page.squeeze();
    list.pages.push_back(std::move(page));
    return list;
}

} // namespace printing
