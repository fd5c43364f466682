#include "backup/BackupWindow.h"
#include "data/DataFolder.h"
#include "data/Database.h"
#include "fixtures.h"
#include "shell/Application.h"
#include "testsupport.h"
#include "widgets/Controls.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using testsupport::MessageLog;

namespace {

const QString kBackupDone = QStringLiteral("数据备份成功！");
const QString kBackupFailed = QStringLiteral("数据备份失败，请重试！");
const QString kRestoreDone = QStringLiteral("数据恢复成功！");
const QString kRestoreFailed = QStringLiteral("数据恢复失败，请重试！");

// The messages' first lines; a failure must carry its reason on a second line.
QStringList headlines(const QStringList &messages)
{
    QStringList first;
    for (const QString &m : messages) {
        const QStringList lines = m.split(QLatin1Char('\n'));
        if (lines.first().contains(QStringLiteral("失败")) && (lines.size() < 2 || lines.at(1).isEmpty()))
            first << QStringLiteral("<no reason> ") + m;
        else
            first << lines.first();
    }
    return first;
}

// The window with its dialogs answered by the test.
class Form : public BackupWindow
{
public:
    using BackupWindow::BackupWindow;
    QString answer;
    int quits = 0;

protected:
    QString chooseBackupName() override { return answer; }
    QString chooseRestoreName() override { return answer; }
};

// A data folder with its data.mdb, the main connection open on it and the window.
struct Setup
{
    QTemporaryDir program;
    QTemporaryDir elsewhere;
    db::Connection connection;
    std::unique_ptr<Form> form;
    MessageLog log;

    Setup()
    {
        fixtures::makeDatabase(database(), QStringLiteral("程序"));
        connection.setPath(database());
        connection.open();
        form = std::make_unique<Form>(&connection);
        form->setDataFolder(program.path());
        form->quitProgram = [this] { ++form->quits; };
    }
    QString database() const { return program.filePath(QStringLiteral("data.mdb")); }
};

} // namespace

class TestSjbfForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { app::configure(); }
    void design();
    void cancelledDialogsDoNothing();
    void backupMessages_data();
    void backupMessages();
    void restoreFromABackupEndsTheProgram();
    void restoreRefusesABadFile_data();
    void restoreRefusesABadFile();
    void startedFromAnotherFolder();
    void worksOnTheDatabaseInUse_data();
    void worksOnTheDatabaseInUse();
};

void TestSjbfForm::design()
{
    BackupWindow form(nullptr);
    QCOMPARE(form.windowTitle(), QStringLiteral("数据库备份与恢复"));
    QCOMPARE(form.size(), QSize(376, 106));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    QCOMPARE(form.dataFolder(), db::dataFolder());
    QCOMPARE(form.buttonPanel->geometry(), QRect(0, 0, 376, 106));
    QCOMPARE(form.buttonPanel->color(), QColor(224, 223, 224));
    QCOMPARE(form.reminderLabel->geometry(), QRect(16, 18, 350, 13));
    QCOMPARE(form.reminderLabel->text(),
             QStringLiteral("提示：及时备份数据库，为了更好地保护数据不被丢失！"));
    QCOMPARE(form.findChild<QToolButton *>("RzBitBtn1"), form.backupButton);
    QCOMPARE(form.backupButton->geometry(), QRect(40, 48, 135, 38));
    QCOMPARE(form.restoreButton->geometry(), QRect(198, 48, 135, 38));
    QCOMPARE(form.backupButton->text(), QStringLiteral("数据库备份"));
    QCOMPARE(form.restoreButton->text(), QStringLiteral("数据库恢复"));
    QCOMPARE(form.backupButton->font().pixelSize(), 14);
    QCOMPARE(form.backupDialog->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(form.backupDialog->testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(form.restoreDialog->fileMode(), QFileDialog::AnyFile);
}

void TestSjbfForm::cancelledDialogsDoNothing()
{
    Setup s;
    const QByteArray before = fixtures::bytes(s.database());
    s.form->answer.clear();
    QTest::mouseClick(s.form->backupButton, Qt::LeftButton);
    QTest::mouseClick(s.form->restoreButton, Qt::LeftButton);
    QCOMPARE(headlines(s.log.messages), QStringList());
    QCOMPARE(fixtures::entries(s.program.path()), QStringList{"data.mdb"});
    QCOMPARE(fixtures::bytes(s.database()), before);
    QVERIFY(s.connection.isOpen());
    QCOMPARE(s.form->quits, 0);
}

void TestSjbfForm::backupMessages_data()
{
    QTest::addColumn<bool>("databaseThere");
    QTest::addColumn<QString>("message");
    QTest::newRow("data.mdb there") << true << kBackupDone;
    QTest::newRow("no data.mdb in the data folder") << false << kBackupFailed;
}

void TestSjbfForm::backupMessages()
{
    QFETCH(bool, databaseThere);
    QFETCH(QString, message);
    Setup s;
    if (!databaseThere) {
        s.connection.close();
        QVERIFY(QFile::remove(s.database()));
    }
    s.form->answer = s.elsewhere.filePath("abc");
    s.form->backUp();
    QCOMPARE(headlines(s.log.messages), QStringList{message});
    QCOMPARE(QFile::exists(s.elsewhere.filePath("abc.bak")), databaseThere);
}

void TestSjbfForm::restoreFromABackupEndsTheProgram()
{
    Setup s;
    const auto saved = fixtures::rows(s.database(), "inrxx");
    s.form->answer = s.elsewhere.filePath("abc");
    s.form->backUp();
    s.connection.exec("DELETE FROM inrxx");

    s.form->answer = s.elsewhere.filePath("abc.bak");
    s.form->restore();

    QCOMPARE(headlines(s.log.messages), (QStringList{kBackupDone, kRestoreDone}));
    QCOMPARE(s.form->quits, 1);
    QVERIFY(!s.connection.isOpen());
    QCOMPARE(fixtures::rows(s.database(), "inrxx"), saved);
    QCOMPARE(fixtures::entries(s.program.path()), QStringList{"data.mdb"});
}

void TestSjbfForm::restoreRefusesABadFile_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind :
         {"not a database", "wrong password", "missing table", "missing column", "truncated", "empty",
          "own data.mdb", "own data.mdb by a link", "nonexistent", "write fails mid-copy"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestSjbfForm::restoreRefusesABadFile()
{
    QFETCH(QString, kind);
    Setup s;
    const QByteArray before = fixtures::bytes(s.database());
    QString file = s.elsewhere.filePath("chosen.bak");
    if (kind == "not a database") {
        fixtures::writeBytes(file, QByteArray("这不是数据库。").repeated(500));
    } else if (kind == "empty") {
        fixtures::writeBytes(file, QByteArray());
    } else if (kind == "own data.mdb") {
        file = s.program.path() + "/../" + QFileInfo(s.program.path()).fileName() + "/data.mdb";
    } else if (kind == "own data.mdb by a link") {
        QVERIFY(QFile::link(s.database(), file));
    } else if (kind != "nonexistent") {
        fixtures::makeDatabase(file, "坏", 1000);
        if (kind == "wrong password")
            fixtures::exec(file, {"PRAGMA rekey = 'another'"});
        else if (kind == "missing table")
            fixtures::exec(file, {"DROP TABLE outrxx"});
        else if (kind == "missing column")
            fixtures::exec(file, {"DROP TABLE inrxx",
                                  "CREATE TABLE inrxx (单位名称, 收件人姓名, 收件地址, 邮政编码, "
                                  "联系电话, 备注)"});
        else if (kind == "truncated")
            QVERIFY(QFile::resize(file, QFileInfo(file).size() / 2));
        else if (kind == "write fails mid-copy")
            s.form->files().setWriteHook([](qint64 offset, qint64) { return offset == 0; });
    }

    s.form->answer = file;
    s.form->restore();

    QCOMPARE(headlines(s.log.messages), QStringList{kRestoreFailed});
    QCOMPARE(fixtures::bytes(s.database()), before);
    QCOMPARE(fixtures::entries(s.program.path()), QStringList{"data.mdb"});
    QVERIFY(s.connection.isOpen());
    QCOMPARE(s.form->quits, 0);
}

void TestSjbfForm::startedFromAnotherFolder()
{
    Setup s;
    testsupport::DatabaseFolder current; // the current directory with a data.mdb of its own
    const QByteArray currentBefore = fixtures::bytes(current.databasePath());
    s.form->answer = current.path() + "/abc";
    s.form->backUp();
    QCOMPARE(fixtures::rows(current.path() + "/abc.bak", "outrxx"), fixtures::rows(s.database(), "outrxx"));

    fixtures::makeDatabase(s.elsewhere.filePath("other.bak"), "别处");
    s.form->answer = s.elsewhere.filePath("other.bak");
    s.form->restore();

    QCOMPARE(headlines(s.log.messages), (QStringList{kBackupDone, kRestoreDone}));
    QCOMPARE(fixtures::bytes(s.database()), fixtures::bytes(s.elsewhere.filePath("other.bak")));
    QCOMPARE(fixtures::bytes(current.databasePath()), currentBefore);
}

// Without a folder set by the test, backup and restore use the data.mdb the program opened:
// the current folder's, or the one in the data folder named at start (--user-data,
// --data-dir), never a data.mdb beside the executable.
void TestSjbfForm::worksOnTheDatabaseInUse_data()
{
    QTest::addColumn<bool>("named");
    QTest::newRow("started from a folder") << false;
    QTest::newRow("data folder named at start") << true;
}

void TestSjbfForm::worksOnTheDatabaseInUse()
{
    QFETCH(bool, named);
    testsupport::DatabaseFolder current;
    QTemporaryDir user, elsewhere;
    const auto backToCurrent = qScopeGuard([] { db::setDataFolder(QString()); });
    if (named) {
        fixtures::makeDatabase(user.filePath("data.mdb"), "用户");
        db::setDataFolder(user.path());
    }
    const QString inUse = named ? user.filePath("data.mdb") : current.databasePath();
    const QString other = named ? current.databasePath() : user.filePath("data.mdb");
    if (!named)
        fixtures::makeDatabase(other, "其他");
    const QByteArray otherBefore = fixtures::bytes(other);
    QCOMPARE(db::connectionPath(), inUse);

    db::Connection connection;
    connection.setPath(db::connectionPath());
    connection.open();
    MessageLog log;
    Form form(&connection);
    form.quitProgram = [&form] { ++form.quits; };
    QCOMPARE(QDir(form.dataFolder()).filePath("data.mdb"), inUse);

    form.answer = elsewhere.filePath("abc");
    form.backUp();
    QCOMPARE(fixtures::bytes(elsewhere.filePath("abc.bak")), fixtures::bytes(inUse));

    fixtures::makeDatabase(elsewhere.filePath("new.bak"), "新");
    form.answer = elsewhere.filePath("new.bak");
    form.restore();

    QCOMPARE(log.messages, (QStringList{kBackupDone, kRestoreDone}));
    QCOMPARE(fixtures::bytes(inUse), fixtures::bytes(elsewhere.filePath("new.bak")));
    QCOMPARE(fixtures::bytes(other), otherBefore);
}

QTEST_MAIN(TestSjbfForm)
#include "test_sjbfform.moc"
