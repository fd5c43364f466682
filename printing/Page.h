#pragma once

#include "printing/FontTable.h"

#include <QRectF>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace printing {

// One text field on a page: its box in millimetres from the page's top-left corner, filled
// white, and its lines drawn left-aligned from the box's top-left corner, one line apart.
// An item with the font kInk is a solid black rectangle instead (the rules of a calibration page).
struct PageItem
{
    static constexpr quint16 kInk = 0xffff;

    float left, top, width, height;
    quint16 font; // index into the run's font table, or kInk
    quint16 textLength;
    quint32 textBegin; // offset of the text in the page's text; lines are separated by '\n'
};

// A generated page: what is needed to draw it again on any device, and nothing else.
class Page
{
public:
    void addItem(const QRectF &boxMm, int font, const QStringList &lines);
    // A solid black rectangle: a rule, a tick, a crosshair's arm.
    void addInk(const QRectF &rectMm);
    // Drops spare capacity once the page is complete.
    void squeeze();

    int itemCount() const { return int(m_items.size()); }
    const PageItem &item(int index) const { return m_items.at(size_t(index)); }
    QStringView text(int index) const;
    // Bytes this page holds, itself included.
    size_t memoryBytes() const;

private:
    std::vector<PageItem> m_items;
    QString m_text;
};

// An address that did not fit its box even at the smallest size: only its first lines print.
struct ShortenedAddress
{
    int page;  // 0-based
    int field; // index of the field in the layout
    int lines; // how many lines print
};

// The pages of one report run and the fonts they share.
struct PageList
{
    FontTable fonts;
    std::vector<Page> pages;
    std::vector<ShortenedAddress> shortened; // in page order

    int count() const { return int(pages.size()); }
    void clear()
    {
        pages.clear();
        fonts.clear();
        shortened.clear();
    }
};

} // namespace printing
