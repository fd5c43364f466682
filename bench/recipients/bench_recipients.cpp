// The recipient page with a big book: search round trip (statement to a repainted grid),
// scrolling the grid from top to bottom, and adding and deleting at the end of the book.
//
//   bench_recipients [recipients] [runs]

#include "addressbook/RecipientTableModel.h"
#include "common/book.h"
#include "recipients/RecipientPage.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application application(argc, argv);
    app::configure();
    const int count = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 15;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    db::createDatabase(dir.filePath(QStringLiteral("data.mdb")));
    bench::fillBook(dir.filePath(QStringLiteral("data.mdb")), count);
    messages::setRecorder([](QWidget *, const QString &) {});

    MainWindow form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    RecipientPage *page = form.recipientPage();
    QWidget *viewport = page->recipientGrid->viewport();

    std::vector<double> nameSearch, mobileSearch, scrollPage, add, del;
    QElapsedTimer t;
    for (int r = 0; r < runs; ++r) {
        page->startSearching();
        page->searchNameEdit->setText(QStringLiteral("收件人%1").arg(1234 + r));
        t.start();
        page->searchRecipients();
        viewport->repaint();
        nameSearch.push_back(t.nsecsElapsed() / 1e6);

        page->startSearching();
        page->searchMobileEdit->setText(QStringLiteral("%1").arg(5678 + r));
        t.start();
        page->searchRecipients();
        viewport->repaint();
        mobileSearch.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("book: %d recipients\n", count);
    std::printf("search by name (statement to repainted grid):    median %.1f ms\n",
                bench::median(nameSearch));
    std::printf("search by mobile, last four digits (%d matches): median %.1f ms\n", page->model->rowCount(),
                bench::median(mobileSearch));

    form.showRecipients();
    QScrollBar *bar = page->recipientGrid->verticalScrollBar();
    QElapsedTimer whole;
    whole.start();
    int pages = 0;
    for (int v = 0; v <= bar->maximum(); v += qMax(1, bar->pageStep())) {
        bar->setValue(v);
        t.start();
        viewport->repaint();
        scrollPage.push_back(t.nsecsElapsed() / 1e6);
        ++pages;
    }
    std::printf("scroll top to bottom: %d pages in %.0f ms, median %.2f ms per page, worst %.2f ms\n", pages,
                whole.nsecsElapsed() / 1e6, bench::median(scrollPage),
                *std::max_element(scrollPage.begin(), scrollPage.end()));

    page->confirmDelete = [](QWidget *) { return true; };
    for (int r = 0; r < runs; ++r) {
        for (size_t i = 0; i < page->addEdits.size(); ++i)
            page->addEdits[i]->setText(QStringLiteral("新增%1").arg(r));
        t.start();
        page->addRecipient();
        viewport->repaint();
        add.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        page->deleteRecipient(); // the new row is current: delete it again
        viewport->repaint();
        del.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("add at the end (posted, grid repainted):         median %.1f ms\n", bench::median(add));
    std::printf("delete at the end (posted, grid repainted):      median %.1f ms\n", bench::median(del));
    return 0;
}
