#include "printing/Page.h"

namespace printing {

void Page::addItem(const QRectF &boxMm, int font, const QStringList &lines)
{
    const QString text = lines.join(QLatin1Char('\n'));
    PageItem item;
    item.left = float(boxMm.left());
    item.top = float(boxMm.top());
    item.width = float(boxMm.width());
    item.height = float(boxMm.height());
    item.font = quint16(font);
    item.textLength = quint16(std::min<qsizetype>(text.size(), 0xffff));
    item.textBegin = quint32(m_text.size());
    m_text += QStringView(text).left(item.textLength);
    m_items.push_back(item);
}

void Page::addInk(const QRectF &rectMm)
{
    m_items.push_back({float(rectMm.left()), float(rectMm.top()), float(rectMm.width()),
                       float(rectMm.height()), PageItem::kInk, 0, quint32(m_text.size())});
}

void Page::squeeze()
{
    m_items.shrink_to_fit();
    m_text.squeeze();
}

QStringView Page::text(int index) const
{
    const PageItem &i = item(index);
    return QStringView(m_text).mid(i.textBegin, i.textLength);
}

size_t Page::memoryBytes() const
{
    // QString's shared block carries a header of about 16 bytes before the characters.
    return sizeof(Page) + m_items.capacity() * sizeof(PageItem) +
           (m_text.capacity() > 0 ? 16 + size_t(m_text.capacity()) * sizeof(QChar) : 0);
}

} // namespace printing
