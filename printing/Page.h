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
struct PageItem
{
    float left, top, width, height;
    quint16 font; // index into the run's font table
    quint16 textLength;
    quint32 textBegin; // offset of the text in the page's text; lines are separated by '\n'
};

// A generated page: what is needed to draw it again on any device, and nothing else.
class Page
{
public:
    void addItem(const QRectF &boxMm, int font, const QStringList &lines);
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

// The pages of one report run and the fonts they share.
struct PageList
{
    FontTable fonts;
    std::vector<Page> pages;

    int count() const { return int(pages.size()); }
    void clear()
    {
        pages.clear();
        fonts.clear();
    }
};

} // namespace printing
