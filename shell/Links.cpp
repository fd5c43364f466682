#include "shell/Links.h"

#include <QCoreApplication>

namespace links {

QUrl homePage()
{
    return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/index.htm"));
}

QUrl helpPage()
{
    return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/help.htm"));
}

QString homePageStatusText()
{
    return QStringLiteral(" ") + homePage().toString();
}

} // namespace links
