#include "data/DatabaseFiles.h"

#include "data/CheckedSaveFile.h"
#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <system_error>

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

CopyError copyError(const files::FileError &e)
{
    return CopyError(e.message(), e.path(), e.code(), e.systemText());
}

void writeBlock(files::CheckedSaveFile &out, qint64 offset, const char *data, qint64 size,
                const DatabaseFiles::WriteHook &hook)
{
    if (hook && !hook(offset, size))
        throw CopyError(QStringLiteral("写入 %1 失败").arg(native(out.target())), out.target());
    if (out.write(data, size) != size)
        out.sync(); // throws the failed write with its reason
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

    try {
        files::CheckedSaveFile out(target);
        out.create();
        QByteArray block(int(kBlockSize), Qt::Uninitialized);
        for (sqlite3_int64 offset = 0; offset < size; offset += kBlockSize) {
            const int n = int(qMin<sqlite3_int64>(kBlockSize, size - offset));
            if (file->pMethods->xRead(file, block.data(), n, offset) != SQLITE_OK)
                throw CopyError(QStringLiteral("读取数据库文件失败: %1").arg(native(source)), source);
            writeBlock(out, offset, block.constData(), n, m_writeHook);
        }
        connection.close();
        out.commit();
    } catch (const files::FileError &e) {
        throw copyError(e);
    }
}

void DatabaseFiles::checkDatabase(const QString &path)
{
    try {
        db::Connection connection;
        connection.setPath(path);
        connection.open(); // checks the password, both tables and all their named columns
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
        throw CopyError(QStringLiteral("无法读取 %1: %2").arg(native(source), in.errorString()), source,
                        int(in.error()), in.errorString());
    try {
        // Written beside data.mdb; removed again unless it becomes data.mdb.
        files::CheckedSaveFile temp(target);
        temp.create();
        qint64 offset = 0;
        while (!in.atEnd()) {
            const QByteArray block = in.read(kBlockSize);
            if (block.isEmpty())
                throw CopyError(QStringLiteral("读取 %1 失败: %2").arg(native(source), in.errorString()),
                                source, int(in.error()), in.errorString());
            writeBlock(temp, offset, block.constData(), block.size(), m_writeHook);
            offset += block.size();
        }
        temp.sync();
        in.close();

        // The copy itself is checked, so what becomes data.mdb is exactly what passed.
        checkDatabase(temp.temporaryPath());

        const std::unique_ptr<db::Connection> lock = lockForReplacing(target);
        if (beforeReplace)
            beforeReplace();
        temp.commit();
    } catch (const files::FileError &e) {
        throw copyError(e);
    }
    // A journal still beside the name belonged to the replaced file.
    QFile::remove(target + QStringLiteral("-journal"));
}

} // namespace backup
