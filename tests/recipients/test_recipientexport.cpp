#include "addressbook/RecipientExport.h"
#include "addressbook/RecipientSearch.h"
#include "data/Database.h"
#include "testsupport.h"
#include "xls/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <sys/resource.h>

#include <csignal>

using testsupport::DatabaseFolder;
using Rows = QVector<QStringList>;

namespace {

// A workbook as python3-xlrd reads it back.
struct Book
{
    QStringList names;
    QVector<Rows> sheets;
    int nonText = 0;
    QString problems; // xlrd's complaints; empty for a clean file
};

// Apache POI (Debian's libapache-poi-java), the strictest reader, through the JDK's source launcher.
const char *const kPoiJars[] = {"poi.jar", "commons-collections4.jar", "commons-math3.jar",
                                "commons-codec.jar"};

bool poiAvailable()
{
    for (const char *jar : kPoiJars)
        if (!QFile::exists(QStringLiteral("/usr/share/java/") + QLatin1String(jar)))
            return false;
    return !QStandardPaths::findExecutable(QStringLiteral("javac")).isEmpty();
}

Book readBook(const QString &path, bool withPoi = false)
{
    const QString testData = QString::fromLocal8Bit(qgetenv("WAYBILL_TESTDATA"));
    QProcess python;
    if (withPoi) {
        QStringList classPath;
        for (const char *jar : kPoiJars)
            classPath << QStringLiteral("/usr/share/java/") + QLatin1String(jar);
        python.start(QStringLiteral("java"),
                     {QStringLiteral("-Xmx1g"), QStringLiteral("-cp"), classPath.join(QLatin1Char(':')),
                      testData + QStringLiteral("/PoiDump.java"), path});
    } else {
        python.start(QStringLiteral("/usr/bin/python3"), {testData + QStringLiteral("/dump_xls.py"), path});
    }
    python.waitForFinished(300000);
    Book book;
    book.problems = QString::fromUtf8(python.readAllStandardError());
    if (python.exitCode() != 0)
        book.problems += QStringLiteral("\nexit code %1").arg(python.exitCode());
    const QJsonArray sheets =
        QJsonDocument::fromJson(python.readAllStandardOutput()).object()[u"sheets"].toArray();
    for (const QJsonValue &sheet : sheets) {
        book.names << sheet[u"name"].toString();
        book.nonText += sheet[u"nonText"].toInt();
        Rows rows;
        for (const QJsonValue &row : sheet[u"rows"].toArray()) {
            QStringList cells;
            for (const QJsonValue &cell : row.toArray())
                cells << cell.toString();
            rows << cells;
        }
        book.sheets << rows;
    }
    return book;
}

QStringList person(int i)
{
    return {QStringLiteral("单位%1").arg(i % 7),
            QStringLiteral("收件人%1").arg(i),
            QStringLiteral("地址%1号").arg(i),
            QStringLiteral("0%1").arg(i % 100000, 5, 10, QLatin1Char('0')),
            QStringLiteral("010-%1").arg(i),
            QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
            i % 3 ? QString() : QStringLiteral("周末不收")};
}

void execAll(const QString &databasePath, const QStringList &statements)
{
    db::Connection c;
    c.setPath(databasePath);
    c.open();
    for (const QString &sql : statements)
        c.exec(sql);
}

QStringList filesIn(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestRecipientExport : public QObject
{
    Q_OBJECT

private slots:
    void exportsEveryCell_data();
    void exportsEveryCell();
    void continuesOnFurtherSheets();
    void failureLeavesNothing_data();
    void failureLeavesNothing();
    void diskFullKeepsExistingFile();
    void waybillctl_data();
    void waybillctl();
};

void TestRecipientExport::exportsEveryCell_data()
{
    QTest::addColumn<QStringList>("setup"); // statements run on the new database first
    QTest::addColumn<Rows>("rows");         // recipients inserted
    QTest::addColumn<QString>("searchColumn");
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<Rows>("expected");

    const QStringList columns = db::recipientColumns();
    const Rows people{person(1), person(2), person(3), person(12)};

    QTest::newRow("empty book") << QStringList() << Rows() << QString() << QString() << columns << Rows();
    QTest::newRow("whole book") << QStringList() << people << QString() << QString() << columns << people;
    QTest::newRow("search result") << QStringList() << people << QStringLiteral("收件人姓名")
                                   << QStringLiteral("人1") << columns << Rows{person(1), person(12)};

    // A key column in front and a further column behind; the row inserted with only two values
    // has NULLs, which read as empty texts.
    QStringList wide{QStringLiteral("编号")};
    wide << columns << QStringLiteral("客户代码");
    QStringList sparse{QStringLiteral("1"), QStringLiteral("只有单位")};
    sparse << QStringList(6) << QStringLiteral("007");
    const QStringList keyed = QStringList{QStringLiteral("5")} << person(5) << QStringLiteral("C-1");
    QTest::newRow("extra columns in table order")
        << QStringList{QStringLiteral("DROP TABLE inrxx"),
                       QStringLiteral("CREATE TABLE inrxx (编号 INTEGER PRIMARY KEY, %1 TEXT, 客户代码 TEXT)")
                           .arg(columns.join(QStringLiteral(" TEXT, "))),
                       QStringLiteral("INSERT INTO inrxx (单位名称, 客户代码) VALUES ('只有单位', '007')")}
        << Rows{keyed} << QString() << QString() << wide << Rows{sparse, keyed};

    // Digit-only and number-like texts stay texts with their zeros; Chinese, emoji and texts far
    // longer than one record (compressed and 16-bit, split across CONTINUE records) come back whole.
    const Rows texts{
        {QStringLiteral("00123"), QStringLiteral("0"), QStringLiteral("1.50"), QStringLiteral("=1+1"),
         QStringLiteral("010-88886666"), QStringLiteral("013900001111"), QStringLiteral("1E5")},
        {QStringLiteral("北京市海淀区"), QStringLiteral("张三😀"), QStringLiteral("𠀀𠀁 emoji 📦✉"),
         QStringLiteral("é ü ß"), QString(), QStringLiteral(" "), QStringLiteral("a\nb\tc")},
        {QString(9000, QChar(u'长')), QString(20000, QLatin1Char('x')),
         QString(XlsWriter::kMaxTextLength, QChar(u'满')), QString(5000, QChar(u'é')), QStringLiteral("尾"),
         QString(4111, QChar(u'中')), QString(8221, QLatin1Char('y'))},
    };
    QTest::newRow("texts") << QStringList() << texts << QString() << QString() << columns << texts;
}

void TestRecipientExport::exportsEveryCell()
{
    QFETCH(QStringList, setup);
    QFETCH(Rows, rows);
    QFETCH(QString, searchColumn);
    QFETCH(QString, searchText);
    QFETCH(QStringList, header);
    QFETCH(Rows, expected);

    DatabaseFolder folder;
    execAll(folder.databasePath(), setup);
    folder.insert(QStringLiteral("inrxx"), rows);

    db::Connection connection;
    connection.setPath(folder.databasePath());
    db::Dataset dataset;
    dataset.setConnection(&connection);
    if (searchColumn.isEmpty()) {
        dataset.setSql(QStringLiteral("select * from inrxx"));
    } else {
        const SearchStatement search = containsSearch(searchColumn, searchText);
        dataset.setSql(search.sql, search.params);
    }
    dataset.open();
    dataset.setCurrentRow(dataset.recordCount() / 2); // the export still starts at the first row
    QSignalSpy moves(&dataset, &db::Dataset::currentChanged);

    const QString path = folder.path() + QStringLiteral("/收件人");
    QCOMPARE(exportDataset(dataset, path), QString());

    const Book book = readBook(path);
    QVERIFY2(book.problems.isEmpty(), qPrintable(book.problems));
    QCOMPARE(book.names,
             (QStringList{QStringLiteral("Sheet1"), QStringLiteral("Sheet2"), QStringLiteral("Sheet3")}));
    QCOMPARE(book.sheets.value(0), Rows{header} + expected);
    QCOMPARE(book.sheets.value(1), Rows());
    QCOMPARE(book.sheets.value(2), Rows());
    QCOMPARE(book.nonText, 0);
    if (poiAvailable()) {
        const Book strict = readBook(path, true);
        QVERIFY2(strict.problems.isEmpty(), qPrintable(strict.problems));
        QCOMPARE(strict.names, book.names);
        QCOMPARE(strict.sheets, book.sheets);
        QCOMPARE(strict.nonText, 0);
    } else {
        qWarning("Apache POI or a JDK is missing: the export was read with xlrd only");
    }
    // The walk leaves the dataset on its last row, and a bound grid learns of it.
    QVERIFY(dataset.eof());
    QCOMPARE(dataset.currentRow(), dataset.recordCount() - 1);
    QVERIFY(!moves.isEmpty());
    QCOMPARE(moves.last().first().toInt(), dataset.recordCount() - 1);
}

void TestRecipientExport::continuesOnFurtherSheets()
{
    DatabaseFolder folder;
    Rows rows;
    for (int i = 0; i < 70000; ++i)
        rows << person(i);
    folder.insert(QStringLiteral("inrxx"), rows);
    db::Connection connection;
    connection.setPath(folder.databasePath());
    db::Dataset dataset;
    dataset.setConnection(&connection);
    dataset.setSql(QStringLiteral("select * from inrxx"));
    dataset.open();

    int lastDone = 0, lastTotal = 0;
    const QString path = folder.path() + QStringLiteral("/big.xls");
    QCOMPARE(exportDataset(dataset, path,
                           [&](int done, int total) {
                               QVERIFY(done >= lastDone);
                               lastDone = done;
                               lastTotal = total;
                           }),
             QString());
    QCOMPARE(lastDone, 70000);
    QCOMPARE(lastTotal, 70000);

    const Book book = readBook(path);
    QVERIFY2(book.problems.isEmpty(), qPrintable(book.problems));
    QCOMPARE(book.names, (QStringList{QStringLiteral("Sheet1"), QStringLiteral("Sheet2"),
                                      QStringLiteral("Sheet3"), QStringLiteral("Sheet4")}));
    const Rows header{db::recipientColumns()};
    QCOMPARE(book.sheets.value(0), header + rows.mid(0, 65535));
    QCOMPARE(book.sheets.value(1), header + rows.mid(65535));
    QCOMPARE(book.sheets.value(2), Rows());
    QCOMPARE(book.sheets.value(3), Rows());
    QCOMPARE(book.nonText, 0);
    if (!poiAvailable())
        QSKIP("Apache POI or a JDK is missing: the big export was not read with POI");
    const Book strict = readBook(path, true);
    QVERIFY2(strict.problems.isEmpty(), qPrintable(strict.problems));
    QCOMPARE(strict.names, book.names);
    QCOMPARE(strict.sheets, book.sheets);
    QCOMPARE(strict.nonText, 0);
}

void TestRecipientExport::failureLeavesNothing_data()
{
    QTest::addColumn<QString>("target");  // inside the folder
    QTest::addColumn<QString>("tooLong"); // a cell no spreadsheet cell can hold, or none

    QTest::newRow("missing folder") << QStringLiteral("missing/out.xls") << QString();
    QTest::newRow("folder is a file") << QStringLiteral("data.mdb/out.xls") << QString();
    QTest::newRow("target is a folder") << QStringLiteral("sub") << QString();
    QTest::newRow("the database itself") << QStringLiteral("data.mdb") << QString();
    QTest::newRow("text longer than a cell")
        << QStringLiteral("old.xls") << QString(XlsWriter::kMaxTextLength + 1, QChar(u'长'));
}

void TestRecipientExport::failureLeavesNothing()
{
    QFETCH(QString, target);
    QFETCH(QString, tooLong);

    DatabaseFolder folder;
    QStringList second = person(2);
    if (!tooLong.isEmpty())
        second.last() = tooLong;
    folder.insert(QStringLiteral("inrxx"), {person(1), second});
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    QFile old(folder.path() + QStringLiteral("/old.xls"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier export") > 0);
    old.close();
    const QStringList before = filesIn(folder.path());
    const QByteArray database = readAll(folder.databasePath());

    db::Connection connection;
    connection.setPath(folder.databasePath());
    db::Dataset dataset;
    dataset.setConnection(&connection);
    dataset.setSql(QStringLiteral("select * from inrxx"));
    dataset.open();
    const QString error = exportDataset(dataset, folder.path() + QLatin1Char('/') + target);
    QVERIFY(!error.isEmpty());
    qInfo() << error;

    QCOMPARE(filesIn(folder.path()), before);
    QVERIFY(filesIn(folder.path() + QStringLiteral("/sub")).isEmpty());
    QCOMPARE(readAll(old.fileName()), QByteArray("earlier export"));
    QCOMPARE(readAll(folder.databasePath()), database);
}

// A disk that fills up while the file is written: the write fails half-way, the earlier file of
// that name stays as it was and no temporary file is left.
void TestRecipientExport::diskFullKeepsExistingFile()
{
    DatabaseFolder folder;
    Rows rows;
    for (int i = 0; i < 3000; ++i)
        rows << person(i);
    folder.insert(QStringLiteral("inrxx"), rows);
    const QString target = folder.path() + QStringLiteral("/out.xls");
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier export") > 0);
    old.close();

    QProcess ctl;
    ctl.setWorkingDirectory(folder.path());
    ctl.setChildProcessModifier([] {
        // Writes past 64 KiB fail with EFBIG, as on a full disk, instead of killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    ctl.start(QString::fromLocal8Bit(qgetenv("WAYBILLCTL")), {QStringLiteral("export"), target});
    QVERIFY(ctl.waitForFinished(60000));
    QCOMPARE(ctl.exitCode(), 1);
    QVERIFY(!ctl.readAllStandardError().isEmpty());
    QCOMPARE(readAll(target), QByteArray("earlier export"));
    QCOMPARE(filesIn(folder.path()), (QStringList{QStringLiteral("data.mdb"), QStringLiteral("out.xls")}));
}

void TestRecipientExport::waybillctl_data()
{
    QTest::addColumn<QStringList>("args"); // after "export"; DIR stands for the database's folder
    QTest::addColumn<bool>("inDatabaseFolder");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("written"); // the file the command writes, or none

    QTest::newRow("current folder") << QStringList{QStringLiteral("out.xls")} << true << 0
                                    << QStringLiteral("out.xls");
    QTest::newRow("name as given") << QStringList{QStringLiteral("收件人")} << true << 0
                                   << QStringLiteral("收件人");
    QTest::newRow("--db") << QStringList{QStringLiteral("out.xls"), QStringLiteral("--db"),
                                         QStringLiteral("DIR/data.mdb")}
                          << false << 0 << QStringLiteral("out.xls");
    QTest::newRow("no database") << QStringList{QStringLiteral("out.xls")} << false << 1 << QString();
    QTest::newRow("not a database") << QStringList{QStringLiteral("out.xls"), QStringLiteral("--db"),
                                                   QStringLiteral("DIR/notes.txt")}
                                    << false << 1 << QString();
    QTest::newRow("unwritable output")
        << QStringList{QStringLiteral("missing/out.xls")} << true << 1 << QString();
    QTest::newRow("over the database") << QStringList{QStringLiteral("data.mdb")} << true << 1 << QString();
    QTest::newRow("no file") << QStringList() << true << 2 << QString();
    QTest::newRow("two files") << QStringList{QStringLiteral("a.xls"), QStringLiteral("b.xls")} << true << 2
                               << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("a.xls"), QStringLiteral("--all")} << true
                                    << 2 << QString();
    QTest::newRow("--db without path")
        << QStringList{QStringLiteral("a.xls"), QStringLiteral("--db")} << true << 2 << QString();
}

void TestRecipientExport::waybillctl()
{
    QFETCH(QStringList, args);
    QFETCH(bool, inDatabaseFolder);
    QFETCH(int, exitCode);
    QFETCH(QString, written);

    DatabaseFolder folder;
    const Rows rows{person(1), person(2)};
    folder.insert(QStringLiteral("inrxx"), rows);
    QFile notes(folder.path() + QStringLiteral("/notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("not a database") > 0);
    notes.close();
    QTemporaryDir elsewhere;
    const QString workDir = inDatabaseFolder ? folder.path() : elsewhere.path();
    const QStringList before = filesIn(workDir);
    const QByteArray database = readAll(folder.databasePath());

    args.replaceInStrings(QStringLiteral("DIR"), folder.path());
    QProcess ctl;
    ctl.setWorkingDirectory(workDir);
    ctl.start(QString::fromLocal8Bit(qgetenv("WAYBILLCTL")), QStringList{QStringLiteral("export")} + args);
    QVERIFY(ctl.waitForFinished(60000));
    const QString stderrText = QString::fromUtf8(ctl.readAllStandardError());
    QCOMPARE(ctl.exitCode(), exitCode);
    QCOMPARE(readAll(folder.databasePath()), database);
    if (written.isEmpty()) {
        QVERIFY(stderrText.contains(QStringLiteral("waybillctl: ")));
        QCOMPARE(filesIn(workDir), before);
        return;
    }
    QStringList after = before;
    after << written;
    after.sort();
    QCOMPARE(filesIn(workDir), after); // the file and nothing else
    const Book book = readBook(workDir + QLatin1Char('/') + written);
    QVERIFY2(book.problems.isEmpty(), qPrintable(book.problems));
    QCOMPARE(book.sheets.value(0), Rows{db::recipientColumns()} + rows);
}

QTEST_GUILESS_MAIN(TestRecipientExport)
#include "test_recipientexport.moc"
