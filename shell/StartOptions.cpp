#include "shell/StartOptions.h"

StartOptions StartOptions::parse(const QStringList &args)
{
    StartOptions o;
    for (int i = 0; i < args.size() && o.error.isEmpty(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--version")) {
            o.version = true;
        } else if (a == QLatin1String("--user-data")) {
            o.userData = true;
        } else if (a == QLatin1String("--data-dir") || a.startsWith(QLatin1String("--data-dir="))) {
            const bool inline_ = a.contains(QLatin1Char('='));
            if (!inline_ && i + 1 >= args.size()) {
                o.error = QStringLiteral("--data-dir 后面缺少文件夹");
                break;
            }
            o.dataFolder = inline_ ? a.mid(a.indexOf(QLatin1Char('=')) + 1) : args.at(++i);
            if (o.dataFolder.isEmpty())
                o.error = QStringLiteral("--data-dir 后面缺少文件夹");
        } else {
            o.error = QStringLiteral("未知参数: %1").arg(a);
        }
    }
    if (o.error.isEmpty() && o.userData && !o.dataFolder.isEmpty())
        o.error = QStringLiteral("--user-data 与 --data-dir 只能用一个");
    return o;
}

QString StartOptions::usage()
{
    return QStringLiteral(
        "用法: waybill [--user-data | --data-dir DIR]\n"
        "\n"
        "朴桥EMS快递单打印软件。全部数据保存在一个 data.mdb 文件中；备份与恢复也针对这个文件。\n"
        "\n"
        "  （无参数）           使用当前文件夹中的 data.mdb\n"
        "  --user-data          使用用户自己的数据文件夹 $XDG_DATA_HOME/waybill\n"
        "                       （通常是 ~/.local/share/waybill）；第一次启动时新建该文件夹\n"
        "                       和空的 data.mdb。桌面菜单中的快捷方式就这样启动本软件。\n"
        "  --data-dir DIR       使用文件夹 DIR 中的 data.mdb（可用 waybillctl init DIR 新建）\n"
        "  --version            显示版本\n"
        "  -h, --help           显示本帮助\n");
}
