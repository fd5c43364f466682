#pragma once

// The errors of the data layer.

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

} // namespace db
