#include "printing/RecipientSelection.h"

#include "data/Database.h"

#include <QRegularExpression>

#include <algorithm>
#include <unordered_set>

namespace printing {

RowChoice parsePositionList(const QString &list, int rowCount)
{
    static const QRegularExpression item(QStringLiteral("^\\s*(\\d{1,9})\\s*(?:-\\s*(\\d{1,9})\\s*)?$"));
    RowChoice choice;
    std::vector<bool> chosen(size_t(std::max(rowCount, 0)), false);
    const QStringList parts = list.split(QLatin1Char(','));
    for (const QString &part : parts) {
        const QRegularExpressionMatch m = item.match(part);
        if (!m.hasMatch()) {
            choice.error =
                QStringLiteral("收件人序号列表格式不对：“%1”（应写成 2,5-9 这样的序号和范围）").arg(list);
            return choice;
        }
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        if (last < first) {
            choice.error =
                QStringLiteral("收件人序号范围“%1”是倒着写的（应写成小号在前）").arg(part.trimmed());
            return choice;
        }
        for (const int position : {first, last})
            if (position < 1 || position > rowCount) {
                choice.error = QStringLiteral("没有第 %1 个收件人（共 %2 个）").arg(position).arg(rowCount);
                return choice;
            }
        for (int p = first; p <= last; ++p)
            chosen[size_t(p - 1)] = true;
    }
    for (int r = 0; r < rowCount; ++r)
        if (chosen[size_t(r)])
            choice.rows.push_back(r);
    return choice;
}

std::vector<int> rowsOfRowIds(const db::Dataset &dataset, const std::vector<qint64> &rowids)
{
    const std::unordered_set<qint64> wanted(rowids.begin(), rowids.end());
    std::vector<int> rows;
    for (int r = 0; r < dataset.recordCount(); ++r)
        if (wanted.count(dataset.rowId(r)))
            rows.push_back(r);
    return rows;
}

} // namespace printing
