#include "data/DataFolder.h"
#include "data/Database.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

class TestDataFolder : public QObject
{
    Q_OBJECT
private slots:
    void followsTheCurrentFolderUntilOneIsSet();
    void userFolderIsInXdgDataHome();
    void createMakesAnEmptyDatabaseOnce();
    void createFailsClearly();
};

void TestDataFolder::followsTheCurrentFolderUntilOneIsSet()
{
    QTemporaryDir a, b;
    const QString previous = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(previous);
        db::setDataFolder(QString());
    });
    QVERIFY(QDir::setCurrent(a.path()));
    QCOMPARE(db::dataFolder(), QDir::currentPath());
    QCOMPARE(db::connectionPath(), QDir::currentPath() + QStringLiteral("/data.mdb"));

    // A relative name is taken from the current folder once, then stays put.
    db::setDataFolder(QStringLiteral("sub/../named"));
    const QString named = QDir::currentPath() + QStringLiteral("/named");
    QVERIFY(QDir::setCurrent(b.path()));
    QCOMPARE(db::dataFolder(), named);
    QCOMPARE(db::connectionPath(), named + QStringLiteral("/data.mdb"));

    db::setDataFolder(QString());
    QCOMPARE(db::dataFolder(), QDir::currentPath());
}

void TestDataFolder::userFolderIsInXdgDataHome()
{
    QTemporaryDir home;
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", previous); });
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QCOMPARE(db::userDataFolder(), home.path() + QStringLiteral("/waybill"));
}

void TestDataFolder::createMakesAnEmptyDatabaseOnce()
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("a/b/waybill"));
    db::createDataFolder(folder);
    const QString path = folder + QStringLiteral("/data.mdb");
    {
        db::Connection c;
        c.setPath(path);
        c.open();
        db::Statement st(
            c, QStringLiteral("select (select count(*) from outrxx) + (select count(*) from inrxx)"));
        QVERIFY(st.step());
        QCOMPARE(st.int64(0), 0);
        c.exec(QStringLiteral("insert into inrxx (收件人姓名) values ('张三')"));
    }
    // The second start finds the user's data and leaves it alone.
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    db::createDataFolder(folder);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("data.mdb")});
}

void TestDataFolder::createFailsClearly()
{
    QTemporaryDir home;
    QFile blocker(home.filePath(QStringLiteral("waybill")));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    try {
        db::createDataFolder(blocker.fileName());
        QFAIL("no error");
    } catch (const db::DbError &e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("无法创建数据文件夹")), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_datafolder.moc"
