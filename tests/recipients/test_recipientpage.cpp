#include "addressbook/RecipientTableModel.h"
#include "data/Database.h"
#include "recipients/RecipientPage.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "testsupport.h"
#include "widgets/Controls.h"

#include <QCryptographicHash>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using testsupport::DatabaseFolder;
using testsupport::MessageLog;

namespace {

QStringList person(const QString &name, const QString &mobile,
                   const QString &address = QStringLiteral("地址"))
{
    return {QStringLiteral("单位"),  name,   address,  QStringLiteral("100000"),
            QStringLiteral("010-1"), mobile, QString()};
}

void type(QLineEdit *edit, const QString &text)
{
    // Typed by the user: select all and type over, so the edit's changed flag is set.
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, text, Qt::NoModifier);
}

QString counters(RecipientPage *page)
{
    return page->positionCounter->text() + QLatin1Char('/') + page->totalCounter->text();
}

QStringList gridColumn(RecipientPage *page, int logical)
{
    QStringList out;
    for (int r = 0; r < page->model->rowCount(); ++r)
        out << page->model->index(r, logical).data().toString();
    return out;
}

// Answers the import's summary box with the button named (importConfirm or importCancel) once it
// is open, and keeps what it said.
struct SummaryAnswer
{
    QString headline;
    QString skipped;
    bool seen = false;
};

void answerImportSummary(QWidget *form, const QString &button, SummaryAnswer *answer)
{
    auto *poll = new QTimer(form);
    QObject::connect(poll, &QTimer::timeout, form, [=] {
        auto *box = form->findChild<QDialog *>(QStringLiteral("importSummary"));
        if (!box || !box->isVisible())
            return;
        poll->deleteLater();
        answer->seen = true;
        answer->headline = box->findChild<QLabel *>(QStringLiteral("importSummaryText"))->text();
        if (auto *list = box->findChild<QPlainTextEdit *>(QStringLiteral("importSkippedRows")))
            answer->skipped = list->toPlainText();
        box->findChild<QPushButton *>(button)->click();
    });
    poll->start(10);
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestRecipientPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { app::configure(); }
    void addValidation_data();
    void addValidation();
    void successfulAddIsLastAndCurrent();
    void modifyWritesOnlyChangedColumnsOfTheLoadedRow();
    void secondCopyReusedTheRowid();
    void modifyWithNothingLoaded();
    void deleteConfirmedCancelledAndEmpty();
    void search_data();
    void search();
    void searchWithBothOrNeitherEditDoesNothing();
    void rowNumbersFollowTheMovedColumn();
    void keyboardMovesLeaveThePositionCounterAClickSetsIt();
    void contextMenuItems();
    void exportButton();
    void failedWriteLeavesListAndCountersWhole_data();
    void failedWriteLeavesListAndCountersWhole();
    void longCountsShowWhole();
    void importButton();
    void importOfAnUnreadableFile_data();
    void importOfAnUnreadableFile();
    void severalRowsSelectedModifyAndDeleteTheCurrentOne();
};

void TestRecipientPage::addValidation_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("message");
    QTest::newRow("all empty") << QStringList{"", "", "", "", "", "", ""} << "收件人姓名不能为空！";
    QTest::newRow("name only") << QStringList{"", "张三", "", "", "", "", ""} << "收件地址不能为空！";
    QTest::newRow("no mobile") << QStringList{"", "张三", "地址", "", "", "", ""} << "手机号码不能为空！";
    QTest::newRow("blank name is content") << QStringList{"", " ", "地址", "", "", "1", ""} << QString();
}

void TestRecipientPage::addValidation()
{
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    DatabaseFolder folder;
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    page->totalCounter->setText(QStringLiteral("x"));
    page->positionCounter->setText(QStringLiteral("x"));
    for (int i = 0; i < 7; ++i)
        page->addEdits[size_t(i)]->setText(edits.at(i));
    page->addRecipient();
    QCOMPARE(log.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), message.isEmpty() ? 1 : 0);
    // Counters are refreshed whatever happened; a refused add keeps the typed texts.
    QCOMPARE(counters(page), message.isEmpty() ? QStringLiteral("1/1") : QStringLiteral("0/0"));
    QCOMPARE(page->addEdits[1]->text(), message.isEmpty() ? QString() : edits.at(1));
}

void TestRecipientPage::successfulAddIsLastAndCurrent()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "13900001111"), person("乙", "13900002222")});
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    const QStringList values{"新公司",      "丙",  "杭州市西湖区文三路1203室", "310000", "0571-1",
                             "13700003333", "备注"};
    for (int i = 0; i < 7; ++i)
        page->addEdits[size_t(i)]->setText(values.at(i));
    QTest::mouseClick(page->addConfirmButton, Qt::LeftButton);
    QCOMPARE(counters(page), QStringLiteral("3/3"));
    QCOMPARE(form.recipientQuery.fieldText(QStringLiteral("收件人姓名")), QStringLiteral("丙"));
    QCOMPARE(page->recipientGrid->currentIndex().row(), 2);
    for (QLineEdit *e : page->addEdits)
        QVERIFY(e->text().isEmpty());
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).last(), values); // in the file, for any other connection
}

void TestRecipientPage::modifyWritesOnlyChangedColumnsOfTheLoadedRow()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "13900001111"), person("乙", "13900002222")});
    MessageLog log;
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    RecipientPage *page = form.recipientPage();
    // Load row 1 (甲) with a double-click, then select row 2 (乙) before confirming.
    const QRect row1 = page->recipientGrid->visualRect(page->model->index(0, 2));
    QTest::mouseClick(page->recipientGrid->viewport(), Qt::LeftButton, {}, row1.center());
    QTest::mouseDClick(page->recipientGrid->viewport(), Qt::LeftButton, {}, row1.center());
    QVERIFY(page->modifyPanel->isVisible());
    QCOMPARE(page->modifyEdits[1]->text(), QStringLiteral("甲"));
    form.recipientQuery.setCurrentRow(1);
    // Another program changes the remark meanwhile: an unchanged edit must not write it back.
    {
        db::Connection other;
        other.setPath(folder.databasePath());
        other.open();
        other.exec(QStringLiteral("UPDATE inrxx SET 备注='别处改的' WHERE 收件人姓名='甲'"));
    }
    type(page->modifyEdits[2], QStringLiteral("新地址"));
    type(page->modifyEdits[1], QString()); // a required column may be emptied here
    page->saveModifiedRecipient();
    // The row is no longer what the panel was loaded from: refused, and the list read again.
    auto rows = folder.rows(QStringLiteral("inrxx"));
    QCOMPARE(rows.at(0).at(1), QStringLiteral("甲"));
    QCOMPARE(rows.at(0).at(2), person("甲", "13900001111").at(2));
    QCOMPARE(rows.at(0).at(6), QStringLiteral("别处改的"));
    QCOMPARE(rows.at(1), person("乙", "13900002222"));
    for (QLineEdit *e : page->modifyEdits)
        QVERIFY(e->text().isEmpty());
    QCOMPARE(log.messages, QStringList{QStringLiteral("该记录已被其他用户修改或删除，列表已刷新")});
    QCOMPARE(page->model->index(0, 7).data().toString(), QStringLiteral("别处改的"));

    // Loaded again, the same change goes through, to the changed columns only.
    log.clear();
    QTest::mouseClick(page->recipientGrid->viewport(), Qt::LeftButton, {}, row1.center());
    QTest::mouseDClick(page->recipientGrid->viewport(), Qt::LeftButton, {}, row1.center());
    QCOMPARE(page->modifyEdits[1]->text(), QStringLiteral("甲"));
    type(page->modifyEdits[2], QStringLiteral("新地址"));
    type(page->modifyEdits[1], QString());
    page->saveModifiedRecipient();
    rows = folder.rows(QStringLiteral("inrxx"));
    QCOMPARE(rows.at(0).at(1), QString());
    QCOMPARE(rows.at(0).at(2), QStringLiteral("新地址"));
    QCOMPARE(rows.at(0).at(6), QStringLiteral("别处改的"));
    QCOMPARE(rows.at(1), person("乙", "13900002222"));
    for (QLineEdit *e : page->modifyEdits)
        QVERIFY(e->text().isEmpty());
    QVERIFY(log.messages.isEmpty());
    QCOMPARE(page->model->index(0, 3).data().toString(),
             QStringLiteral("新地址")); // the grid shows it at once
}

void TestRecipientPage::secondCopyReusedTheRowid()
{
    // Copy A shows B_add1; copy B deletes it and adds B_new, which gets the freed rowid.
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "13900001111"), person("B_add1", "13900002222")});
    MessageLog log;
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    RecipientPage *page = form.recipientPage();
    page->confirmDelete = [](QWidget *) { return true; };
    {
        db::Connection b;
        b.setPath(folder.databasePath());
        b.open();
        b.exec(QStringLiteral("DELETE FROM inrxx WHERE 收件人姓名='B_add1'"));
        b.exec(QStringLiteral(
            "INSERT INTO inrxx VALUES ('B单位','B_new','B地址','100000','010','13700000000','B备注')"));
    }
    const auto bNew = folder.rows(QStringLiteral("inrxx")).at(1);
    const QString conflict = QStringLiteral("该记录已被其他用户修改或删除，列表已刷新");

    const QRect row2 = page->recipientGrid->visualRect(page->model->index(1, 2));
    QTest::mouseClick(page->recipientGrid->viewport(), Qt::LeftButton, {}, row2.center());
    QTest::mouseDClick(page->recipientGrid->viewport(), Qt::LeftButton, {}, row2.center());
    QCOMPARE(page->modifyEdits[1]->text(), QStringLiteral("B_add1"));
    type(page->modifyEdits[2], QStringLiteral("A写的地址"));
    page->saveModifiedRecipient();
    QCOMPARE(log.messages, QStringList{conflict});
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).at(1), bNew);
    QCOMPARE(page->model->index(1, 2).data().toString(), QStringLiteral("B_new")); // read again

    // A deletes what it showed before the refresh: made stale by B again.
    {
        db::Connection b;
        b.setPath(folder.databasePath());
        b.open();
        b.exec(QStringLiteral("DELETE FROM inrxx WHERE 收件人姓名='B_new'"));
        b.exec(QStringLiteral(
            "INSERT INTO inrxx VALUES ('B单位','B_new2','B地址','100000','010','13700000000','B备注')"));
    }
    const auto bNew2 = folder.rows(QStringLiteral("inrxx")).at(1);
    log.clear();
    form.recipientQuery.setCurrentRow(1);
    page->deleteRecipient();
    QCOMPARE(log.messages, QStringList{conflict});
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 2);
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).at(1), bNew2);
    QCOMPARE(page->totalCounter->text(), QStringLiteral("2"));
}

void TestRecipientPage::modifyWithNothingLoaded()
{
    DatabaseFolder folder;
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    page->startModifying(); // empty list: all seven edits empty
    for (QLineEdit *e : page->modifyEdits)
        QVERIFY(e->text().isEmpty());
    type(page->modifyEdits[1], QStringLiteral("x"));
    page->saveModifiedRecipient();
    QCOMPARE(log.messages, QStringList{"当前修改信息为空！"});
    QVERIFY(page->modifyEdits[1]->text().isEmpty());
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 0);

    // A loaded row deleted before "确 定" is not written either.
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1")});
    form.showRecipients();
    page->startModifying();
    page->confirmDelete = [](QWidget *) { return true; };
    page->deleteRecipient();
    type(page->modifyEdits[1], QStringLiteral("y"));
    log.clear();
    page->saveModifiedRecipient();
    QCOMPARE(log.messages, QStringList{"当前修改信息为空！"});
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 0);
}

void TestRecipientPage::deleteConfirmedCancelledAndEmpty()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1"), person("乙", "2")});
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    bool answer = false;
    int asked = 0;
    page->confirmDelete = [&](QWidget *) {
        ++asked;
        return answer;
    };
    form.recipientQuery.setCurrentRow(1);
    form.panel(14)->setColor(Qt::white);
    page->deleteRecipient();
    QCOMPARE(asked, 1);
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 2);
    QCOMPARE(counters(page), QStringLiteral("2/2"));
    QCOMPARE(form.panel(14)->color(), buttonFace());

    answer = true;
    page->deleteRecipient(); // deletes 乙; 甲 becomes current
    QCOMPARE(counters(page), QStringLiteral("1/1"));
    page->deleteRecipient();
    QCOMPARE(counters(page), QStringLiteral("0/0"));
    QVERIFY(log.messages.isEmpty());
    page->deleteRecipient();
    QCOMPARE(asked, 3);
    QCOMPARE(log.messages, QStringList{"不能删除空信息！"});
    QCOMPARE(counters(page), QStringLiteral("0/0"));
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 0);
}

void TestRecipientPage::search_data()
{
    QTest::addColumn<bool>("byName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("name part") << true << "明" << QStringList{"王小明", "李明华"};
    QTest::newRow("mobile last four") << false << "8888" << QStringList{"O'Brien", "李明华"};
    QTest::newRow("latin, any case") << true << "obrien" << QStringList{};
    QTest::newRow("latin, other case") << true << "o'brien" << QStringList{"O'Brien"};
    QTest::newRow("double quote") << true << "\"" << QStringList{"Say \"Hi\""};
    QTest::newRow("percent is literal") << true << "%" << QStringList{"100%"};
    QTest::newRow("underscore is literal") << true << "_" << QStringList{"a_b"};
    QTest::newRow("backslash") << true << "\\" << QStringList{"back\\slash"};
    QTest::newRow("cyrillic") << true << "Иван" << QStringList{"Иван"};
    QTest::newRow("statement text") << true << "\" or 1=1 --" << QStringList{};
    QTest::newRow("no match") << true << "不存在" << QStringList{};
}

void TestRecipientPage::search()
{
    QFETCH(bool, byName);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"),
                  {person("王小明", "13900001234"), person("O'Brien", "13988888888"),
                   person("李明华", "13588881111"), person("Say \"Hi\"", "1"), person("100%", "2"),
                   person("a_b", "3"), person("axb", "4"), person("back\\slash", "5"), person("Иван", "6")});
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    page->startSearching();
    QVERIFY(page->searchPanel->isVisibleTo(form.recipientPageBox));
    (byName ? page->searchNameEdit : page->searchMobileEdit)->setText(text);
    page->searchRecipients();
    QVERIFY(form.recipientQuery.isActive());
    QCOMPARE(gridColumn(page, 2), expected);
    // Numbers restart at 1 in the result; counters stay as they were.
    QStringList numbers;
    for (int i = 1; i <= expected.size(); ++i)
        numbers << QString::number(i);
    QCOMPARE(gridColumn(page, 0), numbers);
    QCOMPARE(counters(page), QStringLiteral("1/9"));
    QVERIFY(log.messages.isEmpty() && log.errors.isEmpty());

    form.showRecipients(); // "收件信息" lists the whole table again
    QCOMPARE(page->model->rowCount(), 9);
}

void TestRecipientPage::searchWithBothOrNeitherEditDoesNothing()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1"), person("乙", "2")});
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    page->searchNameEdit->setText(QStringLiteral("x"));
    page->startSearching(); // showing the panel empties both edits
    QVERIFY(page->searchNameEdit->text().isEmpty());
    page->searchRecipients();
    QCOMPARE(page->model->rowCount(), 2);
    page->searchNameEdit->setText(QStringLiteral("甲"));
    page->searchMobileEdit->setText(QStringLiteral("2"));
    page->searchRecipients();
    QCOMPARE(page->model->rowCount(), 2);
    QCOMPARE(form.recipientQuery.sql(), QStringLiteral("select * from inrxx"));
}

void TestRecipientPage::rowNumbersFollowTheMovedColumn()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1"), person("乙", "2"), person("丙", "3")});
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    QHeaderView *header = page->recipientGrid->horizontalHeader();
    header->moveSection(0, 4);
    QCOMPARE(header->logicalIndex(4), 0);
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        const QString title = page->model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString();
        const QStringList shown = gridColumn(page, logical);
        if (title == QStringLiteral("序号"))
            QCOMPARE(shown, QStringList({"1", "2", "3"}));
        else
            QVERIFY(!shown.contains(QStringLiteral("1")) || title == QStringLiteral("手机号码"));
    }
    QCOMPARE(gridColumn(page, 2), QStringList({"甲", "乙", "丙"}));
    // A title click only toggles the marker; the rows keep their order.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, 5));
    QCOMPARE(gridColumn(page, 2), QStringList({"甲", "乙", "丙"}));
}

void TestRecipientPage::keyboardMovesLeaveThePositionCounterAClickSetsIt()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1"), person("乙", "2"), person("丙", "3")});
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    RecipientPage *page = form.recipientPage();
    QCOMPARE(page->positionCounter->text(), QStringLiteral("1"));
    page->recipientGrid->setFocus();
    QTest::keyClick(page->recipientGrid, Qt::Key_Down);
    QCOMPARE(form.recipientQuery.recNo(), 2); // the current row moves with the grid
    QCOMPARE(page->positionCounter->text(), QStringLiteral("1"));
    const QRect third = page->recipientGrid->visualRect(page->model->index(2, 1));
    QTest::mouseClick(page->recipientGrid->viewport(), Qt::LeftButton, {}, third.center());
    QCOMPARE(form.recipientQuery.recNo(), 3);
    QCOMPARE(page->positionCounter->text(), QStringLiteral("3"));
}

void TestRecipientPage::contextMenuItems()
{
    DatabaseFolder folder;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    QStringList captions;
    for (QAction *a : page->gridMenu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions, QStringList({"添 加", "修 改", "删 除", "查 询", "-", "单张打印", "批量打印"}));
    page->gridMenu->findChild<QAction *>(QStringLiteral("N8"))->trigger();
    QVERIFY(page->searchPanel->isVisibleTo(form.recipientPageBox));
    page->gridMenu->findChild<QAction *>(QStringLiteral("N5"))->trigger();
    QVERIFY(page->addPanel->isVisibleTo(form.recipientPageBox));
}

void TestRecipientPage::exportButton()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1"), person("乙", "2"), person("丙", "3")});
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    form.recipientQuery.setCurrentRow(1);
    QString chosen;
    page->chooseExportFile = [&](QWidget *) { return chosen; };

    page->exportRecipients(); // cancelled
    QVERIFY(log.messages.isEmpty() && log.errors.isEmpty());

    chosen = folder.path() + QStringLiteral("/收件人.xls");
    page->exportRecipients();
    QCOMPARE(log.messages, QStringList{"成功导出全部数据!"});
    QFile file(chosen + QStringLiteral(".xls"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(8).toHex(), QByteArray("d0cf11e0a1b11ae1")); // an OLE2 compound file
    QCOMPARE(form.recipientQuery.recNo(), 3);                       // left on the last row
    QCOMPARE(page->recipientGrid->currentIndex().row(), 2);
    QCOMPARE(counters(page), QStringLiteral("1/3")); // counters untouched

    log.clear();
    chosen = folder.path() + QStringLiteral("/no such folder/book");
    page->exportRecipients();
    QVERIFY(log.messages.isEmpty());
    QCOMPARE(log.errors.size(), 1);
    QVERIFY(!QFile::exists(chosen + QStringLiteral(".xls")));
}

void TestRecipientPage::failedWriteLeavesListAndCountersWhole_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("countersAfterRetry");
    QTest::newRow("add") << "add"
                         << "3/3";
    QTest::newRow("modify") << "modify"
                            << "2/2";
    QTest::newRow("delete") << "delete"
                            << "1/1";
}

void TestRecipientPage::failedWriteLeavesListAndCountersWhole()
{
    QFETCH(QString, operation);
    QFETCH(QString, countersAfterRetry);
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "13900001111"), person("乙", "13900002222")});
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    page->confirmDelete = [](QWidget *) { return true; };
    form.recipientQuery.setCurrentRow(1);
    page->setPositionCounter();
    QCOMPARE(counters(page), QStringLiteral("2/2"));

    // Another program holds the file.
    db::Connection other;
    other.setPath(folder.databasePath());
    other.open();
    other.exec(QStringLiteral("BEGIN EXCLUSIVE"));

    QToolButton *button = nullptr;
    if (operation == "add") {
        const QStringList values{"", "丙", "地址", "", "", "13700003333", ""};
        for (int i = 0; i < 7; ++i)
            page->addEdits[size_t(i)]->setText(values.at(i));
        button = page->addConfirmButton;
    } else if (operation == "modify") {
        QTest::mouseClick(form.speedButton(10), Qt::LeftButton);
        type(page->modifyEdits[1], QStringLiteral("乙改"));
        button = page->modifyConfirmButton;
    } else {
        button = form.speedButton(11);
    }
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(log.errors.size(), 1);
    QVERIFY2(log.errors.first().contains(QStringLiteral("正被其他程序使用")), qPrintable(log.errors.first()));
    // Nothing half-done: list, counters and current row as the file holds them; the typed texts
    // wait for a retry.
    QCOMPARE(form.recipientQuery.state(), db::Dataset::State::Browse);
    QCOMPARE(page->model->rowCount(), 2);
    QCOMPARE(counters(page), QStringLiteral("2/2"));
    QCOMPARE(page->recipientGrid->currentIndex().row(), 1);
    QCOMPARE(gridColumn(page, 2), (QStringList{"甲", "乙"}));
    if (operation == "add")
        QCOMPARE(page->addEdits[1]->text(), QStringLiteral("丙"));
    if (operation == "modify")
        QCOMPARE(page->modifyEdits[1]->text(), QStringLiteral("乙改"));

    other.exec(QStringLiteral("ROLLBACK"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(log.errors.size(), 1);
    QCOMPARE(counters(page), countersAfterRetry);
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), page->model->rowCount());
    if (operation == "modify")
        QCOMPARE(folder.rows(QStringLiteral("inrxx")).at(1).at(1), QStringLiteral("乙改"));
}

void TestRecipientPage::longCountsShowWhole()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1")});
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    QWidget *line = page->totalCounter->parentWidget();
    const QStringList order{"Label32", "Label33", "Label34", "Label35", "Label29", "Label31", "Label30"};
    // A seven-digit number in either counter pushes the words after it aside instead of being cut
    // (each setter lays out the whole line).
    for (int which = 0; which < 2; ++which) {
        if (which == 0) {
            page->totalCounter->setText(QStringLiteral("1234567"));
            page->setPositionCounter();
        } else {
            page->positionCounter->setText(QStringLiteral("1234567"));
            page->setTotalCounter();
        }
        int right = 0;
        for (const QString &name : order) {
            auto *l = line->findChild<QLabel *>(name);
            QVERIFY2(l->x() >= right, qPrintable(name));
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(name));
            right = l->x() + l->width();
        }
    }
    // The 序号 column holds seven digits.
    const QFontMetrics fm(page->recipientGrid->font());
    QVERIFY(page->recipientGrid->columnWidth(0) >= fm.horizontalAdvance(QStringLiteral("1234567")) + 6);
    // The grid's hint is there over the rows, not only over the empty area below them.
    QCOMPARE(page->model->index(0, 3).data(Qt::ToolTipRole).toString(),
             QStringLiteral("双击可以修改收件人信息！"));
}

QTEST_MAIN(TestRecipientPage)
#include "test_recipientpage.moc"

void TestRecipientPage::importButton()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1"), person("乙", "2")});
    const QString csv = folder.path() + QStringLiteral("/客户.csv");
    {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("姓名,地址,手机,公司\n"
                "丙,\"北京市, 3号\",3,丙公司\n"
                "甲,某地,1,\n" // already in the book
                "丁,,4,\n"     // no address
                "戊,上海,5,戊公司\n");
    }
    MessageLog log;
    MainWindow form;
    RecipientPage *page = form.recipientPage();
    QCOMPARE(form.speedButton(14)->text(), QStringLiteral("导 入"));
    form.recipientQuery.setCurrentRow(0);
    QString chosen;
    page->chooseImportFile = [&](QWidget *) { return chosen; };

    page->importRecipients(); // the file dialog cancelled
    QVERIFY(log.messages.isEmpty() && log.errors.isEmpty());

    // Cancelled at the summary: the file is not touched.
    chosen = csv;
    const QByteArray before = fileHash(folder.databasePath());
    SummaryAnswer answer;
    answerImportSummary(&form, QStringLiteral("importCancel"), &answer);
    QTest::mouseClick(form.speedButton(14), Qt::LeftButton);
    QVERIFY(answer.seen);
    QVERIFY2(answer.headline.contains(QStringLiteral("将导入 2 个收件人；跳过重复 1 行，有错误 1 行。")),
             qPrintable(answer.headline));
    QCOMPARE(answer.skipped, QStringLiteral("第 4 行（有错误）：收件地址不能为空！\n"
                                            "第 3 行（重复）：通讯录中已有同名同手机号码的收件人"));
    QVERIFY(log.messages.isEmpty() && log.errors.isEmpty());
    QCOMPARE(fileHash(folder.databasePath()), before);
    QCOMPARE(counters(page), QStringLiteral("1/2"));

    // Confirmed: the rows go in after the others, the list is read again, the counters follow.
    SummaryAnswer confirmed;
    answerImportSummary(&form, QStringLiteral("importConfirm"), &confirmed);
    QTest::mouseClick(form.speedButton(14), Qt::LeftButton);
    QVERIFY(confirmed.seen);
    QCOMPARE(log.messages, QStringList{"成功导入 2 个收件人！"});
    QVERIFY(log.errors.isEmpty());
    const auto rows = folder.rows(QStringLiteral("inrxx"));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[2].mid(0, 3), (QStringList{"丙公司", "丙", "北京市, 3号"}));
    QCOMPARE(rows[3].at(1), QStringLiteral("戊"));
    QCOMPARE(gridColumn(page, 2), (QStringList{"甲", "乙", "丙", "戊"}));
    QCOMPARE(counters(page), QStringLiteral("4/4"));
}

void TestRecipientPage::importOfAnUnreadableFile_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no such file
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QByteArray() << "无法打开";
    QTest::newRow("xlsx") << QByteArray("PK\x03\x04rest of a zip") << ".xlsx";
    QTest::newRow("no header") << QByteArray("a,b\n1,2\n") << "找不到列名行";
}

void TestRecipientPage::importOfAnUnreadableFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("甲", "1")});
    const QString path = folder.path() + QStringLiteral("/名单.xlsx");
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    const QByteArray before = fileHash(folder.databasePath());
    MessageLog log;
    MainWindow form;
    form.recipientPage()->chooseImportFile = [&](QWidget *) { return path; };
    form.recipientPage()->importRecipients();
    QCOMPARE(log.errors.size(), 1);
    QVERIFY2(log.errors[0].startsWith(QStringLiteral("无法导入收件人，通讯录没有改动。")),
             qPrintable(log.errors[0]));
    QVERIFY2(log.errors[0].contains(message), qPrintable(log.errors[0]));
    QVERIFY(!log.errors[0].contains(QStringLiteral("No such file")) ||
            log.errors[0].contains(QStringLiteral("不存在")));
    QCOMPARE(fileHash(folder.databasePath()), before);
}

void TestRecipientPage::severalRowsSelectedModifyAndDeleteTheCurrentOne()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"),
                  {person("甲", "1"), person("乙", "2"), person("丙", "3"), person("丁", "4")});
    MessageLog log;
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    RecipientPage *page = form.recipientPage();
    RecipientGrid *grid = page->recipientGrid;
    auto rowCentre = [grid](int row) { return grid->visualRect(grid->model()->index(row, 2)).center(); };

    // Ctrl+A selects every row, whole rows.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(grid->selectionModel()->selectedRows().size(), 4);
    QCOMPARE(page->selectedRowIds().size(), size_t(4));

    // A click, a Ctrl-click and a Shift-click: rows 0, 2 and 3; the current row is the last clicked.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(3));
    QCOMPARE(grid->selectionModel()->selectedRows().size(), 3);
    QCOMPARE(grid->selectionModel()->selectedIndexes().size(), 3 * grid->model()->columnCount());
    QCOMPARE(form.recipientQuery.currentRow(), 3);
    QCOMPARE(counters(page), QStringLiteral("4/4"));
    QVERIFY(!page->searchRowIds().has_value());

    // Modify loads the current row only.
    page->startModifying();
    QCOMPARE(page->modifyEdits[1]->text(), QStringLiteral("丁"));
    // Delete removes the current row only.
    page->confirmDelete = [](QWidget *) { return true; };
    page->deleteRecipient();
    QCOMPARE(gridColumn(page, 2), (QStringList{"甲", "乙", "丙"}));
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 3);
    QCOMPARE(page->totalCounter->text(), QStringLiteral("3"));
    QVERIFY(log.errors.isEmpty());
}
