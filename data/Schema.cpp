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

QString connectionPath()
{
    return QDir(dataFolder()).filePath(QStringLiteral("data.mdb"));
}

void requireColumns(Connection &connection)
{
    const std::pair<QString, QStringList> tables[] = {{QStringLiteral("outrxx"), senderColumns()},
                                                      {QStringLiteral("inrxx"), recipientColumns()}};
    for (const auto &[table, names] : tables) {
        Statement info(connection, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
        QStringList present;
        while (info.step())
            present << info.text(1);
        for (const QString &name : names) {
            if (!present.contains(name))
                throw DbError(QStringLiteral("数据库文件 %1 的表 %2 缺少列“%3”，无法使用")
                                  .arg(QDir::toNativeSeparators(connection.path()), table, name));
        }
    }
}

QStringList senderColumns()
{
    return {QStringLiteral("单位名称"), QStringLiteral("寄件人姓名"), QStringLiteral("寄件地址"),
            QStringLiteral("邮政编码"), QStringLiteral("联系电话"),   QStringLiteral("手机号码"),
            QStringLiteral("签名")};
}

QStringList recipientColumns()
{
    return {QStringLiteral("单位名称"), QStringLiteral("收件人姓名"), QStringLiteral("收件地址"),
            QStringLiteral("邮政编码"), QStringLiteral("联系电话"),   QStringLiteral("手机号码"),
            QStringLiteral("备注")};
}

void createDatabase(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("文件已存在，不会覆盖: %1").arg(QDir::toNativeSeparators(path)));
    sqlite3 *handle = nullptr;
    const QByteArray native = QDir::toNativeSeparators(path).toUtf8();
    int rc =
        sqlite3_open_v2(native.constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        QString text =
            handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int systemErrno = handle ? sqlite3_system_errno(handle) : 0;
        sqlite3_close_v2(handle);
        throw DbError(failures::databaseText(rc, text, path, systemErrno), rc);
    }
    auto columns = [](const QStringList &names) {
        QStringList defs;
        for (const QString &n : names)
            defs << QStringLiteral("\"%1\" TEXT").arg(n);
        return defs.join(QStringLiteral(", "));
    };
    const QString sql = QStringLiteral("PRAGMA key = '%1';"
                                       "PRAGMA journal_mode = DELETE;"
                                       "BEGIN;"
                                       "CREATE TABLE outrxx (%2);"
                                       "CREATE TABLE inrxx (%3);"
                                       "COMMIT;")
                            .arg(QString::fromLatin1(kDatabasePassword), columns(senderColumns()),
                                 columns(recipientColumns()));
    char *err = nullptr;
    rc = sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : sqlite3_errstr(rc));
        const int systemErrno = sqlite3_system_errno(handle);
        sqlite3_free(err);
        sqlite3_close_v2(handle);
        QFile::remove(path);
        throw DbError(failures::databaseText(rc, text, path, systemErrno), rc);
    }
    sqlite3_close_v2(handle);
}

} // namespace db
