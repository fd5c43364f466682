#include "data/Database.h"
#include "testsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

using testsupport::DatabaseFolder;

namespace {
QStringList recipient(const QString &name, const QString &mobile = QStringLiteral("13800000000"))
{
    return {QStringLiteral("单位"), name, QStringLiteral("北京市海淀区中关村大街88号"), QStringLiteral("100080"),
            QStringLiteral("010-1234"), mobile, QString()};
}
} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT
private slots:
    void openFailsClearly_data();
    void openFailsClearly();
    void missingFileIsNeverCreated();
    void datasetWalksRowsInTableOrder();
    void emptyDatasetHasNoCurrentRow();
    void editOnEmptyTableInsertsOneRow();
    void appendPostsAtTheEndAndIsVisibleToASecondConnection();
    void editWritesOnlyTheColumnsSetToTheRowItStartedOn();
    void deleteMovesToTheNextRow();
    void writesRefuseARowThatIsNoLongerWhatWasRead_data();
    void writesRefuseARowThatIsNoLongerWhatWasRead();
    void openNamesAMissingColumn();
    void extraKeyColumnIsAFieldInTableOrder();
    void boundTextIsTakenLiterally();
    void closingTheConnectionClosesItsDatasets();
    void twoConnectionsWriteInTurn();
};

void TestDatabase::openFailsClearly_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text file") << QByteArray("just some text, not a database at all\n").repeated(200)
                               << QString::fromLatin1(db::kDatabasePassword) << "file is encrypted or is not a database";
    QTest::newRow("empty file") << QByteArray() << QString::fromLatin1(db::kDatabasePassword) << "outrxx";
    QTest::newRow("wrong password") << QByteArray("<make>") << QStringLiteral("000000000000")
                                    << "file is encrypted or is not a database";
}

void TestDatabase::openFailsClearly()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    DatabaseFolder folder;
    if (content != "<make>") {
        QFile f(folder.databasePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    db::Connection c;
    c.setPath(folder.databasePath());
    c.setPassword(password);
    try {
        c.open();
        QFAIL("open succeeded");
    } catch (const db::DbError &e) {
        QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        QVERIFY(!e.message().contains(QLatin1String(db::kDatabasePassword)));
    }
    QVERIFY(!c.isOpen());
}

void TestDatabase::missingFileIsNeverCreated()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    db::Connection c;
    c.setPath(path);
    QVERIFY_THROWS_EXCEPTION(db::DbError, c.open());
    QVERIFY(!QFile::exists(path));
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    QVERIFY_THROWS_EXCEPTION(db::DbError, ds.open());
    QVERIFY(!ds.isActive());
}

void TestDatabase::datasetWalksRowsInTableOrder()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {recipient("张三"), recipient("李四"), recipient("王五")});
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open(); // opens the connection too
    QVERIFY(c.isOpen());
    QCOMPARE(ds.fieldNames(), db::recipientColumns());
    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(ds.recNo(), 1);
    QStringList names;
    for (ds.first(); !ds.eof(); ds.next())
        names << ds.fieldText(QStringLiteral("收件人姓名"));
    QCOMPARE(names, QStringList({"张三", "李四", "王五"}));
    QCOMPARE(ds.recNo(), 3); // past the end it stays on the last row
    QCOMPARE(ds.fieldText(QStringLiteral("no such column")), QString());
    QCOMPARE(ds.value(1, 2), QStringLiteral("北京市海淀区中关村大街88号"));
}

void TestDatabase::emptyDatasetHasNoCurrentRow()
{
    DatabaseFolder folder;
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    QCOMPARE(ds.recordCount(), 0);
    QCOMPARE(ds.recNo(), -1);
    QVERIFY(ds.eof());
    QCOMPARE(ds.fieldText(QStringLiteral("收件人姓名")), QString());
    QVERIFY_THROWS_EXCEPTION(db::DbError, ds.deleteCurrent());
}

void TestDatabase::editOnEmptyTableInsertsOneRow()
{
    DatabaseFolder folder;
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from outrxx"));
    ds.open();
    ds.edit();
    QCOMPARE(ds.state(), db::Dataset::State::Insert);
    QCOMPARE(ds.recNo(), -1);
    ds.setFieldText(QStringLiteral("寄件人姓名"), QStringLiteral("赵六"));
    ds.post();
    ds.edit();
    QCOMPARE(ds.state(), db::Dataset::State::Edit);
    ds.setFieldText(QStringLiteral("寄件人姓名"), QStringLiteral("赵六六"));
    ds.post();
    const auto rows = folder.rows(QStringLiteral("outrxx"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).at(1), QStringLiteral("赵六六"));
}

void TestDatabase::appendPostsAtTheEndAndIsVisibleToASecondConnection()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {recipient("甲"), recipient("乙")});
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    QSignalSpy inserted(&ds, &db::Dataset::rowInserted);
    ds.last();
    ds.append();
    for (const QString &col : db::recipientColumns())
        ds.setFieldText(col, col + QStringLiteral("值"));
    ds.post();
    QCOMPARE(ds.recordCount(), 3);
    QCOMPARE(ds.recNo(), 3);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(ds.fieldText(QStringLiteral("备注")), QStringLiteral("备注值"));

    // Another connection (still open from before) sees the row at once.
    db::Connection other;
    other.setPath(folder.databasePath());
    db::Dataset second;
    second.setConnection(&other);
    second.setSql(QStringLiteral("select * from inrxx"));
    second.open();
    QCOMPARE(second.recordCount(), 3);
    QCOMPARE(second.value(2, 1), QStringLiteral("收件人姓名值"));
}

void TestDatabase::editWritesOnlyTheColumnsSetToTheRowItStartedOn()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {recipient("甲"), recipient("乙")});
    {
        db::Connection other;
        other.setPath(folder.databasePath());
        other.open();
        other.exec(QStringLiteral("UPDATE inrxx SET 备注=NULL WHERE 收件人姓名='乙'"));
    }
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    ds.setCurrentRow(1);
    // Someone else changes the remark of the same row after our snapshot: the write is refused
    // and leaves their change alone.
    {
        db::Connection other;
        other.setPath(folder.databasePath());
        other.open();
        other.exec(QStringLiteral("UPDATE inrxx SET 备注='外部修改' WHERE 收件人姓名='乙'"));
    }
    ds.edit();
    ds.setFieldText(QStringLiteral("收件地址"), QStringLiteral("上海市"));
    QVERIFY_THROWS_EXCEPTION(db::RowChangedError, ds.post());
    auto rows = folder.rows(QStringLiteral("inrxx"));
    QCOMPARE(rows.at(0).at(2), QStringLiteral("北京市海淀区中关村大街88号"));
    QCOMPARE(rows.at(1).at(2), QStringLiteral("北京市海淀区中关村大街88号"));
    QCOMPARE(rows.at(1).at(6), QStringLiteral("外部修改")); // untouched column not overwritten
    // The dataset was read again and stays on the row; now the same edit goes through, to that
    // column only.
    QCOMPARE(ds.fieldText(QStringLiteral("备注")), QStringLiteral("外部修改"));
    ds.edit();
    ds.setFieldText(QStringLiteral("收件地址"), QStringLiteral("上海市"));
    ds.post();
    rows = folder.rows(QStringLiteral("inrxx"));
    QCOMPARE(rows.at(0).at(2), QStringLiteral("北京市海淀区中关村大街88号"));
    QCOMPARE(rows.at(1).at(2), QStringLiteral("上海市"));
    QCOMPARE(rows.at(1).at(6), QStringLiteral("外部修改"));
}

void TestDatabase::deleteMovesToTheNextRow()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {recipient("甲"), recipient("乙"), recipient("丙")});
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    ds.setCurrentRow(1);
    ds.deleteCurrent();
    QCOMPARE(ds.fieldText(QStringLiteral("收件人姓名")), QStringLiteral("丙"));
    ds.deleteCurrent(); // the last row: the new last row becomes current
    QCOMPARE(ds.fieldText(QStringLiteral("收件人姓名")), QStringLiteral("甲"));
    QCOMPARE(ds.recNo(), 1);
    ds.deleteCurrent();
    QCOMPARE(ds.recNo(), -1);
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 0);
}

void TestDatabase::writesRefuseARowThatIsNoLongerWhatWasRead_data()
{
    QTest::addColumn<QString>("otherWrite");
    QTest::addColumn<bool>("deleting");
    // The other copy's write happens between our read and our write.
    const QPair<const char *, const char *> cases[] = {
        {"a column changed", "UPDATE inrxx SET 手机号码='13911112222' WHERE 收件人姓名='乙'"},
        {"NULL became empty", "UPDATE inrxx SET 邮政编码='' WHERE 收件人姓名='乙'"},
        {"deleted", "DELETE FROM inrxx WHERE 收件人姓名='乙'"},
        // Deleting the last row frees its rowid; the next add gets it.
        {"rowid reused", "DELETE FROM inrxx WHERE 收件人姓名='乙'; "
                         "INSERT INTO inrxx VALUES ('新单位','B_new','新地址',NULL,NULL,'13700000000',NULL)"},
    };
    for (const auto &[name, sql] : cases) {
        QTest::addRow("modify, %s", name) << QString::fromUtf8(sql) << false;
        QTest::addRow("delete, %s", name) << QString::fromUtf8(sql) << true;
    }
}

void TestDatabase::writesRefuseARowThatIsNoLongerWhatWasRead()
{
    QFETCH(QString, otherWrite);
    QFETCH(bool, deleting);
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {recipient("甲"), recipient("乙")});
    db::Connection other;
    other.setPath(folder.databasePath());
    other.open();
    other.exec(QStringLiteral("UPDATE inrxx SET 邮政编码=NULL"));
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    ds.setCurrentRow(1);
    for (const QString &sql : otherWrite.split(QStringLiteral("; ")))
        other.exec(sql);
    const auto before = folder.rows(QStringLiteral("inrxx"));
    QSignalSpy resets(&ds, &db::Dataset::reset);

    try {
        if (deleting) {
            ds.deleteCurrent();
        } else {
            ds.edit();
            ds.setFieldText(QStringLiteral("收件地址"), QStringLiteral("写错行了"));
            ds.post();
        }
        QFAIL("the write went through");
    } catch (const db::RowChangedError &e) {
        QCOMPARE(e.message(), QStringLiteral("该记录已被其他用户修改或删除，列表已刷新"));
    }
    QCOMPARE(folder.rows(QStringLiteral("inrxx")), before);
    // The list was read again: it shows what the file holds now.
    QCOMPARE(resets.count(), 1);
    QCOMPARE(ds.state(), db::Dataset::State::Browse);
    QCOMPARE(ds.recordCount(), int(before.size()));
    for (int r = 0; r < ds.recordCount(); ++r)
        QCOMPARE(ds.value(r, 1), before.at(r).at(1));
}

void TestDatabase::openNamesAMissingColumn()
{
    DatabaseFolder folder;
    {
        db::Connection c;
        c.setPath(folder.databasePath());
        c.open();
        c.exec(QStringLiteral("DROP TABLE outrxx"));
        c.exec(QStringLiteral("CREATE TABLE outrxx (单位名称, 寄件人姓名, 寄件地址, 邮政编码, 联系电话, 签名)"));
    }
    db::Connection c;
    c.setPath(folder.databasePath());
    try {
        c.open();
        QFAIL("a file without 手机号码 opened");
    } catch (const db::DbError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("缺少列“手机号码”")), qPrintable(e.message()));
        QVERIFY(e.message().contains(QStringLiteral("outrxx")));
    }
    QVERIFY(!c.isOpen());
}

void TestDatabase::extraKeyColumnIsAFieldInTableOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    db::createDatabase(path);
    db::Connection c;
    c.setPath(path);
    c.open();
    c.exec(QStringLiteral("DROP TABLE inrxx"));
    c.exec(QStringLiteral("CREATE TABLE inrxx (编号 INTEGER PRIMARY KEY, 单位名称, 收件人姓名, 收件地址, 邮政编码, "
                          "联系电话, 手机号码, 备注)"));
    c.exec(QStringLiteral("INSERT INTO inrxx VALUES (7, 'a', '甲', 'addr', '1', '2', '3', '4')"));
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    QCOMPARE(ds.fieldNames().first(), QStringLiteral("编号"));
    QCOMPARE(ds.fieldCount(), 8);
    QCOMPARE(ds.fieldText(QStringLiteral("编号")), QStringLiteral("7"));
    ds.edit();
    ds.setFieldText(QStringLiteral("收件人姓名"), QStringLiteral("乙"));
    ds.post();
    ds.close();
    ds.open();
    QCOMPARE(ds.fieldText(QStringLiteral("收件人姓名")), QStringLiteral("乙"));
}

void TestDatabase::boundTextIsTakenLiterally()
{
    DatabaseFolder folder;
    const QString tricky = QStringLiteral("O'Brien \"x\" 100% _a_ \\ '); DROP TABLE inrxx; -- 😀");
    db::Connection c;
    c.setPath(folder.databasePath());
    db::Dataset ds;
    ds.setConnection(&c);
    ds.setSql(QStringLiteral("select * from inrxx"));
    ds.open();
    ds.append();
    ds.setFieldText(QStringLiteral("收件人姓名"), tricky);
    ds.post();
    ds.setSql(QStringLiteral("select * from inrxx where 收件人姓名 = ?"), {tricky});
    ds.open();
    QCOMPARE(ds.recordCount(), 1);
    QCOMPARE(ds.fieldText(QStringLiteral("收件人姓名")), tricky);
}

void TestDatabase::closingTheConnectionClosesItsDatasets()
{
    DatabaseFolder folder;
    db::Connection c;
    db::Dataset sender, recipients;
    db::runOpenSequence(c, sender, recipients, false);
    QVERIFY(c.isOpen() && sender.isActive() && recipients.isActive());
    QCOMPARE(c.path(), QDir::currentPath() + QStringLiteral("/data.mdb"));
    c.close();
    QVERIFY(!sender.isActive() && !recipients.isActive());
    QVERIFY_THROWS_EXCEPTION(db::DbError, recipients.edit());
    db::runOpenSequence(c, sender, recipients, true);
    QVERIFY(recipients.isActive());
}

void TestDatabase::twoConnectionsWriteInTurn()
{
    DatabaseFolder folder;
    db::Connection a, b;
    db::Dataset da, dbs;
    for (auto [conn, ds] : {std::pair{&a, &da}, std::pair{&b, &dbs}}) {
        conn->setPath(folder.databasePath());
        ds->setConnection(conn);
        ds->setSql(QStringLiteral("select * from inrxx"));
        ds->open();
    }
    for (int i = 0; i < 5; ++i) {
        for (db::Dataset *ds : {&da, &dbs}) {
            ds->append();
            ds->setFieldText(QStringLiteral("收件人姓名"), QString::number(i));
            ds->post();
        }
    }
    QCOMPARE(folder.rows(QStringLiteral("inrxx")).size(), 10);
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "test_database.moc"
