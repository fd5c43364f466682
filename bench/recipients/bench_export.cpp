// Exporting a big address book to .xls: opening the recipient query on a fresh connection, the
// export of the open query (walk and file), both together, and the whole `waybillctl export`
// process.
//
//   bench_export [recipients] [runs]

#include "addressbook/RecipientExport.h"
#include "common/book.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 9;

    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("data.mdb"));
    const QString target = dir.filePath(QStringLiteral("book.xls"));
    db::createDatabase(database);
    bench::fillBook(database, count);
    const QString ctl = QCoreApplication::applicationDirPath() + QStringLiteral("/waybillctl");

    std::vector<double> open, exportOnly, both, process;
    QElapsedTimer t;
    for (int r = 0; r < runs; ++r) {
        db::Connection connection;
        connection.setPath(database);
        db::Dataset recipients;
        recipients.setConnection(&connection);
        recipients.setSql(QStringLiteral("select * from inrxx"));
        t.start();
        recipients.open();
        open.push_back(t.nsecsElapsed() / 1e6);
        const QString error = exportDataset(recipients, target);
        both.push_back(t.nsecsElapsed() / 1e6);
        exportOnly.push_back(both.back() - open.back());
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }

        QProcess p;
        p.setWorkingDirectory(dir.path());
        t.start();
        p.start(ctl, {QStringLiteral("export"), QStringLiteral("ctl.xls")});
        p.waitForFinished(-1);
        process.push_back(t.nsecsElapsed() / 1e6);
        if (p.exitCode() != 0) {
            std::fprintf(stderr, "waybillctl: %s\n", p.readAllStandardError().constData());
            return 1;
        }
    }
    std::printf("book: %d recipients, %d runs, file %.1f MB\n", count, runs, QFileInfo(target).size() / 1e6);
    std::printf("open recipient query (fresh connection)   median %8.1f ms\n", bench::median(open));
    std::printf("export open query to .xls                 median %8.1f ms\n", bench::median(exportOnly));
    std::printf("open + export                             median %8.1f ms\n", bench::median(both));
    std::printf("waybillctl export (whole process)         median %8.1f ms\n", bench::median(process));
    return 0;
}
