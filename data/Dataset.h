#pragma once

// A static snapshot of one statement's rows that writes its edits back by rowid, and the open
// sequence of the main window's two queries.

#include "data/Connection.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// A static snapshot of one statement's rows, with a current row and an edit buffer.
// The statement must read "select * from <table>" optionally followed by a WHERE clause with
// bound parameters; rows are written back to <table> by rowid.
class Dataset : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QObject *parent = nullptr);

    void setConnection(Connection *connection);
    Connection *connection() const { return m_connection; }

    // Replaces the statement (the dataset must be closed, as the program always closes first).
    void setSql(const QString &sql, const QStringList &params = {});
    QString sql() const { return m_sql; }
    QString table() const { return m_table; }

    // Opening opens the connection first when it is closed; afterwards the dataset stands on
    // the first row, or on no row when the result is empty.
    void open();
    void close();
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    int fieldCount() const { return m_fields.size(); }
    QString fieldName(int index) const { return m_fields.at(index); }
    QStringList fieldNames() const { return m_fields; }
    int fieldIndex(const QString &name) const { return m_fields.indexOf(name); }

    int recordCount() const { return int(m_rowids.size()); }
    // 1-based number of the current row; -1 when there is none or a row is being inserted.
    int recNo() const;
    // 0-based current row, -1 when none.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    void first();
    void next();
    void last();
    bool eof() const { return m_eof; }

    // Text of a cell of the snapshot (row 0-based). Empty for NULL.
    QString value(int row, int column) const;
    qint64 rowId(int row) const { return m_rowids.at(row); }
    int rowOfRowId(qint64 rowid) const;

    // Text of a column of the current row (or of the edit buffer while editing). Empty when
    // there is no current row or the column does not exist.
    QString fieldText(const QString &name) const;
    // Sets a column of the row being edited or inserted.
    void setFieldText(const QString &name, const QString &text);

    // Starts editing the current row; on an empty dataset starts inserting a new row instead.
    void edit();
    // Starts inserting a new row at the end.
    void append();
    // Writes the row being edited or inserted to the file at once. An edited row is written only
    // when the file still holds it with the values it had when it was read (every column,
    // NULL-aware); otherwise nothing is written, the dataset is read again and RowChangedError is
    // thrown.
    void post();
    void cancel();
    // Deletes the current row from the file, on the same condition as post(); the next row (or
    // the new last row) becomes current.
    void deleteCurrent();
    // Reads the statement's rows again; the row with the same rowid stays current if it is there.
    void refresh();
    // Whether a cell of the snapshot is NULL.
    bool isNull(int row, int column) const;

signals:
    // The whole content changed (opened, closed).
    void reset();
    void currentChanged(int row);
    void rowChanged(int row);
    void rowInserted(int row);
    void rowRemoved(int row);

private:
    void requireActive() const;
    void requireEditing() const;
    void load();
    void setCurrent(int row, bool atEof);
    QString quotedTable() const;
    // "rowid=? AND CAST(c AS TEXT) IS ? AND ..." for a row of the snapshot, bound from index first.
    QString sameRowCondition() const;
    int bindSameRow(Statement &st, int first, int row) const;
    // Reads one row of the table by rowid into text, cell ends and NULL marks.
    bool readRow(qint64 rowid, QString &text, std::vector<quint32> &ends, std::vector<bool> &nulls);
    [[noreturn]] void refuseChangedRow();

    Connection *m_connection = nullptr;
    QString m_sql;
    QStringList m_params;
    QString m_table;
    State m_state = State::Inactive;
    QStringList m_fields;

    // The snapshot: per row its rowid and all its cells in one string, with the end offset of
    // every cell in m_ends (fieldCount entries per row). Far smaller than a QString per cell.
    std::vector<qint64> m_rowids;
    std::vector<QString> m_rowText;
    std::vector<quint32> m_ends;
    std::vector<bool> m_nulls; // parallel to m_ends

    int m_current = -1;
    bool m_eof = true;

    // The edit buffer: one value per field and whether it was set since edit()/append().
    QStringList m_buffer;
    std::vector<bool> m_modified;
};

// The main window's open sequence: optionally close the connection, close both queries, point
// the connection at connectionPath(), set both statements and open the sender query then the
// recipient query.
void runOpenSequence(Connection &connection, Dataset &senderQuery, Dataset &recipientQuery,
                     bool closeConnectionFirst);

} // namespace db
