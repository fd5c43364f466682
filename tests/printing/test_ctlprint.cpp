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
