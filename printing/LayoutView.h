#pragma once

// The layout view of a print window: the band at 100 % zoom with the picture of the blank form
// stretched over it, and every field as a white rectangle showing its column name in the
// field's font. The picture is for the screen only; it never prints.

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QVector>
#include <QWidget>

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
    void setFields(const QVector<Field> &fields, const QFont &font);
    const QVector<Field> &fields() const { return m_fields; }
    QFont fieldFont() const { return m_font; }
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
    QVector<Field> m_fields;
    QFont m_font;
};
