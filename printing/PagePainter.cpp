#include "printing/PagePainter.h"

#include "printing/Length.h"
#include "printing/Page.h"

#include <QPaintDevice>
#include <QPainter>

namespace printing {

void paintPage(QPainter &painter, const Page &page, const FontTable &fonts, const QRectF &target)
{
    const double sx = target.width() / kPaperWidth.mm();
    const double sy = target.height() / kPaperHeight.mm();
    // A font of P points must be P/72 inch high on the paper, that is P x 25.4 / 72 mm, which
    // is sy times that in logical units; QFont turns points into logical units by the device's dpi.
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 96.0;
    const double pointScale = sy * 25.4 / dpi;

    painter.save();
    painter.setPen(Qt::black);
    int currentFont = -1;
    for (int i = 0; i < page.itemCount(); ++i) {
        const PageItem &item = page.item(i);
        const double x = target.left() + item.left * sx;
        const double y = target.top() + item.top * sy;
        if (item.font == PageItem::kInk) {
            painter.fillRect(QRectF(x, y, item.width * sx, item.height * sy), Qt::black);
            continue;
        }
        if (item.width > 0 && item.height > 0)
            painter.fillRect(QRectF(x, y, item.width * sx, item.height * sy), Qt::white);
        if (item.textLength == 0)
            continue;
        if (item.font != currentFont) {
            currentFont = item.font;
            QFont f = fonts.font(item.font);
            f.setPointSizeF(f.pointSizeF() * pointScale);
            painter.setFont(f);
        }
        const MmFontMetrics &metrics = fonts.metrics(item.font);
        double baseline = y + metrics.ascent() * sy;
        for (QStringView line : page.text(i).split(QLatin1Char('\n'))) {
            painter.drawText(QPointF(x, baseline), line.toString());
            baseline += metrics.lineSpacing() * sy;
        }
    }
    painter.restore();
}

void paintFramedPage(QPainter &painter, const Page *page, const FontTable &fonts, const QRect &rect)
{
    const int l = rect.left(), t = rect.top(), w = rect.width(), h = rect.height();
    painter.save();
    painter.fillRect(QRect(QPoint(l + 1, t + 1), QPoint(l + w - 3, t + h - 3)), Qt::white);
    if (page)
        paintPage(painter, *page, fonts, QRectF(rect));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    // A stroked QRect reaches one pixel past its width: the frame's right line lies at l + w - 3.
    painter.drawRect(QRect(l, t, w - 3, h - 3));
    painter.fillRect(QRect(QPoint(l + w - 2, t + 2), QPoint(l + w - 1, t + h - 1)), Qt::black);
    painter.fillRect(QRect(QPoint(l + 2, t + h - 2), QPoint(l + w - 1, t + h - 1)), Qt::black);
    painter.restore();
}

} // namespace printing
