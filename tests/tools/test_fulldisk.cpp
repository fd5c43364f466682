// Writes onto a really full file system: a small tmpfs mounted for the test (root only), filled
// up to a few kilobytes. Backup, export and PDF must fail with the system's reason, leave the
// previous file as it was and no temporary file behind; waybillctl must exit non-zero.

#include "data/CheckedSaveFile.h"
#include "data/Database.h"
#include "data/DatabaseFiles.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <unistd.h>

using testsupport::DatabaseFolder;

namespace {

QStringList person(int i)
{
    return {QStringLiteral("单位%1").arg(i),
            QStringLiteral("收件人%1").arg(i),
            QStringLiteral("北京市海淀区中关村大街%1号院%1号楼").arg(i),
            QStringLiteral("100080"),
            QStringLiteral("010-6212%1").arg(i),
            QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
            QStringLiteral("备注%1").arg(i)};
}

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void writeOntoAFullDisk_data();
    void writeOntoAFullDisk();
    void readOnlyDatabaseIsReported();

private:
    // Leaves exactly `free` bytes (in whole pages) free on the mount.
    void fill(qint64 free);

    QTemporaryDir m_mount;
    bool m_mounted = false;
};

void TestFullDisk::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("mounting a small tmpfs needs root (CI runs as root); full-disk writes are not tested");
    QVERIFY(m_mount.isValid());
    QVERIFY2(
        run(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                      QStringLiteral("size=2m"), QStringLiteral("tmpfs"), m_mount.path()}),
        "mount -t tmpfs failed");
    m_mounted = true;
}

void TestFullDisk::cleanupTestCase()
{
    if (m_mounted)
        run(QStringLiteral("umount"), {m_mount.path()});
}

void TestFullDisk::fill(qint64 free)
{
    const QString filler = m_mount.filePath(QStringLiteral("filler"));
    QFile::remove(filler);
    QFile f(filler);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size()) {
    }
    f.close();
    // What was written until the disk refused, less the room wanted.
    QVERIFY(QFile::resize(filler, std::max<qint64>(0, QFileInfo(filler).size() / 4096 * 4096 - free)));
}

void TestFullDisk::writeOntoAFullDisk_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("freeKb");
    for (const char *what : {"backup", "export", "pdf"})
        for (int kb : {0, 8, 40})
            QTest::newRow(qPrintable(QStringLiteral("%1, %2 KB free").arg(QLatin1String(what)).arg(kb)))
                << QString::fromLatin1(what) << kb;
}

void TestFullDisk::writeOntoAFullDisk()
{
    QFETCH(QString, what);
    QFETCH(int, freeKb);
    DatabaseFolder folder; // outside the full disk
    QVector<QStringList> rows;
    for (int i = 0; i < 800; ++i)
        rows << person(i);
    folder.insert(QStringLiteral("inrxx"), rows);
    folder.insert(QStringLiteral("outrxx"),
                  {{QStringLiteral("寄件单位"), QStringLiteral("寄件人"), QStringLiteral("寄件地址"),
                    QStringLiteral("100000"), QStringLiteral("010"), QStringLiteral("13800000000"),
                    QStringLiteral("签名")}});

    const QString base = m_mount.filePath(QStringLiteral("保存"));
    const QString target = what == QLatin1String("backup") ? base + QStringLiteral(".bak") : base;
    // A previous file of that name stays as it was.
    {
        QFile previous(target);
        QVERIFY(previous.open(QIODevice::WriteOnly));
        previous.write("上一次的文件");
    }
    fill(qint64(freeKb) * 1024);

    if (what == QLatin1String("backup")) {
        backup::DatabaseFiles files(folder.path());
        try {
            files.backup(base);
            QFAIL("the backup reported success");
        } catch (const backup::CopyError &e) {
            QCOMPARE(e.code(), ENOSPC);
            QVERIFY2(e.message().contains(target), qPrintable(e.message()));
            QVERIFY(!e.systemText().isEmpty());
        }
    } else {
        QStringList args;
        if (what == QLatin1String("export"))
            args << QStringLiteral("export") << target;
        else
            args << QStringLiteral("print") << QStringLiteral("--pdf") << target;
        args << QStringLiteral("--db") << folder.databasePath();
        QProcess ctl;
        ctl.start(QString::fromLocal8Bit(qgetenv("WAYBILLCTL")), args);
        QVERIFY(ctl.waitForFinished(60000));
        const QString err = QString::fromUtf8(ctl.readAllStandardError());
        QCOMPARE(ctl.exitCode(), 1);
        QVERIFY2(err.contains(target), qPrintable(err));
        QVERIFY2(err.contains(QString::fromLocal8Bit(strerror(ENOSPC))), qPrintable(err));
    }
    QCOMPARE(bytes(target), QByteArray("上一次的文件"));
    const QStringList left = QDir(m_mount.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, (QStringList{QStringLiteral("filler"), QFileInfo(target).fileName()}));

    // With room again the same write goes through.
    QFile::remove(m_mount.filePath(QStringLiteral("filler")));
    if (what == QLatin1String("backup")) {
        backup::DatabaseFiles(folder.path()).backup(base);
        QCOMPARE(bytes(target), bytes(folder.databasePath()));
    }
    QFile::remove(target);
}

void TestFullDisk::readOnlyDatabaseIsReported()
{
    // A file system mounted read-only: even root cannot write there.
    QTemporaryDir mount;
    QVERIFY(run(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                          QStringLiteral("size=1m"), QStringLiteral("tmpfs"), mount.path()}));
    const QString path = mount.filePath(QStringLiteral("data.mdb"));
    db::createDatabase(path);
    db::Connection c;
    c.setPath(path);
    c.open();
    QCOMPARE(c.readOnlyReason(), QString());
    c.close();
    QVERIFY(run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro"), mount.path()}));
    c.open();
    const QString reason = c.readOnlyReason();
    c.close();
    run(QStringLiteral("umount"), {mount.path()});
    QVERIFY2(reason.contains(QStringLiteral("只读")) && reason.contains(path), qPrintable(reason));
}

QTEST_GUILESS_MAIN(TestFullDisk)
#include "test_fulldisk.moc"
