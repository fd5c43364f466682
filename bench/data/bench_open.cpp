// Opening a big address book: the open sequence (a fresh connection, both queries) on 100,000
// generated recipients, the memory the open book takes, and the main window from construction to
// first shown. The sqlcipher shell reading the same rows is timed in the same run for scale.
//
//   bench_open [recipients] [runs]

#include "common/book.h"
#include "data/Database.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using bench::median;
using bench::rssKiB;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application application(argc, argv);
    app::configure();
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 9;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    db::createDatabase(dir.filePath(QStringLiteral("data.mdb")));
    bench::fillBook(dir.filePath(QStringLiteral("data.mdb")), count);
    std::printf("book: %d recipients, %.1f MB file\n", count,
                QFileInfo(dir.filePath("data.mdb")).size() / 1e6);

    std::vector<double> openMs, reopenMs, shellMs, windowMs;
    long bookKiB = 0;
    for (int r = 0; r < runs; ++r) {
        const long before = rssKiB();
        QElapsedTimer t;
        t.start();
        {
            db::Connection c;
            db::Dataset sender, recipients;
            db::runOpenSequence(c, sender, recipients, false);
            openMs.push_back(t.nsecsElapsed() / 1e6);
            bookKiB = std::max(bookKiB, rssKiB() - before);
            // "收件信息": the same connection object closed and opened again.
            t.restart();
            db::runOpenSequence(c, sender, recipients, true);
            reopenMs.push_back(t.nsecsElapsed() / 1e6);
        }

        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
        if (!shell.isEmpty()) {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            t.restart();
            p.start(shell, {dir.filePath(QStringLiteral("data.mdb"))});
            p.write("PRAGMA key='358146392850';\nselect * from outrxx;\nselect * from inrxx;\n");
            p.closeWriteChannel();
            p.waitForFinished(-1);
            shellMs.push_back(t.nsecsElapsed() / 1e6);
        }

        t.restart();
        {
            MainWindow form;
            form.show();
            if (!QTest::qWaitForWindowExposed(&form))
                return 1;
            windowMs.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    // The first open in a process also pays for growing the heap (page faults), which later opens
    // reuse; a program start sees the first figure.
    std::printf("first open sequence in this process:             %.1f ms\n", openMs.front());
    std::printf("open sequence (fresh connection, both queries): median %.1f ms\n", median(openMs));
    std::printf("reopen (收件信息, same connection object):        median %.1f ms\n", median(reopenMs));
    if (!shellMs.empty())
        std::printf("sqlcipher shell reading the same rows:            median %.1f ms (ratio %.2f)\n",
                    median(shellMs), median(openMs) / median(shellMs));
    std::printf("main window constructed and shown (offscreen):     median %.1f ms\n", median(windowMs));
    std::printf("memory of the open book (RSS growth):              %.1f MB\n", bookKiB / 1024.0);
    return 0;
}
