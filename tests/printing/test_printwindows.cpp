#include "addressbook/RecipientTableModel.h"
#include "printwindows/BatchWaybillWindow.h"
#include "printwindows/LayoutView.h"
#include "printwindows/PreviewWindow.h"
#include "printwindows/PrinterCalibrationDialog.h"
#include "printwindows/SingleWaybillWindow.h"
#include "printwindows/WaybillPrintJob.h"
#include "recipients/RecipientPage.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "testsupport.h"
#include "widgets/Controls.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

using testsupport::DatabaseFolder;
using testsupport::MessageLog;

namespace {

QStringList person(const QString &name)
{
    return {name + QStringLiteral("公司"),
            name,
            name + QStringLiteral("的地址"),
            QStringLiteral("100000"),
            QStringLiteral("010-1"),
            QStringLiteral("139") + QString::number(name.size()),
            QString()};
}

const QStringList kSender{"朴桥商贸",    "王经理", "北京市朝阳区建国路88号", "100022", "010-8588",
                          "13911112222", "王"};

// The texts printed on each page of a run, in field order (empty fields print nothing).
QVector<QStringList> pageTexts(printing::WaybillReport &report)
{
    const printing::PageList pages = report.generate();
    QVector<QStringList> out;
    for (const printing::Page &page : pages.pages) {
        QStringList texts;
        for (int i = 0; i < page.itemCount(); ++i)
            texts << page.text(i).toString();
        out << texts;
    }
    return out;
}

double fittedWidth(WaybillWindow &window, const QString &column)
{
    for (const LayoutView::Field &f : window.layoutView->fields())
        if (f.text == column)
            return f.rect.width();
    return -1;
}

} // namespace

class TestPrintWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { app::configure(); }
    void singlePrintsTheSelectedRecipientAndTheSavedSender();
    void singleOnAnEmptyBookPrintsTheSenderOnly();
    void previewOpensAndReturnsWhenClosed();
    void batchPrintsEveryRecipientWhateverTheSearch();
    void batchReadsAfreshAtEveryActivation();
    void batchPrintsTheChosenRowsInTableOrder_data();
    void batchPrintsTheChosenRowsInTableOrder();
    void batchWithoutDatabasePrintsOneBlankPage();
    void fontChoice();
    void hoverOfThePrintButton();
    void calibrationDialogIsAWindowModalChild();
};

void TestPrintWindows::singlePrintsTheSelectedRecipientAndTheSavedSender()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("outrxx"), {kSender});
    folder.insert(QStringLiteral("inrxx"), {person("甲"), person("乙"), person("丙")});
    MessageLog log;
    MainWindow form;
    SingleWaybillWindow single(&form.senderQuery, &form.recipientQuery, &form);
    QCOMPARE(single.windowTitle(), QStringLiteral("单张打印EMS快递单"));
    QCOMPARE(single.size(), QSize(882, 516));
    form.recipientQuery.setCurrentRow(1);
    // Typed but not saved: the saved sender is printed.
    form.showSender();
    form.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("未保存的名字"));
    const auto pages = pageTexts(*single.report());
    QCOMPARE(pages.size(), 1);
    QVERIFY2(pages[0].contains(QStringLiteral("乙")), qPrintable(pages[0].join('|')));
    QVERIFY(!pages[0].contains(QStringLiteral("甲")));
    QVERIFY(pages[0].contains(QStringLiteral("王经理")));
    QVERIFY(!pages[0].contains(QStringLiteral("未保存的名字")));
}

void TestPrintWindows::singleOnAnEmptyBookPrintsTheSenderOnly()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("outrxx"), {kSender});
    MainWindow form;
    SingleWaybillWindow single(&form.senderQuery, &form.recipientQuery, &form);
    const auto pages = pageTexts(*single.report());
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].size(), 7); // the seven sender fields and nothing else
    for (const QString &text : QStringList{"王经理", "13911112222", "朴桥商贸", "100022"})
        QVERIFY(pages[0].contains(text));
}

void TestPrintWindows::previewOpensAndReturnsWhenClosed()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲")});
    MainWindow form;
    SingleWaybillWindow single(&form.senderQuery, &form.recipientQuery, &form);
    int pagesShown = -1;
    QTimer::singleShot(0, this, [&] {
        printing::PreviewWindow *preview = single.report()->previewWindow();
        QVERIFY(preview);
        QTRY_VERIFY(single.report()->isGenerated());
        pagesShown = single.report()->pages().count();
        preview->close();
    });
    QTest::mouseClick(single.printButton, Qt::LeftButton); // returns when the preview closes
    QCOMPARE(pagesShown, 1);
}

void TestPrintWindows::batchPrintsEveryRecipientWhateverTheSearch()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("outrxx"), {kSender});
    folder.insert(QStringLiteral("inrxx"), {person("甲"), person("乙乙"), person("丙丙丙")});
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    page->searchNameEdit->setText(QStringLiteral("乙"));
    page->searchRecipients();
    QCOMPARE(form.recipientQuery.recordCount(), 1);

    BatchWaybillWindow batch(&form);
    QCOMPARE(batch.windowTitle(), QStringLiteral("批量打印EMS快递单"));
    batch.reopenBook();
    const auto pages = pageTexts(*batch.report());
    QCOMPARE(pages.size(), 3);
    const QStringList names{"甲", "乙乙", "丙丙丙"};
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(pages[i].contains(names[i]), qPrintable(pages[i].join('|')));
        QVERIFY(pages[i].contains(QStringLiteral("王经理")));
    }
}

void TestPrintWindows::batchReadsAfreshAtEveryActivation()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲")});
    MessageLog log;
    MainWindow form;
    BatchWaybillWindow batch(&form);
    QVERIFY(batch.connection.isOpen()); // opened as the window was created
    QVERIFY(!batch.recipients.isActive());
    batch.show();
    QVERIFY(QTest::qWaitForWindowActive(&batch)); // activation opens both datasets
    QVERIFY(batch.recipients.isActive() && batch.senders.isActive());
    QCOMPARE(pageTexts(*batch.report()).size(), 1);

    // A recipient added and a sender saved in the main window are printed at the next activation.
    RecipientPage *page = form.recipientPage();
    const QStringList added = person("新");
    for (int i = 0; i < 7; ++i)
        page->addEdits[size_t(i)]->setText(added.at(i));
    page->addRecipient();
    form.showSender();
    auto edit = [&form](const char *name) { return form.findChild<QLineEdit *>(QString::fromLatin1(name)); };
    edit("Edit2")->setText(QStringLiteral("新寄件人"));
    edit("Edit3")->setText(QStringLiteral("地址"));
    edit("Edit6")->setText(QStringLiteral("1"));
    form.saveSender();
    QCOMPARE(pageTexts(*batch.report()).size(), 1);
    batch.reopenBook();
    const auto pages = pageTexts(*batch.report());
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[1].contains(QStringLiteral("新")));
    QVERIFY(pages[0].contains(QStringLiteral("新寄件人")));
    QVERIFY(log.errors.isEmpty());
}

void TestPrintWindows::batchWithoutDatabasePrintsOneBlankPage()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("outrxx"), {kSender});
    folder.insert(QStringLiteral("inrxx"), {person("甲"), person("乙")});
    MessageLog log;
    MainWindow form;
    BatchWaybillWindow batch(&form);
    batch.reopenBook();
    QCOMPARE(pageTexts(*batch.report()).size(), 2);

    QTemporaryDir elsewhere; // the current directory no longer holds data.mdb
    QDir::setCurrent(elsewhere.path());
    batch.show();
    QVERIFY(QTest::qWaitForWindowActive(&batch));
    QCOMPARE(log.errors.size(), 1);
    QVERIFY2(log.errors.first().contains(QStringLiteral("unable to open database file")),
             qPrintable(log.errors.first()));
    const auto pages = pageTexts(*batch.report());
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages[0].isEmpty());
    QVERIFY(!QFile::exists(elsewhere.filePath(QStringLiteral("data.mdb"))));
    QDir::setCurrent(folder.path());
}

void TestPrintWindows::fontChoice()
{
    DatabaseFolder folder;
    MainWindow form;
    SingleWaybillWindow single(&form.senderQuery, &form.recipientQuery, &form);
    BatchWaybillWindow batch(&form);
    QFont offered;
    bool confirm = false;
    QFont answer;
    single.chooseFont = [&](QFont &font, QWidget *) {
        offered = font;
        if (confirm)
            font = answer;
        return confirm;
    };
    const double before = fittedWidth(single, QStringLiteral("寄件人姓名"));
    QVERIFY(before > 0);

    single.chooseFieldFont(); // cancelled: nothing changes
    QCOMPARE(offered.family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(offered.pointSizeF(), 8.0);
    QCOMPARE(fittedWidth(single, QStringLiteral("寄件人姓名")), before);
    QCOMPARE(single.report()->layout().fieldFont().pointSizeF(), 10.0);

    confirm = true;
    answer = QFont(QStringLiteral("宋体"), 16);
    single.chooseFieldFont();
    QVERIFY(fittedWidth(single, QStringLiteral("寄件人姓名")) > before * 1.4);
    QCOMPARE(single.report()->layout().fieldFont().pointSizeF(), 16.0);
    QCOMPARE(batch.report()->layout().fieldFont().pointSizeF(), 10.0); // each window its own
    single.chooseFieldFont();
    QCOMPARE(offered.pointSizeF(), 16.0); // the dialog starts from the last choice

    // The next run prints with the new font.
    const printing::PageList pages = single.report()->generate();
    QCOMPARE(pages.fonts.font(0).pointSizeF(), 16.0);
}

void TestPrintWindows::hoverOfThePrintButton()
{
    DatabaseFolder folder;
    MainWindow form;
    SingleWaybillWindow single(&form.senderQuery, &form.recipientQuery, &form);
    single.show();
    QVERIFY(QTest::qWaitForWindowExposed(&single));
    QTest::mouseMove(single.printButton, QPoint(40, 12));
    QCOMPARE(single.printPanel->color(), QColor(Qt::white));
    QTest::mouseMove(single.buttonBar, QPoint(500, 15));
    QCOMPARE(single.printPanel->color(), buttonFace());
    single.hoverPrintButton();
    QTest::mouseMove(single.layoutView, QPoint(20, 300)); // the picture, away from every field
    QCOMPARE(single.printPanel->color(), buttonFace());
}

// "校 准" sits beside "打 印" and opens the calibration dialog as a window-modal child of the
// print window, so that a window manager keeps it on top of that window.
void TestPrintWindows::calibrationDialogIsAWindowModalChild()
{
    DatabaseFolder folder;
    MainWindow form;
    SingleWaybillWindow single(&form.senderQuery, &form.recipientQuery, &form);
    BatchWaybillWindow batch(&form);
    for (WaybillWindow *window :
         {static_cast<WaybillWindow *>(&single), static_cast<WaybillWindow *>(&batch)}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->calibrateButton->text(), QStringLiteral("校 准"));
        const QRect print(window->printButton->mapTo(window, QPoint()), window->printButton->size());
        const QRect calibrate(window->calibrateButton->mapTo(window, QPoint()),
                              window->calibrateButton->size());
        QCOMPARE(calibrate.top(), print.top());
        QVERIFY(calibrate.left() > print.right() && calibrate.left() - print.right() < 20);
        QTest::mouseClick(window->calibrateButton, Qt::LeftButton);
        auto *dialog = window->findChild<printing::PrinterCalibrationDialog *>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->parentWidget(), window);
        QVERIFY(dialog->isWindow());
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QCOMPARE(dialog->testPageButton->text(), QStringLiteral("打印校准页"));
        QCOMPARE(dialog->dxBox->maximum(), 30.0);
        QCOMPARE(dialog->dyBox->minimum(), -30.0);
        QCOMPARE(dialog->dxBox->singleStep(), 0.1);
        dialog->closeButton->click();
        QTRY_VERIFY(!window->findChild<printing::PrinterCalibrationDialog *>());
        window->hide();
    }
}

QTEST_MAIN(TestPrintWindows)
#include "test_printwindows.moc"

void TestPrintWindows::batchPrintsTheChosenRowsInTableOrder_data()
{
    QTest::addColumn<int>("scope");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("all") << int(printing::BatchScope::All)
                         << QStringList{"甲", "乙乙", "丙丙丙", "乙乙乙乙", "戊"};
    QTest::newRow("search") << int(printing::BatchScope::Search) << QStringList{"乙乙", "乙乙乙乙"};
    QTest::newRow("selection") << int(printing::BatchScope::Selection) << QStringList{"甲", "丙丙丙", "戊"};
}

void TestPrintWindows::batchPrintsTheChosenRowsInTableOrder()
{
    QFETCH(int, scope);
    QFETCH(QStringList, names);
    DatabaseFolder folder;
    folder.insert(QStringLiteral("outrxx"), {kSender});
    folder.insert(QStringLiteral("inrxx"),
                  {person("甲"), person("乙乙"), person("丙丙丙"), person("乙乙乙乙"), person("戊")});
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    BatchWaybillWindow batch(&form);
    batch.recipientSets.searchRowIds = [page] { return page->searchRowIds(); };
    batch.recipientSets.selectedRowIds = [page] { return page->selectedRowIds(); };
    auto *items = static_cast<QStandardItemModel *>(batch.recipientScope->model());

    // Selected bottom-up: the pages still come in table order.
    QItemSelectionModel *selection = page->recipientGrid->selectionModel();
    for (int row : {4, 0, 2})
        selection->select(page->model->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    batch.reopenBook();
    QVERIFY(!items->item(int(printing::BatchScope::Search))->isEnabled()); // no search yet
    if (scope == int(printing::BatchScope::Search)) {
        page->searchNameEdit->setText(QStringLiteral("乙"));
        page->searchRecipients();
        QCOMPARE(form.recipientQuery.recordCount(), 2);
    }
    // A recipient added by another copy of the program since: "all" prints it, the others do not.
    folder.insert(QStringLiteral("inrxx"), {person("己")});
    if (scope == int(printing::BatchScope::All))
        names << QStringLiteral("己");

    batch.reopenBook();
    batch.setScope(printing::BatchScope(scope));
    QCOMPARE(batch.scope(), printing::BatchScope(scope));
    QCOMPARE(batch.recipientCount->text(), QStringLiteral("共 %1 张快递单").arg(names.size()));
    const auto pages = pageTexts(*batch.report());
    QCOMPARE(pages.size(), names.size());
    for (int i = 0; i < pages.size(); ++i) {
        QVERIFY2(pages[i].contains(names[i]), qPrintable(pages[i].join('|')));
        QVERIFY(pages[i].contains(QStringLiteral("王经理")));
    }
    // Opened again, the window starts from the whole book.
    batch.show();
    QCOMPARE(batch.scope(), printing::BatchScope::All);
    QVERIFY(log.errors.isEmpty());
}
