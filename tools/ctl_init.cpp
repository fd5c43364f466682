#include "tools/ctl.h"

#include "data/Database.h"

#include <QDir>
#include <QFileInfo>

int ctl::runInit(const QStringList &args)
{
    if (args.size() > 1 || (args.size() == 1 && args.first().startsWith(QLatin1Char('-')))) {
        fail(QStringLiteral("用法: waybillctl init [DIR]"));
        return 2;
    }
    const QString dir = args.isEmpty() ? QDir::currentPath() : args.first();
    if (!QFileInfo(dir).isDir()) {
        fail(QStringLiteral("目录不存在: %1").arg(dir));
        return 1;
    }
    const QString path = QDir(dir).absoluteFilePath(QStringLiteral("data.mdb"));
    try {
        db::createDatabase(path);
    } catch (const db::DbError &e) {
        fail(e.message());
        return 1;
    }
    return 0;
}
