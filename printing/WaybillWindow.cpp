#include "printing/WaybillWindow.h"

#include "printing/Fonts.h"
#include "printing/LayoutView.h"
#include "printing/PrinterCalibrationDialog.h"
#include "printing/WaybillLayout.h"
#include "shell/Controls.h"
#include "shell/Messages.h"

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

    Panel1 = new BevelPanel(BevelPanel::Bevel::RaisedInnerLoweredOuter, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 882, 30);
    new SeparatorLine(5, 2, 31, Panel1);
    new SeparatorLine(95, 2, 31, Panel1);
    Panel1->findChildren<SeparatorLine *>().at(0)->setObjectName(QStringLiteral("Splitter1"));
    Panel1->findChildren<SeparatorLine *>().at(1)->setObjectName(QStringLiteral("Splitter2"));
    Panel2 = new BevelPanel(BevelPanel::Bevel::None, Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(10, 2, 80, 25);
    SpeedButton1 = new FlatButton(QStringLiteral("打 印"), QStringLiteral(":/icons/printer16.png"), 16, 5, Panel2);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setFont(fonts::songPoints(10));
    SpeedButton1->setGeometry(0, 0, 80, 25);
    calibrationPanel = new BevelPanel(BevelPanel::Bevel::None, Panel1);
    calibrationPanel->setObjectName(QStringLiteral("calibrationPanel"));
    calibrationPanel->setGeometry(100, 2, 80, 25);
    calibrateButton = new FlatButton(QStringLiteral("校 准"), QStringLiteral(":/icons/preview_setup.png"), 16,
                                     5, calibrationPanel);
    calibrateButton->setObjectName(QStringLiteral("calibrateButton"));
    calibrateButton->setToolTip(QStringLiteral("按打印机校准快递单的位置"));
    calibrateButton->setFont(fonts::songPoints(10));
    calibrateButton->setGeometry(0, 0, 80, 25);
    new SeparatorLine(185, 2, 31, Panel1);

    QuickRep1 = new LayoutView(this);
    QuickRep1->setGeometry(5, 35, 869, 476);

    chooseFont = [](QFont &font, QWidget *owner) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, owner);
        if (ok)
            font = chosen;
        return ok;
    };

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { messages::guard(this, [this] { SpeedButton1Click(); }); });
    connect(calibrateButton, &QToolButton::clicked, this,
            [this] { messages::guard(this, [this] { calibrateClick(); }); });
    connect(QuickRep1, &LayoutView::imageClicked, this, [this] { messages::guard(this, [this] { Image1Click(); }); });
    connect(QuickRep1, &LayoutView::imageHovered, this, [this] { Image1MouseMove(); });
    SpeedButton1->installEventFilter(this);
    Panel1->setMouseTracking(true);
    Panel1->installEventFilter(this);
}

void WaybillWindow::showLayout(const printing::WaybillLayout &layout)
{
    QuickRep1->setLayout(&layout);
}

void WaybillWindow::calibrateClick()
{
    // A child of this window: under a window manager it comes up on top of it.
    auto *dialog = new printing::PrinterCalibrationDialog(printerName(), this);
    dialog->show();
}

void WaybillWindow::Image1Click()
{
    QFont font = m_dialogFont;
    if (!chooseFont(font, this))
        return;
    m_dialogFont = font;
    applyFieldFont(font);
}

void WaybillWindow::SpeedButton1MouseMove()
{
    Panel2->setColor(Qt::white);
}

void WaybillWindow::Panel1MouseMove()
{
    Panel2->setColor(buttonFace());
}

void WaybillWindow::Image1MouseMove()
{
    Panel2->setColor(buttonFace());
}

bool WaybillWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == SpeedButton1)
            SpeedButton1MouseMove();
        else if (watched == Panel1) {
            // Only moves over the bar itself, not those passed up from the print button.
            const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
            QWidget *child = Panel1->childAt(pos);
            if (child != SpeedButton1 && child != Panel2)
                Panel1MouseMove();
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
