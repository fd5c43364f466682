#include "tools/ctl.h"

#include "data/CheckedSaveFile.h"
#include "data/Database.h"
#include "printer/PrinterJob.h"
#include "printing/CalibrationPage.h"
#include "printing/Fonts.h"
#include "printing/RecipientSelection.h"
#include "printing/WaybillReport.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextStream>

#include <optional>

namespace {

const char *kPrintUsage =
    "用法: waybillctl print --pdf FILE|--printer NAME [--recipient N | --recipients LIST]\n"
    "                       [--db PATH] [--test-page] [--offset DX,DY] [--any-paper]";

int usage(const QString &problem)
{
    ctl::fail(QStringLiteral("%1\n%2").arg(problem, QString::fromUtf8(kPrintUsage)));
    return 2;
}

} // namespace

int ctl::runPrint(const QStringList &args)
{
    QString pdf, printerName, dbPath;
    int recipient = 0;
    bool testPage = false, anyPaper = false;
    std::optional<printing::PrintOffset> offset;
    QString recipientList; // --recipients: positions such as 2,5-9, printed at the batch places
    for (int i = 0; i < args.size(); ++i) {
        const QString &option = args.at(i);
        if (option == QLatin1String("--test-page")) {
            testPage = true;
            continue;
        }
        if (option == QLatin1String("--any-paper")) {
            anyPaper = true;
            continue;
        }
        const bool known = option == QLatin1String("--pdf") || option == QLatin1String("--printer") ||
                           option == QLatin1String("--recipient") || option == QLatin1String("--db") ||
                           option == QLatin1String("--offset") || option == QLatin1String("--recipients");
        if (!known)
            return usage(QStringLiteral("未知参数: %1").arg(option));
        if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
            return usage(QStringLiteral("%1 缺少值").arg(option));
        const QString value = args.at(++i);
        if (option == QLatin1String("--pdf"))
            pdf = value;
        else if (option == QLatin1String("--printer"))
            printerName = value;
        else if (option == QLatin1String("--db"))
            dbPath = value;
        else if (option == QLatin1String("--offset")) {
            printing::PrintOffset o;
            const QString error = printing::calibration::parsePair(value, o);
            if (!error.isEmpty())
                return usage(error);
            offset = o;
        } else if (option == QLatin1String("--recipients")) {
            recipientList = value;
        } else {
            bool ok = false;
            recipient = value.toInt(&ok);
            if (!ok || recipient < 1)
                return usage(QStringLiteral("--recipient 需要从 1 开始的序号: %1").arg(value));
        }
    }
    if (pdf.isEmpty() == printerName.isEmpty())
        return usage(QStringLiteral("请给出 --pdf FILE 或 --printer NAME 之一"));
    if (recipient > 0 && !recipientList.isEmpty())
        return usage(QStringLiteral("--recipient 和 --recipients 只能用其中一个"));
    if (testPage && (recipient > 0 || !recipientList.isEmpty() || !dbPath.isEmpty()))
        return usage(
            QStringLiteral("--test-page 不读数据库，不能和 --recipient、--recipients 或 --db 一起用"));
    fonts::installSubstitutions();

    // The printer comes first: a missing printer or the wrong paper is found before anything is read.
    std::optional<QPrinter> printer;
    if (!printerName.isEmpty()) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
        if (info.isNull()) {
            fail(QStringLiteral("找不到打印机: %1").arg(printerName));
            return 1;
        }
        printer.emplace(info, QPrinter::HighResolution);
        printer->setDocName(testPage ? QStringLiteral("EMS快递单校准页") : QStringLiteral("EMS快递单"));
        const printing::PaperCheck paper = printing::preparePrinter(*printer);
        if (!paper.fits && !anyPaper) {
            fail(QStringLiteral("%1；要照样打印请加 --any-paper")
                     .arg(printing::paperMismatchText(printerName, paper)));
            return 1;
        }
        if (!offset)
            offset = printing::calibration::stored(printerName);
    }
    const printing::PrintOffset shift = offset.value_or(printing::PrintOffset{});

    printing::PageList pages;
    db::Connection connection;
    db::Dataset senders, recipients;
    if (testPage) {
        pages =
            printing::calibrationPage(printerName.isEmpty() ? QFileInfo(pdf).fileName() : printerName, shift);
    } else {
        const QString path = dbPath.isEmpty() ? db::connectionPath() : dbPath;
        if (!QFileInfo(path).isFile()) {
            fail(QStringLiteral("找不到数据库文件: %1").arg(QDir::toNativeSeparators(path)));
            return 1;
        }
        try {
            connection.setPath(path);
            connection.open();
            senders.setConnection(&connection);
            senders.setSql(QStringLiteral("select * from outrxx"));
            senders.open();
            recipients.setConnection(&connection);
            recipients.setSql(QStringLiteral("select * from inrxx"));
            recipients.open();
        } catch (const db::DbError &e) {
            fail(QStringLiteral("无法读取数据库 %1: %2").arg(QDir::toNativeSeparators(path), e.message()));
            return 1;
        }
        printing::WaybillReport report(recipient > 0 ? printing::PositionSet::Single
                                                     : printing::PositionSet::Batch);
        report.setSenderDataset(&senders);
        report.setRecipientDataset(&recipients);
        if (recipient > 0) {
            if (recipient > recipients.recordCount()) {
                fail(QStringLiteral("没有第 %1 个收件人（共 %2 个）")
                         .arg(recipient)
                         .arg(recipients.recordCount()));
                return 1;
            }
            recipients.setCurrentRow(recipient - 1);
        } else {
            report.setRecordSource(&recipients);
        }
        if (!recipientList.isEmpty()) {
            const printing::RowChoice choice =
                printing::parsePositionList(recipientList, recipients.recordCount());
            if (!choice.error.isEmpty()) {
                fail(choice.error);
                return 1;
            }
            report.setRecordRows(choice.rows);
        }
        pages = report.generate();
        // The waybills still print; the clerk learns which ones to write by hand.
        for (const QString &line : report.shortenedLines(pages))
            QTextStream(stderr) << "waybillctl: 警告: " << line << '\n';
    }

    if (printer) {
        if (!printing::WaybillReport::render(pages, *printer, 0, -1, 1, {}, shift)) {
            fail(QStringLiteral("打印失败: %1").arg(printerName));
            return 1;
        }
        return 0;
    }

    // Written beside the target and renamed into place only when whole and on disk.
    try {
        files::CheckedSaveFile file(pdf);
        file.create();
        bool rendered;
        {
            QPdfWriter writer(&file);
            writer.setCreator(QStringLiteral("waybill"));
            writer.setTitle(testPage ? QStringLiteral("EMS快递单校准页") : QStringLiteral("EMS快递单"));
            rendered = printing::WaybillReport::render(pages, writer, 0, -1, 1, {}, shift);
        }
        files::commitPdf(file, rendered);
    } catch (const files::FileError &e) {
        fail(e.message());
        return 1;
    }
    return 0;
}
