#include "data/FailureText.h"

#include "data/Database.h"

#include <QDir>
#include <QFileDevice>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

namespace failures {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

struct Cause
{
    int errnoValue;
    const char *what;
    const char *todo;
};

// The system failures a clerk meets with files, with what to do about each.
const Cause kCauses[] = {
    {ENOSPC, "磁盘已满", "请清理磁盘空间，或换一个有空余空间的位置后重试。"},
    {EDQUOT, "磁盘配额已用完", "请清理文件，或换一个位置后重试。"},
    {EROFS, "磁盘是只读的", "请换一个可以写入的位置（例如自己的文档文件夹）后重试。"},
    {EACCES, "没有权限", "请换一个有权限的位置，或请管理员给予读写权限后重试。"},
    {EPERM, "没有权限", "请换一个有权限的位置，或请管理员给予读写权限后重试。"},
    {ENOENT, "找不到文件或文件夹", "请检查文件名和文件夹是否存在后重试。"},
    {ENOTDIR, "路径中有一部分不是文件夹", "请检查文件名后重试。"},
    {EISDIR, "这是一个文件夹，不是文件", "请选择或输入一个文件名。"},
    {EIO, "读写磁盘时出错（输入/输出错误）", "请检查磁盘或U盘是否插好、是否损坏，然后重试。"},
    {EBUSY, "文件正被其他程序使用", "请关闭正在使用它的程序后重试。"},
    {ETXTBSY, "文件正被其他程序使用", "请关闭正在使用它的程序后重试。"},
    {ENAMETOOLONG, "文件名太长", "请换一个短一些的名字后重试。"},
    {EFBIG, "文件太大", "请换一个位置后重试。"},
    {EMFILE, "打开的文件太多", "请关闭一些程序后重试。"},
};

const Cause *causeOf(int errnoValue)
{
    for (const Cause &c : kCauses)
        if (c.errnoValue == errnoValue)
            return &c;
    return nullptr;
}

// The cause whose system message the text contains, with where that message starts.
const Cause *causeIn(const QString &text, int *at)
{
    for (const Cause &c : kCauses) {
        const QString message = QString::fromLocal8Bit(std::strerror(c.errnoValue));
        const int i = text.indexOf(message, 0, Qt::CaseInsensitive);
        if (!message.isEmpty() && i >= 0) {
            if (at)
                *at = i;
            return &c;
        }
    }
    return nullptr;
}

bool folderWritable(const QString &path)
{
    return QFileInfo(QFileInfo(path).absolutePath()).isWritable();
}

QString bracket(const QString &systemText)
{
    return systemText.isEmpty() ? QString() : QStringLiteral("（%1）").arg(systemText);
}

} // namespace

QString withoutKey(QString text)
{
    return text.replace(QLatin1String(db::kDatabasePassword), QLatin1String("******"));
}

QString databaseText(int code, const QString &systemText, const QString &path, int systemErrno)
{
    const QString file = native(path);
    const QString folder = native(QFileInfo(path).absolutePath());
    const QString readOnlyFolder =
        QStringLiteral("数据文件 %1 所在的文件夹 %2 是只读的，软件无法保存修改（保存时要在同一文件夹中建立临时文件）。"
                       "请管理员给予该文件夹写入权限，或把 data.mdb 放到可以写入的文件夹中。")
            .arg(file, folder);
    QString text;
    switch (code & 0xff) {
    case SQLITE_CANTOPEN:
        if (!QFileInfo::exists(path))
            text = QStringLiteral("找不到数据文件 %1。请从放着 data.mdb 的文件夹启动软件，或从备份恢复数据。").arg(file);
        else if (!QFileInfo(path).isReadable())
            text = QStringLiteral("没有权限打开数据文件 %1。请管理员给予该文件读写权限后重试。").arg(file);
        else if (!folderWritable(path))
            text = readOnlyFolder;
        else
            text = QStringLiteral("无法打开数据文件 %1。请检查文件和所在文件夹的权限后重试。").arg(file);
        break;
    case SQLITE_NOTADB:
        text = QStringLiteral("数据文件 %1 密码不对，或者它不是本软件的数据文件。请确认它是本软件的 data.mdb，或从备份恢复数据。")
                   .arg(file);
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        text = QStringLiteral("数据文件 %1 正被其他程序使用，暂时无法读写。请关闭正在使用它的程序（例如另一个打开着的本软件）后重试。")
                   .arg(file);
        break;
    case SQLITE_READONLY:
        if (!folderWritable(path))
            text = readOnlyFolder;
        else
            text = QStringLiteral("数据文件 %1 是只读的，无法保存修改。请去掉文件的只读属性，或请管理员给予写入权限后重试。")
                       .arg(file);
        break;
    case SQLITE_FULL:
        text = QStringLiteral("磁盘已满，无法写入数据文件 %1。请清理磁盘空间后重试。").arg(file);
        break;
    case SQLITE_CORRUPT:
        text = QStringLiteral("数据文件 %1 已损坏。请从备份恢复数据。").arg(file);
        break;
    case SQLITE_IOERR:
        if (systemErrno == ENOSPC || systemErrno == EDQUOT)
            text = QStringLiteral("磁盘已满，无法写入数据文件 %1。请清理磁盘空间后重试。").arg(file);
        else
            text = QStringLiteral("读写数据文件 %1 时出错（输入/输出错误）。请检查磁盘（或U盘、网络盘）是否正常后重试。").arg(file);
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        text = QStringLiteral("没有权限访问数据文件 %1。请管理员给予读写权限后重试。").arg(file);
        break;
    case SQLITE_NOMEM:
        text = QStringLiteral("内存不足，无法处理数据文件 %1。请关闭一些程序后重试。").arg(file);
        break;
    default:
        text = QStringLiteral("处理数据文件 %1 时出错。请重试；如果一直出错，请联系技术支持。").arg(file);
        break;
    }
    return withoutKey(text + bracket(systemText));
}

QString fileText(const QString &action, const QString &path, int errnoValue, const QString &systemText)
{
    const Cause *cause = errnoValue ? causeOf(errnoValue) : causeIn(systemText, nullptr);
    const QString head = QStringLiteral("无法%1 %2").arg(action, native(path));
    if (!cause)
        return QStringLiteral("%1。请检查文件名、所在文件夹和磁盘后重试。%2").arg(head, bracket(systemText));
    return QStringLiteral("%1：%2。%3%4")
        .arg(head, QString::fromUtf8(cause->what), QString::fromUtf8(cause->todo), bracket(systemText));
}

QString fileText(const QString &action, const QFileDevice &file)
{
    return fileText(action, file.fileName(), 0, file.errorString());
}

QString writeText(const QString &action, const QString &path, const QString &writerText)
{
    if (causeIn(writerText, nullptr))
        return explain(writerText);
    const QFileInfo folder(QFileInfo(path).absolutePath());
    int cause = 0;
    if (!folder.isDir())
        cause = ENOENT;
    else if (!folder.isWritable() || (QFileInfo::exists(path) && !QFileInfo(path).isWritable()))
        cause = EACCES;
    else if (const QStorageInfo disk(folder.absoluteFilePath()); disk.isValid() && disk.bytesAvailable() < 1024 * 1024)
        cause = ENOSPC;
    if (cause)
        return fileText(action, path, cause, writerText);
    const QString explained = explain(writerText);
    if (explained.contains(native(path)))
        return explained;
    return QStringLiteral("无法%1 %2：%3").arg(action, native(path), explained.isEmpty() ? QStringLiteral("原因不明。请检查保存位置和磁盘后重试。") : explained);
}

QString pdfText(const QString &path)
{
    return writeText(QStringLiteral("写入 PDF 文件"), path, QString());
}

QString withReason(const QString &headline, const QString &reason)
{
    return reason.isEmpty() ? headline : headline + QLatin1Char('\n') + reason;
}

QString explain(const QString &text)
{
    int at = -1;
    const Cause *cause = causeIn(text, &at);
    if (!cause) {
        // Qt's text when the system gave no reason (in English or from Qt's Chinese translation).
        for (const char *unknown : {"Unknown error", "未知错误"}) {
            const int i = text.indexOf(QString::fromUtf8(unknown));
            if (i < 0)
                continue;
            QString head = text.left(i).trimmed();
            while (head.endsWith(QLatin1Char(':')) || head.endsWith(QChar(0xFF1A)))
                head.chop(1);
            return QStringLiteral("%1：系统没有说明原因，常见的是磁盘已满或U盘被拔出。请检查磁盘空间和保存位置后重试。%2")
                .arg(head, bracket(text.mid(i).trimmed()));
        }
        return text;
    }
    // Already explained: the system text stands in brackets behind our own words.
    if (at > 0 && text.at(at - 1) == QChar(0xFF08))
        return text;
    QString head = text.left(at).trimmed();
    while (head.endsWith(QLatin1Char(':')) || head.endsWith(QChar(0xFF1A)))
        head.chop(1);
    return QStringLiteral("%1：%2。%3%4")
        .arg(head, QString::fromUtf8(cause->what), QString::fromUtf8(cause->todo), bracket(text.mid(at).trimmed()));
}

} // namespace failures
