// The print preview window: status panels, page moves and keys, thumbnails, set-up, printing
// and the report's preview call.

#include "printfixture.h"

#include "printing/Fonts.h"
#include "printwindows/PreviewControls.h"
#include "printwindows/PreviewWindow.h"
#include "printwindows/WaybillPrintJob.h"
#include "widgets/Messages.h"

#include <QPrinter>
#include <QSignalSpy>
#include <QSplitter>
#include <QToolButton>
#include <QtTest>

using namespace printing;
using printfixture::Book;

class TestPreview : public QObject
{
    Q_OBJECT

private:
    // A batch report over the book's recipients, generated, in a shown and active window.
    struct Shown
    {
        Shown(Book &book, bool walk = true) : report(PositionSet::Batch)
        {
            report.setSenderDataset(&book.senders);
            report.setRecipientDataset(&book.recipients);
            if (walk)
                report.setRecordSource(&book.recipients);
            window = new PreviewWindow(&report);
            window->showAndRefresh();
            window->activateWindow();
        }
        ~Shown() { delete window.data(); }
        bool generate()
        {
            QSignalSpy finished(&report, &WaybillReport::generationFinished);
            report.startGeneration();
            return finished.wait(10000);
        }
        QToolButton *button(int n) { return window->buttons[size_t(n - 1)]; }
        WaybillPrintJob report;
        QPointer<PreviewWindow> window;
    };

    static void key(PreviewWindow *window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, Qt::Key(key), modifiers);
    }

private slots:
    void initTestCase() { fonts::installSubstitutions(); }
    void cleanup() { WaybillPrintJob::setPrintDialogHook({}); }

    void designTexts()
    {
        Book book(1);
        Shown s(book);
        QCOMPARE(s.window->windowTitle(), QStringLiteral("打印预览"));
        const QStringList captions = {QStringLiteral("合适大小"), QStringLiteral("合适宽度"),
                                      QStringLiteral("缩放100%"), QStringLiteral("首 页"),
                                      QStringLiteral("上一页"),   QStringLiteral("下一页"),
                                      QStringLiteral("末 页"),    QStringLiteral("设 置"),
                                      QStringLiteral("打 印"),    QStringLiteral("关 闭")};
        for (int i = 1; i <= 10; ++i) {
            QToolButton *b = s.window->findChild<QToolButton *>(QStringLiteral("RzBitBtn%1").arg(i));
            QVERIFY(b);
            QCOMPARE(b->text(), captions.at(i - 1));
            QCOMPARE(b->size(), QSize(58, 58));
            QVERIFY(b->isEnabled());
        }
        QCOMPARE(s.window->panelText(0), QStringLiteral("0%"));
        QCOMPARE(s.window->panelText(2), QString());
        QCOMPARE(s.window->tabs->tabText(0), QStringLiteral("缩略图"));
    }

    void beforeTheFirstPage()
    {
        Book book(3);
        Shown s(book);
        QCOMPARE(s.window->panelText(1), QStringLiteral("第 1/0 页"));
        s.button(7)->click(); // 末 页
        s.button(6)->click(); // 下一页
        QCOMPARE(s.window->currentPage(), 1);
        QCOMPARE(s.window->panelText(1), QStringLiteral("第 1/0 页"));
    }

    void onePageStaysOnPageOne()
    {
        Book book(3);
        Shown s(book, false);
        QVERIFY(s.generate());
        QCOMPARE(s.window->panelText(1), QStringLiteral("第 1/1 页"));
        for (int b : {4, 5, 6, 7})
            s.button(b)->click();
        for (int k : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End})
            key(s.window, k);
        QCOMPARE(s.window->currentPage(), 1);
        QCOMPARE(s.window->panelText(1), QStringLiteral("第 1/1 页"));
    }

    void progressPanel_data()
    {
        QTest::addColumn<QList<int>>("percents");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("a first 0% empties the design text") << QList<int>{0} << QStringList{QString()};
        QTest::newRow("less than five points keeps the text")
            << QList<int>{3} << QStringList{QStringLiteral("0%")};
        QTest::newRow("steps of at least five")
            << QList<int>{5, 7, 10, 12, 16}
            << QStringList{QStringLiteral("5%"), QStringLiteral("5%"), QStringLiteral("10%"),
                           QStringLiteral("10%"), QStringLiteral("16%")};
        QTest::newRow("never lowered") << QList<int>{50, 20, 54, 55}
                                       << QStringList{QStringLiteral("50%"), QStringLiteral("50%"),
                                                      QStringLiteral("50%"), QStringLiteral("55%")};
        QTest::newRow("empty at 100") << QList<int>{50, 100} << QStringList{QStringLiteral("50%"), QString()};
    }

    void progressPanel()
    {
        QFETCH(QList<int>, percents);
        QFETCH(QStringList, shown);
        Book book(1);
        Shown s(book);
        for (int i = 0; i < percents.size(); ++i) {
            emit s.report.progressUpdate(percents.at(i));
            QCOMPARE(s.window->panelText(0), shown.at(i));
        }
    }

    void pageKeys_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("to");
        QTest::newRow("Page Up") << 3 << int(Qt::Key_PageUp) << int(Qt::NoModifier) << 2;
        QTest::newRow("Page Down") << 3 << int(Qt::Key_PageDown) << int(Qt::NoModifier) << 4;
        QTest::newRow("Ctrl+Page Up") << 3 << int(Qt::Key_PageUp) << int(Qt::ControlModifier) << 1;
        QTest::newRow("Ctrl+Page Down") << 3 << int(Qt::Key_PageDown) << int(Qt::ControlModifier) << 5;
        QTest::newRow("Ctrl+Shift+Page Up")
            << 3 << int(Qt::Key_PageUp) << int(Qt::ControlModifier | Qt::ShiftModifier) << 2;
        QTest::newRow("Ctrl+Alt+Page Down")
            << 3 << int(Qt::Key_PageDown) << int(Qt::ControlModifier | Qt::AltModifier) << 4;
        QTest::newRow("Home") << 3 << int(Qt::Key_Home) << int(Qt::NoModifier) << 1;
        QTest::newRow("End") << 3 << int(Qt::Key_End) << int(Qt::NoModifier) << 5;
        QTest::newRow("beyond the last page") << 5 << int(Qt::Key_PageDown) << int(Qt::NoModifier) << 5;
        QTest::newRow("other keys do nothing") << 3 << int(Qt::Key_Down) << int(Qt::NoModifier) << 3;
    }

    void pageKeys()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, to);
        Book book(5);
        Shown s(book);
        QVERIFY(s.generate());
        QVERIFY(QTest::qWaitForWindowActive(s.window));
        s.button(4)->click();
        for (int i = 1; i < from; ++i)
            s.button(6)->click();
        QCOMPARE(s.window->currentPage(), from);
        // Keys go to the preview view, which scrolls with them as well.
        s.window->pageView->setFocus();
        TestPreview::key(s.window, key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(s.window->currentPage(), to);
        QCOMPARE(s.window->panelText(1), QStringLiteral("第 %1/5 页").arg(to));
    }

    void thumbnailsFollowPages()
    {
        Book book(4);
        Shown s(book);
        QVERIFY(s.generate());
        ThumbGrid *grid = s.window->findChild<ThumbGrid *>(QStringLiteral("ThumbGrid"));
        QCOMPARE(grid->rowCount(), 4);
        // A click on a thumbnail shows its page; the next page then selects the next row.
        const QRect row2 = grid->visualRect(grid->model()->index(2, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
        QCOMPARE(s.window->currentPage(), 3);
        QCOMPARE(s.window->panelText(1), QStringLiteral("第 3/4 页"));
        s.button(6)->click();
        QCOMPARE(grid->currentIndex().row(), 3);
        QCOMPARE(s.window->currentPage(), 4);
    }

    void thumbnailsDrawFramedPagesWithNumbers()
    {
        Book book(2);
        Shown s(book);
        QVERIFY(s.generate());
        ThumbGrid *grid = s.window->thumbnails;
        QCOMPARE(grid->columnWidth(0), grid->width() - 4);
        QCOMPARE(s.window->thumbXOffset, 10);
        const QImage image = grid->viewport()->grab().toImage();
        for (int row = 0; row < 2; ++row) {
            const QRect cell = grid->visualRect(grid->model()->index(row, 0));
            // The number in the top-left corner: dark pixels on the button face.
            const QRect numberBox(cell.topLeft(), QSize(8, QFontMetrics(grid->font()).height()));
            bool dark = false;
            for (int x = numberBox.left(); x <= numberBox.right(); ++x)
                for (int y = numberBox.top(); y <= numberBox.bottom(); ++y)
                    dark = dark || qGray(image.pixel(x, y)) < 100;
            QVERIFY(dark);
            // The frame's top-left corner and white paper inside it.
            const QPoint corner(cell.left() + s.window->thumbXOffset, cell.top() + 10);
            QCOMPARE(QColor(image.pixel(corner)), QColor(Qt::black));
            QCOMPARE(QColor(image.pixel(corner + QPoint(3, 3))), QColor(Qt::white));
        }
    }

    void widerPaneGivesLargerThumbnails()
    {
        Book book(1);
        Shown s(book);
        const int width = s.window->thumbWidth, height = s.window->thumbHeight;
        QSplitter *splitter = s.window->findChild<QSplitter *>(QStringLiteral("Splitter2"));
        splitter->setSizes({400, splitter->width() - 400});
        QVERIFY(s.window->thumbWidth > width);
        QVERIFY(s.window->thumbHeight > height);
        const double expected =
            std::nearbyint(s.window->thumbWidth / 230.0 * 126.0 - s.window->thumbTextHeight);
        QCOMPARE(s.window->thumbHeight, int(expected));
    }

    void setUpDisablesTheZoomButtonsEvenWhenCancelled_data()
    {
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("cancelled") << false;
        QTest::newRow("confirmed") << true;
    }

    void setUpDisablesTheZoomButtonsEvenWhenCancelled()
    {
        QFETCH(bool, confirmed);
        int dialogs = 0;
        WaybillPrintJob::setPrintDialogHook([&](QPrinter &, QWidget *) {
            ++dialogs;
            return confirmed;
        });
        Book book(3);
        Shown s(book);
        QVERIFY(s.generate());
        s.button(8)->click();
        QCOMPARE(dialogs, 1);
        for (int b = 1; b <= 10; ++b)
            QCOMPARE(s.button(b)->isEnabled(), b > 3);
        s.button(7)->click();
        QCOMPARE(s.window->panelText(1), QStringLiteral("第 3/3 页"));
    }

    void printSendsEveryPageToTheChosenPrinter()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("printed.pdf"));
        WaybillPrintJob::setPrintDialogHook([&](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        Book book(3);
        Shown s(book);
        QVERIFY(s.generate());
        s.button(8)->click();
        s.button(9)->click();
        QVERIFY(s.window); // the preview stays open
        QCOMPARE(printfixture::pdfPageCount(pdf), 3);
        QCOMPARE(printfixture::pdfPageSize(pdf), QStringLiteral("652 x 357"));
        QVERIFY(printfixture::pageTexts(printfixture::pdfWords(pdf), 3).contains(QStringLiteral("李四2")));
    }

    // An address that does not fit even at the smallest size: named in the status bar, and
    // printing asks first.
    void shortenedAddressesAreNamedAndAskedAbout()
    {
        Book book(0);
        QVector<QStringList> rows;
        for (int i = 0; i < 3; ++i) {
            QStringList r = printfixture::recipient(i);
            if (i == 1)
                r[2] = QStringLiteral("江苏省苏州市工业园区星湖街三百二十八号创意产业园十二幢五楼五零八室研发"
                                      "中心转交张工程师收，"
                                      "请于工作日下午两点到五点之间送达，送达前请提前半小时电话联系")
                           .repeated(3);
            rows << r;
        }
        book.folder.insert(QStringLiteral("inrxx"), rows);
        book.recipients.close();
        book.recipients.open();
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("printed.pdf"));
        WaybillPrintJob::setPrintDialogHook([&](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        Shown s(book);
        QVERIFY(s.generate());
        QVERIFY2(
            s.window->addressNote().startsWith(QStringLiteral("第 2 张快递单的收件地址过长，只打印了前 ")),
            qPrintable(s.window->addressNote()));
        QStringList asked;
        bool goOn = false;
        messages::setConfirmRecorder([&](QWidget *owner, const QString &text) {
            asked << text;
            return owner == s.window && goOn;
        });
        s.button(8)->click();
        s.button(9)->click();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().startsWith(s.window->addressNote()));
        QVERIFY(!QFile::exists(pdf)); // stopped: nothing printed
        goOn = true;
        s.button(9)->click();
        messages::setConfirmRecorder({});
        QCOMPARE(printfixture::pdfPageCount(pdf), 3);
    }

    void previewReturnsWhenTheWindowCloses()
    {
        Book book(3);
        WaybillPrintJob report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        report.setReportTitle(QStringLiteral("批量快递单"));
        QString caption, panel1, panel2;
        QTimer::singleShot(0, this, [&] {
            PreviewWindow *w = report.previewWindow();
            QVERIFY(w && w->isVisible());
            QTRY_VERIFY(report.isGenerated());
            caption = w->windowTitle();
            panel1 = w->panelText(1);
            panel2 = w->panelText(2);
            report.preview(); // a second call only brings the open window forward
            QCOMPARE(report.previewWindow(), w);
            w->buttons[9]->click();
        });
        report.preview();
        QCOMPARE(caption, QStringLiteral("批量快递单"));
        QCOMPARE(panel1, QStringLiteral("第 1/3 页"));
        QCOMPARE(panel2, QStringLiteral("批量快递单"));
        QVERIFY(!report.previewWindow());
        QCOMPARE(lastPreviewTitle, QStringLiteral("批量快递单"));
    }

    void closingThePreviewStopsTheRun()
    {
        Book book(5000);
        WaybillPrintJob report(PositionSet::Batch);
        report.setSenderDataset(&book.senders);
        report.setRecipientDataset(&book.recipients);
        report.setRecordSource(&book.recipients);
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(report.pages().count() > 0);
            report.previewWindow()->close();
        });
        report.preview();
        QVERIFY(!report.isGenerating());
        QVERIFY(report.pages().count() < 5000);
    }
};

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
