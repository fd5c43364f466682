// waybillctl calibrate: shows and stores a printer's offset in the user's settings; bad values
// store nothing.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCtlCalibrate : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    struct Result
    {
        int exitCode;
        QString out, err;
    };

    Result ctl(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("WAYBILLCTL"), QStringList{QStringLiteral("calibrate")} + args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    QString shown(const QString &printer)
    {
        return ctl({QStringLiteral("--printer"), printer}).out.trimmed();
    }

private slots:
    void storesAndShowsPerPrinter()
    {
        QCOMPARE(shown(QStringLiteral("LQ-1600K")), QStringLiteral("dx=0.0 dy=0.0 mm"));
        const Result r = ctl({QStringLiteral("--printer"), QStringLiteral("LQ-1600K"), QStringLiteral("2"),
                              QStringLiteral("-1.5")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(shown(QStringLiteral("LQ-1600K")), QStringLiteral("dx=2.0 dy=-1.5 mm"));
        QCOMPARE(shown(QStringLiteral("other")), QStringLiteral("dx=0.0 dy=0.0 mm"));
        QVERIFY(QFileInfo::exists(m_config.filePath(QStringLiteral("waybill/waybill.ini"))));
    }

    void badValuesStoreNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString p = QStringLiteral("--printer"), name = QStringLiteral("LQ-1600K");
        QTest::newRow("not a number") << QStringList{p, name, QStringLiteral("abc"), QStringLiteral("1")} << 1
                                      << QStringLiteral("横向偏移“abc”不是数字");
        QTest::newRow("out of range") << QStringList{p, name, QStringLiteral("1"), QStringLiteral("30.5")}
                                      << 1 << QStringLiteral("纵向偏移 30.5 毫米超出范围");
        QTest::newRow("hundredths") << QStringList{p, name, QStringLiteral("0.25"), QStringLiteral("1")} << 1
                                    << QStringLiteral("只能精确到 0.1 毫米");
        QTest::newRow("one value") << QStringList{p, name, QStringLiteral("1")} << 2
                                   << QStringLiteral("用法");
        QTest::newRow("no printer") << QStringList{QStringLiteral("1"), QStringLiteral("1")} << 2
                                    << QStringLiteral("用法");
    }

    void badValuesStoreNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QCOMPARE(ctl({QStringLiteral("--printer"), QStringLiteral("LQ-1600K"), QStringLiteral("0.5"),
                      QStringLiteral("0.5")})
                     .exitCode,
                 0);
        const Result r = ctl(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.startsWith(QStringLiteral("waybillctl: ")) && r.err.contains(message),
                 qPrintable(r.err));
        QCOMPARE(shown(QStringLiteral("LQ-1600K")), QStringLiteral("dx=0.5 dy=0.5 mm"));
    }
};

QTEST_GUILESS_MAIN(TestCtlCalibrate)
#include "test_ctlcalibrate.moc"
