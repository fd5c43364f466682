#include "printing/PrinterCalibration.h"

#include <QRegularExpression>
#include <QSettings>
#include <QUrl>

#include <cmath>

namespace printing::calibration {

namespace {

// The same file for the windows and waybillctl, whatever the application object is called.
QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("waybill"),
                     QStringLiteral("waybill"));
}

// Printer names may hold '/' or '\', which QSettings takes for groups.
QString key(const QString &printer, const char *which)
{
    return QStringLiteral("calibration/%1/%2")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(printer)), QLatin1String(which));
}

bool inRange(Length l)
{
    return std::abs(std::lround(l.tenths())) <= kMaxOffsetTenths;
}

QString mm(Length l)
{
    return QString::number(std::lround(l.tenths()) / 10.0, 'f', 1);
}

} // namespace

QString parseMm(const QString &text, const QString &what, Length &out)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    const QString t = text.trimmed();
    if (!number.match(t).hasMatch())
        return QStringLiteral("%1“%2”不是数字（单位毫米，例如 2.0 或 -1.5）").arg(what, text);
    const double value = t.toDouble();
    const double tenths = value * 10.0;
    if (std::abs(tenths - std::round(tenths)) > 1e-6)
        return QStringLiteral("%1 %2 只能精确到 0.1 毫米").arg(what, t);
    const Length l = Length::fromTenths(std::round(tenths));
    if (!inRange(l))
        return QStringLiteral("%1 %2 毫米超出范围（-30.0 到 30.0 毫米）").arg(what, t);
    out = l;
    return QString();
}

QString parsePair(const QString &text, PrintOffset &out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return QStringLiteral("偏移量“%1”应写成 横向,纵向（毫米），例如 2.0,-1.5").arg(text);
    PrintOffset offset;
    QString error = parseMm(parts.at(0), QStringLiteral("横向偏移"), offset.dx);
    if (error.isEmpty())
        error = parseMm(parts.at(1), QStringLiteral("纵向偏移"), offset.dy);
    if (error.isEmpty())
        out = offset;
    return error;
}

QString format(const PrintOffset &offset)
{
    return QStringLiteral("dx=%1 dy=%2 mm").arg(mm(offset.dx), mm(offset.dy));
}

PrintOffset stored(const QString &printer)
{
    QSettings s = settings();
    bool okX = false, okY = false;
    const int dx = s.value(key(printer, "dx")).toInt(&okX);
    const int dy = s.value(key(printer, "dy")).toInt(&okY);
    if (!okX || !okY || std::abs(dx) > kMaxOffsetTenths || std::abs(dy) > kMaxOffsetTenths)
        return {};
    return {Length::fromTenths(dx), Length::fromTenths(dy)};
}

QString store(const QString &printer, const PrintOffset &offset)
{
    if (!inRange(offset.dx) || !inRange(offset.dy))
        return QStringLiteral("偏移量 %1 超出范围（-30.0 到 30.0 毫米）").arg(format(offset));
    QSettings s = settings();
    if (offset.isNull()) {
        s.remove(key(printer, "dx"));
        s.remove(key(printer, "dy"));
    } else {
        s.setValue(key(printer, "dx"), int(std::lround(offset.dx.tenths())));
        s.setValue(key(printer, "dy"), int(std::lround(offset.dy.tenths())));
    }
    s.sync();
    if (s.status() != QSettings::NoError)
        return QStringLiteral("无法保存校准值到 %1").arg(s.fileName());
    return QString();
}

} // namespace printing::calibration
