#include "tools/ctl.h"

int ctl::runExport(const QStringList &)
{
    fail(QStringLiteral("export: 尚未提供"));
    return 1;
}
