#include "data/Connection.h"
#include "data/Schema.h"

#include "data/DataFolder.h"
#include "data/FailureText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <sqlite3.h>

#include <unistd.h>

namespace db {

Connection::Connection(QObject *parent) : QObject(parent) {}

Connection::~Connection()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

void Connection::check(int rc) const
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    const QString text =
        m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
    throw DbError(failures::databaseText(rc, text, m_path, m_db ? sqlite3_system_errno(m_db) : 0), rc);
}

namespace {

Connection::BusyHook &busyHook()
{
    static Connection::BusyHook hook;
    return hook;
}

} // namespace

void Connection::setBusyHook(BusyHook hook)
{
    busyHook() = std::move(hook);
}

int Connection::waitWhileBusy(void *self, int attempt)
{
    auto *connection = static_cast<Connection *>(self);
    if (attempt == 0)
        connection->m_busyClock.start();
    if (connection->m_busyClock.elapsed() >= connection->m_busyTimeoutMs)
        return 0;
    // Short naps, with the windows painted in between, instead of one long blocking wait.
    static bool inHook = false;
    if (busyHook() && !inHook) {
        inHook = true;
        busyHook()();
        inHook = false;
    }
    QThread::msleep(25);
    return 1;
}

void Connection::open()
{
    if (m_db)
        return;
    sqlite3 *handle = nullptr;
    const QByteArray path = QDir::toNativeSeparators(m_path).toUtf8();
    // Read-write, never create: a missing file is an error, not a new empty database.
    const int rc =
        sqlite3_open_v2(path.constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const int code = handle ? sqlite3_extended_errcode(handle) : rc;
        QString text =
            handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int systemErrno = handle ? sqlite3_system_errno(handle) : 0;
        sqlite3_close_v2(handle);
        throw DbError(failures::databaseText(code, text, m_path, systemErrno), rc);
    }
    m_db = handle;
    sqlite3_extended_result_codes(m_db, 1);
    try {
        // The key goes in as a quoted SQL literal; it is never part of an error text.
        QString quoted = m_password;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        exec(QStringLiteral("PRAGMA key = '%1'").arg(quoted));
        sqlite3_busy_handler(m_db, &Connection::waitWhileBusy, this);
        // A wrong key or a foreign file only shows at the first read: check at once. A 0-byte
        // file would pass as an empty database, so the two tables must be there too.
        Statement tables(
            *this,
            QStringLiteral(
                "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN ('outrxx','inrxx')"));
        tables.step();
        if (tables.int64(0) < 2)
            throw DbError(QStringLiteral("数据文件 %1 中缺少 outrxx 或 inrxx 表，它不是本软件的数据文件。"
                                         "请确认它是本软件的 data.mdb，或从备份恢复数据。")
                              .arg(QDir::toNativeSeparators(m_path)));
        tables.reset();
        // A missing column would only show at the first add or save.
        requireColumns(*this);
        // A rollback journal, never WAL: a byte copy of the file is then always a whole database.
        exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        exec(QStringLiteral("PRAGMA synchronous = FULL"));
        // Keep decrypted pages of a big book in memory: rereads and searches skip the cipher.
        exec(QStringLiteral("PRAGMA cache_size = -32768"));
    } catch (...) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw;
    }
}

void Connection::close()
{
    if (!m_db)
        return;
    emit aboutToClose();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void Connection::exec(const QString &sql)
{
    if (!m_db)
        throw DbError(QStringLiteral("数据库连接未打开"));
    Statement st(*this, sql);
    while (st.step()) {
    }
}

QString Connection::readOnlyReason() const
{
    const QFileInfo file(m_path);
    const QByteArray path = QFile::encodeName(file.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(file.absolutePath());
    if (::access(path.constData(), W_OK) != 0 || (m_db && sqlite3_db_readonly(m_db, "main") == 1))
        return QStringLiteral("数据库文件 %1 是只读的")
            .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    // The rollback journal is created beside the file: a read-only folder refuses every write.
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return QStringLiteral("数据库文件所在的文件夹 %1 是只读的")
            .arg(QDir::toNativeSeparators(file.absolutePath()));
    return QString();
}

qint64 Connection::lastInsertRowId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int Connection::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

} // namespace db
