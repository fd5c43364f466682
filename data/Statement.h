#pragma once

// A prepared statement over the C API that finalizes itself.

#include "data/DbError.h"

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

} // namespace db
