#pragma once

#include "import/SheetRows.h"

#include <QByteArray>

// Comma-separated text as spreadsheet programs save it: fields in double quotes may hold the
// separator, quotes (doubled) and line breaks. The separator is a comma, semicolon or tab, and
// the encoding UTF-8 (with or without BOM), UTF-16 with BOM or GB18030; both are detected.
namespace csv {

// The text of the file's bytes; encoding names the encoding found. Empty error on success.
struct DecodedText
{
    QString text;
    QString encoding;
    QString error;
};
DecodedText decode(const QByteArray &bytes);

// The separator whose split of the first lines yields the most known column names (see
// isKnownHeader), then the most fields.
QChar detectSeparator(const QString &text, bool (*isKnownHeader)(const QString &));

// All records of the text; a line break ends a record outside quotes.
std::vector<QStringList> parse(const QString &text, QChar separator);

} // namespace csv
