#pragma once

// Access to the address database: an encrypted SQLCipher file opened through its C API.
// Two small RAII classes wrap the C handles (Connection, Statement); Dataset holds a static
// snapshot of one "select * from <table> ..." statement and writes its edits back by rowid.

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

// The password every data.mdb is keyed with.
inline constexpr const char *kDatabasePassword = "358146392850";

// An error of the database layer. Its text says in Chinese what failed, on which file and what
// to do, with SQLite's own message in brackets (failures::databaseText); it never contains the key.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message, int code = 0);
    QString message() const { return QString::fromUtf8(what()); }
    int code() const { return m_code; }

private:
    int m_code;
};

// A modify or delete found its row changed or gone: another copy of the program changed or
// deleted it, or its rowid now belongs to another row. Nothing was written; the dataset has been
// read again.
class RowChangedError : public DbError
{
public:
    RowChangedError();
};

class Connection;

// A prepared statement that finalizes itself. step() returns true for a row and false at the
// end; errors throw, so "no more rows" and "failed" never share a return value.
class Statement
{
public:
    Statement(Connection &connection, const QString &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, const QString &text); // 1-based, as in SQLite
    void bind(int index, qint64 value);
    void bindNull(int index);
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString text(int column) const; // a NULL reads as empty text
    qint64 int64(int column) const;
    sqlite3_stmt *handle() const { return m_stmt; }

private:
    Connection &m_connection;
    sqlite3_stmt *m_stmt = nullptr;
};

// One connection to a database file. It never creates the file: a missing file is an error.
// Several connections, in this process or in others, share the file; a writer waits for a
// busy file up to kBusyTimeoutMs instead of failing at once, calling the busy hook while it waits.
class Connection : public QObject
{
    Q_OBJECT
public:
    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    void setPath(const QString &path) { m_path = path; }
    QString path() const { return m_path; }
    void setPassword(const QString &password) { m_password = password; }

    // Opening an open connection does nothing.
    void open();
    void close();
    bool isOpen() const { return m_db != nullptr; }

    void exec(const QString &sql);
    qint64 lastInsertRowId() const;
    int changes() const;
    sqlite3 *handle() const { return m_db; }

    // Throws DbError with the connection's last error text when rc is not OK/ROW/DONE.
    void check(int rc) const;

    // Why changes cannot be saved (the file or its folder is read-only), or an empty text.
    QString readOnlyReason() const;

    // How long a call waits for a file another program holds before it fails as busy.
    static constexpr int kBusyTimeoutMs = 3000;
    // Called every few milliseconds while any connection waits for a busy file, so the windows
    // can show that they wait and keep painting. Not called again from inside itself.
    using BusyHook = std::function<void()>;
    static void setBusyHook(BusyHook hook);
    // This connection's wait for a busy file (kBusyTimeoutMs unless set; 0: fail at once).
    void setBusyTimeout(int ms) { m_busyTimeoutMs = ms; }

signals:
    void aboutToClose();

private:
    static int waitWhileBusy(void *self, int attempt);

    QString m_path;
    QString m_password = QString::fromLatin1(kDatabasePassword);
    sqlite3 *m_db = nullptr;
    QElapsedTimer m_busyClock;
    int m_busyTimeoutMs = kBusyTimeoutMs;
};

// The file every connection of the program opens: data.mdb in dataFolder() (DataFolder.h) at
// the moment of connecting.
QString connectionPath();

// Throws DbError naming the first column of outrxx or inrxx the open database lacks.
void requireColumns(Connection &connection);

// Creates a new, empty, keyed database with the two tables. Refuses to touch an existing file.
void createDatabase(const QString &path);

// The column names of the two tables, in table order.
QStringList senderColumns();
QStringList recipientColumns();

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
