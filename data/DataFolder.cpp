#include "data/DataFolder.h"

#include "data/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace db {

namespace {
QString &chosenFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString dataFolder()
{
    const QString &folder = chosenFolder();
    return folder.isEmpty() ? QDir::currentPath() : folder;
}

void setDataFolder(const QString &folder)
{
    chosenFolder() = folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/waybill");
}

void createDataFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("无法创建数据文件夹: %1").arg(QDir::toNativeSeparators(folder)));
    const QString path = QDir(folder).filePath(QStringLiteral("data.mdb"));
    if (QFileInfo::exists(path))
        return;
    try {
        createDatabase(path);
    } catch (const DbError &) {
        // Another copy of the program, started at the same moment, may have made it first.
        if (!QFileInfo(path).isFile())
            throw;
    }
}

} // namespace db
