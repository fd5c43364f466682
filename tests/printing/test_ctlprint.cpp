// waybillctl print: one waybill per recipient into a PDF, one chosen recipient, and its errors.

#include "printfixture.h"

#include "printing/WaybillLayout.h"

#include <QtTest>

using printfixture::Book;

class TestCtlPrint : public QObject
{
    Q_OBJECT

private:
    struct Result
    {
        int exitCode;
        QString err;
    };

    static Result ctl(const QStringList &args)
    {
        QProcess p;
        p.start(qEnvironmentVariable("WAYBILLCTL"), QStringList{QStringLiteral("print")} + args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardError())};
    }

    static QStringList messageLines(const QString &err)
    {
        QStringList lines;
        for (const QString &line : err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            if (line.startsWith(QLatin1String("waybillctl:")))
                lines << line;
        return lines;
    }

private slots:
    void initTestCase() { QVERIFY(QFileInfo(qEnvironmentVariable("WAYBILLCTL")).isExecutable()); }

    void everyRecipientOnePageInTableOrder()
    {
        Book book(3);
        const Result r = ctl({QStringLiteral("--pdf"), QStringLiteral("all.pdf")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(printfixture::pdfPageCount(QStringLiteral("all.pdf")), 3);
        const auto words = printfixture::pdfWords(QStringLiteral("all.pdf"));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(printfixture::pageTexts(words, i + 1).contains(QStringLiteral("李四%1").arg(i)));
            QVERIFY(printfixture::pageTexts(words, i + 1).contains(QStringLiteral("王经理")));
        }
        // Batch places: the recipient's name field.
        const printing::FieldPlace &name = printing::waybillFields()[7].batch;
        const auto it = std::find_if(words.begin(), words.end(), [](const printfixture::Word &w) {
            return w.text == QStringLiteral("李四0");
        });
        QVERIFY(qAbs(it->top - name.top.mm()) < 0.3);
    }

    void oneRecipientWithTheSinglePlaces()
    {
        Book book(3);
        const QString other = book.folder.path() + QStringLiteral("/copy.mdb");
        QVERIFY(QFile::copy(book.folder.databasePath(), other));
        QDir::setCurrent(QDir::tempPath()); // --db, not the current directory
        const QString pdf = book.folder.path() + QStringLiteral("/one.pdf");
        const Result r = ctl({QStringLiteral("--recipient"), QStringLiteral("2"), QStringLiteral("--pdf"),
                              pdf, QStringLiteral("--db"), other});
        QDir::setCurrent(book.folder.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(printfixture::pdfPageCount(pdf), 1);
        const auto words = printfixture::pdfWords(pdf);
        QVERIFY(printfixture::pageTexts(words, 1).contains(QStringLiteral("李四1")));
        const printing::FieldPlace &name = printing::waybillFields()[7].single;
        const auto it = std::find_if(words.begin(), words.end(), [](const printfixture::Word &w) {
            return w.text == QStringLiteral("李四1");
        });
        QVERIFY(qAbs(it->top - name.top.mm()) < 0.3);
    }

    // --offset moves a PDF too, so a user can check an offset on screen; the stored
    // calibration of a printer never applies to a PDF.
    void offsetMovesThePdf()
    {
        Book book(1);
        QCOMPARE(ctl({QStringLiteral("--pdf"), QStringLiteral("plain.pdf")}).exitCode, 0);
        QCOMPARE(ctl({QStringLiteral("--pdf"), QStringLiteral("moved.pdf"), QStringLiteral("--offset"),
                      QStringLiteral("2.0,-1.5")})
                     .exitCode,
                 0);
        const auto plain = printfixture::pdfWords(QStringLiteral("plain.pdf"));
        const auto moved = printfixture::pdfWords(QStringLiteral("moved.pdf"));
        QCOMPARE(moved.size(), plain.size());
        QVERIFY(!plain.empty());
        for (size_t i = 0; i < plain.size(); ++i) {
            QCOMPARE(moved[i].text, plain[i].text);
            QVERIFY2(qAbs(moved[i].left - plain[i].left - 2.0) < 0.02 &&
                         qAbs(moved[i].top - plain[i].top + 1.5) < 0.02,
                     qPrintable(plain[i].text));
        }
    }

    void testPageIntoAPdf()
    {
        const Result r =
            ctl({QStringLiteral("--pdf"), QStringLiteral("test.pdf"), QStringLiteral("--test-page"),
                 QStringLiteral("--offset"), QStringLiteral("1,1")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(printfixture::pdfPageCount(QStringLiteral("test.pdf")), 1);
        QCOMPARE(printfixture::pdfPageSize(QStringLiteral("test.pdf")), QStringLiteral("652 x 357"));
        const QStringList words =
            printfixture::pageTexts(printfixture::pdfWords(QStringLiteral("test.pdf")), 1);
        QVERIFY2(words.contains(QStringLiteral("校准页")) && words.contains(QStringLiteral("dx=1.0")),
                 qPrintable(words.join(QLatin1Char(' '))));
    }

    // An address too long even at 7 pt: the waybill prints its first lines, and stderr names it.
    void shortenedAddressesAreWarnedAbout()
    {
        Book book(0);
        QVector<QStringList> rows;
        for (int i = 0; i < 3; ++i) {
            QStringList r = printfixture::recipient(i);
            if (i != 1)
                r[2] =
                    QStringLiteral(
                        "浙江省杭州市西湖区文三路一百号东方通信大厦北楼十八层一八零八室市场部转交李先生收，"
                        "请在工作日上午九点到十一点之间送达，如无人请电话联系前台代收")
                        .repeated(3);
            rows << r;
        }
        book.folder.insert(QStringLiteral("inrxx"), rows);
        const Result r = ctl({QStringLiteral("--pdf"), QStringLiteral("long.pdf")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(printfixture::pdfPageCount(QStringLiteral("long.pdf")), 3);
        const QStringList lines = messageLines(r.err);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains(QStringLiteral("警告: 第 1 张快递单的收件地址过长，只打印了前")),
                 qPrintable(lines[0]));
        QVERIFY2(lines[1].contains(QStringLiteral("第 3 张快递单的收件地址过长")), qPrintable(lines[1]));
    }

    void errorsLeaveNoOutput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString pdf = QStringLiteral("out.pdf");
        QTest::newRow("no database") << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--db"),
                                                    QStringLiteral("missing.mdb")}
                                     << 1 << QStringLiteral("找不到数据库文件");
        QTest::newRow("not a database")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--db"), QStringLiteral("notes.txt")}
            << 1 << QStringLiteral("无法读取数据库");
        QTest::newRow("recipient out of range")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--recipient"), QStringLiteral("3")}
            << 1 << QStringLiteral("没有第 3 个收件人（共 2 个）");
        QTest::newRow("unwritable output")
            << QStringList{QStringLiteral("--pdf"), QStringLiteral("nodir/out.pdf")} << 1
            << QStringLiteral("无法写入");
        QTest::newRow("unknown printer")
            << QStringList{QStringLiteral("--printer"), QStringLiteral("无此打印机")} << 1
            << QStringLiteral("找不到打印机");
        QTest::newRow("no output named") << QStringList{} << 2 << QStringLiteral("--pdf");
        QTest::newRow("both outputs")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--printer"), QStringLiteral("x")}
            << 2 << QStringLiteral("--pdf");
        QTest::newRow("recipient zero")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--recipient"), QStringLiteral("0")}
            << 2 << QStringLiteral("--recipient");
        QTest::newRow("missing value")
            << QStringList{QStringLiteral("--pdf")} << 2 << QStringLiteral("--pdf");
        QTest::newRow("offset not a number")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--offset"), QStringLiteral("x,1")}
            << 2 << QStringLiteral("横向偏移“x”不是数字");
        QTest::newRow("offset out of range")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--offset"), QStringLiteral("1,-31")}
            << 2 << QStringLiteral("纵向偏移 -31 毫米超出范围");
        QTest::newRow("offset of one value")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--offset"), QStringLiteral("1")} << 2
            << QStringLiteral("横向,纵向");
        QTest::newRow("test page with a recipient")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--test-page"),
                           QStringLiteral("--recipient"), QStringLiteral("1")}
            << 2 << QStringLiteral("--test-page");
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--pdf"), pdf, QStringLiteral("--copies"), QStringLiteral("2")} << 2
            << QStringLiteral("--copies");
    }

    void errorsLeaveNoOutput()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Book book(2);
        QFile notes(QStringLiteral("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(QByteArray(4096, 'x'));
        notes.close();
        const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

        const Result r = ctl(args);
        QCOMPARE(r.exitCode, exitCode);
        const QStringList lines = messageLines(r.err);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(message), qPrintable(lines.first()));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    }
};

QTEST_MAIN(TestCtlPrint)
#include "test_ctlprint.moc"
