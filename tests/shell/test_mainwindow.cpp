#include "recipients/RecipientPage.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "testsupport.h"
#include "widgets/Controls.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using testsupport::DatabaseFolder;
using testsupport::MessageLog;

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { app::configure(); }
    void startsWithoutDatabase_data();
    void startsWithoutDatabase();
    void startsOnTheRecipientPageAndSwitches();
    void recipientButtonReopensTheDatabase();
    void hoverHighlight_data();
    void hoverHighlight();
    void hoverFollowsThePointer();
    void helpMenuPositionAndPages();
    void clockText();
    void helpThatCannotOpenNamesTheFile();
    void errorInAClickHandlerIsShownAndTheProgramGoesOn();
};

void TestMainWindow::startsWithoutDatabase_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no data.mdb") << QByteArray("<none>") << "unable to open database file";
    QTest::newRow("not a database") << QByteArray("PK\x03\x04 this is a zip, not a database").repeated(100)
                                    << "file is encrypted or is not a database";
}

void TestMainWindow::startsWithoutDatabase()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    if (file != "<none>") {
        QFile f(dir.filePath(QStringLiteral("data.mdb")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    MessageLog log;
    {
        MainWindow form;
        QCOMPARE(log.errors.size(), 1);
        QVERIFY2(log.errors.first().contains(expected), qPrintable(log.errors.first()));
        QCOMPARE(form.recipientPage()->totalCounter->text(), QString());
        QCOMPARE(form.recipientPage()->positionCounter->text(), QString());
        QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Edit2"))->text(), QString());
        QVERIFY(!form.recipientQuery.isActive());
    }
    if (file == "<none>")
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("data.mdb"))));
    QDir::setCurrent(previous);
}

void TestMainWindow::startsOnTheRecipientPageAndSwitches()
{
    DatabaseFolder folder;
    MainWindow form;
    form.show();
    QVERIFY(form.recipientPageBox->isVisible() && form.recipientBar->isVisible());
    QVERIFY(!form.senderPageBox->isVisible() && !form.senderBar->isVisible());
    QCOMPARE(form.recipientBar->y(), 37); // the visible bar sits right under the main bar
    QCOMPARE(form.recipientPage()->totalCounter->text(), QStringLiteral("0"));
    QCOMPARE(form.recipientPage()->positionCounter->text(), QStringLiteral("0"));
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(form.speedButton(2), Qt::LeftButton);
        QVERIFY(form.senderPageBox->isVisible() && form.senderBar->isVisible());
        QVERIFY(!form.recipientPageBox->isVisible() && !form.recipientBar->isVisible());
        QCOMPARE(form.senderBar->y(), 37);
    }
}

void TestMainWindow::recipientButtonReopensTheDatabase()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {{"", "甲", "地址", "", "", "1", ""}});
    MainWindow form;
    QCOMPARE(form.recipientQuery.recordCount(), 1);
    folder.insert(QStringLiteral("inrxx"), {{"", "乙", "地址", "", "", "2", ""}});
    form.recipientQuery.setSql(QStringLiteral("select * from inrxx where 收件人姓名 = ?"),
                               {QStringLiteral("乙")});
    form.recipientQuery.open();
    form.showRecipients();
    QCOMPARE(form.recipientQuery.sql(), QStringLiteral("select * from inrxx"));
    QCOMPARE(form.recipientQuery.recordCount(), 2);
    QCOMPARE(form.recipientPage()->totalCounter->text(),
             QStringLiteral("1")); // counters are left as they were
    QVERIFY(form.recipientPage()->addPanel->isVisibleTo(form.recipientPageBox));
}

void TestMainWindow::hoverHighlight_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("white");
    QTest::addColumn<QList<int>>("reset");
    QTest::newRow("收件信息") << "SpeedButton1" << 2 << QList<int>{3, 9, 10, 11};
    QTest::newRow("寄件信息") << "SpeedButton2" << 3 << QList<int>{2, 4, 9, 10, 11, 14};
    QTest::newRow("数据备份") << "SpeedButton3" << 4 << QList<int>{3, 5, 11, 14, 15};
    QTest::newRow("单张打印") << "SpeedButton4" << 5 << QList<int>{4, 6, 15, 16};
    QTest::newRow("批量打印") << "SpeedButton5" << 6 << QList<int>{5, 7, 15, 16};
    QTest::newRow("帮助主题") << "SpeedButton6" << 7 << QList<int>{6, 8, 16};
    QTest::newRow("退出软件") << "SpeedButton7" << 8 << QList<int>{7, 9};
    QTest::newRow("保 存") << "SpeedButton8" << 9 << QList<int>{2, 3};
    QTest::newRow("添 加") << "SpeedButton9" << 10 << QList<int>{2, 3, 11};
    QTest::newRow("修 改") << "SpeedButton10" << 11 << QList<int>{2, 3, 4, 10, 14};
    QTest::newRow("删 除") << "SpeedButton11" << 14 << QList<int>{3, 4, 5, 11, 15};
    QTest::newRow("查 询") << "SpeedButton12" << 15 << QList<int>{4, 5, 6, 14, 16};
    QTest::newRow("导 出") << "SpeedButton13" << 16 << QList<int>{5, 6, 7, 15, 17};
    QTest::newRow("导 入") << "SpeedButton14" << 17 << QList<int>{6, 7, 8, 16};
    QTest::newRow("window") << "Form1" << 0 << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("main bar") << "Panel1" << 0 << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("sender bar") << "Panel12" << 0 << QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    QTest::newRow("sender page") << "GroupBox1" << 0 << QList<int>{9};
    QTest::newRow("recipient bar") << "Panel13" << 0 << QList<int>{14, 15, 16, 17};
    QTest::newRow("recipient page") << "GroupBox2" << 0 << QList<int>{10, 11, 14, 15, 16, 17};
}

void TestMainWindow::hoverHighlight()
{
    QFETCH(QString, control);
    QFETCH(int, white);
    QFETCH(QList<int>, reset);
    DatabaseFolder folder;
    MainWindow form;
    const QList<int> all{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15, 16, 17};
    const QColor marker(1, 2, 3);
    for (int n : all)
        form.panel(n)->setColor(marker);
    form.hover(control);
    for (int n : all) {
        const QColor expected = n == white ? QColor(Qt::white) : reset.contains(n) ? buttonFace() : marker;
        QVERIFY2(form.panel(n)->color() == expected, qPrintable(QStringLiteral("Panel%1").arg(n)));
    }
}

void TestMainWindow::hoverFollowsThePointer()
{
    // "添 加" stays lit over the recipient bar's background (which resets 14..16 only), and
    // "修 改" then clears it.
    DatabaseFolder folder;
    MainWindow form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseMove(form.speedButton(9), QPoint(40, 12));
    QCOMPARE(form.panel(10)->color(), QColor(Qt::white));
    QTest::mouseMove(form.recipientBar, QPoint(700, 15));
    QCOMPARE(form.panel(10)->color(), QColor(Qt::white));
    QTest::mouseMove(form.speedButton(10), QPoint(40, 12));
    QCOMPARE(form.panel(11)->color(), QColor(Qt::white));
    QCOMPARE(form.panel(10)->color(), buttonFace());
}

void TestMainWindow::helpMenuPositionAndPages()
{
    DatabaseFolder folder;
    MainWindow form;
    form.move(100, 50);
    QCOMPARE(form.frameGeometry().topLeft(), QPoint(100, 50));
    QCOMPARE(form.helpMenuPosition(), QPoint(560, 114));

    QList<QUrl> opened;
    form.openUrl = [&](const QUrl &url) { opened << url; };
    form.helpAction->trigger();
    form.contactAction->trigger();
    form.homePageAction->trigger();
    QCOMPARE(opened.size(), 3);
    QVERIFY(opened.at(0).path().endsWith(QLatin1String("/help.htm")));
    QCOMPARE(opened.at(1), opened.at(0));
    QVERIFY(opened.at(2).path().endsWith(QLatin1String("/index.htm")));
    // The status bar tells how to open the help, never a path of the machine.
    QVERIFY2(form.statusPanels->text(2).contains(QStringLiteral("帮助主题")),
             qPrintable(form.statusPanels->text(2)));
    QVERIFY(!form.statusPanels->text(2).contains(QLatin1Char('/')));
    for (QAction *a : {form.helpAction, form.contactAction, form.homePageAction})
        QVERIFY(!a->text().contains(QLatin1Char('&')));
}

void TestMainWindow::helpThatCannotOpenNamesTheFile()
{
    DatabaseFolder folder;
    MessageLog log;
    MainWindow form;
    // A missing page, and a page with no program on the PATH to open it.
    const QString missing = folder.path() + QStringLiteral("/nohelp.htm");
    form.openInBrowser(QUrl::fromLocalFile(missing));
    QCOMPARE(log.messages.size(), 1);
    QVERIFY2(log.messages.last().contains(missing), qPrintable(log.messages.last()));

    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", folder.path().toLocal8Bit());
    form.openInBrowser(QUrl::fromLocalFile(folder.databasePath()));
    qputenv("PATH", path);
    QTRY_COMPARE(log.messages.size(), 2);
    QVERIFY2(log.messages.last().contains(folder.databasePath()), qPrintable(log.messages.last()));
    QVERIFY(log.messages.last().contains(QStringLiteral("无法在浏览器中打开")));
}

void TestMainWindow::clockText()
{
    DatabaseFolder folder;
    MainWindow form;
    QCOMPARE(form.statusPanels->text(0), QString());
    QCOMPARE(form.statusPanels->text(1), QString());
    QCOMPARE(form.clockTimer->interval(), 1000);
    QVERIFY(form.clockTimer->isActive());
    form.updateClock();
    QCOMPARE(form.statusPanels->text(0), QStringLiteral(" 欢迎使用朴桥EMS快递单打印软件！"));
    static const QRegularExpression pattern(
        QStringLiteral("^ 今天是：(\\d{4})年(\\d{2})月(\\d{2})日  (\\d{2}):(\\d{2}):(\\d{2})$"));
    const auto m = pattern.match(form.statusPanels->text(1));
    QVERIFY2(m.hasMatch(), qPrintable(form.statusPanels->text(1)));
    QCOMPARE(m.captured(1).toInt(), QDate::currentDate().year());
    QVERIFY(m.captured(2).toInt() >= 1 && m.captured(2).toInt() <= 12); // month, not minutes
}

void TestMainWindow::errorInAClickHandlerIsShownAndTheProgramGoesOn()
{
    DatabaseFolder folder;
    MessageLog log;
    MainWindow form;
    form.show();
    form.connection.close();
    // Saving the sender with the database closed: the error box, no success message.
    QTest::mouseClick(form.speedButton(2), Qt::LeftButton);
    form.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("a"));
    form.findChild<QLineEdit *>(QStringLiteral("Edit3"))->setText(QStringLiteral("b"));
    form.findChild<QLineEdit *>(QStringLiteral("Edit6"))->setText(QStringLiteral("c"));
    QTest::mouseClick(form.speedButton(8), Qt::LeftButton);
    QCOMPARE(log.errors.size(), 1);
    QVERIFY(log.messages.isEmpty());
    QVERIFY(form.isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
