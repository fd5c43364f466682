#pragma once

// One connection to the encrypted database file, over SQLCipher's C API.

#include "data/DbError.h"
#include "data/Statement.h"

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

} // namespace db
