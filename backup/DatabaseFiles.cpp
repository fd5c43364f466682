#include "backup/DatabaseFiles.h"

#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace backup {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// True when both names lead to the same file (through links, "..", other spellings).
bool sameFile(const QString &a, const QString &b)
{
    std::error_code ec;
    return std::filesystem::equivalent(fsPath(a), fsPath(b), ec) && !ec;
}

void writeBlock(QIODevice &out, const char *data, qint64 size, const DatabaseFiles::WriteHook &hook)
{
    const qint64 offset = out.pos();
    if ((hook && !hook(offset, size)) || out.write(data, size) != size)
        throw CopyError(QStringLiteral("写入失败: %1").arg(out.errorString()));
}

void syncFile(QFileDevice &file)
{
    bool ok = file.flush();
#ifdef Q_OS_UNIX
    ok = ok && ::fsync(file.handle()) == 0;
#endif
    if (!ok)
        throw CopyError(QStringLiteral("写入磁盘失败: %1").arg(native(file.fileName())));
}

// Makes a rename inside the folder durable.
void syncFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

void requireColumns(db::Connection &connection, const QString &table, const QStringList &names)
{
    db::Statement info(connection, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    QStringList present;
    while (info.step())
        present << info.text(1);
    for (const QString &name : names) {
        if (!present.contains(name))
            throw CopyError(QStringLiteral("表 %1 缺少列 %2").arg(table, name));
    }
}

// Takes an exclusive lock on the database file about to be replaced, so no other connection is
// reading or writing it while it goes. Opening it also lets SQLite roll back a journal that a
// crashed writer left, which would otherwise be applied to the new file at its next opening.
// A file that is not a usable database has nothing to protect: null is returned.
std::unique_ptr<db::Connection> lockForReplacing(const QString &path)
{
    if (!QFileInfo::exists(path))
        return nullptr;
    auto connection = std::make_unique<db::Connection>();
    connection->setPath(path);
    try {
        connection->open();
        connection->exec(QStringLiteral("BEGIN EXCLUSIVE"));
    } catch (const db::DbError &e) {
        if (e.code() == SQLITE_BUSY || e.code() == SQLITE_LOCKED)
            throw CopyError(QStringLiteral("数据库文件正被使用: %1").arg(e.message()));
        return nullptr;
    }
    return connection;
}

} // namespace

QString DatabaseFiles::databasePath() const
{
    return QDir(m_folder).filePath(QStringLiteral("data.mdb"));
}

QString DatabaseFiles::backupPath(const QString &chosenName)
{
    return chosenName + QStringLiteral(".bak");
}

void DatabaseFiles::backup(const QString &chosenName) const
{
    const QString source = databasePath();
    const QString target = backupPath(chosenName);
    if (!QFileInfo::exists(source))
        throw CopyError(QStringLiteral("找不到数据库文件: %1").arg(native(source)));
    // A backup name that leads back to data.mdb (through a link) would overwrite the database.
    if (sameFile(source, target))
        throw CopyError(QStringLiteral("备份文件不能是数据库文件本身"));

    db::Connection connection;
    connection.setPath(source);
    sqlite3_file *file = nullptr;
    sqlite3_int64 size = 0;
    try {
        connection.open();
        // A read transaction keeps its shared lock until it ends: no writer can change the file
        // while it is copied, and every write committed before is in it.
        connection.exec(QStringLiteral("BEGIN"));
        connection.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const db::DbError &e) {
        throw CopyError(e.message());
    }
    // The bytes are read through SQLite's own handle of the file: a second handle of ours
    // would, when closed, drop the locks this process holds on the file.
    if (sqlite3_file_control(connection.handle(), "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        throw CopyError(QStringLiteral("无法读取数据库文件: %1").arg(native(source)));

    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw CopyError(QStringLiteral("无法写入 %1: %2").arg(native(target), out.errorString()));
    QByteArray block(int(kBlockSize), Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size; offset += kBlockSize) {
        const int n = int(qMin<sqlite3_int64>(kBlockSize, size - offset));
        if (file->pMethods->xRead(file, block.data(), n, offset) != SQLITE_OK)
            throw CopyError(QStringLiteral("读取数据库文件失败: %1").arg(native(source)));
        writeBlock(out, block.constData(), n, m_writeHook);
    }
    connection.close();
    if (!out.commit())
        throw CopyError(QStringLiteral("无法写入 %1: %2").arg(native(target), out.errorString()));
}

void DatabaseFiles::checkDatabase(const QString &path)
{
    try {
        db::Connection connection;
        connection.setPath(path);
        connection.open(); // checks the password and that both tables are there
        requireColumns(connection, QStringLiteral("outrxx"), db::senderColumns());
        requireColumns(connection, QStringLiteral("inrxx"), db::recipientColumns());
        db::Statement check(connection, QStringLiteral("PRAGMA integrity_check"));
        QStringList problems;
        while (check.step())
            problems << check.text(0);
        if (problems != QStringList{QStringLiteral("ok")})
            throw CopyError(QStringLiteral("数据库文件已损坏: %1").arg(problems.join(QLatin1Char('\n'))));
    } catch (const db::DbError &e) {
        throw CopyError(e.message());
    }
}

void DatabaseFiles::restore(const QString &source, const std::function<void()> &beforeReplace) const
{
    const QString target = databasePath();
    if (!QFileInfo(source).isFile())
        throw CopyError(QStringLiteral("找不到文件: %1").arg(native(source)));
    if (sameFile(source, target))
        throw CopyError(QStringLiteral("所选文件就是当前的数据库文件"));

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw CopyError(QStringLiteral("无法读取 %1: %2").arg(native(source), in.errorString()));
    // Removed again by its destructor unless it became data.mdb.
    QTemporaryFile temp(QDir(m_folder).filePath(QStringLiteral("data.mdb.XXXXXX")));
    if (!temp.open())
        throw CopyError(QStringLiteral("无法在 %1 中写入: %2").arg(native(m_folder), temp.errorString()));
    while (!in.atEnd()) {
        const QByteArray block = in.read(kBlockSize);
        if (block.isEmpty())
            throw CopyError(QStringLiteral("读取 %1 失败: %2").arg(native(source), in.errorString()));
        writeBlock(temp, block.constData(), block.size(), m_writeHook);
    }
    syncFile(temp);
    temp.close();
    in.close();

    // The copy itself is checked, so what becomes data.mdb is exactly what passed.
    checkDatabase(temp.fileName());
    const QFile::Permissions permissions = QFileInfo::exists(target)
                                               ? QFile::permissions(target)
                                               : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                                     QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
    temp.setPermissions(permissions);

    const std::unique_ptr<db::Connection> lock = lockForReplacing(target);
    if (beforeReplace)
        beforeReplace();
    std::error_code ec;
    std::filesystem::rename(fsPath(temp.fileName()), fsPath(target), ec);
    if (ec)
        throw CopyError(
            QStringLiteral("无法替换 %1: %2").arg(native(target), QString::fromStdString(ec.message())));
    temp.setAutoRemove(false);
    // A journal still beside the name belonged to the replaced file.
    QFile::remove(target + QStringLiteral("-journal"));
    syncFolder(m_folder);
}

} // namespace backup
