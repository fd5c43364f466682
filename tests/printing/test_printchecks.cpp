// What is decided before a page goes to a printer: whether the paper is the waybill form,
// the printers' calibration offsets and their storage, which addresses had to be shortened,
// and the calibration page that lies over the form's lines.

#include "printfixture.h"

#include "printing/CalibrationPage.h"
#include "printing/Fonts.h"
#include "printing/PagePainter.h"
#include "printing/PaperCheck.h"
#include "printing/PrinterCalibration.h"
#include "printing/WaybillReport.h"
#include "resources/FormBoxes.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSettings>
#include <QtTest>

using namespace printing;

class TestPrintChecks : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    static QPageLayout layoutOf(const QPageSize &size, QPageLayout::Orientation o = QPageLayout::Portrait)
    {
        return QPageLayout(size, o, QMarginsF());
    }
    static QPageSize mm(double w, double h)
    {
        return QPageSize(QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    }

private slots:
    void initTestCase()
    {
        fonts::installSubstitutions();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }

    void paperCheck_data()
    {
        QTest::addColumn<QPageLayout>("layout");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<QString>("paper");
        QTest::newRow("the waybill") << WaybillReport::pageLayout() << true
                                     << QStringLiteral("230.0 × 126.0 mm");
        QTest::newRow("whole points, as Qt keeps it")
            << layoutOf(QPageSize(QSize(652, 357), QString(), QPageSize::ExactMatch)) << true
            << QStringLiteral("230.0 × 125.9 mm");
        QTest::newRow("half a millimetre off")
            << layoutOf(mm(230.5, 125.5)) << true << QStringLiteral("230.5 × 125.5 mm");
        QTest::newRow("a millimetre off")
            << layoutOf(mm(231, 126)) << false << QStringLiteral("231.0 × 126.0 mm");
        QTest::newRow("A4") << layoutOf(QPageSize(QPageSize::A4)) << false
                            << QStringLiteral("A4（210.0 × 297.0 mm）");
        QTest::newRow("US Letter") << layoutOf(QPageSize(QPageSize::Letter)) << false
                                   << QStringLiteral("Letter / ANSI A（215.9 × 279.4 mm）");
        QTest::newRow("turned a quarter")
            << layoutOf(mm(230, 126), QPageLayout::Landscape) << false << QStringLiteral("126.0 × 230.0 mm");
    }

    void paperCheck()
    {
        QFETCH(QPageLayout, layout);
        QFETCH(bool, fits);
        QFETCH(QString, paper);
        const PaperCheck check = checkPaper(layout);
        QCOMPARE(check.fits, fits);
        QCOMPARE(check.paper, paper);
        QCOMPARE(paperMismatchText(QStringLiteral("EPSON LQ"), check),
                 QStringLiteral("打印机 EPSON LQ 的纸是 %1，不是快递单的 230 × 126 mm").arg(paper));
    }

    void driverOffersPaper_data()
    {
        QTest::addColumn<QList<QPageSize>>("sizes");
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QPageSize>("minimum");
        QTest::addColumn<QPageSize>("maximum");
        QTest::addColumn<bool>("offers");
        const QList<QPageSize> office{QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter)};
        QTest::newRow("standard sizes only") << office << false << QPageSize() << QPageSize() << false;
        QTest::newRow("its own waybill size, upright")
            << (office + QList<QPageSize>{mm(126, 230)}) << false << QPageSize() << QPageSize() << true;
        QTest::newRow("custom sizes, 24-pin range")
            << office << true << QPageSize(QSize(36, 36), QString(), QPageSize::ExactMatch)
            << QPageSize(QSize(1080, 86400), QString(), QPageSize::ExactMatch) << true;
        QTest::newRow("custom sizes, no range named") << office << true << QPageSize() << QPageSize() << true;
        QTest::newRow("custom sizes, too narrow a range")
            << office << true << mm(50, 50) << mm(100, 1000) << false;
    }

    void driverOffersPaper()
    {
        QFETCH(QList<QPageSize>, sizes);
        QFETCH(bool, custom);
        QFETCH(QPageSize, minimum);
        QFETCH(QPageSize, maximum);
        QFETCH(bool, offers);
        QCOMPARE(printing::driverOffersPaper(sizes, custom, minimum, maximum), offers);
    }

    void offsetValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("tenths"); // when read
        QTest::addColumn<QString>("error"); // part of the message otherwise
        QTest::newRow("whole") << QStringLiteral("2") << 20.0 << QString();
        QTest::newRow("negative tenth") << QStringLiteral("-1.5") << -15.0 << QString();
        QTest::newRow("plus sign, spaces") << QStringLiteral(" +0.3 ") << 3.0 << QString();
        QTest::newRow("the limit") << QStringLiteral("-30.0") << -300.0 << QString();
        QTest::newRow("past the limit") << QStringLiteral("30.1") << 0.0 << QStringLiteral("超出范围");
        QTest::newRow("hundredths") << QStringLiteral("1.25") << 0.0 << QStringLiteral("只能精确到 0.1 毫米");
        QTest::newRow("a word") << QStringLiteral("abc") << 0.0 << QStringLiteral("不是数字");
        QTest::newRow("empty") << QString() << 0.0 << QStringLiteral("不是数字");
        QTest::newRow("exponent") << QStringLiteral("1e1") << 0.0 << QStringLiteral("不是数字");
        QTest::newRow("decimal comma") << QStringLiteral("1,5") << 0.0 << QStringLiteral("不是数字");
    }

    void offsetValues()
    {
        QFETCH(QString, text);
        QFETCH(double, tenths);
        QFETCH(QString, error);
        Length value = Length::fromTenths(999);
        const QString message = calibration::parseMm(text, QStringLiteral("横向偏移"), value);
        if (error.isEmpty()) {
            QCOMPARE(message, QString());
            QCOMPARE(value.tenths(), tenths);
        } else {
            QVERIFY2(message.startsWith(QStringLiteral("横向偏移")) && message.contains(error),
                     qPrintable(message));
            QCOMPARE(value.tenths(), 999.0); // untouched
        }
    }

    void offsetPairs()
    {
        PrintOffset o;
        QCOMPARE(calibration::parsePair(QStringLiteral("2.0,-1.5"), o), QString());
        QCOMPARE(calibration::format(o), QStringLiteral("dx=2.0 dy=-1.5 mm"));
        const PrintOffset before = o;
        QVERIFY(calibration::parsePair(QStringLiteral("2.0"), o).contains(QStringLiteral("横向,纵向")));
        QVERIFY(calibration::parsePair(QStringLiteral("1,40"), o).startsWith(QStringLiteral("纵向偏移")));
        QCOMPARE(calibration::format(o), calibration::format(before));
    }

    void offsetsArekeptPerPrinter()
    {
        const QString odd = QStringLiteral("\\\\server/打印机 #2");
        QCOMPARE(calibration::store(QStringLiteral("epson24"), {Length::fromMm(2.0), Length::fromMm(-1.5)}),
                 QString());
        QCOMPARE(calibration::store(odd, {Length::fromMm(-0.1), Length::fromMm(30)}), QString());
        QCOMPARE(calibration::format(calibration::stored(QStringLiteral("epson24"))),
                 QStringLiteral("dx=2.0 dy=-1.5 mm"));
        QCOMPARE(calibration::format(calibration::stored(odd)), QStringLiteral("dx=-0.1 dy=30.0 mm"));
        QCOMPARE(calibration::format(calibration::stored(QStringLiteral("other"))),
                 QStringLiteral("dx=0.0 dy=0.0 mm"));
        // Out of range: refused, the stored value stays.
        QVERIFY(!calibration::store(QStringLiteral("epson24"), {Length::fromMm(31), Length()}).isEmpty());
        QCOMPARE(calibration::format(calibration::stored(QStringLiteral("epson24"))),
                 QStringLiteral("dx=2.0 dy=-1.5 mm"));
        // A zero offset removes the entry.
        QCOMPARE(calibration::store(QStringLiteral("epson24"), {}), QString());
        QVERIFY(calibration::stored(QStringLiteral("epson24")).isNull());
    }

    void unwritableSettingsAreReported()
    {
        // The settings file's place taken by a folder: the write cannot succeed.
        QTemporaryDir blocked;
        QVERIFY(QDir().mkpath(blocked.filePath(QStringLiteral("waybill/waybill.ini"))));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, blocked.path());
        const QString error = calibration::store(QStringLiteral("epson24"), {Length::fromMm(1), Length()});
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
        QVERIFY2(error.startsWith(QStringLiteral("无法保存校准值")), qPrintable(error));
    }

    void shortenedAddressesAreNamed()
    {
        printfixture::Book book(0);
        QVector<QStringList> rows;
        const QString tooLong =
            QStringLiteral("广东省深圳市南山区粤海街道科技园南区高新南一道创维大厦A座十三楼一三零一室转交"
                           "市场部王小姐收，工作日九点到十八点送达，周末请勿派送，谢谢合作")
                .repeated(3);
        for (int i = 0; i < 18; ++i) {
            QStringList r = printfixture::recipient(i);
            if (i == 2 || i == 16)
                r[2] = tooLong;
            rows << r;
        }
        book.folder.insert(QStringLiteral("inrxx"), rows);
        book.recipients.close();
        book.recipients.open();
        WaybillReport report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        const PageList pages = report.generate();
        QCOMPARE(pages.count(), 18);
        QCOMPARE(int(pages.shortened.size()), 2);
        // The number of lines named is the number that prints.
        const Page &third = pages.pages[2];
        int printed = 0;
        for (int i = 0; i < third.itemCount(); ++i)
            if (tooLong.startsWith(third.text(i).left(10)))
                printed = int(third.text(i).count(QLatin1Char('\n'))) + 1;
        QVERIFY(printed >= 2);
        QCOMPARE(report.shortenedText(pages),
                 QStringLiteral("第 3、17 张快递单的收件地址过长，只打印了前 %1 行").arg(printed));
        QCOMPARE(
            report.shortenedLines(pages),
            QStringList({QStringLiteral("第 3 张快递单的收件地址过长，只打印了前 %1 行").arg(printed),
                         QStringLiteral("第 17 张快递单的收件地址过长，只打印了前 %1 行").arg(printed)}));
        // A whole book of them: ten numbers and the count.
        PageList many;
        for (int i = 0; i < 25; ++i)
            many.shortened.push_back({i, 11, 4});
        QCOMPARE(
            report.shortenedText(many),
            QStringLiteral("第 1、2、3、4、5、6、7、8、9、10 等 25 张快递单的收件地址过长，只打印了前 4 行"));
    }

    // Painted at 10 pixels per millimetre, the calibration page inks the form's frame and box
    // corners and its crosshairs, and moves with the offset.
    void calibrationPageLiesOnTheFormLines_data()
    {
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::newRow("as laid out") << 0.0 << 0.0;
        QTest::newRow("offset") << 2.0 << -1.5;
    }

    void calibrationPageLiesOnTheFormLines()
    {
        QFETCH(double, dx);
        QFETCH(double, dy);
        const PageList page =
            calibrationPage(QStringLiteral("epson24"), {Length::fromMm(dx), Length::fromMm(dy)});
        QCOMPARE(page.count(), 1);
        QImage image(2300, 1260, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        image.setDotsPerMeterX(10000);
        image.setDotsPerMeterY(10000);
        {
            QPainter p(&image);
            paintPage(p, page.pages[0], page.fonts, QRectF(dx * 10, dy * 10, 2300, 1260));
        }
        auto inked = [&](double x, double y) {
            const QPoint px(int(std::floor((x + dx) * 10)), int(std::floor((y + dy) * 10)));
            return image.rect().contains(px) && qGray(image.pixel(px)) < 128;
        };
        for (const formboxes::Box &b : formboxes::boxes) {
            const QByteArray box = QStringLiteral("box at %1,%2").arg(b.rect.left).arg(b.rect.top).toUtf8();
            QVERIFY2(inked(b.rect.left, b.rect.top + b.rect.height / 2), box);
            QVERIFY2(inked(b.rect.right(), b.rect.top + b.rect.height / 2), box);
            QVERIFY2(inked(b.rect.left + b.rect.width / 2, b.rect.bottom()), box);
        }
        for (const QPointF &mark : calibrationMarks()) {
            QVERIFY(inked(mark.x() - 5, mark.y()));
            QVERIFY(inked(mark.x(), mark.y() - 5) ||
                    inked(mark.x(), mark.y() + 5)); // one arm may run off the paper
        }
        QVERIFY(!inked(100.5, 50.5)); // inside the address box: blank
        QStringList texts;
        for (int i = 0; i < page.pages[0].itemCount(); ++i)
            texts << page.pages[0].text(i).toString();
        QVERIFY(texts.join(QLatin1Char('\n')).contains(QStringLiteral("epson24")));
        QVERIFY(texts.join(QLatin1Char('\n'))
                    .contains(calibration::format({Length::fromMm(dx), Length::fromMm(dy)})));
    }
};

QTEST_MAIN(TestPrintChecks)
#include "test_printchecks.moc"
