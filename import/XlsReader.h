#pragma once

#include "import/SheetRows.h"

// Reads every sheet of an Excel 97-2003 workbook through libfreexl. Numbers come out as the
// digits a person typed (13811110001, 3.5), dates as YYYY-MM-DD.
SpreadsheetContent readXlsFile(const QString &path);

// The text of a number cell.
QString numberText(double value);
