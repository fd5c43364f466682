#include "tools/ctl.h"

#include "addressbook/RecipientExport.h"
#include "data/Database.h"
#include "data/FailureText.h"

int ctl::runExport(const QStringList &args)
{
    const QString usage = QStringLiteral("用法: waybillctl export FILE [--db PATH]");
    QString file, database = db::connectionPath();
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--db") && i + 1 < args.size()) {
            database = args.at(++i);
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

    db::Connection connection;
    connection.setPath(database);
    db::Dataset recipients;
    recipients.setConnection(&connection);
    recipients.setSql(QStringLiteral("select * from inrxx"));
    try {
        recipients.open();
    } catch (const db::DbError &e) {
        fail(e.message());
        return 1;
    }
    const QString error = exportDataset(recipients, file);
    if (!error.isEmpty()) {
        fail(failures::writeText(QStringLiteral("写入导出文件"), file, error));
        return 1;
    }
    return 0;
}
