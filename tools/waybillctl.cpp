// waybillctl: the companion command-line tool. It creates empty databases, prints waybills,
// keeps the printers' calibration, and exports and imports the address book without opening a
// window.

#include "tools/ctl.h"

#include "data/FailureText.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

namespace {

const char *kUsage = "用法: waybillctl <命令> [参数]\n"
                     "\n"
                     "命令:\n"
                     "  init [DIR]                  在 DIR（默认当前目录）中新建空的 data.mdb\n"
                     "  print --pdf FILE|--printer NAME [--recipient N | --recipients LIST] [--db PATH]\n"
                     "        [--offset DX,DY] [--any-paper] [--test-page]\n"
                     "                              打印快递单：每个收件人一页，或只打印第 N 个收件人，\n"
                     "                              或按表中顺序打印 LIST 中的收件人（如 2,5-9）；\n"
                     "                              --offset 本次按 DX,DY 毫米移动（不用已存的校准值），\n"
                     "                              --any-paper 打印机没有 230 × 126 mm 的纸也照样打印，\n"
                     "                              --test-page 只打印校准页\n"
                     "  calibrate --printer NAME [DX DY]\n"
                     "                              显示或保存打印机的校准偏移（毫米，向右、向下为正，\n"
                     "                              步长 0.1，-30 到 30）\n"
                     "  export FILE [--db PATH]     把全部收件人导出为 .xls 文件 FILE\n"
                     "  import FILE [--db PATH] [--dry-run]\n"
                     "                              从 .xls 或 .csv 文件导入收件人（--dry-run 只显示结果，不写入）\n"
                     "\n"
                     "  --help                      显示本帮助\n";

// Qt's note about a missing runtime folder (usual when run as root from a script) is no concern
// of the tool's users: keep stderr for the tool's own one-line errors.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths:")) || type == QtDebugMsg || type == QtInfoMsg)
        return;
    QTextStream(stderr) << message << '\n';
}

} // namespace

void ctl::fail(const QString &text)
{
    // The same words as the program's boxes: a system message is explained in Chinese.
    QTextStream(stderr) << "waybillctl: " << failures::withoutKey(failures::explain(text)) << '\n';
}

int main(int argc, char **argv)
{
    // Printing needs fonts and a paint engine but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("init"))
        return ctl::runInit(args);
    if (command == QLatin1String("print"))
        return ctl::runPrint(args);
    if (command == QLatin1String("calibrate"))
        return ctl::runCalibrate(args);
    if (command == QLatin1String("export"))
        return ctl::runExport(args);
    if (command == QLatin1String("import"))
        return ctl::runImport(args);
    ctl::fail(QStringLiteral("未知命令: %1（用 --help 查看用法）").arg(command));
    return 2;
}
