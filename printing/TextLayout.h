#pragma once

#include "printing/FontTable.h"

#include <QString>
#include <QStringList>

// How a field's value becomes the lines printed on the waybill. Two kinds of field:
// - fitted: one line, as wide as its text, however long;
// - address: wrapped to a fixed width and kept inside a fixed height.
namespace textlayout {

// The value split at carriage returns, with line feeds dropped. An empty value has no lines.
QStringList paragraphs(const QString &value);

struct Fitted
{
    QString line;   // the line that prints: the first one
    double widthMm; // the width of the widest line
};
Fitted layoutFitted(const QString &value, const printing::MmFontMetrics &metrics);

// Wraps each paragraph to widthMm. Lines break where Unicode line breaking allows (between
// Chinese characters, after spaces and hyphens), never between a Latin letter or digit and the
// character after it (so "88号" and "A座" stay whole), and inside such a run only when the run
// alone is wider than the line; then it breaks where the width runs out.
QStringList wrap(const QString &value, const printing::MmFontMetrics &metrics, double widthMm);

struct AddressFit
{
    int font = -1;        // index into the font table
    QStringList lines;    // the lines that print
    bool complete = true; // false when even the smallest size could not hold every line
};

// The address in the field's box: in the field's font when it fits, otherwise in the largest
// smaller size (half-point steps, down to minPoints) at which all its lines fit the height. When
// even minPoints does not hold it, the lines that fit at minPoints print.
inline constexpr qreal kMinAddressPoints = 7.0;
AddressFit fitAddress(const QString &value, printing::FontTable &fonts, int font, double widthMm,
                      double heightMm, qreal minPoints = kMinAddressPoints);

} // namespace textlayout
