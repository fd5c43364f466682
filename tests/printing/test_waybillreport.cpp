// The waybill report: which pages a run makes, what they carry, and where their text lands on
// paper (PDF read back with pdftotext).

#include "printfixture.h"

#include "printing/Fonts.h"
#include "printing/WaybillReport.h"

#include <QPdfWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace printing;
using printfixture::Book;

class TestWaybillReport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_out;

    QString writePdf(const PageList &pages, const QString &name)
    {
        const QString path = m_out.filePath(name);
        QPdfWriter writer(path);
        if (!WaybillReport::render(pages, writer))
            return QString();
        return path;
    }

    // The texts of one page of the held pages.
    static QStringList texts(const Page &page)
    {
        QStringList out;
        for (int i = 0; i < page.itemCount(); ++i)
            out << page.text(i).toString();
        return out;
    }

    static QString valueOf(const FieldDef &field)
    {
        const QStringList columns =
            field.record == Record::Sender ? db::senderColumns() : db::recipientColumns();
        const QStringList cells =
            field.record == Record::Sender ? printfixture::sender() : printfixture::recipient(0);
        return cells.at(columns.indexOf(field.columnName()));
    }

private slots:
    void initTestCase()
    {
        fonts::installSubstitutions();
        QVERIFY(m_out.isValid());
    }

    void pdfIsOneWaybillPageWithChineseText()
    {
        Book book(1);
        WaybillReport report(PositionSet::Single);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        const QString pdf = writePdf(report.generate(), QStringLiteral("one.pdf"));
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(printfixture::pdfPageCount(pdf), 1);
        QCOMPARE(printfixture::pdfPageSize(pdf), QStringLiteral("652 x 357")); // 230 x 126 mm in whole points
        const QStringList words = printfixture::pageTexts(printfixture::pdfWords(pdf), 1);
        QVERIFY2(words.contains(QStringLiteral("王经理")), qPrintable(words.join(QLatin1Char(' '))));
        QVERIFY(words.contains(QStringLiteral("深圳市南山区科技园0")));
    }

    void fieldTextStartsAtItsPlace_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("field");
        for (PositionSet set : {PositionSet::Single, PositionSet::Batch})
            for (int i = 0; i < kFieldCount; ++i)
                QTest::addRow("%s %s", set == PositionSet::Single ? "single" : "batch",
                              waybillFields()[i].name)
                    << int(set) << i;
    }

    void fieldTextStartsAtItsPlace()
    {
        QFETCH(int, set);
        QFETCH(int, field);
        static std::map<int, std::vector<printfixture::Word>> words; // one PDF per position set
        if (!words.count(set)) {
            Book book(1);
            WaybillReport report{PositionSet(set)};
            report.setSenderDataset(&book.senders);
            report.setRecipientDataset(&book.recipients);
            words[set] =
                printfixture::pdfWords(writePdf(report.generate(), QStringLiteral("places%1.pdf").arg(set)));
        }
        const FieldDef &def = waybillFields()[size_t(field)];
        const FieldPlace &place = def.place(PositionSet(set));
        const QString value = valueOf(def);
        const auto it = std::find_if(words[set].begin(), words[set].end(),
                                     [&](const printfixture::Word &w) { return w.text == value; });
        QVERIFY2(it != words[set].end(), qPrintable(value));
        QVERIFY2(qAbs(it->left - place.left.mm()) < 0.3, qPrintable(QString::number(it->left)));
        QVERIFY2(qAbs(it->top - place.top.mm()) < 0.3, qPrintable(QString::number(it->top)));
    }

    void batchPrintsOnePagePerRecipientInTableOrder()
    {
        Book book(4);
        WaybillReport report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        const QString pdf = writePdf(report.generate(), QStringLiteral("batch.pdf"));
        QCOMPARE(printfixture::pdfPageCount(pdf), 4);
        const std::vector<printfixture::Word> words = printfixture::pdfWords(pdf);
        for (int i = 0; i < 4; ++i) {
            const QStringList page = printfixture::pageTexts(words, i + 1);
            QVERIFY(page.contains(QStringLiteral("李四%1").arg(i)));
            QVERIFY(page.contains(QStringLiteral("王经理")));
            QCOMPARE(page.size(), 13);
        }
    }

    void sourceWithoutRowsPrintsTheSenderOnce()
    {
        Book book(0);
        WaybillReport report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        const PageList pages = report.generate();
        QCOMPARE(pages.count(), 1);
        QStringList sender = printfixture::sender();
        sender.removeAll(QString());
        QCOMPARE(texts(pages.pages[0]).size(), 7);
        for (const QString &text : texts(pages.pages[0]))
            QVERIFY(sender.contains(text));
    }

    void closedSourcePrintsOneBlankPage()
    {
        Book book(3);
        book.recipients.close();
        book.senders.close();
        WaybillReport report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        const PageList pages = report.generate();
        QCOMPARE(pages.count(), 1);
        QCOMPARE(pages.pages[0].itemCount(), 0);
        QVERIFY(!writePdf(pages, QStringLiteral("blank.pdf")).isEmpty());
    }

    void withoutSourceTheCurrentRecipientPrints()
    {
        Book book(3);
        book.recipients.setCurrentRow(2);
        WaybillReport report(PositionSet::Single);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        const PageList pages = report.generate();
        QCOMPARE(pages.count(), 1);
        QVERIFY(texts(pages.pages[0]).contains(QStringLiteral("李四2")));
        QCOMPARE(book.recipients.currentRow(), 2);
    }

    void emptyColumnLeavesItsPlaceBlank()
    {
        Book book(0);
        book.folder.insert(QStringLiteral("inrxx"), {{QString(), QStringLiteral("赵六"), QString(), QString(),
                                                      QString(), QStringLiteral("13700000000"), QString()}});
        book.recipients.close();
        book.recipients.open();
        WaybillReport report(PositionSet::Single);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        const QStringList t = texts(report.generate().pages[0]);
        QCOMPARE(t.size(), 9);
        QVERIFY(t.contains(QStringLiteral("赵六")));
        QVERIFY(t.contains(QStringLiteral("13700000000")));
    }

    void runInStepsReportsPagesAndProgress()
    {
        Book book(300);
        WaybillReport report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        QSignalSpy pagesSpy(&report, &WaybillReport::pageAvailable);
        QSignalSpy progressSpy(&report, &WaybillReport::progressUpdate);
        QSignalSpy finished(&report, &WaybillReport::generationFinished);
        report.startGeneration();
        QCOMPARE(report.pages().count(), 0); // nothing before the event loop runs
        QVERIFY(finished.wait(10000));
        QCOMPARE(report.pages().count(), 300);
        QCOMPARE(pagesSpy.first().first().toInt(), 1); // the first page comes alone
        QCOMPARE(pagesSpy.last().first().toInt(), 300);
        QCOMPARE(progressSpy.first().first().toInt(), 0);
        QCOMPARE(progressSpy.last().first().toInt(), 100);
        int last = 0;
        for (const QList<QVariant> &p : progressSpy) {
            QVERIFY(p.first().toInt() >= last);
            last = p.first().toInt();
        }
        QVERIFY(report.isGenerated());
        const QStringList first = texts(report.pages().pages[0]);
        QVERIFY(first.contains(QStringLiteral("李四0")));
    }

    void layoutViewShowsColumnNames_data()
    {
        QTest::addColumn<int>("set");
        QTest::newRow("single") << int(PositionSet::Single);
        QTest::newRow("batch") << int(PositionSet::Batch);
    }

    void layoutViewShowsColumnNames()
    {
        QFETCH(int, set);
        const WaybillLayout layout{PositionSet(set)};
        FontTable fonts;
        const Page view = layout.viewPage(fonts);
        QCOMPARE(view.itemCount(), kFieldCount);
        const MmFontMetrics metrics(layout.fieldFont());
        for (int i = 0; i < kFieldCount; ++i) {
            const FieldDef &field = layout.field(i);
            const FieldPlace &place = layout.place(i);
            const PageItem &item = view.item(i);
            QCOMPARE(view.text(i).toString(), field.columnName());
            QVERIFY(qAbs(item.left - place.left.mm()) < 1e-4 && qAbs(item.top - place.top.mm()) < 1e-4);
            const double width =
                field.kind == FieldKind::Fitted ? metrics.width(field.columnName()) : place.width.mm();
            QVERIFY(qAbs(item.width - width) < 1e-4);
            QVERIFY(item.height >= place.height.mm() - 1e-4);
        }
    }

    void fontReplacedAsAWhole()
    {
        Book book(1);
        WaybillReport report(PositionSet::Single);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        const QRectF before = report.layout().viewRectMm(0);
        QFont big = fonts::songPoints(16);
        big.setBold(true);
        report.setFieldFont(big);
        const QRectF after = report.layout().viewRectMm(0);
        QCOMPARE(after.topLeft(), before.topLeft());
        QVERIFY(after.width() > before.width() * 1.5);
        const PageList pages = report.generate();
        for (int i = 0; i < pages.pages[0].itemCount(); ++i)
            QVERIFY(pages.fonts.font(pages.pages[0].item(i).font).bold());
    }
};

QTEST_MAIN(TestWaybillReport)
#include "test_waybillreport.moc"
