// Printing a chosen set of recipients: the position list, finding a grid's rows again by rowid,
// and waybillctl print --recipients.

#include "printfixture.h"

#include "printing/RecipientSelection.h"
#include "printing/WaybillLayout.h"
#include "printing/WaybillReport.h"

#include <QtTest>

using printfixture::Book;

class TestChosenSet : public QObject
{
    Q_OBJECT

private slots:
    void positionList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QList<int>>("rows"); // 0-based; empty when refused
        QTest::addColumn<QString>("error");   // part of the message

        QTest::newRow("ranges") << "2,5-9" << QList<int>{1, 4, 5, 6, 7, 8} << QString();
        QTest::newRow("table order, each once") << " 9 , 3-4,2,3 " << QList<int>{1, 2, 3, 8} << QString();
        QTest::newRow("whole book") << "1-10" << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << QString();
        QTest::newRow("past the end") << "2,11" << QList<int>() << "没有第 11 个收件人（共 10 个）";
        QTest::newRow("range past the end") << "9-12" << QList<int>() << "没有第 12 个收件人";
        QTest::newRow("zero") << "0" << QList<int>() << "没有第 0 个收件人";
        QTest::newRow("backwards") << "5-3" << QList<int>() << "倒着写";
        for (const char *bad : {"", "a", "2;5", "1-", "-3", "1,,2", "1.5", "2 5", "99999999999"})
            QTest::newRow(qPrintable(QStringLiteral("malformed \"%1\"").arg(bad)))
                << bad << QList<int>() << "格式不对";
    }

    void positionList()
    {
        QFETCH(QString, list);
        QFETCH(QList<int>, rows);
        QFETCH(QString, error);
        const printing::RowChoice choice = printing::parsePositionList(list, 10);
        QCOMPARE(QList<int>(choice.rows.begin(), choice.rows.end()), rows);
        QVERIFY2(error.isEmpty() ? choice.error.isEmpty() : choice.error.contains(error),
                 qPrintable(choice.error));
    }

    void rowsFoundAgainByRowId()
    {
        Book book(6);
        std::vector<qint64> rowids{book.recipients.rowId(4), book.recipients.rowId(1), 999,
                                   book.recipients.rowId(4)};
        const std::vector<int> rows = printing::rowsOfRowIds(book.recipients, rowids);
        QCOMPARE(QList<int>(rows.begin(), rows.end()), (QList<int>{1, 4}));
    }

    // The window generates in steps from the event loop; a chosen set comes out the same.
    void reportWalksChosenRows()
    {
        Book book(8);
        printing::WaybillReport report(printing::PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        report.setRecordRows({6, 0, 3}); // in the order given
        QCOMPARE(report.generate().count(), 3);
        report.startGeneration();
        report.finishGeneration();
        QCOMPARE(report.pages().count(), 3);
        report.clearRecordRows();
        QCOMPARE(report.generate().count(), 8);
    }

    void waybillctlPrintsExactlyTheList()
    {
        Book book(10);
        QProcess p;
        p.start(qEnvironmentVariable("WAYBILLCTL"),
                {QStringLiteral("print"), QStringLiteral("--recipients"), QStringLiteral("7,2-3"),
                 QStringLiteral("--pdf"), QStringLiteral("set.pdf")});
        p.waitForFinished(60000);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(printfixture::pdfPageCount(QStringLiteral("set.pdf")), 3);
        const auto words = printfixture::pdfWords(QStringLiteral("set.pdf"));
        const QStringList expected{QStringLiteral("李四1"), QStringLiteral("李四2"), QStringLiteral("李四6")};
        for (int page = 1; page <= 3; ++page) {
            const QStringList texts = printfixture::pageTexts(words, page);
            for (const QString &name : expected)
                QCOMPARE(texts.contains(name), name == expected.at(page - 1));
        }
        // At the batch places.
        const printing::FieldPlace &name = printing::waybillFields()[7].batch;
        const auto it = std::find_if(words.begin(), words.end(), [](const printfixture::Word &w) {
            return w.text == QStringLiteral("李四6");
        });
        QVERIFY(it != words.end());
        QVERIFY(qAbs(it->top - name.top.mm()) < 0.3);
    }

    void waybillctlRefusesABadListAndWritesNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("out of range")
            << QStringList{"--recipients", "2,11"} << 1 << "没有第 11 个收件人（共 10 个）";
        QTest::newRow("malformed") << QStringList{"--recipients", "2;5"} << 1 << "格式不对";
        QTest::newRow("with --recipient")
            << QStringList{"--recipients", "2", "--recipient", "3"} << 2 << "只能用其中一个";
    }

    void waybillctlRefusesABadListAndWritesNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        Book book(10);
        const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QProcess p;
        p.start(qEnvironmentVariable("WAYBILLCTL"),
                QStringList{QStringLiteral("print"), QStringLiteral("--pdf"), QStringLiteral("bad.pdf")} +
                    args);
        p.waitForFinished(60000);
        QCOMPARE(p.exitCode(), exitCode);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.startsWith(QStringLiteral("waybillctl: ")) && err.contains(message), qPrintable(err));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    }
};

QTEST_MAIN(TestChosenSet)
#include "test_chosenset.moc"
