#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <memory>
#include <vector>

namespace printing {

// Measurements of a font in millimetres, taken on a fixed high-resolution reference device so
// that they do not depend on the screen or printer the text is later drawn on.
class MmFontMetrics
{
public:
    explicit MmFontMetrics(const QFont &font);

    double width(const QString &text) const { return m_fm.horizontalAdvance(text) * m_mmPerPixel; }
    double ascent() const { return m_ascent; }
    double lineSpacing() const { return m_lineSpacing; }

private:
    QFontMetricsF m_fm;
    double m_mmPerPixel;
    double m_ascent;
    double m_lineSpacing;
};

// The fonts that the pages of one run use, shared by all of them; a page item names its font by
// index. Adding a font that is already there returns its index.
class FontTable
{
public:
    int add(const QFont &font);
    // The font at index with another point size (added when new).
    int withPointSize(int index, qreal pointSize);

    int size() const { return int(m_entries.size()); }
    const QFont &font(int index) const { return m_entries.at(index)->font; }
    const MmFontMetrics &metrics(int index) const { return m_entries.at(index)->metrics; }
    void clear() { m_entries.clear(); }

private:
    struct Entry
    {
        explicit Entry(const QFont &f) : font(f), metrics(f) {}
        QFont font;
        MmFontMetrics metrics;
    };
    std::vector<std::unique_ptr<Entry>> m_entries;
};

} // namespace printing
