// Draws every picture of the program into the resources folder: the blank waybill form
// (blankform.jpg) and the button pictures (icons/*.png).
//
//   QT_QPA_PLATFORM=offscreen drawpictures <resources dir> [--overlay <png>] [--sheet <png>]
//   QT_QPA_PLATFORM=offscreen drawpictures --hicolor <dir>   (the program icon for the icon theme,
//                                                             drawn by the build)
//
// --overlay writes the form with the field rectangles of both layouts drawn over it, --sheet the
// icons enlarged side by side; both are for looking at, not for the program.

#include "resources/FormBoxes.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

using namespace formboxes;

const QColor paper(253, 253, 248);
const QColor ink(0, 122, 74);         // lines and labels
const QColor inkFine(70, 140, 100);   // small print
const QColor tint(228, 243, 232);     // label cells
const QColor bandTint(196, 229, 205); // section headings
const QColor wave(222, 239, 226);     // security pattern behind the boxes

const double pxPerMmX = pictureWidthPx / pictureWidthMm;
const double pxPerMmY = pictureHeightPx / pictureHeightMm;

QRectF toPx(const Rect &r)
{
    return QRectF(r.left * pxPerMmX, r.top * pxPerMmY, r.width * pxPerMmX, r.height * pxPerMmY);
}

QPointF toPx(double xMm, double yMm)
{
    return QPointF(xMm * pxPerMmX, yMm * pxPerMmY);
}

QFont formFont(double points, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Droid Sans Fallback"),
                   QStringLiteral("AR PL UMing CN")});
    f.setPixelSize(qRound(points * 25.4 / 72.0 * pxPerMmY));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void drawLabel(QPainter &p, const Label &l)
{
    const QString text = QString::fromUtf8(l.text.data(), qsizetype(l.text.size()));
    p.setFont(formFont(l.points, l.flags & Bold));
    p.setPen(l.flags & Fine ? inkFine : ink);
    const QRectF r = toPx(l.rect);
    if (l.flags & Vertical) {
        // One character under the other, the column centred in the rectangle.
        const double step = l.points * 25.4 / 72.0 * pxPerMmY * 1.25;
        double y = r.center().y() - step * text.size() / 2.0;
        for (const QChar c : text) {
            p.drawText(QRectF(r.left(), y, r.width(), step), Qt::AlignCenter, QString(c));
            y += step;
        }
        return;
    }
    int align = Qt::AlignVCenter;
    if (l.flags & AlignCenter)
        align |= Qt::AlignHCenter;
    else if (l.flags & AlignRight)
        align |= Qt::AlignRight;
    else
        align |= Qt::AlignLeft;
    if (l.flags & Wrap)
        align = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    p.drawText(r, align, text);
}

void drawBox(QPainter &p, const Box &b)
{
    const QRectF r = toPx(b.rect);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 2.0));
    switch (b.style) {
    case Style::Frame:
        p.setPen(QPen(ink, 4.5));
        p.drawRect(r);
        break;
    case Style::Rule:
        p.drawRect(r);
        break;
    case Style::Tint:
        p.setBrush(tint);
        p.drawRect(r);
        break;
    case Style::Band:
        p.setBrush(bandTint);
        p.drawRect(r);
        break;
    case Style::Tick:
        p.setBrush(Qt::white);
        p.drawRect(r);
        break;
    case Style::Squares: {
        p.setBrush(Qt::white);
        const double w = r.width() / 6.0;
        for (int i = 0; i < 6; ++i)
            p.drawRect(QRectF(r.left() + i * w, r.top(), w, r.height()));
        break;
    }
    }
}

// The guilloche-like wavy lines printed under the boxes of a real form.
void drawSecurityPattern(QPainter &p, const Rect &area)
{
    p.save();
    p.setClipRect(toPx(area));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(wave, 1.2));
    for (double y0 = area.top - 2.0; y0 < area.bottom() + 2.0; y0 += 1.7) {
        QPainterPath path;
        for (double x = area.left; x <= area.right() + 0.5; x += 0.5) {
            const double y = y0 + 0.8 * std::sin(x / 4.0 + y0 / 9.0) + 0.3 * std::sin(x / 1.3);
            if (x == area.left)
                path.moveTo(toPx(x, y));
            else
                path.lineTo(toPx(x, y));
        }
        p.drawPath(path);
    }
    p.restore();
}

void drawPinStrips(QPainter &p)
{
    const double right = pictureWidthMm - pinStripMm;
    QPen perforation(QColor(150, 150, 150), 2.0, Qt::DashLine);
    p.setPen(perforation);
    p.drawLine(toPx(pinStripMm, 0), toPx(pinStripMm, pictureHeightMm));
    p.drawLine(toPx(right, 0), toPx(right, pictureHeightMm));

    for (double y = pinPitchMm / 2.0; y < pictureHeightMm; y += pinPitchMm) {
        for (double x : {pinStripMm / 2.0, right + pinStripMm / 2.0}) {
            const QPointF c = toPx(x, y);
            const double rx = pinHoleMm / 2.0 * pxPerMmX;
            const double ry = pinHoleMm / 2.0 * pxPerMmY;
            QRadialGradient g(c, rx);
            g.setColorAt(0.0, QColor(78, 78, 82));
            g.setColorAt(0.8, QColor(62, 62, 66));
            g.setColorAt(1.0, QColor(120, 120, 120));
            p.setBrush(g);
            p.setPen(QPen(QColor(170, 170, 170), 1.5));
            p.drawEllipse(c, rx, ry);
        }
    }
}

void drawLogo(QPainter &p)
{
    const QRectF r = toPx(Rect{16.0, 5.0, 27.0, 16.5});
    p.save();
    // Speed lines and the three letters.
    p.setPen(QPen(QColor(0, 84, 166), 5.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + 14 + i * 13;
        p.drawLine(QPointF(r.left() + 4 + i * 6, y), QPointF(r.left() + 40 + i * 6, y));
    }
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(r.height() * 0.46));
    f.setBold(true);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(QColor(236, 112, 0));
    p.drawText(QRectF(r.left() + 30, r.top(), r.width() - 30, r.height() * 0.58),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("EMS"));
    p.setFont(formFont(8.0, true));
    p.setPen(ink);
    p.drawText(QRectF(r.left(), r.top() + r.height() * 0.58, r.width(), r.height() * 0.24), Qt::AlignCenter,
               QStringLiteral("中国邮政"));
    p.setFont(formFont(5.5, false));
    p.drawText(QRectF(r.left(), r.top() + r.height() * 0.80, r.width(), r.height() * 0.20), Qt::AlignCenter,
               QStringLiteral("CHINA POST"));
    p.restore();
}

// Bars of varying width from a fixed sequence, so the drawing is the same every run.
void drawBarcode(QPainter &p)
{
    const QRectF r = toPx(Rect{154.0, 5.5, 58.0, 11.5});
    quint32 state = 20240611u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return (state >> 24) % 4 + 1;
    };
    const double module = r.width() / 190.0;
    double x = r.left();
    bool bar = true;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 25, 25));
    while (x < r.right() - 4 * module) {
        const double w = next() * module;
        if (bar)
            p.drawRect(QRectF(x, r.top(), w, r.height()));
        x += w;
        bar = !bar;
    }
}

QImage drawForm()
{
    QImage img(pictureWidthPx, pictureHeightPx, QImage::Format_RGB32);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    img.fill(paper);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    drawPinStrips(p);
    const Box &frame = boxes[0];
    drawSecurityPattern(p, Rect{frame.rect.left, 23.5, frame.rect.width, frame.rect.bottom() - 23.5});
    for (const Box &b : boxes) {
        if (b.style != Style::Frame)
            drawBox(p, b);
    }
    drawBox(p, frame);
    // The stamp circle for the office's date stamp.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(inkFine, 1.5, Qt::DashLine));
    p.drawEllipse(toPx(197.0, 91.5), 5.5 * pxPerMmX, 5.5 * pxPerMmY);
    // Writing lines in the contents box.
    p.setPen(QPen(wave.darker(115), 1.2));
    for (double y : {75.7, 80.4})
        p.drawLine(toPx(31.0, y), toPx(87.0, y));

    for (const Label &l : labels)
        drawLabel(p, l);
    drawLogo(p);
    drawBarcode(p);
    return img;
}

// Field rectangles of both layouts over the form: red the single window, blue the batch window
// on the page, magenta the batch window's layout view (its picture lies lower); the lighter area
// is the room the printed text takes.
QImage drawOverlay()
{
    QImage img = drawForm().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    struct View
    {
        QColor colour;
        bool batch;
        double shift;
    };
    const View views[] = {{QColor(220, 0, 0), false, 0.0},
                          {QColor(0, 60, 230), true, 0.0},
                          {QColor(200, 0, 200), true, -batchPictureTopMm}};
    for (const View &v : views) {
        for (const FieldPlace &f : fieldPlaces) {
            Rect r = v.batch ? f.batch : f.single;
            r.top += v.shift;
            QColor fill = v.colour;
            fill.setAlpha(40);
            p.setPen(Qt::NoPen);
            p.setBrush(fill);
            p.drawRect(toPx(textRect(r, f.textWidth)));
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(v.colour, 2.0, v.shift != 0.0 ? Qt::DashLine : Qt::SolidLine));
            p.drawRect(toPx(r));
        }
    }
    p.setFont(formFont(7.0, false));
    p.setPen(Qt::black);
    for (const FieldPlace &f : fieldPlaces) {
        const QRectF r = toPx(f.single);
        p.drawText(r.topLeft() + QPointF(4, r.height() - 6),
                   QString::fromUtf8(f.field.data(), qsizetype(f.field.size())).mid(8));
    }
    return img;
}

// Icons -----------------------------------------------------------------------------------

// Icons are drawn in a design space of 32 units across; `px` is one device pixel in it.
struct Pad
{
    QPainter &p;
    double px;

    QPen outline(const QColor &c, double pixels = 1.0) const
    {
        QPen pen(c, pixels * px);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::RoundCap);
        return pen;
    }
    QLinearGradient vertical(const QColor &top, const QColor &bottom, double y0, double y1) const
    {
        QLinearGradient g(0, y0, 0, y1);
        g.setColorAt(0, top);
        g.setColorAt(1, bottom);
        return g;
    }
    void shape(const QPainterPath &path, const QColor &fill, const QColor &line) const
    {
        const QRectF b = path.boundingRect();
        p.setBrush(vertical(fill.lighter(125), fill, b.top(), b.bottom()));
        p.setPen(outline(line));
        p.drawPath(path);
    }
    void rect(const QRectF &r, const QColor &fill, const QColor &line, double radius = 0) const
    {
        QPainterPath path;
        path.addRoundedRect(r, radius, radius);
        shape(path, fill, line);
    }
    // A thick stroke with a darker rim: the rim is the same stroke drawn wider underneath.
    void stroke(const QPainterPath &path, const QColor &fill, double width) const
    {
        p.setBrush(Qt::NoBrush);
        QPen rim(fill.darker(160), width + 2 * px);
        rim.setCapStyle(Qt::RoundCap);
        rim.setJoinStyle(Qt::RoundJoin);
        p.setPen(rim);
        p.drawPath(path);
        QPen body(fill, width);
        body.setCapStyle(Qt::RoundCap);
        body.setJoinStyle(Qt::RoundJoin);
        p.setPen(body);
        p.drawPath(path);
    }
    void textLines(double x0, double x1, double y0, double y1, double step) const
    {
        p.setPen(outline(QColor(150, 150, 150)));
        for (double y = y0; y <= y1; y += step)
            p.drawLine(QPointF(x0, y), QPointF(x1, y));
    }
};

const QColor outlineGrey(64, 64, 64);

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

void printer(const Pad &d, int sheets)
{
    // Paper fed in at the back.
    d.rect(QRectF(8, 2.5, 16, 11), Qt::white, outlineGrey);
    d.rect(QRectF(2.5, 11.5, 27, 13.5), QColor(196, 198, 204), outlineGrey, 2.5);
    d.p.setPen(d.outline(QColor(40, 40, 40), 1.5));
    d.p.drawLine(QPointF(7, 20), QPointF(25, 20));
    d.p.setPen(Qt::NoPen);
    d.p.setBrush(QColor(40, 200, 60));
    d.p.drawEllipse(QPointF(25.5, 15), 1.6, 1.6);
    // Printed sheets coming out at the front.
    for (int i = sheets - 1; i >= 0; --i)
        d.rect(QRectF(7 + i * 2.2, 20 - i * 2.6, 18, 10), Qt::white, outlineGrey);
    d.textLines(10, 22, 23.5, 27.5, 2.2);
}

void magnifier(const Pad &d, const QPointF &c, double r)
{
    QPainterPath handle;
    handle.moveTo(c + QPointF(r * 0.72, r * 0.72));
    handle.lineTo(c + QPointF(r * 1.75, r * 1.75));
    d.stroke(handle, QColor(110, 70, 40), r * 0.55);
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.2);
    g.setColorAt(0, QColor(255, 255, 255, 230));
    g.setColorAt(1, QColor(150, 200, 240, 200));
    d.p.setBrush(g);
    d.p.setPen(QPen(QColor(70, 70, 80), r * 0.28));
    d.p.drawEllipse(c, r, r);
}

void floppy(const Pad &d)
{
    const QColor blue(44, 92, 176);
    d.shape(polygon({{3, 3}, {26, 3}, {29, 6}, {29, 29}, {3, 29}}), blue, blue.darker(170));
    d.rect(QRectF(9, 3, 14, 9), QColor(200, 204, 210), outlineGrey);
    d.p.setPen(Qt::NoPen);
    d.p.setBrush(blue.darker(150));
    d.p.drawRect(QRectF(17, 5, 3, 5));
    d.rect(QRectF(7, 16, 18, 13), Qt::white, outlineGrey);
    d.textLines(9.5, 22.5, 20, 26, 3);
}

void arrow(const Pad &d, const QPointF &from, const QPointF &to, const QColor &colour, double width)
{
    const QPointF dir = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-dir.y(), dir.x());
    const double head = width * 2.2;
    const QPointF base = to - dir * head;
    QPainterPath path;
    path.addPolygon(QPolygonF({from + n * width / 2, base + n * width / 2, base + n * head / 1.6, to,
                               base - n * head / 1.6, base - n * width / 2, from - n * width / 2}));
    path.closeSubpath();
    d.shape(path, colour, colour.darker(170));
}

void window(const Pad &d, bool tab)
{
    if (tab)
        d.rect(QRectF(4, 2.5, 10, 5), QColor(250, 210, 90), QColor(150, 110, 20), 1);
    d.rect(QRectF(2.5, 5.5, 27, 23), Qt::white, outlineGrey, 1);
    d.rect(QRectF(2.5, 5.5, 27, 5), QColor(50, 100, 200), QColor(30, 60, 130), 1);
    if (tab) {
        // A page stretched to the window's width.
        d.rect(QRectF(4.5, 12.5, 23, 17), QColor(245, 245, 245), QColor(140, 140, 140));
        d.textLines(7, 25, 15.5, 27, 3);
    } else {
        // A whole page fitted inside.
        d.rect(QRectF(11.5, 12.5, 9, 13), QColor(245, 245, 245), QColor(140, 140, 140));
        d.textLines(13.5, 18.5, 15, 23, 2.5);
    }
}

void exitSign(const Pad &d)
{
    d.rect(QRectF(2, 5, 28, 22), QColor(255, 214, 30), QColor(120, 90, 0), 3);
    d.p.setBrush(Qt::NoBrush);
    d.p.setPen(d.outline(QColor(30, 30, 30), 2));
    d.p.drawRect(QRectF(6.5, 9, 8, 14));
    d.p.setBrush(QColor(30, 30, 30));
    d.p.drawPolygon(QPolygonF({{6.5, 9}, {11.5, 11}, {11.5, 25}, {6.5, 23}}));
    QPainterPath a;
    a.moveTo(14, 16);
    a.lineTo(25, 16);
    a.moveTo(21, 12);
    a.lineTo(25.5, 16);
    a.lineTo(21, 20);
    d.p.setBrush(Qt::NoBrush);
    d.p.setPen(d.outline(QColor(30, 30, 30), 2.4));
    d.p.drawPath(a);
}

void person(const Pad &d, double cx, double top, double scale, const QColor &coat)
{
    QPainterPath body;
    body.moveTo(cx - 8 * scale, top + 19 * scale);
    body.cubicTo(cx - 8 * scale, top + 11 * scale, cx + 8 * scale, top + 11 * scale, cx + 8 * scale,
                 top + 19 * scale);
    body.closeSubpath();
    d.shape(body, coat, coat.darker(170));
    QPainterPath head;
    head.addEllipse(QPointF(cx, top + 6 * scale), 4.6 * scale, 4.8 * scale);
    d.shape(head, QColor(245, 200, 160), QColor(140, 90, 60));
}

using Draw = std::function<void(const Pad &)>;

struct IconDesign
{
    const char *file;
    int width;
    int height;
    Draw draw;
};

const std::vector<IconDesign> &iconDesigns()
{
    static const QColor green(46, 160, 64);
    static const QColor red(214, 40, 30);
    static const std::vector<IconDesign> designs = {
        {"main_recipients.png", 22, 22,
         [](const Pad &d) {
             d.rect(QRectF(6.5, 2.5, 21, 27), QColor(178, 60, 50), QColor(100, 30, 25), 1.5);
             d.rect(QRectF(26, 6, 4, 5), QColor(250, 200, 40), outlineGrey);
             d.rect(QRectF(26, 13, 4, 5), QColor(80, 170, 230), outlineGrey);
             d.rect(QRectF(26, 20, 4, 5), green, outlineGrey);
             d.p.setBrush(Qt::NoBrush);
             d.p.setPen(d.outline(QColor(220, 220, 220), 1.5));
             for (double y = 6; y < 29; y += 5)
                 d.p.drawEllipse(QPointF(6.5, y), 2.2, 1.4);
             person(d, 17, 8.5, 0.75, QColor(240, 240, 240));
         }},
        {"main_sender.png", 22, 22,
         [](const Pad &d) {
             d.rect(QRectF(16.5, 13.5, 13, 15), QColor(236, 220, 180), QColor(120, 100, 60));
             d.shape(polygon({{14, 15}, {23, 5}, {32, 15}}), QColor(200, 60, 40), QColor(110, 30, 20));
             d.rect(QRectF(21, 20.5, 4, 8), QColor(130, 80, 40), QColor(80, 50, 20));
             person(d, 10, 7.5, 1.1, QColor(50, 110, 200));
         }},
        {"main_backup.png", 22, 22,
         [](const Pad &d) {
             const QColor gold(226, 170, 40);
             QPainterPath can;
             can.addRect(QRectF(2.5, 6, 19, 19));
             can.addEllipse(QRectF(2.5, 21, 19, 7));
             d.shape(can.simplified(), gold, gold.darker(170));
             d.p.setPen(d.outline(gold.darker(170)));
             d.p.setBrush(Qt::NoBrush);
             d.p.drawArc(QRectF(2.5, 9.5, 19, 7), 180 * 16, 180 * 16);
             d.p.drawArc(QRectF(2.5, 15.5, 19, 7), 180 * 16, 180 * 16);
             d.p.setBrush(gold.lighter(140));
             d.p.drawEllipse(QRectF(2.5, 2.5, 19, 7));
             arrow(d, QPointF(14, 22), QPointF(30.5, 22), green, 5);
         }},
        {"main_print_single.png", 22, 22, [](const Pad &d) { printer(d, 1); }},
        {"main_print_batch.png", 22, 22, [](const Pad &d) { printer(d, 3); }},
        {"main_help.png", 22, 22,
         [](const Pad &d) {
             QPainterPath c;
             c.addEllipse(QPointF(16, 16), 13.5, 13.5);
             d.shape(c, QColor(40, 110, 210), QColor(20, 60, 130));
             QFont f(QStringLiteral("DejaVu Sans"));
             f.setPixelSize(20);
             f.setBold(true);
             d.p.setFont(f);
             d.p.setPen(Qt::white);
             d.p.drawText(QRectF(2.5, 3, 27, 27), Qt::AlignCenter, QStringLiteral("?"));
         }},
        {"main_exit.png", 22, 22,
         [](const Pad &d) {
             d.rect(QRectF(3.5, 2.5, 16, 27), QColor(60, 60, 66), QColor(30, 30, 30));
             d.shape(polygon({{3.5, 2.5}, {13, 5.5}, {13, 31}, {3.5, 29.5}}), QColor(176, 110, 50),
                     QColor(100, 60, 20));
             d.p.setPen(Qt::NoPen);
             d.p.setBrush(QColor(250, 210, 60));
             d.p.drawEllipse(QPointF(11, 17), 1.3, 1.3);
             arrow(d, QPointF(15, 16), QPointF(31, 16), red, 5.5);
         }},

        {"save.png", 16, 16, [](const Pad &d) { floppy(d); }},
        {"add.png", 16, 16,
         [](const Pad &d) {
             QPainterPath plus;
             plus.addRect(QRectF(12.5, 3.5, 7, 25));
             plus.addRect(QRectF(3.5, 12.5, 25, 7));
             d.shape(plus.simplified(), green, green.darker(170));
         }},
        {"modify.png", 16, 16,
         [](const Pad &d) {
             d.p.save();
             d.p.translate(16, 16);
             d.p.rotate(-45);
             d.shape(polygon({{-17, 0}, {-9, -4.5}, {-9, 4.5}}), QColor(240, 205, 150), QColor(120, 90, 50));
             d.shape(polygon({{-17, 0}, {-14, -1.7}, {-14, 1.7}}), QColor(50, 50, 50), QColor(30, 30, 30));
             d.rect(QRectF(-9, -4.5, 16, 9), QColor(250, 190, 30), QColor(140, 90, 0));
             d.rect(QRectF(7, -4.5, 3, 9), QColor(200, 200, 206), outlineGrey);
             d.rect(QRectF(10, -4.5, 5, 9), QColor(240, 120, 140), QColor(140, 50, 60), 1.5);
             d.p.restore();
         }},
        {"delete.png", 16, 16,
         [](const Pad &d) {
             QPainterPath x;
             x.moveTo(7, 7);
             x.lineTo(25, 25);
             x.moveTo(25, 7);
             x.lineTo(7, 25);
             d.stroke(x, red, 6);
         }},
        {"search.png", 16, 16, [](const Pad &d) { magnifier(d, QPointF(13, 13), 9); }},
        {"ok.png", 16, 16,
         [](const Pad &d) {
             QPainterPath v;
             v.moveTo(5, 17);
             v.lineTo(13, 25);
             v.lineTo(27, 7);
             d.stroke(v, green, 6);
         }},
        {"find.png", 16, 16,
         [](const Pad &d) {
             d.rect(QRectF(2.5, 1.5, 19, 25), Qt::white, outlineGrey);
             d.textLines(6, 18, 6, 22, 4);
             magnifier(d, QPointF(18, 18), 7);
         }},
        {"printer16.png", 16, 16, [](const Pad &d) { printer(d, 1); }},
        {"export.png", 22, 22,
         [](const Pad &d) {
             d.rect(QRectF(2.5, 2.5, 21, 26), Qt::white, outlineGrey);
             d.p.setPen(Qt::NoPen);
             d.p.setBrush(QColor(30, 130, 70));
             d.p.drawRect(QRectF(3, 3, 20, 5));
             d.p.setPen(d.outline(QColor(120, 170, 130)));
             for (double y = 13; y < 28; y += 5)
                 d.p.drawLine(QPointF(3, y), QPointF(23, y));
             for (double x = 9.5; x < 23; x += 7)
                 d.p.drawLine(QPointF(x, 8), QPointF(x, 28));
             arrow(d, QPointF(14, 22), QPointF(31, 22), QColor(40, 100, 210), 5);
         }},
        {"import.png", 22, 22,
         [](const Pad &d) {
             d.rect(QRectF(8.5, 2.5, 21, 26), Qt::white, outlineGrey);
             d.p.setPen(Qt::NoPen);
             d.p.setBrush(QColor(30, 130, 70));
             d.p.drawRect(QRectF(9, 3, 20, 5));
             d.p.setPen(d.outline(QColor(120, 170, 130)));
             for (double y = 13; y < 28; y += 5)
                 d.p.drawLine(QPointF(9, y), QPointF(29, y));
             for (double x = 15.5; x < 29; x += 7)
                 d.p.drawLine(QPointF(x, 8), QPointF(x, 28));
             arrow(d, QPointF(1, 22), QPointF(19, 22), QColor(40, 100, 210), 5);
         }},

        {"preview_zoom_fit.png", 32, 32, [](const Pad &d) { window(d, false); }},
        {"preview_zoom_width.png", 32, 32, [](const Pad &d) { window(d, true); }},
        {"preview_zoom_100.png", 32, 32,
         [](const Pad &d) {
             const QColor face(214, 200, 170);
             d.shape(polygon({{3, 10}, {10, 3}, {29, 3}, {22, 10}}), face.lighter(115), QColor(100, 80, 50));
             d.shape(polygon({{22, 10}, {29, 3}, {29, 22}, {22, 29}}), face.darker(120), QColor(100, 80, 50));
             d.rect(QRectF(3, 10, 19, 19), face, QColor(100, 80, 50));
             QFont f(QStringLiteral("DejaVu Sans"));
             f.setPixelSize(8);
             f.setBold(true);
             d.p.setFont(f);
             d.p.setPen(QColor(60, 40, 20));
             d.p.drawText(QRectF(3, 10, 19, 19), Qt::AlignCenter, QStringLiteral("1:1"));
         }},
        {"preview_setup.png", 32, 32,
         [](const Pad &d) {
             d.p.setPen(Qt::NoPen);
             d.p.setBrush(QColor(20, 20, 20));
             d.p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 3, 3);
             printer(d, 1);
         }},
        {"preview_print.png", 32, 32, [](const Pad &d) { printer(d, 1); }},
        {"preview_close.png", 32, 32, [](const Pad &d) { exitSign(d); }},
        {"preview_first.png", 20, 32,
         [](const Pad &d) {
             arrow(d, {10, 30}, {10, 2}, red, 7);
         }},
        {"preview_last.png", 20, 32,
         [](const Pad &d) {
             arrow(d, {10, 2}, {10, 30}, red, 7);
         }},
        {"preview_prev.png", 32, 20,
         [](const Pad &d) {
             arrow(d, {30, 10}, {2, 10}, red, 7);
         }},
        {"preview_next.png", 32, 20,
         [](const Pad &d) {
             arrow(d, {2, 10}, {30, 10}, red, 7);
         }},

        {"floppy.png", 32, 32, [](const Pad &d) { floppy(d); }},
        {"folder_open.png", 32, 32,
         [](const Pad &d) {
             const QColor yellow(240, 190, 50);
             d.shape(polygon({{2.5, 6}, {11, 6}, {13.5, 9}, {25.5, 9}, {25.5, 27}, {2.5, 27}}),
                     yellow.darker(115), QColor(130, 90, 10));
             d.rect(QRectF(7, 11, 17, 12), Qt::white, outlineGrey);
             d.shape(polygon({{7, 14}, {31, 14}, {25.5, 27}, {2.5, 27}}), yellow, QColor(130, 90, 10));
         }},
        {"app.png", 64, 64,
         [](const Pad &d) {
             d.rect(QRectF(1.5, 5.5, 29, 21), QColor(250, 248, 236), QColor(110, 100, 80), 1);
             d.p.setBrush(Qt::NoBrush);
             d.p.setPen(d.outline(QColor(150, 140, 110), 1.5));
             d.p.drawPolyline(QPolygonF({{2, 6}, {16, 17.5}, {30, 6}}));
             // The express stripes along the bottom edge and a stamp in the corner.
             d.p.setPen(Qt::NoPen);
             d.p.setBrush(QColor(0, 84, 166));
             d.p.drawRect(QRectF(2, 21, 28, 2));
             d.p.setBrush(QColor(236, 112, 0));
             d.p.drawRect(QRectF(2, 23, 28, 2));
             d.rect(QRectF(22.5, 8, 6, 7), QColor(220, 50, 40), QColor(130, 20, 20));
             d.p.setPen(d.outline(Qt::white, 1.5));
             d.p.drawLine(QPointF(24, 11.5), QPointF(27, 11.5));
         }},
    };
    return designs;
}

// size: the long side in pixels, 0 for the design's own size. Outlines are one pixel wide up to
// 64 pixels and grow with the picture above that, so a large icon looks like the 64-pixel one.
QImage drawIcon(const IconDesign &design, int size = 0)
{
    const int width = size ? size * design.width / std::max(design.width, design.height) : design.width;
    const int height = size ? size * design.height / std::max(design.width, design.height) : design.height;
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    img.setDotsPerMeterX(3780);
    img.setDotsPerMeterY(3780);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Square icons use a 32-unit design space; the arrows are drawn in their own pixel size
    // scaled the same way (their long side is 32 units).
    const double scale = std::max(width, height) / 32.0;
    p.scale(scale, scale);
    design.draw(Pad{p, 1.0 / std::min(scale, 2.0)});
    p.end();
    return img;
}

QImage drawSheet()
{
    const int zoom = 5, cell = 64 * zoom / 2 + 40, columns = 6;
    const auto &designs = iconDesigns();
    const int rows = int((designs.size() + columns - 1) / columns);
    QImage sheet(columns * cell, rows * cell, QImage::Format_RGB32);
    sheet.fill(QColor(235, 235, 235));
    QPainter p(&sheet);
    for (size_t i = 0; i < designs.size(); ++i) {
        const QImage icon = drawIcon(designs[i]);
        const int z = icon.width() > 32 ? zoom / 2 : zoom;
        const QImage big = icon.scaled(icon.size() * z);
        const int x = int(i % columns) * cell, y = int(i / columns) * cell;
        for (int cy = 0; cy < big.height(); cy += 10) {
            for (int cx = 0; cx < big.width(); cx += 10)
                p.fillRect(x + 10 + cx, y + 10 + cy, 10, 10,
                           (cx / 10 + cy / 10) % 2 ? QColor(200, 200, 200) : QColor(250, 250, 250));
        }
        p.drawImage(x + 10, y + 10, big);
        p.drawImage(x + 10 + big.width() + 8, y + 10, icon);
        p.setPen(Qt::black);
        p.drawText(x + 10, y + cell - 12, QString::fromLatin1(designs[i].file));
    }
    return sheet;
}

bool save(const QImage &img, const QString &path, const char *format, int quality)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, format);
    writer.setQuality(quality);
    if (qstrcmp(format, "jpg") == 0)
        writer.setProgressiveScanWrite(false);
    if (!writer.write(img)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws blankform.jpg and icons/*.png."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("dir"), QStringLiteral("the resources folder"));
    const QCommandLineOption overlay(QStringLiteral("overlay"),
                                     QStringLiteral("Also write the form with the field rectangles."),
                                     QStringLiteral("png"));
    const QCommandLineOption sheet(QStringLiteral("sheet"), QStringLiteral("Also write the icons enlarged."),
                                   QStringLiteral("png"));
    const QCommandLineOption hicolor(
        QStringLiteral("hicolor"), QStringLiteral("Only write the program icon as DIR/NxN/apps/waybill.png."),
        QStringLiteral("dir"));
    parser.addOption(overlay);
    parser.addOption(sheet);
    parser.addOption(hicolor);
    parser.process(app);

    QTextStream err(stderr);
    if (parser.isSet(hicolor)) {
        const auto &designs = iconDesigns();
        const auto appIcon = std::find_if(designs.begin(), designs.end(), [](const IconDesign &d) {
            return qstrcmp(d.file, "app.png") == 0;
        });
        const QDir dir(parser.value(hicolor));
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString sub = QStringLiteral("%1x%1/apps").arg(size);
            if (!dir.mkpath(sub) || !save(drawIcon(*appIcon, size),
                                          dir.filePath(sub + QStringLiteral("/waybill.png")), "png", -1)) {
                err << "drawpictures: cannot write " << dir.filePath(sub) << "/waybill.png\n";
                return 1;
            }
        }
        return 0;
    }
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    const QDir dir(parser.positionalArguments().first());
    if (!dir.mkpath(QStringLiteral("icons"))) {
        err << "drawpictures: cannot create " << dir.filePath(QStringLiteral("icons")) << "\n";
        return 1;
    }
    bool ok = save(drawForm(), dir.filePath(QStringLiteral("blankform.jpg")), "jpg", 85);
    for (const IconDesign &design : iconDesigns())
        ok = ok && save(drawIcon(design), dir.filePath(QStringLiteral("icons/") + QLatin1String(design.file)),
                        "png", -1);
    if (ok && parser.isSet(overlay))
        ok = save(drawOverlay(), parser.value(overlay), "png", -1);
    if (ok && parser.isSet(sheet))
        ok = save(drawSheet(), parser.value(sheet), "png", -1);
    if (!ok) {
        err << "drawpictures: cannot write the pictures into " << dir.path() << "\n";
        return 1;
    }
    return 0;
}
