#include "sender/SenderPage.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "testsupport.h"
#include "widgets/Controls.h"

#include <QLineEdit>
#include <QTest>

using testsupport::DatabaseFolder;
using testsupport::MessageLog;

class TestSenderPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { app::configure(); }
    void validation_data();
    void validation();
    void firstSaveCreatesTheRowLaterSavesChangeIt();
    void onlyTheFirstOfSeveralRowsIsShownAndSaved();
};

namespace {
void fill(SenderPage *page, const QStringList &texts)
{
    QLineEdit *edits[] = {page->companyEdit, page->nameEdit,   page->addressEdit,  page->postcodeEdit,
                          page->phoneEdit,   page->mobileEdit, page->signatureEdit};
    for (int i = 0; i < 7; ++i)
        edits[i]->setText(texts.value(i));
}
} // namespace

void TestSenderPage::validation_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("message");
    QTest::newRow("all empty") << QStringList{"", "", "", "", "", "", ""} << "寄件人姓名不能为空！";
    QTest::newRow("name only") << QStringList{"", "张三", "", "", "", "", ""} << "寄件地址不能为空！";
    QTest::newRow("no mobile") << QStringList{"", "张三", "地址", "", "", "", ""} << "手机号码不能为空！";
    QTest::newRow("blank name is content")
        << QStringList{"", " ", "地址", "", "", "139", ""} << "寄件信息保存成功！";
}

void TestSenderPage::validation()
{
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    DatabaseFolder folder;
    MessageLog log;
    MainWindow form;
    fill(form.senderPage(), edits);
    form.panel(9)->setColor(Qt::white);
    form.saveSender();
    QCOMPARE(log.messages, QStringList{message});
    const auto rows = folder.rows(QStringLiteral("outrxx"));
    const bool saved = message == QStringLiteral("寄件信息保存成功！");
    QCOMPARE(rows.size(), saved ? 1 : 0);
    QCOMPARE(form.panel(9)->color(), saved ? buttonFace() : QColor(Qt::white));
    if (saved)
        QCOMPARE(rows.first(), edits); // written exactly as typed, blanks kept
}

void TestSenderPage::firstSaveCreatesTheRowLaterSavesChangeIt()
{
    DatabaseFolder folder;
    MessageLog log;
    MainWindow form;
    const QStringList first{"朴桥商贸",    "李四", "北京市朝阳区建国路1号", "100020", "010-66668888",
                            "13911112222", "李四"};
    fill(form.senderPage(), first);
    form.saveSender();
    QCOMPARE(folder.rows(QStringLiteral("outrxx")), QVector<QStringList>{first});
    QStringList second = first;
    second[4] = QString(); // an optional field emptied is written empty
    second[2] = QStringLiteral("上海市");
    fill(form.senderPage(), second);
    form.saveSender();
    QCOMPARE(folder.rows(QStringLiteral("outrxx")), QVector<QStringList>{second});
    QCOMPARE(log.messages.size(), 2);

    // A new start shows the saved row.
    MainWindow again;
    QCOMPARE(again.senderPage()->addressEdit->text(), QStringLiteral("上海市"));
}

void TestSenderPage::onlyTheFirstOfSeveralRowsIsShownAndSaved()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("outrxx"),
                  {{"一", "甲", "地址一", "", "", "1", ""}, {"二", "乙", "地址二", "", "", "2", ""}});
    MessageLog log;
    MainWindow form;
    QCOMPARE(form.senderPage()->nameEdit->text(), QStringLiteral("甲"));
    form.senderPage()->nameEdit->setText(QStringLiteral("甲甲"));
    form.saveSender();
    const auto rows = folder.rows(QStringLiteral("outrxx"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).at(1), QStringLiteral("甲甲"));
    QCOMPARE(rows.at(1).at(1), QStringLiteral("乙"));
}

QTEST_MAIN(TestSenderPage)
#include "test_senderpage.moc"
