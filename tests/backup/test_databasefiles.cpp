#include "data/Database.h"
#include "data/DatabaseFiles.h"
#include "fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using backup::CopyError;
using backup::DatabaseFiles;

class TestDatabaseFiles : public QObject
{
    Q_OBJECT
private slots:
    void backupAppendsBak_data();
    void backupAppendsBak();
    void backupReplacesAnExistingBackup();
    void backupWhileAnotherConnectionReads();
    void failedBackupKeepsThePreviousBackup();
    void interruptedRestoreKeepsTheOldFile();
};

void TestDatabaseFiles::backupAppendsBak_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "abc"
                                  << "abc.bak";
    QTest::newRow(".bak") << "abc.bak"
                          << "abc.bak.bak";
    QTest::newRow(".mdb") << "abc.mdb"
                          << "abc.mdb.bak";
}

void TestDatabaseFiles::backupAppendsBak()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QTemporaryDir program, target;
    fixtures::makeDatabase(program.filePath("data.mdb"), "源");
    DatabaseFiles files(program.path());

    files.backup(target.filePath(chosen));

    QCOMPARE(fixtures::entries(target.path()), QStringList{written});
    QCOMPARE(fixtures::bytes(target.filePath(written)), fixtures::bytes(program.filePath("data.mdb")));
}

void TestDatabaseFiles::backupReplacesAnExistingBackup()
{
    QTemporaryDir program, target;
    fixtures::makeDatabase(program.filePath("data.mdb"), "新");
    fixtures::makeDatabase(target.filePath("abc.bak"), "旧", 10);

    DatabaseFiles(program.path()).backup(target.filePath("abc"));

    QCOMPARE(fixtures::rows(target.filePath("abc.bak"), "inrxx"),
             fixtures::rows(program.filePath("data.mdb"), "inrxx"));
    QCOMPARE(fixtures::entries(target.path()), QStringList{"abc.bak"});
}

void TestDatabaseFiles::backupWhileAnotherConnectionReads()
{
    QTemporaryDir program, target;
    const QString source = program.filePath("data.mdb");
    fixtures::makeDatabase(source, "源", 500);
    db::Connection other;
    other.setPath(source);
    other.open();
    other.exec("UPDATE inrxx SET 备注 = '已改' WHERE rowid = 1");
    db::Statement reading(other, "SELECT * FROM inrxx");
    QVERIFY(reading.step()); // still stepping: the connection holds its read lock
    const auto expected = fixtures::rows(source, "inrxx");

    DatabaseFiles(program.path()).backup(target.filePath("abc"));

    const QString copy = target.filePath("abc.bak");
    DatabaseFiles::checkDatabase(copy);
    QCOMPARE(fixtures::rows(copy, "inrxx"), expected);
    QCOMPARE(fixtures::rows(copy, "inrxx").first().last(), QString("已改"));
    int read = 1;
    while (reading.step())
        ++read;
    QCOMPARE(read, 500);
    reading.reset();
    // The backup let go of its lock: a writer gets through.
    other.exec("DELETE FROM inrxx");
    QCOMPARE(other.changes(), 500);
}

void TestDatabaseFiles::failedBackupKeepsThePreviousBackup()
{
    QTemporaryDir program, target;
    fixtures::makeDatabase(program.filePath("data.mdb"), "新", 1000);
    fixtures::makeDatabase(target.filePath("abc.bak"), "旧");
    const QByteArray previous = fixtures::bytes(target.filePath("abc.bak"));
    DatabaseFiles files(program.path());
    qint64 failedAt = -1;
    files.setWriteHook([&failedAt](qint64 offset, qint64) {
        if (offset == 0)
            return true;
        failedAt = offset;
        return false;
    });

    QVERIFY_THROWS_EXCEPTION(CopyError, files.backup(target.filePath("abc")));

    QVERIFY(failedAt > 0);
    QCOMPARE(fixtures::bytes(target.filePath("abc.bak")), previous);
    QCOMPARE(fixtures::entries(target.path()), QStringList{"abc.bak"});
}

void TestDatabaseFiles::interruptedRestoreKeepsTheOldFile()
{
    QTemporaryDir program, elsewhere;
    fixtures::makeDatabase(program.filePath("data.mdb"), "旧");
    fixtures::makeDatabase(elsewhere.filePath("big.bak"), "新", 1000);
    const QByteArray previous = fixtures::bytes(program.filePath("data.mdb"));
    DatabaseFiles files(program.path());
    qint64 failedAt = -1;
    files.setWriteHook([&failedAt](qint64 offset, qint64) {
        if (offset == 0)
            return true;
        failedAt = offset;
        return false;
    });
    bool replaced = false;

    QVERIFY_THROWS_EXCEPTION(CopyError,
                             files.restore(elsewhere.filePath("big.bak"), [&replaced] { replaced = true; }));

    QVERIFY(failedAt > 0);
    QVERIFY(!replaced);
    QCOMPARE(fixtures::bytes(program.filePath("data.mdb")), previous);
    QCOMPARE(fixtures::entries(program.path()), QStringList{"data.mdb"});
}

QTEST_GUILESS_MAIN(TestDatabaseFiles)
#include "test_databasefiles.moc"
