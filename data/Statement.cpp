#include "data/Statement.h"

#include "data/Connection.h"

#include <sqlite3.h>

namespace db {

Statement::Statement(Connection &connection, const QString &sql) : m_connection(connection)
{
    if (!connection.isOpen())
        throw DbError(QStringLiteral("数据库连接未打开"));
    const QByteArray utf8 = sql.toUtf8();
    connection.check(
        sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &m_stmt, nullptr));
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QString &text)
{
    // SQLITE_TRANSIENT: SQLite copies the text, so the temporary UTF-16 buffer may go.
    m_connection.check(sqlite3_bind_text16(m_stmt, index, text.utf16(), int(text.size() * sizeof(char16_t)),
                                           SQLITE_TRANSIENT));
}

void Statement::bind(int index, qint64 value)
{
    m_connection.check(sqlite3_bind_int64(m_stmt, index, value));
}

void Statement::bindNull(int index)
{
    m_connection.check(sqlite3_bind_null(m_stmt, index));
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Reset releases the read lock at once, so another connection is not kept waiting.
    sqlite3_reset(m_stmt);
    m_connection.check(rc);
    return false;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::text(int column) const
{
    const void *p = sqlite3_column_text16(m_stmt, column);
    if (!p)
        return QString();
    const int bytes = sqlite3_column_bytes16(m_stmt, column);
    return QString(reinterpret_cast<const QChar *>(p), bytes / 2);
}

qint64 Statement::int64(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

} // namespace db
