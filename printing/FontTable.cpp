#include "printing/FontTable.h"

#include <QImage>

namespace printing {

namespace {

constexpr double kReferenceDpi = 1200.0;

const QImage &referenceDevice()
{
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = int(kReferenceDpi / 0.0254 + 0.5);
        i.setDotsPerMeterX(dotsPerMeter);
        i.setDotsPerMeterY(dotsPerMeter);
        return i;
    }();
    return image;
}

} // namespace

MmFontMetrics::MmFontMetrics(const QFont &font)
    : m_fm(font, &referenceDevice()), m_mmPerPixel(25.4 / referenceDevice().logicalDpiY()),
      m_ascent(m_fm.ascent() * m_mmPerPixel), m_lineSpacing(m_fm.lineSpacing() * m_mmPerPixel)
{
}

int FontTable::add(const QFont &font)
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i]->font == font)
            return int(i);
    m_entries.push_back(std::make_unique<Entry>(font));
    return int(m_entries.size() - 1);
}

int FontTable::withPointSize(int index, qreal pointSize)
{
    QFont f = font(index);
    f.setPointSizeF(pointSize);
    return add(f);
}

} // namespace printing
