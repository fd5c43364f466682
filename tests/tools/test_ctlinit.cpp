#include "data/Database.h"
#include "printing/Fonts.h"

#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Run
{
    int code;
    QString err;
};

Run ctl(const QStringList &args, const QString &workingDir = QString())
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(qEnvironmentVariable("WAYBILLCTL"), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class TestCtlInit : public QObject
{
    Q_OBJECT
private slots:
    void initCreatesAKeyedEmptyDatabase();
    void initRefusesToTouchAnExistingFile();
    void usage_data();
    void usage();
    void fontsRenderChinese();
};

void TestCtlInit::initCreatesAKeyedEmptyDatabase()
{
    QTemporaryDir dir;
    QCOMPARE(ctl({QStringLiteral("init")}, dir.path()).code, 0); // the current directory by default
    QTemporaryDir other;
    QCOMPARE(ctl({QStringLiteral("init"), other.path()}).code, 0);
    for (const QString &path : {dir.filePath(QStringLiteral("data.mdb")), other.filePath(QStringLiteral("data.mdb"))}) {
        db::Connection c;
        c.setPath(path);
        c.open(); // keyed with the program's password, both tables present
        for (const auto &[table, columns] : {std::pair{"outrxx", db::senderColumns()}, std::pair{"inrxx", db::recipientColumns()}}) {
            db::Dataset ds;
            ds.setConnection(&c);
            ds.setSql(QStringLiteral("select * from %1").arg(QLatin1String(table)));
            ds.open();
            QCOMPARE(ds.fieldNames(), columns);
            QCOMPARE(ds.recordCount(), 0);
        }
        db::Connection wrong;
        wrong.setPath(path);
        wrong.setPassword(QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(db::DbError, wrong.open());
    }
}

void TestCtlInit::initRefusesToTouchAnExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("precious");
    f.close();
    const Run run = ctl({QStringLiteral("init"), dir.path()});
    QCOMPARE(run.code, 1);
    QVERIFY(run.err.contains(QStringLiteral("已存在")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("precious"));
}

void TestCtlInit::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::newRow("help") << QStringList{"--help"} << 0;
    QTest::newRow("nothing") << QStringList{} << 2;
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2;
    QTest::newRow("init, two folders") << QStringList{"init", "a", "b"} << 2;
    QTest::newRow("init, unknown option") << QStringList{"init", "--force"} << 2;
    QTest::newRow("init, no such folder") << QStringList{"init", "/no/such/folder"} << 1;
}

void TestCtlInit::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    const Run run = ctl(args);
    QCOMPARE(run.code, code);
    if (code != 0)
        QVERIFY(!run.err.trimmed().isEmpty());
}

void TestCtlInit::fontsRenderChinese()
{
    fonts::installSubstitutions();
    const QFontInfo song(fonts::songPoints(10));
    QVERIFY2(song.family().contains(QStringLiteral("UMing")), qPrintable(song.family()));
    QVERIFY(QFontMetrics(fonts::songPoints(10)).inFont(QChar(0x5B8B))); // 宋
    const QFontInfo sans(fonts::msSansSerifPixels(11));
    QVERIFY2(!sans.family().contains(QStringLiteral("UMing")), qPrintable(sans.family()));
}

QTEST_MAIN(TestCtlInit)
#include "test_ctlinit.moc"
