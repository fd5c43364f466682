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

QString helpHint()
{
    return QStringLiteral(" 需要帮助？点击“帮助主题”→“使用帮助”");
}

} // namespace links
