#include "printing/Fonts.h"

#include <QStringList>

namespace fonts {

void installSubstitutions()
{
    QFont::insertSubstitutions(QStringLiteral("宋体"), (QStringList() << QStringLiteral("AR PL UMing CN") << QStringLiteral("AR PL UMing TW")));
    QFont::insertSubstitution(QStringLiteral("SimSun"), QStringLiteral("AR PL UMing CN"));
    // Not UMing: its Latin letters are fixed-width. Chinese in these controls falls back to UMing.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               (QStringList() << QStringLiteral("DejaVu Sans") << QStringLiteral("AR PL UMing CN")));
}

QFont songPixels(int pixelSize, bool bold)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont songPoints(qreal pointSize)
{
    QFont f(QStringLiteral("宋体"));
    f.setPointSizeF(pointSize);
    return f;
}

QFont msSansSerifPixels(int pixelSize)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(pixelSize);
    return f;
}

QFont msSansSerifPoints(qreal pointSize)
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(pointSize);
    return f;
}

} // namespace fonts
