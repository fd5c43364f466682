#include "printing/QRPrev.h"

#include "printing/Fonts.h"
#include "printing/Length.h"
#include "printing/PagePainter.h"
#include "printing/PreviewControls.h"
#include "printing/QuickRep.h"
#include "printing/WaybillWindow.h"

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

QString PreviewTitle;
bool ChangingThumbRow = false;

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

TQRStandardPreview::TQRStandardPreview(QuickRep *report)
    // The window the report belongs to (a print window) owns the preview: opened over a modal
    // window, a window of its own would be blocked behind it.
    : QWidget(qobject_cast<QWidget *>(report->parent()),
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      ReportPrinter(report)
{
    if (parentWidget())
        setWindowModality(Qt::WindowModal);
    setObjectName(QStringLiteral("QRStandardPreview"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("打印预览"));

    ToolBar1 = new QWidget(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setFixedHeight(66);
    auto *divider = new QFrame(ToolBar1);
    divider->setObjectName(QStringLiteral("ToolButton1"));
    divider->setGeometry(0, 2, kDividerWidth, kButtonSize);
    for (size_t i = 0; i < kButtons.size(); ++i) {
        auto *b = new QToolButton(ToolBar1);
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
        RzBitBtn[i] = b;
    }

    Splitter2 = new QSplitter(Qt::Horizontal, this);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(4);
    Splitter2->setChildrenCollapsible(false);
    Tabs = new QTabWidget(Splitter2);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    TabThumbs = new QWidget;
    TabThumbs->setObjectName(QStringLiteral("TabThumbs"));
    ThumbGrid_ = new ThumbGrid(TabThumbs);
    ThumbGrid_->setObjectName(QStringLiteral("ThumbGrid"));
    auto *thumbLayout = new QVBoxLayout(TabThumbs);
    thumbLayout->setContentsMargins(0, 0, 0, 0);
    thumbLayout->addWidget(ThumbGrid_);
    Tabs->addTab(TabThumbs, QStringLiteral("缩略图"));
    QRPreview = new PreviewControl(report, Splitter2);
    QRPreview->setObjectName(QStringLiteral("QRPreview"));
    Splitter2->addWidget(Tabs);
    Splitter2->addWidget(QRPreview);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({193, 10000});

    Splitter1 = new QFrame(this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setFixedHeight(3);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(19);
    StatusBar->setSizeGripEnabled(false);
    const std::array<int, 3> widths = {80, 100, 50};
    const std::array<QString, 3> texts = {QStringLiteral("0%"), QStringLiteral("页码"), QStringLiteral(" ")};
    for (int i = 0; i < 3; ++i) {
        m_panels[size_t(i)] = new QLabel(texts[size_t(i)], StatusBar);
        m_panels[size_t(i)]->setMinimumWidth(widths[size_t(i)]);
        if (i < 2)
            m_panels[size_t(i)]->setFixedWidth(widths[size_t(i)]);
        StatusBar->addWidget(m_panels[size_t(i)], i == 2 ? 1 : 0);
    }
    m_addressNote = new QLabel(StatusBar);
    m_addressNote->setObjectName(QStringLiteral("addressNote"));
    m_addressNote->setStyleSheet(QStringLiteral("color: #b00000"));
    m_addressNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusBar->addPermanentWidget(m_addressNote, 2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(Splitter2, 1);
    layout->addWidget(Splitter1);
    layout->addWidget(StatusBar);

    // FormCreate: the grid's size decides the thumbnail metrics.
    ThumbGrid_->resized = [this] { ThumbGridResize(); };
    ThumbGrid_->drawCell = [this](QPainter &p, const QRect &cell, int row) {
        ThumbGridDrawCell(p, cell, row);
    };
    connect(ThumbGrid_, &ThumbGrid::cellSelected, this, &TQRStandardPreview::ThumbGridSelectCell);

    connect(RzBitBtn[0], &QToolButton::clicked, this, &TQRStandardPreview::RzBitBtn1Click);
    connect(RzBitBtn[1], &QToolButton::clicked, this, &TQRStandardPreview::RzBitBtn2Click);
    connect(RzBitBtn[2], &QToolButton::clicked, this, &TQRStandardPreview::RzBitBtn3Click);
    connect(RzBitBtn[3], &QToolButton::clicked, this, &TQRStandardPreview::FirstPageClick);
    connect(RzBitBtn[4], &QToolButton::clicked, this, &TQRStandardPreview::PrevPageClick);
    connect(RzBitBtn[5], &QToolButton::clicked, this, &TQRStandardPreview::NextPageClick);
    connect(RzBitBtn[6], &QToolButton::clicked, this, &TQRStandardPreview::LastPageClick);
    connect(RzBitBtn[7], &QToolButton::clicked, this, &TQRStandardPreview::RzBitBtn8Click);
    connect(RzBitBtn[8], &QToolButton::clicked, this, &TQRStandardPreview::RzBitBtn9Click);
    connect(RzBitBtn[9], &QToolButton::clicked, this, &TQRStandardPreview::RzBitBtn10Click);
    connect(report, &WaybillReport::pageAvailable, this, &TQRStandardPreview::QRPreviewPageAvailable);
    connect(report, &WaybillReport::progressUpdate, this, &TQRStandardPreview::QRPreviewProgressUpdate);

    fitToWorkArea();

    PreviewTitle = report->reportTitle();
    if (!PreviewTitle.isEmpty())
        setWindowTitle(PreviewTitle);
    LastProgress = 0;
    if (report->pages().count() > 0)
        ThumbGrid_->setRowCount(report->pages().count());
    ThumbGridResize();
    QRPreview->zoomToFit();

    // Key preview: this window sees every key first and passes it on.
    qApp->installEventFilter(this);
}

TQRStandardPreview::~TQRStandardPreview()
{
    qApp->removeEventFilter(this);
}

void TQRStandardPreview::ShowAndRefresh()
{
    show();
    raise();
    activateWindow();
    RefreshStatusBar();
    QRPreview->zoomToFit(); // the view has its real size only once shown
    // The frame's size is known only once the window manager has framed the window.
    for (int ms : {50, 250, 1000})
        QTimer::singleShot(ms, this, [this] { fitToWorkArea(); });
}

void TQRStandardPreview::fitToWorkArea()
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
        QRPreview->zoomToFit();
    }
}

QString TQRStandardPreview::panelText(int panel) const
{
    return m_panels.at(size_t(panel))->text();
}

QString TQRStandardPreview::addressNote() const
{
    return m_addressNote->text();
}

int TQRStandardPreview::currentPage() const
{
    return QRPreview->pageNumber();
}

int TQRStandardPreview::pageCount() const
{
    return ReportPrinter->pages().count();
}

void TQRStandardPreview::closeEvent(QCloseEvent *event)
{
    // The preview is over: no more pages for this window.
    ReportPrinter->cancelGeneration();
    event->accept();
}

void TQRStandardPreview::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    restoreIfMinimized(this, event);
}

void TQRStandardPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    QRPreview->relayout();
}

bool TQRStandardPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isActiveWindow()) {
        // A key travels from the focused control up to its parents; act on its first delivery only.
        QWidget *focus = QApplication::focusWidget();
        const bool first = focus ? watched == focus : watched == this;
        if (first && (watched == this || isAncestorOf(qobject_cast<QWidget *>(watched)))) {
            const auto *key = static_cast<QKeyEvent *>(event);
            FormKeyDown(key->key(), key->modifiers());
        }
    }
    return false; // never consumed
}

void TQRStandardPreview::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrlAlone =
        (modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_PageUp:
        ctrlAlone ? FirstPageClick() : PrevPageClick();
        break;
    case Qt::Key_PageDown:
        ctrlAlone ? LastPageClick() : NextPageClick();
        break;
    case Qt::Key_Home:
        FirstPageClick();
        break;
    case Qt::Key_End:
        LastPageClick();
        break;
    default:
        break;
    }
}

void TQRStandardPreview::QRPreviewPageAvailable(int pageCount)
{
    RefreshStatusBar();
    const QString note = ReportPrinter->shortenedText(ReportPrinter->pages());
    m_addressNote->setText(note);
    m_addressNote->setToolTip(note);
    ThumbGrid_->setRowCount(pageCount);
    ThumbGrid_->viewport()->update();
    QRPreview->pagesChanged();
}

void TQRStandardPreview::QRPreviewProgressUpdate(int percent)
{
    if (percent >= LastProgress + 5) {
        m_panels[0]->setText(QStringLiteral("%1%").arg(percent));
        LastProgress = percent;
    }
    if (percent == 0 || percent == 100)
        m_panels[0]->setText(QString());
}

void TQRStandardPreview::ThumbGridDrawCell(QPainter &painter, const QRect &cell, int row)
{
    const PageList &pages = ReportPrinter->pages();
    if (row >= 0 && row < pages.count()) {
        const QRect thumb(QPoint(cell.left() + ThumbXOffset, cell.top() + 10),
                          QPoint(cell.right() - 30, cell.bottom() - 10));
        paintFramedPage(painter, &pages.pages[size_t(row)], pages.fonts, thumb);
    }
    const QString number = QString::number(row + 1);
    const QFontMetrics fm(ThumbGrid_->font());
    painter.setFont(ThumbGrid_->font());
    painter.fillRect(QRect(cell.topLeft(), QSize(fm.horizontalAdvance(number), fm.height())),
                     palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(QRect(cell.topLeft(), QSize(fm.horizontalAdvance(number), fm.height())),
                     Qt::AlignLeft | Qt::AlignTop, number);
}

void TQRStandardPreview::ThumbGridSelectCell(int row)
{
    if (ChangingThumbRow)
        return;
    QRPreview->setPageNumber(row + 1);
    RefreshStatusBar();
}

void TQRStandardPreview::ThumbGridResize()
{
    ThumbTextHeight = QFontMetrics(ThumbGrid_->font()).height();
    const int columnWidth = ThumbGrid_->width() - 4;
    ThumbGrid_->setColumnWidth(columnWidth);
    ThumbWidth = columnWidth - 20;
    ThumbHeight = int(std::nearbyint(ThumbWidth / kPaperWidth.mm() * kPaperHeight.mm() - ThumbTextHeight));
    ThumbGrid_->setRowHeight(ThumbHeight);
    ThumbXOffset = int(std::nearbyint((columnWidth - ThumbWidth) / 2.0));
    ThumbYOffset = int(std::nearbyint((ThumbGrid_->rowHeight() - ThumbHeight) / 2.0));
}

void TQRStandardPreview::RefreshStatusBar()
{
    m_panels[1]->setText(QStringLiteral("第 %1/%2 页").arg(QRPreview->pageNumber()).arg(pageCount()));
    m_panels[2]->setText(PreviewTitle);
}

void TQRStandardPreview::MoveToPage(int n)
{
    QRPreview->setPageNumber(n);
    RefreshStatusBar();
    if (n >= 1 && n <= pageCount()) {
        ChangingThumbRow = true;
        ThumbGrid_->selectRow(n - 1);
        ChangingThumbRow = false;
    }
}

void TQRStandardPreview::FirstPageClick()
{
    MoveToPage(1);
}

void TQRStandardPreview::PrevPageClick()
{
    MoveToPage(QRPreview->pageNumber() - 1);
}

void TQRStandardPreview::NextPageClick()
{
    MoveToPage(QRPreview->pageNumber() + 1);
}

void TQRStandardPreview::LastPageClick()
{
    MoveToPage(pageCount());
}

void TQRStandardPreview::RzBitBtn1Click()
{
    QCoreApplication::processEvents();
    QRPreview->zoomToFit();
}

void TQRStandardPreview::RzBitBtn2Click()
{
    QCoreApplication::processEvents();
    QRPreview->zoomToWidth();
}

void TQRStandardPreview::RzBitBtn3Click()
{
    QCoreApplication::processEvents();
    QRPreview->setZoom(100);
}

void TQRStandardPreview::RzBitBtn8Click()
{
    for (int i = 0; i < 3; ++i)
        RzBitBtn[size_t(i)]->setEnabled(false);
    // The dialog works on the report's own printer settings, so confirmed choices are already
    // where printing reads them and a cancelled dialog leaves them as they were.
    ReportPrinter->printerSetup(this);
}

void TQRStandardPreview::RzBitBtn9Click()
{
    ReportPrinter->print(this);
}

void TQRStandardPreview::RzBitBtn10Click()
{
    close();
}

} // namespace printing
