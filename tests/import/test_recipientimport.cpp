// Importing recipients: files of every kind a shop has (our export, spreadsheet programs' .xls,
// CSV in GB18030 or UTF-8), the add panel's checks, duplicates, and nothing half-done.

#include "addressbook/RecipientExport.h"
#include "data/CheckedSaveFile.h"
#include "data/Database.h"
#include "import/RecipientImport.h"
#include "testsupport.h"
#include "xls/XlsWriter.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTest>

using testsupport::DatabaseFolder;
using Rows = QVector<QStringList>;

namespace {

QStringList person(const QString &name, const QString &address, const QString &mobile,
                   const QString &company = {}, const QString &postcode = {}, const QString &phone = {},
                   const QString &remark = {})
{
    return {company, name, address, postcode, phone, mobile, remark};
}

QByteArray utf8(const char *text)
{
    return QByteArray(text);
}

QByteArray gb18030(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QByteArray workbook(const std::vector<std::pair<QString, Rows>> &sheets)
{
    XlsWriter book;
    for (const auto &[name, rows] : sheets) {
        book.addSheet(name);
        for (const QStringList &row : rows)
            book.appendRow(row);
    }
    const QString path = QDir::temp().filePath(QStringLiteral("waybill-fixture.xls"));
    try {
        book.save(path);
    } catch (const files::FileError &) {
        return {};
    }
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    f.remove();
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestRecipientImport : public QObject
{
    Q_OBJECT

private slots:
    void readsFiles_data();
    void readsFiles();
    void roundTripOfOurExport();
    void cancelledImportLeavesFileAsItWas();
    void waybillctl();
};

void TestRecipientImport::readsFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Rows>("book");           // recipients already there
    QTest::addColumn<QString>("error");       // part of the message when nothing can be imported
    QTest::addColumn<Rows>("added");          // the book's new rows, in order
    QTest::addColumn<QStringList>("invalid"); // "where: reason" of the rows with errors
    QTest::addColumn<int>("duplicates");

    const QStringList zhang =
        person(QStringLiteral("张三"), QStringLiteral("北京市海淀区"), QStringLiteral("13811110001"));

    QTest::newRow("utf-8 csv, short names, other columns ignored")
        << QString("a.csv")
        << utf8("序号,姓名,地址,手机,电话,邮编,公司,备注\n1,张三,北京市海淀区,13811110001,010-1,100080,"
                "某公司,放门口\n")
        << Rows() << QString()
        << Rows{person("张三", "北京市海淀区", "13811110001", "某公司", "100080", "010-1", "放门口")}
        << QStringList() << 0;
    QTest::newRow("utf-8 with BOM, semicolons, CRLF, missing optional columns")
        << QString("b.csv")
        << utf8("\xEF\xBB\xBF收件人姓名;收件地址;手机号码\r\n张三;北京市海淀区;13811110001\r\n") << Rows()
        << QString() << Rows{zhang} << QStringList() << 0;
    QTest::newRow("gb18030, tabs, a title row above the header")
        << QString("c.csv")
        << gb18030(QStringLiteral(
               "客户名单\n姓名\t地址\t手机\t单位名称\n王五\t广州市天河区\t13733330003\t天河商贸\n"
               "𠀀四\t上海\t13900000004\t\n"))
        << Rows() << QString()
        << Rows{person("王五", "广州市天河区", "13733330003", "天河商贸"),
                person("𠀀四", "上海", "13900000004")}
        << QStringList() << 0;
    // A spreadsheet program's "Unicode text": UTF-16 with BOM, tabs.
    QByteArray unicodeText("\xFF\xFE", 2);
    const QString tabbed = QStringLiteral("姓名\t地址\t手机\r\n张三\t北京市海淀区\t13811110001\r\n");
    unicodeText.append(reinterpret_cast<const char *>(tabbed.utf16()), tabbed.size() * 2);
    QTest::newRow("utf-16 with BOM, tabs")
        << QString("u.txt") << unicodeText << Rows() << QString() << Rows{zhang} << QStringList() << 0;
    QTest::newRow("quotes, separators and line breaks in fields")
        << QString("d.csv")
        << utf8("姓名,地址,手机,备注\n\"张,三\",\"北京市\n海淀区\",13811110001,\"说\"\"放门口\"\"\"\n\n王五,"
                "\"\",1,\n")
        << Rows() << QString()
        << Rows{person("张,三", "北京市\n海淀区", "13811110001", {}, {}, {}, "说\"放门口\"")}
        << QStringList{"第 4 行: 收件地址不能为空！"} << 0;
    QTest::newRow("the add panel's checks, in its order")
        << QString("e.csv")
        << utf8("姓名,地址,手机\n,,\n张三,,\n,北京,\n张三,北京,\n张三,北京市海淀区,13811110001\n") << Rows()
        << QString() << Rows{zhang}
        << QStringList{"第 3 行: 收件地址不能为空！", "第 4 行: 收件人姓名不能为空！",
                       "第 5 行: 手机号码不能为空！"}
        << 0;
    QTest::newRow("duplicates within the file and against the book")
        << QString("f.csv")
        << utf8("姓名,地址,手机\n张三,别处,13811110001\n李四,上海,13922220002\n李四,又一处,13922220002\n李四,"
                "上海,13922220003\n")
        << Rows{zhang} << QString()
        << Rows{person("李四", "上海", "13922220002"), person("李四", "上海", "13922220003")} << QStringList()
        << 2;
    QTest::newRow("a required column missing")
        << QString("g.csv") << utf8("姓名,地址,电话\n张三,北京,010-1\n") << Rows()
        << QStringLiteral("缺少必需的列：手机号码") << Rows() << QStringList() << 0;
    QTest::newRow("every row a duplicate")
        << QString("h.csv") << utf8("姓名,地址,手机\n张三,北京,13811110001\n") << Rows{zhang}
        << QStringLiteral("每一行都因重复或有错误而跳过") << Rows{zhang} << QStringList() << 1;
    QTest::newRow("no header") << QString("i.csv") << utf8("a,b,c\n1,2,3\n") << Rows()
                               << QStringLiteral("找不到列名行") << Rows() << QStringList() << 0;
    QTest::newRow("an .xlsx file") << QString("j.xlsx")
                                   << QByteArray("PK\x03\x04\x14\0\0\0", 8) + QByteArray(200, 'x') << Rows()
                                   << QStringLiteral(".xlsx") << Rows() << QStringList() << 0;
    QTest::newRow("neither workbook nor text")
        << QString("k.xls") << QByteArray("\x01\x02\0\0\x05", 5) << Rows() << QStringLiteral("既不是")
        << Rows() << QStringList() << 0;

    // A spreadsheet program's workbook: numbers stored as numbers, two sheets.
    QTest::newRow("numbers stored as numbers, two sheets (xlwt)")
        << QString("numbers.xls")
        << readFile(QString::fromLocal8Bit(qgetenv("WAYBILL_TESTDATA")) + "/numbers.xls") << Rows()
        << QString()
        << Rows{person("张三", "北京市海淀区中关村大街1号", "13811110001", {}, "100080", {}, "3.5"),
                person("李四", "上海市浦东新区世纪大道100号", "13922220002", {}, "200120", {}, "2024-05-01"),
                person("王五", "广州市天河区体育西路2号", "13733330003", "天河商贸")}
        << QStringList() << 0;
    // Our export with the stream's sectors out of order: the empty text is still taken out.
    QTest::newRow("our export, sectors out of order")
        << QString("scattered.xls")
        << readFile(QString::fromLocal8Bit(qgetenv("WAYBILL_TESTDATA")) + "/scattered.xls") << Rows()
        << QString() << Rows{person("张三", "地址", "13811110001", "a", "100000", "010-1")} << QStringList()
        << 0;
    // Our own export: several sheets with a header each, empty cells, empty sheets behind.
    const QStringList header = db::recipientColumns();
    QTest::newRow("our export: several sheets, empty cells")
        << QString("ours.xls")
        << workbook({{"Sheet1", Rows{header, zhang, person("", "缺名", "1")}},
                     {"Sheet2", Rows{header, person("李四", "上海", "13922220002", "", "", "", "备注")}},
                     {"Sheet3", Rows()}})
        << Rows() << QString() << Rows{zhang, person("李四", "上海", "13922220002", "", "", "", "备注")}
        << QStringList{"工作表“Sheet1”第 3 行: 收件人姓名不能为空！"} << 0;
}

void TestRecipientImport::readsFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(Rows, book);
    QFETCH(QString, error);
    QFETCH(Rows, added);
    QFETCH(QStringList, invalid);
    QFETCH(int, duplicates);

    QVERIFY(!bytes.isEmpty());
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), book);
    const QString path = folder.path() + QLatin1Char('/') + fileName;
    writeFile(path, bytes);

    db::Connection connection;
    connection.setPath(folder.databasePath());
    RecipientImport import;
    import.prepare(path, connection);

    QStringList invalidSeen;
    for (const auto &row : import.invalidRows())
        invalidSeen << row.where + QStringLiteral(": ") + row.reason;
    QCOMPARE(invalidSeen, invalid);
    QCOMPARE(int(import.duplicateRows().size()), duplicates);
    if (!error.isEmpty()) {
        QVERIFY2(import.error().contains(error), qPrintable(import.error()));
        QCOMPARE(folder.rows(QStringLiteral("inrxx")), book);
        return;
    }
    QVERIFY2(import.error().isEmpty(), qPrintable(import.error()));
    QCOMPARE(import.commit(connection), RecipientImport::Outcome::Added);
    QCOMPARE(folder.rows(QStringLiteral("inrxx")), book + added);
}

void TestRecipientImport::roundTripOfOurExport()
{
    // More rows than one sheet holds, so the export continues on a second sheet; texts that look
    // like numbers, empty cells, Chinese and characters beyond the BMP.
    Rows rows;
    for (int i = 0; i < 66000; ++i)
        rows << QStringList{i % 3 ? QString() : QStringLiteral("公司%1").arg(i),
                            QStringLiteral("收件人%1").arg(i),
                            QStringLiteral("地址𠀀%1号").arg(i),
                            QStringLiteral("%1").arg(i % 1000, 6, 10, QLatin1Char('0')),
                            i % 7 ? QString() : QStringLiteral("010-%1").arg(i),
                            QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
                            i % 5 ? QString() : QStringLiteral("放门口, \"轻放\"\n谢谢")};
    DatabaseFolder source;
    source.insert(QStringLiteral("inrxx"), rows);
    db::Connection connection;
    connection.setPath(source.databasePath());
    db::Dataset dataset;
    dataset.setConnection(&connection);
    dataset.setSql(QStringLiteral("select * from inrxx"));
    dataset.open();
    const QString file = source.path() + QStringLiteral("/book.xls");
    QCOMPARE(exportDataset(dataset, file), QString());

    DatabaseFolder target;
    db::Connection into;
    into.setPath(target.databasePath());
    RecipientImport import;
    import.prepare(file, into);
    QCOMPARE(import.error(), QString());
    QCOMPARE(int(import.rowsToAdd().size()), rows.size());
    QCOMPARE(import.commit(into), RecipientImport::Outcome::Added);
    QCOMPARE(target.rows(QStringLiteral("inrxx")), rows);
}

void TestRecipientImport::cancelledImportLeavesFileAsItWas()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("张三", "北京", "13811110001")});
    QByteArray csv("姓名,地址,手机,备注\n");
    for (int i = 0; i < 20000; ++i)
        csv += QStringLiteral("收件人%1,很长的地址%2,139%3,%4\n")
                   .arg(i)
                   .arg(QString(40, QChar(u'路')))
                   .arg(i)
                   .arg(i)
                   .toUtf8();
    const QString path = folder.path() + QStringLiteral("/many.csv");
    writeFile(path, csv);
    const QByteArray before = readFile(folder.databasePath());

    db::Connection connection;
    connection.setPath(folder.databasePath());
    connection.open();
    // With a small page cache SQLite would write pages into the file before the end of the
    // transaction; a rollback then restores their content, but SQLCipher encrypts them anew.
    connection.exec(QStringLiteral("PRAGMA cache_size = 10"));
    RecipientImport import;
    import.prepare(path, connection);
    QCOMPARE(int(import.rowsToAdd().size()), 20000);
    int calls = 0;
    const auto outcome = import.commit(connection, [&](int done, int total) {
        ++calls;
        return done < total - 1000;
    });
    QCOMPARE(outcome, RecipientImport::Outcome::Cancelled);
    QVERIFY(calls > 10);
    connection.close();
    QVERIFY(readFile(folder.databasePath()) == before);
    QVERIFY(!QFile::exists(folder.databasePath() + QStringLiteral("-journal")));
}

void TestRecipientImport::waybillctl()
{
    DatabaseFolder folder;
    folder.insert(QStringLiteral("inrxx"), {person("张三", "北京", "13811110001")});
    writeFile(folder.path() + "/some.csv",
              utf8("姓名,地址,手机\n张三,北京,13811110001\n,无名,1\n李四,上海,13922220002\n"));
    writeFile(folder.path() + "/none.csv", utf8("姓名,地址,手机\n张三,北京,13811110001\n"));
    auto ctl = [&](const QStringList &args, QString *out = nullptr, QString *err = nullptr) {
        QProcess p;
        p.setWorkingDirectory(folder.path());
        p.start(qEnvironmentVariable("WAYBILLCTL"), QStringList{QStringLiteral("import")} + args);
        p.waitForFinished(60000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const QByteArray before = readFile(folder.databasePath());
    QString out, err;
    QCOMPARE(ctl({"some.csv", "--dry-run"}, &out), 0);
    QVERIFY2(out.contains("将导入 1 个收件人；跳过重复 1 行，有错误 1 行。"), qPrintable(out));
    QVERIFY(out.contains("第 3 行：收件人姓名不能为空！"));
    QVERIFY(out.contains("重复的行（未导入）：\n  第 2 行：通讯录中已有同名同手机号码的收件人"));
    QVERIFY(readFile(folder.databasePath()) == before);

    QCOMPARE(ctl({"none.csv"}, &out, &err), 1);
    QVERIFY2(err.contains("waybillctl: 没有导入任何收件人"), qPrintable(err));
    QVERIFY(readFile(folder.databasePath()) == before);
    QCOMPARE(ctl({"missing.csv"}, &out, &err), 1);
    QCOMPARE(ctl({}), 2);

    QCOMPARE(ctl({"some.csv", "--db", folder.databasePath()}, &out), 0);
    QCOMPARE(folder.rows(QStringLiteral("inrxx")),
             (Rows{person("张三", "北京", "13811110001"), person("李四", "上海", "13922220002")}));
}

QTEST_GUILESS_MAIN(TestRecipientImport)
#include "test_recipientimport.moc"
