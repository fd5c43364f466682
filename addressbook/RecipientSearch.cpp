#include "addressbook/RecipientSearch.h"

SearchStatement containsSearch(const QString &column, const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return {QStringLiteral("select * from inrxx where \"%1\" like ? escape '\\'").arg(column),
            {QLatin1Char('%') + escaped + QLatin1Char('%')}};
}
