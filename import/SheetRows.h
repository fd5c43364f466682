#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The cells of one sheet as texts, row by row from the sheet's first row (rows may differ in
// length). A CSV file is one sheet.
struct SheetRows
{
    QString name;
    std::vector<QStringList> rows;
};

// What a reader made of a file: its sheets, or why it could not be read.
struct SpreadsheetContent
{
    std::vector<SheetRows> sheets;
    QString error;
};
