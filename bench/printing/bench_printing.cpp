// Printing a big batch: generating the waybill pages of 10,000 recipients (pages per second and
// the memory a held page takes), the first page in the preview window after the preview call,
// writing the 10,000 pages to a PDF, and `waybillctl print --pdf` of the whole book as a separate
// process (wall time and peak resident memory).
//
//   bench_printing [recipients] [runs]

#include "common/book.h"
#include "data/Database.h"
#include "printing/Fonts.h"
#include "printwindows/PreviewWindow.h"
#include "printwindows/WaybillPrintJob.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

using bench::median;

namespace {

struct Datasets
{
    explicit Datasets(const QString &path)
    {
        connection.setPath(path);
        senders.setConnection(&connection);
        senders.setSql(QStringLiteral("select * from outrxx"));
        senders.open();
        recipients.setConnection(&connection);
        recipients.setSql(QStringLiteral("select * from inrxx"));
        recipients.open();
    }
    db::Connection connection;
    db::Dataset senders, recipients;
};

void bind(printing::WaybillReport &report, Datasets &d)
{
    report.setSenderDataset(&d.senders);
    report.setRecipientDataset(&d.recipients);
    report.setRecordSource(&d.recipients);
}

// Runs waybillctl to the end; returns wall milliseconds and the child's peak RSS in KiB.
std::pair<double, long> runCtl(const QStringList &args)
{
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<QByteArray> owned;
        owned.push_back(QByteArrayLiteral(WAYBILLCTL_PATH));
        for (const QString &a : args)
            owned.push_back(a.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &a : owned)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "waybillctl failed\n");
    return {ms, usage.ru_maxrss};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fonts::installSubstitutions();
    const int count = argc > 1 ? atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? atoi(argv[2]) : 7;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString path = dir.filePath(QStringLiteral("data.mdb"));
    db::createDatabase(path);
    bench::fillBook(path, count);
    Datasets d(path);
    std::printf("book: %d recipients\n", count);

    std::vector<double> generateMs, bytesPerPage, pdfMs, firstPageMs, ctlMs, ctlRss;
    for (int run = 0; run < runs; ++run) {
        printing::WaybillReport report(printing::PositionSet::Batch);
        bind(report, d);
        QElapsedTimer clock;
        clock.start();
        const printing::PageList pages = report.generate();
        generateMs.push_back(clock.nsecsElapsed() / 1e6);
        size_t bytes = 0;
        for (const printing::Page &p : pages.pages)
            bytes += p.memoryBytes();
        bytesPerPage.push_back(double(bytes) / pages.count());

        clock.restart();
        {
            QPdfWriter writer(dir.filePath(QStringLiteral("bench.pdf")));
            printing::WaybillReport::render(pages, writer);
        }
        pdfMs.push_back(clock.nsecsElapsed() / 1e6);
    }

    // From the preview call to the first page painted in the shown window.
    for (int run = 0; run < runs; ++run) {
        printing::WaybillPrintJob report(printing::PositionSet::Batch);
        bind(report, d);
        QElapsedTimer clock;
        double shown = -1;
        QObject::connect(&report, &printing::WaybillReport::pageAvailable, &report, [&] {
            if (shown >= 0)
                return;
            printing::PreviewWindow *w = report.previewWindow();
            w->repaint();
            shown = clock.nsecsElapsed() / 1e6;
            QTimer::singleShot(0, w, &QWidget::close);
        });
        clock.start();
        report.preview();
        firstPageMs.push_back(shown);
    }

    for (int run = 0; run < runs; ++run) {
        const auto [ms, rss] =
            runCtl({QStringLiteral("print"), QStringLiteral("--pdf"), dir.filePath("ctl.pdf")});
        ctlMs.push_back(ms);
        ctlRss.push_back(rss / 1024.0);
    }

    const double gen = median(generateMs);
    std::printf("generate %d pages:            %8.1f ms  (%.0f pages/s)\n", count, gen, count / gen * 1000);
    std::printf("memory per held page:          %8.0f bytes\n", median(bytesPerPage));
    std::printf("first page shown after preview: %7.1f ms\n", median(firstPageMs));
    std::printf("write %d pages to PDF:        %8.1f ms  (%.0f pages/s)\n", count, median(pdfMs),
                count / median(pdfMs) * 1000);
    std::printf("waybillctl print --pdf:        %8.1f ms, peak RSS %.1f MB\n", median(ctlMs), median(ctlRss));
    return 0;
}
