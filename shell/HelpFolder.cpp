#include "shell/HelpFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace links {

QString helpFolder()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    if (QFileInfo::exists(bin.filePath(QStringLiteral("index.htm"))))
        return bin.path();
    // WAYBILL_HELP_FROM_BIN: the install's help folder relative to its bin folder.
    return QDir::cleanPath(bin.filePath(QStringLiteral(WAYBILL_HELP_FROM_BIN)));
}

} // namespace links
