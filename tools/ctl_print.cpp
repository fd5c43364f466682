#include "tools/ctl.h"

int ctl::runPrint(const QStringList &)
{
    fail(QStringLiteral("print: 尚未提供"));
    return 1;
}
