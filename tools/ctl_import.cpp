#include "tools/ctl.h"

#include "data/Database.h"
#include "import/RecipientImport.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int ctl::runImport(const QStringList &args)
{
    const QString usage = QStringLiteral("用法: waybillctl import FILE [--db PATH] [--dry-run]");
    QString file, database = db::connectionPath();
    bool dryRun = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--db") && i + 1 < args.size() && !args.at(i + 1).isEmpty()) {
            database = args.at(++i);
        } else if (arg == QLatin1String("--dry-run")) {
            dryRun = true;
        } else if (arg.startsWith(QLatin1Char('-')) || !file.isEmpty()) {
            fail(usage);
            return 2;
        } else {
            file = arg;
        }
    }
    if (file.isEmpty()) {
        fail(usage);
        return 2;
    }
    if (!QFileInfo(database).isFile()) {
        fail(QStringLiteral("找不到数据库文件: %1").arg(QDir::toNativeSeparators(database)));
        return 1;
    }

    db::Connection connection;
    connection.setPath(database);
    RecipientImport import;
    import.prepare(file, connection);

    QTextStream out(stdout);
    auto listSkipped = [&] {
        if (!import.invalidRows().empty())
            out << "有错误的行（未导入）：\n";
        for (const RecipientImport::SkippedRow &row : import.invalidRows())
            out << "  " << row.where << "：" << row.reason << '\n';
        if (!import.duplicateRows().empty())
            out << "重复的行（未导入）：\n";
        for (const RecipientImport::SkippedRow &row : import.duplicateRows())
            out << "  " << row.where << "：" << row.reason << '\n';
        for (const QString &sheet : import.ignoredSheets())
            out << "  工作表“" << sheet << "”：没有收件人的列名行，未读取\n";
    };
    if (!import.error().isEmpty()) {
        if (!import.invalidRows().empty() || !import.duplicateRows().empty()) {
            out << import.summary() << '\n';
            listSkipped();
            out.flush();
        }
        fail(QStringLiteral("没有导入任何收件人：%1").arg(import.error()));
        return 1;
    }
    out << import.summary() << '\n';
    listSkipped();
    if (dryRun) {
        out << "试运行：通讯录未改动。\n";
        return 0;
    }
    out.flush();
    if (import.commit(connection) != RecipientImport::Outcome::Added) {
        fail(QStringLiteral("导入失败，通讯录未改动：%1").arg(import.failure()));
        return 1;
    }
    out << "已导入 " << import.rowsToAdd().size() << " 个收件人。\n";
    return 0;
}
