#include "printwindows/LayoutView.h"

#include "printing/WaybillLayout.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kBandWidth = 869;
constexpr int kImageHeight = 473;

// The picture of the blank form, decoded once when a print window is first painted and shared by
// both windows; the windows are created hidden at start-up and need not slow it down.
const QImage &blankForm()
{
    static const QImage picture(QStringLiteral(":/blankform.jpg"));
    return picture;
}
} // namespace

LayoutView::LayoutView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QuickRep1"));
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void LayoutView::setBand(int heightPx, int imageTopPx)
{
    m_bandHeight = heightPx;
    m_imageTop = imageTopPx;
    update();
}

void LayoutView::setLayout(const printing::WaybillLayout *layout)
{
    m_layout = layout;
    m_fields.clear();
    // The view is at 100 % on a 96-dpi screen, whatever the screen's real resolution.
    const qreal pxPerMm = 96.0 / 25.4;
    for (int i = 0; i < printing::kFieldCount; ++i) {
        const QRectF mm = layout->viewRectMm(i);
        m_fields.push_back(
            {QRectF(mm.topLeft() * pxPerMm, mm.size() * pxPerMm), layout->field(i).columnName()});
    }
    update();
}

QRect LayoutView::imageRect() const
{
    return QRect(0, m_imageTop, kBandWidth, kImageHeight);
}

bool LayoutView::isOnPicture(const QPoint &pos) const
{
    if (!imageRect().contains(pos))
        return false;
    for (const Field &f : m_fields)
        if (f.rect.contains(pos))
            return false;
    return true;
}

void LayoutView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(QRect(0, 0, kBandWidth, m_bandHeight), Qt::white);
    // Stretched to the rectangle without keeping the picture's aspect ratio.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(imageRect()), blankForm());
    if (m_layout)
        m_layout->paintView(
            p, QRectF(0, 0, printing::kPaperWidth.pixels(96), printing::kPaperHeight.pixels(96)));
}

void LayoutView::mouseMoveEvent(QMouseEvent *event)
{
    if (isOnPicture(event->position().toPoint()))
        emit imageHovered();
    QWidget::mouseMoveEvent(event);
}

void LayoutView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isOnPicture(event->position().toPoint()))
        emit imageClicked();
    QWidget::mouseReleaseEvent(event);
}
