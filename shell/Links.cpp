#include "shell/Links.h"

#include "shell/HelpFolder.h"

namespace links {

QUrl homePage()
{
    return QUrl::fromLocalFile(helpFolder() + QStringLiteral("/index.htm"));
}

QUrl helpPage()
{
    return QUrl::fromLocalFile(helpFolder() + QStringLiteral("/help.htm"));
}

QString homePageStatusText()
{
    return QStringLiteral(" ") + homePage().toString();
}

} // namespace links
