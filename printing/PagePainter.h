#pragma once

#include <QRect>
#include <QRectF>

class QPainter;

namespace printing {

class FontTable;
class Page;

// Paints a page onto any painter: target is where the 230 x 126 mm paper goes, in the painter's
// logical coordinates. Screen, thumbnails, printer and PDF all draw through here.
void paintPage(QPainter &painter, const Page &page, const FontTable &fonts, const QRectF &target);

// A page in a thumbnail cell: white paper with a black frame and a 2-pixel shadow along the right
// and bottom edges, the page stretched over the whole rectangle.
void paintFramedPage(QPainter &painter, const Page *page, const FontTable &fonts, const QRect &rect);

} // namespace printing
