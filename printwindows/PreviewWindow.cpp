#include "printwindows/PreviewWindow.h"

#include "printing/Fonts.h"
#include "printing/Length.h"
#include "printing/PagePainter.h"
#include "printwindows/PreviewControls.h"
#include "printwindows/WaybillPrintJob.h"
#include "printwindows/WaybillWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace printing {

QString lastPreviewTitle;
bool changingThumbnailRow = false;

namespace {

struct ButtonDesign
{
    const char *caption;
    const char *hint;
    const char *picture;
};

const std::array<ButtonDesign, 10> kButtons = {{
    {"合适大小", "缩放到合适大小", ":/icons/preview_zoom_fit.png"},
    {"合适宽度", "缩放到合适宽度", ":/icons/preview_zoom_width.png"},
    {"缩放100%", "缩放到100%", ":/icons/preview_zoom_100.png"},
    {"首 页", "首页", ":/icons/preview_first.png"},
    {"上一页", "上一页", ":/icons/preview_prev.png"},
    {"下一页", "下一页", ":/icons/preview_next.png"},
    {"末 页", "末页", ":/icons/preview_last.png"},
    {"设 置", "打印机设置", ":/icons/preview_setup.png"},
    {"打 印", "打印", ":/icons/preview_print.png"},
    {"关 闭", "关闭预览", ":/icons/preview_close.png"},
}};

constexpr int kButtonSize = 58;
constexpr int kDividerWidth = 8;

} // namespace

PreviewWindow::PreviewWindow(WaybillPrintJob *report)
    // The window the report belongs to (a print window) owns the preview: opened over a modal
    // window, a window of its own would be blocked behind it.
    : QWidget(qobject_cast<QWidget *>(report->parent()),
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_report(report)
{
    if (parentWidget())
        setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("QRStandardPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("打印预览"));

    toolBar = new QWidget(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setFixedHeight(66);
    auto *divider = new QFrame(toolBar);
    divider->setObjectName(QStringLiteral("ToolButton1"));
    divider->setGeometry(0, 2, kDividerWidth, kButtonSize);
    for (size_t i = 0; i < kButtons.size(); ++i) {
        auto *b = new QToolButton(toolBar);
        b->setObjectName(QStringLiteral("RzBitBtn%1").arg(i + 1));
        b->setText(QString::fromUtf8(kButtons[i].caption));
        b->setToolTip(QString::fromUtf8(kButtons[i].hint));
        const QString picture = QString::fromLatin1(kButtons[i].picture);
        if (QFile::exists(picture)) // a missing picture leaves the button with its caption only
            b->setIcon(QIcon(picture));
        b->setIconSize(QSize(32, 32));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFont(fonts::songPixels(12));
        b->setGeometry(kDividerWidth + int(i) * kButtonSize, 2, kButtonSize, kButtonSize);
        buttons[i] = b;
    }

    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter2"));
    splitter->setHandleWidth(4);
    splitter->setChildrenCollapsible(false);
    tabs = new QTabWidget(splitter);
    tabs->setObjectName(QStringLiteral("Tabs"));
    thumbnailTab = new QWidget;
    thumbnailTab->setObjectName(QStringLiteral("TabThumbs"));
    thumbnails = new ThumbGrid(thumbnailTab);
    thumbnails->setObjectName(QStringLiteral("ThumbGrid"));
    auto *thumbLayout = new QVBoxLayout(thumbnailTab);
    thumbLayout->setContentsMargins(0, 0, 0, 0);
    thumbLayout->addWidget(thumbnails);
    tabs->addTab(thumbnailTab, QStringLiteral("缩略图"));
    pageView = new PreviewControl(report, splitter);
    pageView->setObjectName(QStringLiteral("QRPreview"));
    splitter->addWidget(tabs);
    splitter->addWidget(pageView);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({193, 10000});

    toolBarLine = new QFrame(this);
    toolBarLine->setObjectName(QStringLiteral("Splitter1"));
    toolBarLine->setFixedHeight(3);
    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar"));
    statusBar->setFixedHeight(19);
    statusBar->setSizeGripEnabled(false);
    const std::array<int, 3> widths = {80, 100, 50};
    const std::array<QString, 3> texts = {QStringLiteral("0%"), QStringLiteral("页码"), QStringLiteral(" ")};
    for (int i = 0; i < 3; ++i) {
        m_panels[size_t(i)] = new QLabel(texts[size_t(i)], statusBar);
        m_panels[size_t(i)]->setMinimumWidth(widths[size_t(i)]);
        if (i < 2)
            m_panels[size_t(i)]->setFixedWidth(widths[size_t(i)]);
        statusBar->addWidget(m_panels[size_t(i)], i == 2 ? 1 : 0);
    }
    m_addressNote = new QLabel(statusBar);
    m_addressNote->setObjectName(QStringLiteral("addressNote"));
    m_addressNote->setStyleSheet(QStringLiteral("color: #b00000"));
    m_addressNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar->addPermanentWidget(m_addressNote, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(splitter, 1);
    layout->addWidget(toolBarLine);
    layout->addWidget(statusBar);

    // FormCreate: the grid's size decides the thumbnail metrics.
    thumbnails->resized = [this] { resizeThumbnails(); };
    thumbnails->drawCell = [this](QPainter &p, const QRect &cell, int row) { drawThumbnail(p, cell, row); };
    connect(thumbnails, &ThumbGrid::cellSelected, this, &PreviewWindow::thumbnailSelected);

    connect(buttons[0], &QToolButton::clicked, this, &PreviewWindow::showWholePage);
    connect(buttons[1], &QToolButton::clicked, this, &PreviewWindow::showPageWidth);
    connect(buttons[2], &QToolButton::clicked, this, &PreviewWindow::showActualSize);
    connect(buttons[3], &QToolButton::clicked, this, &PreviewWindow::firstPage);
    connect(buttons[4], &QToolButton::clicked, this, &PreviewWindow::previousPage);
    connect(buttons[5], &QToolButton::clicked, this, &PreviewWindow::nextPage);
    connect(buttons[6], &QToolButton::clicked, this, &PreviewWindow::lastPage);
    connect(buttons[7], &QToolButton::clicked, this, &PreviewWindow::setUpPrinter);
    connect(buttons[8], &QToolButton::clicked, this, &PreviewWindow::printReport);
    connect(buttons[9], &QToolButton::clicked, this, &PreviewWindow::closePreview);
    connect(report, &WaybillReport::pageAvailable, this, &PreviewWindow::pagesAvailable);
    connect(report, &WaybillReport::progressUpdate, this, &PreviewWindow::progressUpdated);

    fitToWorkArea();

    lastPreviewTitle = report->reportTitle();
    if (!lastPreviewTitle.isEmpty())
        setWindowTitle(lastPreviewTitle);
    m_lastProgress = 0;
    if (report->pages().count() > 0)
        thumbnails->setRowCount(report->pages().count());
    resizeThumbnails();
    pageView->zoomToFit();

    // Key preview: this window sees every key first and passes it on.
    qApp->installEventFilter(this);
}

PreviewWindow::~PreviewWindow()
{
    qApp->removeEventFilter(this);
}

void PreviewWindow::showAndRefresh()
{
    show();
    raise();
    activateWindow();
    refreshStatusBar();
    pageView->zoomToFit(); // the view has its real size only once shown
    // The frame's size is known only once the window manager has framed the window.
    for (int ms : {50, 250, 1000})
        QTimer::singleShot(ms, this, [this] { fitToWorkArea(); });
}

void PreviewWindow::fitToWorkArea()
{
    // The whole window, title bar and frame included, fills the desktop's work area; the user
    // cannot resize it.
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    const QMargins margins(geometry().left() - frame.left(), geometry().top() - frame.top(),
                           frame.right() - geometry().right(), frame.bottom() - geometry().bottom());
    const QSize client = area.size().shrunkBy(margins);
    if (frameGeometry().topLeft() != area.topLeft())
        move(area.topLeft());
    if (size() != client || minimumSize() != client || maximumSize() != client) {
        setFixedSize(client);
        pageView->zoomToFit();
    }
}

QString PreviewWindow::panelText(int panel) const
{
    return m_panels.at(size_t(panel))->text();
}

QString PreviewWindow::addressNote() const
{
    return m_addressNote->text();
}

int PreviewWindow::currentPage() const
{
    return pageView->pageNumber();
}

int PreviewWindow::pageCount() const
{
    return m_report->pages().count();
}

void PreviewWindow::closeEvent(QCloseEvent *event)
{
    // The preview is over: no more pages for this window.
    m_report->cancelGeneration();
    event->accept();
}

void PreviewWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    restoreIfMinimized(this, event);
}

void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    pageView->relayout();
}

bool PreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isActiveWindow()) {
        // A key travels from the focused control up to its parents; act on its first delivery only.
        QWidget *focus = QApplication::focusWidget();
        const bool first = focus ? watched == focus : watched == this;
        if (first && (watched == this || isAncestorOf(qobject_cast<QWidget *>(watched)))) {
            const auto *key = static_cast<QKeyEvent *>(event);
            handleKey(key->key(), key->modifiers());
        }
    }
    return false; // never consumed
}

void PreviewWindow::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrlAlone =
        (modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_PageUp:
        ctrlAlone ? firstPage() : previousPage();
        break;
    case Qt::Key_PageDown:
        ctrlAlone ? lastPage() : nextPage();
        break;
    case Qt::Key_Home:
        firstPage();
        break;
    case Qt::Key_End:
        lastPage();
        break;
    default:
        break;
    }
}

void PreviewWindow::pagesAvailable(int pageCount)
{
    refreshStatusBar();
    const QString note = m_report->shortenedText(m_report->pages());
    m_addressNote->setText(note);
    m_addressNote->setToolTip(note);
    thumbnails->setRowCount(pageCount);
    thumbnails->viewport()->update();
    pageView->pagesChanged();
}

void PreviewWindow::progressUpdated(int percent)
{
    if (percent >= m_lastProgress + 5) {
        m_panels[0]->setText(QStringLiteral("%1%").arg(percent));
        m_lastProgress = percent;
    }
    if (percent == 0 || percent == 100)
        m_panels[0]->setText(QString());
}

void PreviewWindow::drawThumbnail(QPainter &painter, const QRect &cell, int row)
{
    const PageList &pages = m_report->pages();
    if (row >= 0 && row < pages.count()) {
        const QRect thumb(QPoint(cell.left() + thumbXOffset, cell.top() + 10),
                          QPoint(cell.right() - 30, cell.bottom() - 10));
        paintFramedPage(painter, &pages.pages[size_t(row)], pages.fonts, thumb);
    }
    const QString number = QString::number(row + 1);
    const QFontMetrics fm(thumbnails->font());
    painter.setFont(thumbnails->font());
    painter.fillRect(QRect(cell.topLeft(), QSize(fm.horizontalAdvance(number), fm.height())),
                     palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(QRect(cell.topLeft(), QSize(fm.horizontalAdvance(number), fm.height())),
                     Qt::AlignLeft | Qt::AlignTop, number);
}

void PreviewWindow::thumbnailSelected(int row)
{
    if (changingThumbnailRow)
        return;
    pageView->setPageNumber(row + 1);
    refreshStatusBar();
}

void PreviewWindow::resizeThumbnails()
{
    thumbTextHeight = QFontMetrics(thumbnails->font()).height();
    const int columnWidth = thumbnails->width() - 4;
    thumbnails->setColumnWidth(columnWidth);
    thumbWidth = columnWidth - 20;
    thumbHeight = int(std::nearbyint(thumbWidth / kPaperWidth.mm() * kPaperHeight.mm() - thumbTextHeight));
    thumbnails->setRowHeight(thumbHeight);
    thumbXOffset = int(std::nearbyint((columnWidth - thumbWidth) / 2.0));
    thumbYOffset = int(std::nearbyint((thumbnails->rowHeight() - thumbHeight) / 2.0));
}

void PreviewWindow::refreshStatusBar()
{
    m_panels[1]->setText(QStringLiteral("第 %1/%2 页").arg(pageView->pageNumber()).arg(pageCount()));
    m_panels[2]->setText(lastPreviewTitle);
}

void PreviewWindow::moveToPage(int n)
{
    pageView->setPageNumber(n);
    refreshStatusBar();
    if (n >= 1 && n <= pageCount()) {
        changingThumbnailRow = true;
        thumbnails->selectRow(n - 1);
        changingThumbnailRow = false;
    }
}

void PreviewWindow::firstPage()
{
    moveToPage(1);
}

void PreviewWindow::previousPage()
{
    moveToPage(pageView->pageNumber() - 1);
}

void PreviewWindow::nextPage()
{
    moveToPage(pageView->pageNumber() + 1);
}

void PreviewWindow::lastPage()
{
    moveToPage(pageCount());
}

void PreviewWindow::showWholePage()
{
    QCoreApplication::processEvents();
    pageView->zoomToFit();
}

void PreviewWindow::showPageWidth()
{
    QCoreApplication::processEvents();
    pageView->zoomToWidth();
}

void PreviewWindow::showActualSize()
{
    QCoreApplication::processEvents();
    pageView->setZoom(100);
}

void PreviewWindow::setUpPrinter()
{
    for (int i = 0; i < 3; ++i)
        buttons[size_t(i)]->setEnabled(false);
    // The dialog works on the report's own printer settings, so confirmed choices are already
    // where printing reads them and a cancelled dialog leaves them as they were.
    m_report->printerSetup(this);
}

void PreviewWindow::printReport()
{
    m_report->print(this);
}

void PreviewWindow::closePreview()
{
    close();
}

} // namespace printing
