#pragma once

// The layout view of a print window: the band at 100 % zoom with the picture of the blank form
// stretched over it, and the layout's fields painted over it by the same painter that prints
// pages. The picture is for the screen only; it never prints.

#include <QImage>
#include <QRectF>
#include <QVector>
#include <QWidget>

namespace printing {
class WaybillLayout;
}

class LayoutView : public QWidget
{
    Q_OBJECT
public:
    struct Field
    {
        QRectF rect; // pixels in the band, at 96 dpi
        QString text;
    };

    explicit LayoutView(QWidget *parent = nullptr);

    void setBand(int heightPx, int imageTopPx);
    // Shows the layout's fields; call again after the layout's font changed.
    void setLayout(const printing::WaybillLayout *layout);
    // Where each field shows its column name, in pixels of the view.
    const QVector<Field> &fields() const { return m_fields; }
    QRect imageRect() const;

    // True when a point of the view shows the picture rather than a field.
    bool isOnPicture(const QPoint &pos) const;

signals:
    void imageClicked();
    void imageHovered();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_bandHeight = 473;
    int m_imageTop = 0;
    const printing::WaybillLayout *m_layout = nullptr;
    QVector<Field> m_fields;
};
