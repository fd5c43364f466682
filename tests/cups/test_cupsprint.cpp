// Waybills through a real CUPS: a private cupsd with file: queues for the sample 24-pin driver
// (18 pt hardware margins, custom sizes), the generic PostScript driver (no custom size) and a
// PostScript printer of our own with 18 pt margins and custom sizes. Checks the media CUPS logs
// for each job, where the ink lies on the PostScript queues (the spooled job rendered by
// Ghostscript against our own PDF of the same pages), the calibration offset, and the refusal
// of a printer without waybill paper.

#include "../printing/printfixture.h"
#include "inkshift.h"

#include "printing/CalibrationPage.h"
#include "printing/Fonts.h"
#include "printwindows/PreviewWindow.h"
#include "printwindows/PrinterCalibrationDialog.h"
#include "printwindows/WaybillPrintJob.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

using namespace printing;
using printfixture::Book;

namespace {

constexpr double kDpi = 300;
// One pixel at kDpi, and CUPS rounding the custom paper to whole points (half a point when the
// page is centred on it).
constexpr double kToleranceMm = 0.35;

struct Run
{
    int exitCode;
    QString out, err;
};

Run run(const QString &program, const QStringList &args, int timeoutMs = 120000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString source(const QString &name)
{
    return qEnvironmentVariable("WAYBILL_TESTDATA") + QLatin1Char('/') + name;
}

} // namespace

// Set when no scheduler could be started: ctest then reports the test as skipped.
bool s_skipped = false;

class TestCupsPrint : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    QString m_dir; // the scheduler's folder
    bool m_started = false;

    QString pageLog() const
    {
        QFile f(m_dir + QStringLiteral("/log/page_log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    int pageLogLines() const { return pageLog().split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(); }

    // Waits until no job is pending, then returns the page-log lines written since 'before'.
    QStringList finishedJobs(int before) const
    {
        QDeadlineTimer deadline(120000);
        while (!deadline.hasExpired()) {
            const Run r = run(QStringLiteral("lpstat"), {QStringLiteral("-o")});
            if (r.out.trimmed().isEmpty())
                break;
            QThread::msleep(200);
        }
        // The page log is written as the job ends.
        QStringList lines;
        while (!deadline.hasExpired()) {
            lines = pageLog().split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(before);
            if (!lines.isEmpty())
                break;
            QThread::msleep(200);
        }
        return lines;
    }

    // "margins root 3 [..] total 2 - localhost EMS快递单 Custom.230x126mm one-sided" → media
    static QString media(const QString &line)
    {
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        return parts.size() >= 2 ? parts.at(parts.size() - 2) : QString();
    }
    static int pagesOf(const QString &line)
    {
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const int at = parts.indexOf(QStringLiteral("total"));
        return at >= 0 && at + 1 < parts.size() ? parts.at(at + 1).toInt() : -1;
    }

    QString output(const QString &queue) const { return m_dir + QStringLiteral("/out/%1.prn").arg(queue); }

    // Renders page of a PDF or PostScript file to a picture at kDpi.
    QImage picture(const QString &file, int page) const
    {
        QString pdf = file;
        if (!file.endsWith(QLatin1String(".pdf"))) {
            pdf = m_tmp.filePath(QStringLiteral("spooled.pdf"));
            QFile::remove(pdf);
            const Run r = run(QStringLiteral("ps2pdf"), {file, pdf});
            if (r.exitCode != 0)
                return QImage();
        }
        const QString stem = m_tmp.filePath(QStringLiteral("page"));
        QFile::remove(stem + QStringLiteral(".pgm"));
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
             QStringLiteral("-singlefile"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
             QString::number(page), pdf, stem});
        return QImage(stem + QStringLiteral(".pgm"));
    }

    // Where the ink of page lies in the printed file against the same page in our PDF.
    inkshift::Shift shift(const QString &printed, const QString &referencePdf, int page) const
    {
        const QImage ref = picture(referencePdf, page);
        const QImage out = picture(printed, page);
        if (ref.isNull() || out.isNull())
            return {QPointF(999, 999), 0};
        return inkshift::findShift(ref, out, kDpi);
    }

    static void writePdf(const PageList &pages, const QString &path)
    {
        QPdfWriter writer(path);
        QVERIFY(WaybillReport::render(pages, writer));
    }

    static void compareShift(const inkshift::Shift &s, double dx, double dy)
    {
        QVERIFY2(s.match > 0.5, qPrintable(QStringLiteral("ink does not match: %1").arg(s.match)));
        QVERIFY2(qAbs(s.mm.x() - dx) <= kToleranceMm && qAbs(s.mm.y() - dy) <= kToleranceMm,
                 qPrintable(QStringLiteral("ink moved by %1, %2 mm; expected %3, %4 mm")
                                .arg(s.mm.x())
                                .arg(s.mm.y())
                                .arg(dx)
                                .arg(dy)));
    }

    static Run ctl(const QStringList &args) { return run(qEnvironmentVariable("WAYBILLCTL"), args); }

    void stopScheduler()
    {
        if (m_started)
            run(QStringLiteral("bash"), {source(QStringLiteral("cupsd.sh")), QStringLiteral("stop"), m_dir});
        m_started = false;
    }

public:
    // Also when a failed set-up skipped cleanupTestCase.
    ~TestCupsPrint() override { stopScheduler(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        // The lp user runs the filters: it must reach the scheduler's folder.
        QFile::setPermissions(m_tmp.path(), QFile::permissions(m_tmp.path()) | QFileDevice::ReadOther |
                                                QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                                QFileDevice::ExeGroup);
        m_dir = m_tmp.filePath(QStringLiteral("cups"));
        const Run started =
            run(QStringLiteral("bash"), {source(QStringLiteral("cupsd.sh")), QStringLiteral("start"), m_dir});
        if (started.exitCode == 77) {
            s_skipped = true;
            QSKIP(qPrintable(started.err.trimmed()));
        }
        QVERIFY2(started.exitCode == 0, qPrintable(started.err));
        m_started = true;
        qputenv("CUPS_SERVER", started.out.trimmed().toLocal8Bit());
        const QString out = m_dir + QStringLiteral("/out/");
        const QList<QStringList> queues = {
            {QStringLiteral("epson24"), QStringLiteral("-m"),
             QStringLiteral("drv:///sample.drv/epson24.ppd")},
            {QStringLiteral("generic"), QStringLiteral("-m"),
             QStringLiteral("drv:///sample.drv/generic.ppd")},
            {QStringLiteral("margins"), QStringLiteral("-P"), source(QStringLiteral("margins.ppd"))},
        };
        for (const QStringList &q : queues) {
            const Run r = run(QStringLiteral("lpadmin"),
                              {QStringLiteral("-p"), q[0], QStringLiteral("-E"), QStringLiteral("-v"),
                               QStringLiteral("file://%1%2.prn").arg(out, q[0]), q[1], q[2]});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        }
        // The calibration of this run only, for the engine and for waybillctl.
        const QString config = m_tmp.filePath(QStringLiteral("config"));
        QDir().mkpath(config);
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
        fonts::installSubstitutions();
    }

    void cleanupTestCase() { stopScheduler(); }

    void cleanup()
    {
        WaybillPrintJob::setPrintDialogHook({});
        messages::setConfirmRecorder({});
        calibration::store(QStringLiteral("margins"), {});
        calibration::store(QStringLiteral("epson24"), {});
    }

    // The preview's 打 印 on the queues with custom sizes: the job asks for the waybill paper and
    // every field lands at its place on the paper, moved by the printer's calibration.
    void previewPrintLandsOnThePaper_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::newRow("margin PostScript") << QStringLiteral("margins") << 0.0 << 0.0;
        QTest::newRow("margin PostScript, calibrated") << QStringLiteral("margins") << 2.0 << -1.5;
        QTest::newRow("24-pin") << QStringLiteral("epson24") << 0.0 << 0.0;
    }

    void previewPrintLandsOnThePaper()
    {
        QFETCH(QString, queue);
        QFETCH(double, dx);
        QFETCH(double, dy);
        QVERIFY(calibration::store(queue, {Length::fromMm(dx), Length::fromMm(dy)}).isEmpty());
        Book book(3);
        WaybillPrintJob report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        WaybillPrintJob::setPrintDialogHook([&](QPrinter &printer, QWidget *) {
            printer.setPrinterName(queue);
            return true;
        });
        QStringList asked;
        messages::setConfirmRecorder([&](QWidget *, const QString &text) {
            asked << text;
            return false;
        });
        QVERIFY(report.printerSetup(nullptr));
        const int before = pageLogLines();
        QVERIFY(report.print(nullptr));
        QCOMPARE(asked, QStringList()); // the paper fits, every address fits
        const QStringList jobs = finishedJobs(before);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(media(jobs.first()), QStringLiteral("Custom.230x126mm"));
        QCOMPARE(pagesOf(jobs.first()), 3);

        const QString reference = m_tmp.filePath(QStringLiteral("reference.pdf"));
        writePdf(report.generate(), reference);
        if (queue == QLatin1String("epson24")) {
            // The driver's output is dot-matrix raster; what Qt handed to CUPS is kept in the
            // spool folder as the job's document: its fields must not be moved by the margins.
            QDir spool(m_dir + QStringLiteral("/spool"));
            const QStringList docs = spool.entryList({QStringLiteral("d*-001")}, QDir::Files, QDir::Time);
            QVERIFY(!docs.isEmpty());
            compareShift(shift(spool.filePath(docs.first()), reference, 1), 0, 0);
            QVERIFY(QFileInfo(output(queue)).size() > 1000);
            return;
        }
        for (int page = 1; page <= 3; page += 2)
            compareShift(shift(output(queue), reference, page), dx, dy);
    }

    void waybillctlPrintLandsOnThePaper_data()
    {
        QTest::addColumn<QStringList>("stored"); // calibrate arguments, or none
        QTest::addColumn<QStringList>("extra");  // print arguments
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::newRow("no calibration") << QStringList() << QStringList() << 0.0 << 0.0;
        QTest::newRow("stored calibration")
            << QStringList{QStringLiteral("2.0"), QStringLiteral("-1.5")} << QStringList() << 2.0 << -1.5;
        QTest::newRow("--offset over the stored one")
            << QStringList{QStringLiteral("2.0"), QStringLiteral("-1.5")}
            << QStringList{QStringLiteral("--offset"), QStringLiteral("-1.0,0.5")} << -1.0 << 0.5;
    }

    void waybillctlPrintLandsOnThePaper()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, extra);
        QFETCH(double, dx);
        QFETCH(double, dy);
        Book book(2);
        if (!stored.isEmpty()) {
            QCOMPARE(ctl(QStringList{QStringLiteral("calibrate"), QStringLiteral("--printer"),
                                     QStringLiteral("margins")} +
                         stored)
                         .exitCode,
                     0);
        }
        const int before = pageLogLines();
        const Run r =
            ctl(QStringList{QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("margins")} +
                extra);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList jobs = finishedJobs(before);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(media(jobs.first()), QStringLiteral("Custom.230x126mm"));
        QCOMPARE(pagesOf(jobs.first()), 2);
        const QString reference = m_tmp.filePath(QStringLiteral("ctl.pdf"));
        QFile::remove(reference);
        QCOMPARE(ctl({QStringLiteral("print"), QStringLiteral("--pdf"), reference}).exitCode, 0);
        compareShift(shift(output(QStringLiteral("margins")), reference, 2), dx, dy);
    }

    void testPageOnTheMarginQueue()
    {
        QVERIFY(calibration::store(QStringLiteral("margins"), {Length::fromMm(1.0), Length::fromMm(0.5)})
                    .isEmpty());
        const int before = pageLogLines();
        const Run r = ctl({QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("margins"),
                           QStringLiteral("--test-page")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList jobs = finishedJobs(before);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(media(jobs.first()), QStringLiteral("Custom.230x126mm"));
        QCOMPARE(pagesOf(jobs.first()), 1);
        // The same page drawn by the engine without the offset: the ink lies that far away.
        const QString reference = m_tmp.filePath(QStringLiteral("testpage.pdf"));
        writePdf(calibrationPage(QStringLiteral("margins"), {Length::fromMm(1.0), Length::fromMm(0.5)}),
                 reference);
        compareShift(shift(output(QStringLiteral("margins")), reference, 1), 1.0, 0.5);
    }

    // The print windows' calibration dialog: its offsets are stored for the chosen printer and
    // move its calibration page on the paper.
    void calibrationDialogPrintsAndStores()
    {
        PrinterCalibrationDialog dialog(QStringLiteral("margins"), nullptr);
        QCOMPARE(dialog.printerBox->currentText(), QStringLiteral("margins"));
        QVERIFY(dialog.printerBox->findText(QStringLiteral("epson24")) >= 0);
        dialog.dxBox->setValue(2.0);
        dialog.dyBox->setValue(-1.5);
        const int before = pageLogLines();
        QTest::mouseClick(dialog.testPageButton, Qt::LeftButton);
        const QStringList jobs = finishedJobs(before);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(media(jobs.first()), QStringLiteral("Custom.230x126mm"));
        const QString reference = m_tmp.filePath(QStringLiteral("dialogpage.pdf"));
        writePdf(calibrationPage(QStringLiteral("margins"), {Length::fromMm(2.0), Length::fromMm(-1.5)}),
                 reference);
        compareShift(shift(output(QStringLiteral("margins")), reference, 1), 2.0, -1.5);
        QVERIFY(calibration::stored(QStringLiteral("margins")).isNull()); // printing does not store
        QTest::mouseClick(dialog.saveButton, Qt::LeftButton);
        QCOMPARE(calibration::format(calibration::stored(QStringLiteral("margins"))),
                 QStringLiteral("dx=2.0 dy=-1.5 mm"));
        dialog.printerBox->setCurrentText(QStringLiteral("epson24"));
        QCOMPARE(dialog.dxBox->value(), 0.0); // that printer's own offset
    }

    // The generic PostScript driver has no 230 x 126 mm paper: nothing goes out unasked.
    void printerWithoutWaybillPaper()
    {
        Book book(2);
        int before = pageLogLines();
        Run r = ctl({QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("generic")});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(QStringLiteral("generic")) &&
                     lines.first().contains(QStringLiteral("230 × 126 mm")) &&
                     (lines.first().contains(QStringLiteral("A4")) ||
                      lines.first().contains(QStringLiteral("Letter"))),
                 qPrintable(lines.first()));

        // The preview's 打 印 asks; stopping sends nothing.
        WaybillPrintJob report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        WaybillPrintJob::setPrintDialogHook([](QPrinter &printer, QWidget *) {
            printer.setPrinterName(QStringLiteral("generic"));
            return true;
        });
        QStringList asked;
        messages::setConfirmRecorder([&](QWidget *, const QString &text) {
            asked << text;
            return false;
        });
        QVERIFY(report.printerSetup(nullptr));
        QVERIFY(!report.print(nullptr));
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked.first().contains(QStringLiteral("generic")) &&
                     asked.first().contains(QStringLiteral("230 × 126 mm")),
                 qPrintable(asked.first()));
        QThread::msleep(500);
        QCOMPARE(run(QStringLiteral("lpstat"), {QStringLiteral("-o")}).out.trimmed(), QString());
        QCOMPARE(pageLogLines(), before);

        // Allowed explicitly, it prints on the driver's own paper.
        r = ctl({QStringLiteral("print"), QStringLiteral("--printer"), QStringLiteral("generic"),
                 QStringLiteral("--any-paper")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList jobs = finishedJobs(before);
        QCOMPARE(jobs.size(), 1);
        // The paper named in the refusal is the paper that printed.
        const QString logged = media(jobs.first());
        QVERIFY2(logged == QLatin1String("A4") || logged == QLatin1String("Letter"),
                 qPrintable(jobs.first()));
        QVERIFY2(lines.first().contains(logged == QLatin1String("A4")
                                            ? QStringLiteral("A4（210.0 × 297.0 mm）")
                                            : QStringLiteral("Letter")),
                 qPrintable(lines.first() + QLatin1Char('\n') + jobs.first()));
        QVERIFY2(asked.first().contains(logged), qPrintable(asked.first()));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestCupsPrint test;
    const int failed = QTest::qExec(&test, argc, argv);
    return failed == 0 && s_skipped ? 77 : failed;
}
#include "test_cupsprint.moc"
