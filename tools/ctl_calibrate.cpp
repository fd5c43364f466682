#include "tools/ctl.h"

#include "printing/PrinterCalibration.h"

#include <QTextStream>

int ctl::runCalibrate(const QStringList &args)
{
    const QString usage = QStringLiteral("用法: waybillctl calibrate --printer NAME [DX DY]");
    QString printer;
    QStringList values;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--printer")) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
                fail(QStringLiteral("--printer 缺少值\n%1").arg(usage));
                return 2;
            }
            printer = args.at(++i);
        } else {
            // Offsets may be negative: anything else is a value, not an option.
            values << arg;
        }
    }
    if (printer.isEmpty() || (values.size() != 0 && values.size() != 2)) {
        fail(usage);
        return 2;
    }
    if (values.isEmpty()) {
        QTextStream(stdout) << printing::calibration::format(printing::calibration::stored(printer)) << '\n';
        return 0;
    }
    printing::PrintOffset offset;
    QString error = printing::calibration::parseMm(values.at(0), QStringLiteral("横向偏移"), offset.dx);
    if (error.isEmpty())
        error = printing::calibration::parseMm(values.at(1), QStringLiteral("纵向偏移"), offset.dy);
    if (error.isEmpty())
        error = printing::calibration::store(printer, offset);
    if (!error.isEmpty()) {
        fail(error);
        return 1;
    }
    return 0;
}
