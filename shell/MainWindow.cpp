#include "shell/MainWindow.h"

#include "printing/Fonts.h"
#include "recipients/RecipientPage.h"
#include "sender/SenderPage.h"
#include "shell/Links.h"
#include "widgets/BusyFileNotice.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTimer>

namespace {

struct ButtonDef
{
    int number; // SpeedButtonN
    int panel;  // PanelN
    int left, top, width, height;
    const char *caption;
    const char *icon;
    int iconSize;
    int gap;
};

const ButtonDef kMainBar[] = {
    {1, 2, 10, 5, 80, 28, "收件信息", ":/icons/main_recipients.png", 22, 0},
    {2, 3, 100, 5, 80, 28, "寄件信息", ":/icons/main_sender.png", 22, 0},
    {3, 4, 190, 5, 80, 28, "数据备份", ":/icons/main_backup.png", 22, 2},
    {4, 5, 280, 5, 80, 28, "单张打印", ":/icons/main_print_single.png", 22, 2},
    {5, 6, 370, 5, 80, 28, "批量打印", ":/icons/main_print_batch.png", 22, 2},
    {6, 7, 460, 5, 80, 28, "帮助主题", ":/icons/main_help.png", 22, 2},
    {7, 8, 550, 5, 80, 28, "退出软件", ":/icons/main_exit.png", 22, 2},
};

const ButtonDef kSenderBar[] = {
    {8, 9, 10, 2, 80, 25, "保 存", ":/icons/save.png", 16, 5},
};

const ButtonDef kRecipientBar[] = {
    {9, 10, 10, 3, 80, 25, "添 加", ":/icons/add.png", 16, 5},
    {10, 11, 100, 3, 80, 25, "修 改", ":/icons/modify.png", 16, 5},
    {11, 14, 190, 3, 80, 25, "删 除", ":/icons/delete.png", 16, 5},
    {12, 15, 280, 3, 80, 25, "查 询", ":/icons/search.png", 16, 5},
    {13, 16, 370, 3, 80, 25, "导 出", ":/icons/export.png", 22, 4},
    {14, 17, 460, 3, 80, 25, "导 入", ":/icons/import.png", 22, 4},
};

struct HoverRule
{
    const char *control;
    int white; // 0: none
    std::initializer_list<int> reset;
};

// Which panel turns white and which go back to button face, per control under the pointer.
// The sets are fixed per control; they follow no rule.
const HoverRule kHoverRules[] = {
    {"SpeedButton1", 2, {3, 9, 10, 11}},
    {"SpeedButton2", 3, {2, 4, 9, 10, 11, 14}},
    {"SpeedButton3", 4, {3, 5, 11, 14, 15}},
    {"SpeedButton4", 5, {4, 6, 15, 16}},
    {"SpeedButton5", 6, {5, 7, 15, 16}},
    {"SpeedButton6", 7, {6, 8, 16}},
    {"SpeedButton7", 8, {7, 9}},
    {"SpeedButton8", 9, {2, 3}},
    {"SpeedButton9", 10, {2, 3, 11}},
    {"SpeedButton10", 11, {2, 3, 4, 10, 14}},
    {"SpeedButton11", 14, {3, 4, 5, 11, 15}},
    {"SpeedButton12", 15, {4, 5, 6, 14, 16}},
    {"SpeedButton13", 16, {5, 6, 7, 15, 17}},
    {"SpeedButton14", 17, {6, 7, 8, 16}},
    {"Form1", 0, {2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Panel1", 0, {2, 3, 4, 5, 6, 7, 8, 9, 10}},
    {"Panel12", 0, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    {"GroupBox1", 0, {9}},
    {"Panel13", 0, {14, 15, 16, 17}},
    {"GroupBox2", 0, {10, 11, 14, 15, 16, 17}},
};

} // namespace

MainWindow::MainWindow(QWidget *parent, StartUp startUp)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("朴桥EMS快递单打印软件 V3.1(专业版)"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));
    resize(930, 602);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, windowGrey());
    setPalette(pal);
    setFont(fonts::msSansSerifPixels(11));
    setMouseTracking(true);
    watchHover(this, QStringLiteral("Form1"));

    recipientSource.dataset = &recipientQuery;
    m_openAfterShow = startUp == StartUp::AfterShow;
    openUrl = [this](const QUrl &url) { openInBrowser(url); };

    buildBars();

    senderPageBox = new QGroupBox(this);
    senderPageBox->setObjectName(QStringLiteral("GroupBox1"));
    recipientPageBox = new QGroupBox(this);
    recipientPageBox->setObjectName(QStringLiteral("GroupBox2"));
    watchHover(senderPageBox, QStringLiteral("GroupBox1"));
    watchHover(recipientPageBox, QStringLiteral("GroupBox2"));

    statusPanels = new StatusPanels({260, 260, 0}, this);
    statusPanels->setObjectName(QStringLiteral("StatusBar1"));
    statusPanels->setText(2, links::helpHint());

    m_busyNotice = new BusyFileNotice(this);
    m_busyNotice->changed = [this](bool waiting) {
        if (waiting)
            statusPanels->setText(0, BusyFileNotice::statusText());
        else
            updateClock();
        statusPanels->repaint();
    };

    helpMenu = new QMenu(this);
    helpMenu->setObjectName(QStringLiteral("PopupMenu1"));
    helpAction = helpMenu->addAction(QStringLiteral("使用帮助"));
    contactAction = helpMenu->addAction(QStringLiteral("联系我们"));
    homePageAction = helpMenu->addAction(QStringLiteral("软件主页"));
    helpAction->setObjectName(QStringLiteral("N2"));
    contactAction->setObjectName(QStringLiteral("N3"));
    homePageAction->setObjectName(QStringLiteral("N4"));
    connect(helpAction, &QAction::triggered, this, [this] { openHelp(); });
    connect(contactAction, &QAction::triggered, this, [this] { openContact(); });
    connect(homePageAction, &QAction::triggered, this, [this] { openHomePage(); });

    m_senderPage = new SenderPage(senderPageBox, &senderQuery, this);
    RecipientPage::Parts parts;
    parts.window = this;
    parts.pageBox = recipientPageBox;
    parts.connection = &connection;
    parts.recipientQuery = recipientSource.dataset;
    parts.clearBarHighlight = [this](int number) { panel(number)->setColor(buttonFace()); };
    m_recipientPage = new RecipientPage(parts, this);
    const std::pair<int, void (RecipientPage::*)()> recipientBar[] = {
        {9, &RecipientPage::startAdding},       {10, &RecipientPage::startModifying},
        {11, &RecipientPage::deleteRecipient},  {12, &RecipientPage::startSearching},
        {13, &RecipientPage::exportRecipients}, {14, &RecipientPage::importRecipients}};
    for (const auto &[number, handler] : recipientBar) {
        connect(speedButton(number), &QToolButton::clicked, m_recipientPage,
                [page = m_recipientPage, handler = handler] { page->handle(handler); });
    }
    connect(m_recipientPage, &RecipientPage::singlePrintRequested, this,
            [this] { openSingleWaybillWindow(); });
    connect(m_recipientPage, &RecipientPage::batchPrintRequested, this, [this] { openBatchWaybillWindow(); });

    clockTimer = new QTimer(this);
    clockTimer->setObjectName(QStringLiteral("Timer1"));
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, [this] { updateClock(); });
    clockTimer->start();

    layoutAreas();
    initialize();
}

MainWindow::~MainWindow() = default;

void MainWindow::setSecondaryWindows(QDialog *backup, QDialog *singlePrint, QDialog *batchPrint)
{
    backupWindow = backup;
    singleWaybillWindow = singlePrint;
    batchWaybillWindow = batchPrint;
}

void MainWindow::buildBars()
{
    m_panels.fill(nullptr, 18);
    m_buttons.fill(nullptr, 15);

    mainBar = new BevelPanel(BevelPanel::Bevel::RaisedInnerLoweredOuter, this);
    mainBar->setObjectName(QStringLiteral("Panel1"));
    senderBar = new BevelPanel(BevelPanel::Bevel::RaisedInnerLoweredOuter, this);
    senderBar->setObjectName(QStringLiteral("Panel12"));
    recipientBar = new BevelPanel(BevelPanel::Bevel::RaisedInnerLoweredOuter, this);
    recipientBar->setObjectName(QStringLiteral("Panel13"));
    watchHover(mainBar, QStringLiteral("Panel1"));
    watchHover(senderBar, QStringLiteral("Panel12"));
    watchHover(recipientBar, QStringLiteral("Panel13"));

    const QFont buttonFont = fonts::songPixels(13);
    auto build = [&](BevelPanel *bar, const ButtonDef *defs, int count) {
        for (int i = 0; i < count; ++i) {
            const ButtonDef &d = defs[i];
            auto *panel = new BevelPanel(BevelPanel::Bevel::None, bar);
            panel->setObjectName(QStringLiteral("Panel%1").arg(d.panel));
            panel->setGeometry(d.left, d.top, d.width, d.height);
            auto *button = new FlatButton(QString::fromUtf8(d.caption), QString::fromLatin1(d.icon),
                                          d.iconSize, d.gap, panel);
            button->setObjectName(QStringLiteral("SpeedButton%1").arg(d.number));
            button->setFont(buttonFont);
            button->setGeometry(0, 0, d.width, d.height);
            watchHover(button, button->objectName());
            m_panels[d.panel] = panel;
            m_buttons[d.number] = button;
        }
    };
    build(mainBar, kMainBar, 7);
    build(senderBar, kSenderBar, 1);
    build(recipientBar, kRecipientBar, 6);

    for (int x : {5, 95, 185, 275, 365, 455, 545, 635})
        new SeparatorLine(x, 3, 31, mainBar);
    // The record navigator whose delete the recipient page uses; never visible.
    auto *navigator = new QWidget(mainBar);
    navigator->setObjectName(QStringLiteral("DBNavigator1"));
    navigator->setGeometry(680, 8, 240, 25);
    navigator->hide();
    for (int x : {5, 95})
        new SeparatorLine(x, 2, 26, senderBar);
    for (int x : {5, 95, 185, 275, 365, 455, 545})
        new SeparatorLine(x, 2, 26, recipientBar);

    auto on = [this](int number, void (MainWindow::*handler)()) {
        connect(m_buttons[number], &QToolButton::clicked, this,
                [this, handler] { messages::guard(this, [&] { (this->*handler)(); }); });
    };
    on(1, &MainWindow::showRecipients);
    on(2, &MainWindow::showSender);
    on(3, &MainWindow::openBackupWindow);
    on(4, &MainWindow::openSingleWaybillWindow);
    on(5, &MainWindow::openBatchWaybillWindow);
    on(6, &MainWindow::openHelpMenu);
    on(7, &MainWindow::exitProgram);
    on(8, &MainWindow::saveSender);
}

BevelPanel *MainWindow::panel(int number) const
{
    return m_panels.value(number);
}

FlatButton *MainWindow::speedButton(int number) const
{
    return m_buttons.value(number);
}

void MainWindow::layoutAreas()
{
    const int w = width();
    mainBar->setGeometry(0, 0, w, 37);
    int y = 37;
    for (BevelPanel *bar : {senderBar, recipientBar}) {
        if (!bar->isHidden()) {
            bar->setGeometry(0, y, w, 30);
            y += 30;
        }
    }
    const int statusTop = height() - 22;
    statusPanels->setGeometry(0, statusTop, w, 22);
    for (QGroupBox *page : {senderPageBox, recipientPageBox})
        page->setGeometry(0, y, w, qMax(0, statusTop - y));
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutAreas();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        if (QScreen *s = screen()) {
            const QRect area = s->availableGeometry();
            move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        }
    }
    if (m_openAfterShow) {
        m_openAfterShow = false;
        QTimer::singleShot(0, this, [this] { openDatabase(); });
    }
}

void MainWindow::showRecipientPage()
{
    senderBar->hide();
    senderPageBox->hide();
    recipientBar->show();
    recipientPageBox->show();
    layoutAreas();
}

void MainWindow::initialize()
{
    showRecipientPage();
    if (!m_openAfterShow)
        openDatabase();
}

void MainWindow::openDatabase()
{
    // An error here (for example no data.mdb) is shown and ends the start-up sequence; the
    // window opens all the same with empty fields and blank counters.
    messages::guard(this, [this] {
        db::runOpenSequence(connection, senderQuery, recipientQuery, false);
        m_senderPage->load();
        m_recipientPage->setTotalCounter();
        m_recipientPage->setPositionCounter();
        // Said at once, not at the first save that fails.
        const QString readOnly = connection.readOnlyReason();
        if (!readOnly.isEmpty())
            messages::show(this, QStringLiteral("数据库只能读取，所做的修改无法保存！\n%1").arg(readOnly));
    });
}

void MainWindow::showRecipients()
{
    showRecipientPage();
    m_recipientPage->showAddPanel();
    db::runOpenSequence(connection, senderQuery, recipientQuery, true);
}

void MainWindow::showSender()
{
    senderBar->show();
    senderPageBox->show();
    recipientBar->hide();
    recipientPageBox->hide();
    layoutAreas();
}

void MainWindow::openBackupWindow()
{
    m_panels[4]->setColor(buttonFace());
    if (backupWindow)
        backupWindow->exec();
}

void MainWindow::openSingleWaybillWindow()
{
    m_panels[5]->setColor(buttonFace());
    if (singleWaybillWindow)
        singleWaybillWindow->exec();
}

void MainWindow::openBatchWaybillWindow()
{
    m_panels[6]->setColor(buttonFace());
    if (batchWaybillWindow)
        batchWaybillWindow->exec();
}

QPoint MainWindow::helpMenuPosition() const
{
    const QRect frame = frameGeometry();
    const BevelPanel *p7 = m_panels[7];
    return QPoint(frame.left() + p7->x(), frame.top() + p7->y() + 2 * p7->height() + 3);
}

void MainWindow::openHelpMenu()
{
    m_panels[7]->setColor(buttonFace());
    helpMenu->popup(helpMenuPosition());
}

void MainWindow::exitProgram()
{
    close();
}

void MainWindow::saveSender()
{
    if (m_senderPage->save(this)) {
        m_panels[9]->setColor(buttonFace());
        messages::show(this, QStringLiteral("寄件信息保存成功！"));
    }
}

void MainWindow::openInBrowser(const QUrl &url)
{
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        showOpenFailure(url, QStringLiteral("找不到这个文件，软件可能没有装完整。"));
        return;
    }
#ifdef Q_OS_LINUX
    // xdg-open reports with its exit code whether a browser took the page; a failure shows
    // within a moment, while a browser it hands over to may run for hours.
    auto *opener = new QProcess(this);
    auto *clock = new QElapsedTimer;
    clock->start();
    connect(opener, &QProcess::errorOccurred, this, [this, url, opener](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            showOpenFailure(url, QStringLiteral("系统中没有找到打开网页的程序（xdg-open）。"));
            opener->deleteLater();
        }
    });
    connect(opener, &QProcess::finished, this,
            [this, url, opener, clock](int exitCode, QProcess::ExitStatus status) {
                if ((exitCode != 0 || status != QProcess::NormalExit) && clock->elapsed() < 10000)
                    showOpenFailure(url, QStringLiteral("系统中没有可用的浏览器。"));
                delete clock;
                opener->deleteLater();
            });
    opener->start(QStringLiteral("xdg-open"), {url.toString()});
#else
    if (!QDesktopServices::openUrl(url))
        showOpenFailure(url, QString());
#endif
}

void MainWindow::showOpenFailure(const QUrl &url, const QString &why)
{
    messages::show(
        this,
        QStringLiteral("无法在浏览器中打开帮助页面。%1\n请在文件管理器中找到并双击打开这个文件：\n%2")
            .arg(why, url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString()));
}

void MainWindow::openHelp()
{
    openUrl(links::helpPage());
}

void MainWindow::openContact()
{
    openUrl(links::helpPage());
}

void MainWindow::openHomePage()
{
    openUrl(links::homePage());
}

void MainWindow::updateClock()
{
    if (!BusyFileNotice::waiting())
        statusPanels->setText(0, QStringLiteral(" 欢迎使用朴桥EMS快递单打印软件！"));
    // In Qt's pattern MM is the month and mm the minute.
    statusPanels->setText(
        1, QDateTime::currentDateTime().toString(QStringLiteral(" 今天是：yyyy年MM月dd日  hh:mm:ss")));
}

void MainWindow::hover(const QString &control)
{
    for (const HoverRule &rule : kHoverRules) {
        if (control != QLatin1String(rule.control))
            continue;
        if (rule.white)
            m_panels[rule.white]->setColor(Qt::white);
        for (int n : rule.reset)
            m_panels[n]->setColor(buttonFace());
        return;
    }
}

void MainWindow::watchHover(QWidget *widget, const QString &name)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    m_hoverNames.insert(widget, name);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto it = m_hoverNames.constFind(watched);
        if (it != m_hoverNames.constEnd()) {
            // Only moves over the control's own surface count, not moves passed up from a child
            // (a label, an edit, the grid), as each control has its own mouse handling.
            auto *w = static_cast<QWidget *>(watched);
            const auto *me = static_cast<QMouseEvent *>(event);
            if (!w->childAt(me->position().toPoint()))
                hover(it.value());
        }
    }
    return QWidget::eventFilter(watched, event);
}
