// Importing a big address book from our own export: a generated book is exported to .xls with
// the program's exporter, then imported into an empty book, in-process (read and check, write)
// and as the whole `waybillctl import` process.
//
//   bench_import [recipients] [runs]

#include "addressbook/RecipientExport.h"
#include "common/book.h"
#include "import/RecipientImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 7;

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.mdb"));
    const QString file = dir.filePath(QStringLiteral("book.xls"));
    db::createDatabase(source);
    bench::fillBook(source, count);
    {
        db::Connection connection;
        connection.setPath(source);
        db::Dataset recipients;
        recipients.setConnection(&connection);
        recipients.setSql(QStringLiteral("select * from inrxx"));
        recipients.open();
        const QString error = exportDataset(recipients, file);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    const QString ctl = QCoreApplication::applicationDirPath() + QStringLiteral("/waybillctl");

    std::vector<double> prepare, commit, process;
    QElapsedTimer t;
    for (int r = 0; r < runs; ++r) {
        const QString target = dir.filePath(QStringLiteral("target%1.mdb").arg(r));
        db::createDatabase(target);
        db::Connection connection;
        connection.setPath(target);
        connection.open();
        RecipientImport import;
        t.start();
        import.prepare(file, connection);
        prepare.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        if (!import.error().isEmpty() || import.commit(connection) != RecipientImport::Outcome::Added ||
            int(import.rowsToAdd().size()) != count) {
            std::fprintf(stderr, "import failed: %s %s\n", qPrintable(import.error()),
                         qPrintable(import.failure()));
            return 1;
        }
        commit.push_back(t.nsecsElapsed() / 1e6);

        const QString empty = dir.filePath(QStringLiteral("ctl%1.mdb").arg(r));
        db::createDatabase(empty);
        QProcess p;
        t.start();
        p.start(ctl, {QStringLiteral("import"), file, QStringLiteral("--db"), empty});
        p.waitForFinished(-1);
        process.push_back(t.nsecsElapsed() / 1e6);
        if (p.exitCode() != 0) {
            std::fprintf(stderr, "waybillctl: %s\n", p.readAllStandardError().constData());
            return 1;
        }
    }
    std::printf("book: %d recipients exported to .xls (%.1f MB), %d runs\n", count,
                QFileInfo(file).size() / 1e6, runs);
    std::printf("read and check the file (prepare)      median %8.1f ms\n", bench::median(prepare));
    std::printf("write the rows in one transaction       median %8.1f ms\n", bench::median(commit));
    std::printf("waybillctl import (whole process)       median %8.1f ms\n", bench::median(process));
    return 0;
}
