#include "data/Database.h"
#include "data/CheckedSaveFile.h"
#include "data/FailureText.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

using testsupport::DatabaseFolder;

// The texts a clerk reads: Chinese cause and remedy naming the file, the system text in brackets.
class TestFailureText : public QObject
{
    Q_OBJECT
private slots:
    void databaseCodes_data();
    void databaseCodes();
    void fileErrors_data();
    void fileErrors();
    void explainsTextsBuiltElsewhere_data();
    void explainsTextsBuiltElsewhere();
    void headlineAndReason();
    void writeFailureWithoutReason_data();
    void writeFailureWithoutReason();
    void lockedFileWaitsBrieflyAndSaysSo();
};

void TestFailureText::databaseCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("expected");
    QTest::newRow("locked") << SQLITE_BUSY << "database is locked" << "正被其他程序使用";
    QTest::newRow("not a database") << SQLITE_NOTADB << "file is encrypted or is not a database" << "密码不对";
    QTest::newRow("read-only file") << (SQLITE_READONLY | (1 << 8)) << "attempt to write a readonly database" << "只读";
    QTest::newRow("disk full") << SQLITE_FULL << "database or disk is full" << "磁盘已满";
    QTest::newRow("damaged") << SQLITE_CORRUPT << "database disk image is malformed" << "已损坏";
    QTest::newRow("i/o error") << (SQLITE_IOERR | (3 << 8)) << "disk I/O error" << "输入/输出错误";
    QTest::newRow("missing file") << SQLITE_CANTOPEN << "unable to open database file" << "找不到数据文件";
}

void TestFailureText::databaseCodes()
{
    QFETCH(int, code);
    QFETCH(QString, system);
    QFETCH(QString, expected);
    const QString path = QStringLiteral("/nowhere/data.mdb");
    const QString text = failures::databaseText(code, system, path);
    QVERIFY2(text.contains(expected), qPrintable(text));
    QVERIFY2(text.contains(path), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("请")), qPrintable(text)); // says what to do
    QVERIFY2(text.endsWith(QStringLiteral("（%1）").arg(system)), qPrintable(text));
}

void TestFailureText::fileErrors_data()
{
    QTest::addColumn<int>("errnoValue");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full") << ENOSPC << "磁盘已满";
    QTest::newRow("read-only disk") << EROFS << "只读";
    QTest::newRow("no permission") << EACCES << "没有权限";
    QTest::newRow("missing folder") << ENOENT << "找不到";
    QTest::newRow("i/o") << EIO << "输入/输出错误";
}

void TestFailureText::fileErrors()
{
    QFETCH(int, errnoValue);
    QFETCH(QString, expected);
    const QString system = QString::fromLocal8Bit(std::strerror(errnoValue));
    // Known by its errno, or found from the system text alone.
    for (int given : {errnoValue, 0}) {
        const QString text = failures::fileText(QStringLiteral("写入备份文件"), QStringLiteral("/mnt/u/a.bak"), given, system);
        QVERIFY2(text.startsWith(QStringLiteral("无法写入备份文件 /mnt/u/a.bak：")), qPrintable(text));
        QVERIFY2(text.contains(expected), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("（%1）").arg(system)), qPrintable(text));
    }
}

void TestFailureText::explainsTextsBuiltElsewhere_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("writer's full disk") << QStringLiteral("无法写入 /mnt/u/a.xls: ") + QString::fromLocal8Bit(std::strerror(ENOSPC))
                                        << QStringLiteral("无法写入 /mnt/u/a.xls：磁盘已满。");
    QTest::newRow("no reason given") << QStringLiteral("写入文件 /mnt/u/a.xls 失败: Unknown error")
                                     << QStringLiteral("写入文件 /mnt/u/a.xls 失败：系统没有说明原因");
    {
        // A writer's error is already in Chinese: explaining it again must not repeat the cause.
        const QString once = files::FileError(QStringLiteral("写入"), QStringLiteral("/mnt/u/a.xls"), ENOSPC,
                                              QString::fromLocal8Bit(std::strerror(ENOSPC)))
                                 .message();
        QTest::newRow("already explained") << once << once;
    }
    QTest::newRow("nothing to explain") << QStringLiteral("工作簿中还没有工作表") << QStringLiteral("工作簿中还没有工作表");
    QTest::newRow("key hidden") << QStringLiteral("near \"%1\"").arg(QLatin1String(db::kDatabasePassword))
                                << QStringLiteral("near \"******\"");
}

void TestFailureText::explainsTextsBuiltElsewhere()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QString shown = failures::withoutKey(failures::explain(text));
    QVERIFY2(shown.startsWith(expected), qPrintable(shown));
    QVERIFY(!shown.contains(QLatin1String(db::kDatabasePassword)));
}

void TestFailureText::headlineAndReason()
{
    QCOMPARE(failures::withReason(QStringLiteral("数据备份失败，请重试！"), QStringLiteral("原因")),
             QStringLiteral("数据备份失败，请重试！\n原因"));
    QCOMPARE(failures::withReason(QStringLiteral("数据备份失败，请重试！"), QString()), QStringLiteral("数据备份失败，请重试！"));
}

void TestFailureText::writeFailureWithoutReason_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("writerText");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder missing") << "missing/a.xls" << "写入失败: Unknown error" << "找不到文件或文件夹";
    QTest::newRow("writer names the cause")
        << "a.xls" << QStringLiteral("无法写入 a.xls: ") + QString::fromLocal8Bit(std::strerror(ENOSPC)) << "磁盘已满";
    QTest::newRow("no cause to be found") << "a.xls" << "写入失败: Unknown error" << "系统没有说明原因";
}

void TestFailureText::writeFailureWithoutReason()
{
    QFETCH(QString, where);
    QFETCH(QString, writerText);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(where);
    const QString text = failures::writeText(QStringLiteral("写入导出文件"), path, writerText.replace(QStringLiteral("a.xls"), path));
    QVERIFY2(text.contains(expected), qPrintable(text));
    QVERIFY2(text.contains(QDir::toNativeSeparators(path)), qPrintable(text));
}

void TestFailureText::lockedFileWaitsBrieflyAndSaysSo()
{
    DatabaseFolder folder;
    db::Connection holder;
    holder.setPath(folder.databasePath());
    holder.open();
    holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));

    int hookCalls = 0;
    db::Connection::setBusyHook([&] { ++hookCalls; });
    db::Connection waiter;
    waiter.setPath(folder.databasePath());
    try {
        waiter.open();
        QFAIL("opened a file another connection holds exclusively");
    } catch (const db::DbError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("正被其他程序使用")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("database is locked")), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QDir::toNativeSeparators(folder.databasePath())), qPrintable(e.message()));
    }
    db::Connection::setBusyHook({});
    QVERIFY(hookCalls > 10); // the windows were given their turn all through the wait

    holder.exec(QStringLiteral("COMMIT"));
    waiter.open();
    QVERIFY(waiter.isOpen());
}

QTEST_GUILESS_MAIN(TestFailureText)
#include "test_failuretext.moc"
