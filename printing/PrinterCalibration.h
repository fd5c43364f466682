#pragma once

#include "printing/Length.h"

#include <QString>

namespace printing {

// How far a printer's pages are moved to meet the form: dx to the right, dy downwards.
struct PrintOffset
{
    Length dx, dy;
    bool isNull() const { return dx == Length() && dy == Length(); }
};

// Offsets are kept per printer name in the user's settings, in 0.1 mm steps within ±30 mm.
namespace calibration {

inline constexpr int kMaxOffsetTenths = 300;

// Reads one offset in millimetres ("2", "-1.5", "+0.3"). On a bad value returns a message that
// names the value (what: "横向偏移" / "纵向偏移") and leaves out untouched; otherwise an empty string.
QString parseMm(const QString &text, const QString &what, Length &out);
// Reads "DX,DY".
QString parsePair(const QString &text, PrintOffset &out);

// "dx=2.0 dy=-1.5 mm"
QString format(const PrintOffset &offset);

// The stored offset of a printer; none stored (or an unreadable entry) is no offset.
PrintOffset stored(const QString &printer);
// Stores a printer's offset (a zero offset removes the entry). Returns an error text when the
// offset is out of range or the settings could not be written; then nothing changed.
QString store(const QString &printer, const PrintOffset &offset);

} // namespace calibration
} // namespace printing
