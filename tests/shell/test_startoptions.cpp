#include "shell/StartOptions.h"

#include <QTest>

class TestStartOptions : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void usageNamesEveryOption();
};

void TestStartOptions::parse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("userData");
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<QString>("error");
    QTest::newRow("none: the current folder") << QStringList{} << false << QString() << QString();
    QTest::newRow("menu") << QStringList{"--user-data"} << true << QString() << QString();
    QTest::newRow("folder") << QStringList{"--data-dir", "/srv/shop"} << false << "/srv/shop" << QString();
    QTest::newRow("folder with =") << QStringList{"--data-dir=/srv/shop"} << false << "/srv/shop"
                                   << QString();
    QTest::newRow("folder with a blank")
        << QStringList{"--data-dir", "我的 数据"} << false << "我的 数据" << QString();
    QTest::newRow("folder missing") << QStringList{"--data-dir"} << false << QString()
                                    << "--data-dir 后面缺少文件夹";
    QTest::newRow("folder empty") << QStringList{"--data-dir="} << false << QString()
                                  << "--data-dir 后面缺少文件夹";
    QTest::newRow("both") << QStringList{"--user-data", "--data-dir", "x"} << true << "x"
                          << "--user-data 与 --data-dir 只能用一个";
    QTest::newRow("unknown") << QStringList{"--userdata"} << false << QString() << "未知参数: --userdata";
    QTest::newRow("a file name") << QStringList{"data.mdb"} << false << QString() << "未知参数: data.mdb";
}

void TestStartOptions::parse()
{
    QFETCH(QStringList, args);
    QFETCH(bool, userData);
    QFETCH(QString, dataFolder);
    QFETCH(QString, error);
    const StartOptions o = StartOptions::parse(args);
    QCOMPARE(o.error, error);
    QCOMPARE(o.userData, userData);
    QCOMPARE(o.dataFolder, dataFolder);
}

void TestStartOptions::usageNamesEveryOption()
{
    const QString usage = StartOptions::usage();
    for (const char *option :
         {"--user-data", "--data-dir DIR", "--help", "--version", "~/.local/share/waybill"})
        QVERIFY2(usage.contains(QLatin1String(option)), option);
    QVERIFY(StartOptions::parse({"--help"}).help);
    QVERIFY(StartOptions::parse({"--version"}).version);
}

QTEST_GUILESS_MAIN(TestStartOptions)
#include "test_startoptions.moc"
