#include "printwindows/WaybillWindow.h"

#include "printing/Fonts.h"
#include "printing/WaybillLayout.h"
#include "printwindows/LayoutView.h"
#include "printwindows/PrinterCalibrationDialog.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"

#include <QEvent>
#include <QFontDialog>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

void restoreIfMinimized(QWidget *window, QEvent *event)
{
    // Some window managers (openbox) offer a minimise box whatever a window asks for. A minimised
    // modal window leaves the program looking frozen, so it comes straight back.
    if (event->type() != QEvent::WindowStateChange || !(window->windowState() & Qt::WindowMinimized))
        return;
    QTimer::singleShot(0, window, [window] {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
    });
}

WaybillWindow::WaybillWindow(const QString &caption, QWidget *parent)
    // CustomizeWindowHint: exactly these decorations, a close box only.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(caption);
    setFixedSize(882, 516);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, windowGrey());
    setPalette(pal);
    setFont(fonts::msSansSerifPoints(8));
    m_dialogFont = fonts::msSansSerifPoints(8);

    buttonBar = new BevelPanel(BevelPanel::Bevel::RaisedInnerLoweredOuter, this);
    buttonBar->setObjectName(QStringLiteral("Panel1"));
    buttonBar->setGeometry(0, 0, 882, 30);
    new SeparatorLine(5, 2, 31, buttonBar);
    new SeparatorLine(95, 2, 31, buttonBar);
    buttonBar->findChildren<SeparatorLine *>().at(0)->setObjectName(QStringLiteral("Splitter1"));
    buttonBar->findChildren<SeparatorLine *>().at(1)->setObjectName(QStringLiteral("Splitter2"));
    printPanel = new BevelPanel(BevelPanel::Bevel::None, buttonBar);
    printPanel->setObjectName(QStringLiteral("Panel2"));
    printPanel->setGeometry(10, 2, 80, 25);
    printButton =
        new FlatButton(QStringLiteral("打 印"), QStringLiteral(":/icons/printer16.png"), 16, 5, printPanel);
    printButton->setObjectName(QStringLiteral("SpeedButton1"));
    printButton->setFont(fonts::songPoints(10));
    printButton->setGeometry(0, 0, 80, 25);
    calibrationPanel = new BevelPanel(BevelPanel::Bevel::None, buttonBar);
    calibrationPanel->setObjectName(QStringLiteral("calibrationPanel"));
    calibrationPanel->setGeometry(100, 2, 80, 25);
    calibrateButton = new FlatButton(QStringLiteral("校 准"), QStringLiteral(":/icons/preview_setup.png"), 16,
                                     5, calibrationPanel);
    calibrateButton->setObjectName(QStringLiteral("calibrateButton"));
    calibrateButton->setToolTip(QStringLiteral("按打印机校准快递单的位置"));
    calibrateButton->setFont(fonts::songPoints(10));
    calibrateButton->setGeometry(0, 0, 80, 25);
    new SeparatorLine(185, 2, 31, buttonBar);

    layoutView = new LayoutView(this);
    layoutView->setGeometry(5, 35, 869, 476);

    chooseFont = [](QFont &font, QWidget *owner) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, owner);
        if (ok)
            font = chosen;
        return ok;
    };

    connect(printButton, &QToolButton::clicked, this,
            [this] { messages::guard(this, [this] { openPreview(); }); });
    connect(calibrateButton, &QToolButton::clicked, this,
            [this] { messages::guard(this, [this] { calibrateClick(); }); });
    connect(layoutView, &LayoutView::imageClicked, this,
            [this] { messages::guard(this, [this] { chooseFieldFont(); }); });
    connect(layoutView, &LayoutView::imageHovered, this, [this] { hoverLayoutView(); });
    printButton->installEventFilter(this);
    buttonBar->setMouseTracking(true);
    buttonBar->installEventFilter(this);
}

void WaybillWindow::showLayout(const printing::WaybillLayout &layout)
{
    layoutView->setLayout(&layout);
}

void WaybillWindow::calibrateClick()
{
    // A child of this window: under a window manager it comes up on top of it.
    auto *dialog = new printing::PrinterCalibrationDialog(printerName(), this);
    dialog->show();
}

void WaybillWindow::chooseFieldFont()
{
    QFont font = m_dialogFont;
    if (!chooseFont(font, this))
        return;
    m_dialogFont = font;
    applyFieldFont(font);
}

void WaybillWindow::hoverPrintButton()
{
    printPanel->setColor(Qt::white);
}

void WaybillWindow::hoverButtonBar()
{
    printPanel->setColor(buttonFace());
}

void WaybillWindow::hoverLayoutView()
{
    printPanel->setColor(buttonFace());
}

bool WaybillWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == printButton)
            hoverPrintButton();
        else if (watched == buttonBar) {
            // Only moves over the bar itself, not those passed up from the print button.
            const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
            QWidget *child = buttonBar->childAt(pos);
            if (child != printButton && child != printPanel)
                hoverButtonBar();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void WaybillWindow::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    restoreIfMinimized(this, event);
}

void WaybillWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the desktop the first time; later openings keep the place it was left at.
    if (!m_placed) {
        m_placed = true;
        if (QScreen *s = screen()) {
            const QRect area = s->availableGeometry();
            move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
        }
    }
}
