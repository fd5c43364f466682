#pragma once

// Adding recipients from a spreadsheet (.xls, .csv) to the address book. prepare() reads the
// file and checks every row as the add panel checks a new recipient, and against the book for
// duplicates; nothing is written until commit(), which adds all accepted rows in one
// transaction after the existing ones, in file order, or nothing at all.

#include "import/SheetRows.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace db {
class Connection;
}

// Reads a file by its content: an Excel 97-2003 workbook, or text taken as CSV. An .xlsx (or
// any zip) file is refused with advice.
SpreadsheetContent readSpreadsheet(const QString &path);

// The recipient column a header cell names: its index in db::recipientColumns(), or -1.
// The seven column names match exactly; 姓名, 地址, 手机, 电话, 邮编, 公司, 单位, 公司/单位 and
// 备注 match too. Blanks around the header text do not count.
int recipientColumnOfHeader(const QString &header);

class RecipientImport
{
public:
    // A row that is not added: where it is ("第 5 行", or with the sheet's name when the
    // workbook has several) and why.
    struct SkippedRow
    {
        QString where;
        QString reason;
    };

    enum class Outcome { Added, Cancelled, Failed };

    // Called every few hundred rows while writing; returning false cancels the whole import.
    using Progress = std::function<bool(int done, int total)>;

    // Reads path and checks its rows against the book on connection (opened if closed).
    // Nothing is written. error() tells why nothing can be imported, if so.
    void prepare(const QString &path, db::Connection &connection);

    QString error() const { return m_error; }
    // The rows that will be added, each with the seven texts in column order.
    const std::vector<QStringList> &rowsToAdd() const { return m_rows; }
    const std::vector<SkippedRow> &invalidRows() const { return m_invalid; }
    const std::vector<SkippedRow> &duplicateRows() const { return m_duplicates; }
    // Sheets that hold cells but no header row with the recipient columns.
    const QStringList &ignoredSheets() const { return m_ignoredSheets; }

    // Before anything is written: how many rows will be added, how many duplicates and rows
    // with errors are skipped.
    QString summary() const;
    // The skipped rows for the summary box, one a line: those with errors, then the duplicates,
    // each with where it is and why. Past limit lines the rest are counted ("…… 另有 N 行").
    QString skippedList(int limit) const;

    // Adds rowsToAdd() in one transaction. On Cancelled or Failed the book is as it was; on
    // Failed, failure() says why.
    Outcome commit(db::Connection &connection, const Progress &progress = {});
    QString failure() const { return m_failure; }

private:
    QString m_error;
    QString m_failure;
    std::vector<QStringList> m_rows;
    std::vector<SkippedRow> m_invalid;
    std::vector<SkippedRow> m_duplicates;
    QStringList m_ignoredSheets;
};
