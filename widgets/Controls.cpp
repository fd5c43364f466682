#include "widgets/Controls.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionToolButton>

QColor windowGrey()
{
    return QColor(224, 223, 224);
}

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

BevelPanel::BevelPanel(Bevel bevel, QWidget *parent) : QFrame(parent), m_bevel(bevel)
{
    setAutoFillBackground(true);
    setColor(buttonFace());
}

void BevelPanel::setColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

QColor BevelPanel::color() const
{
    return palette().color(QPalette::Window);
}

void BevelPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_bevel == Bevel::None)
        return;
    QPainter p(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    auto edge = [&p](QRect r, const QColor &topLeft, const QColor &bottomRight) {
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    };
    QRect r = rect();
    if (m_bevel == Bevel::RaisedInnerLoweredOuter) {
        edge(r, dark, light);                        // lowered outer
        edge(r.adjusted(1, 1, -1, -1), light, dark); // raised inner
    } else {
        edge(r, dark, light);
    }
}

FlatButton::FlatButton(const QString &caption, const QString &iconPath, int iconSize, int gap,
                       QWidget *parent)
    : QToolButton(parent), m_gap(gap)
{
    setText(caption);
    setIcon(QIcon(iconPath));
    setIconSize(QSize(iconSize, iconSize));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

QSize FlatButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(iconSize().width() + m_gap + fm.horizontalAdvance(text()) + 8,
                 qMax(iconSize().height(), fm.height()) + 6);
}

void FlatButton::paintEvent(QPaintEvent *)
{
    // Qt has no per-button gap between picture and caption, so the content is painted here:
    // centred as a group, picture then gap then caption. The frame shows only while hovered
    // or pressed, as a flat button does.
    QPainter p(this);
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    if (isDown() || (underMouse() && isEnabled())) {
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        p.setPen(isDown() ? dark : light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(isDown() ? light : dark);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    const QFontMetrics fm(font());
    const QSize is = iconSize();
    const int textWidth = fm.horizontalAdvance(text());
    const bool hasIcon = !icon().isNull();
    const int contentWidth = (hasIcon ? is.width() + m_gap : 0) + textWidth;
    int x = (width() - contentWidth) / 2 + (isDown() ? 1 : 0);
    const int dy = isDown() ? 1 : 0;
    if (hasIcon) {
        const QPixmap pm = icon().pixmap(is, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        p.drawPixmap(x, (height() - is.height()) / 2 + dy, pm);
        x += is.width() + m_gap;
    }
    p.setFont(font());
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(QRect(x, dy, textWidth + 2, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

PictureButton::PictureButton(const QString &caption, const QString &iconPath, int iconSize, QWidget *parent)
    : QToolButton(parent)
{
    setText(caption);
    setIcon(QIcon(iconPath));
    setIconSize(QSize(iconSize, iconSize));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setAutoRaise(false);
    // Lights up under the pointer (hot tracking).
    setStyleSheet(
        QStringLiteral("QToolButton { background: rgb(224,223,224); border: 1px solid rgb(160,160,160);"
                       " border-radius: 2px; padding: 1px 4px; }"
                       "QToolButton:hover { background: rgb(255,255,240); border-color: rgb(80,120,200); }"
                       "QToolButton:pressed { background: rgb(200,200,200); }"));
}

SeparatorLine::SeparatorLine(int x, int y, int height, QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::VLine);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(1);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(192, 192, 192));
    setPalette(p);
    setGeometry(x, y, 1, height);
}

StatusPanels::StatusPanels(const QVector<int> &widths, QWidget *parent) : QFrame(parent), m_widths(widths)
{
    for (int i = 0; i < widths.size(); ++i) {
        auto *label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels << label;
    }
}

void StatusPanels::setText(int panel, const QString &text)
{
    m_panels.at(panel)->setText(text);
}

QString StatusPanels::text(int panel) const
{
    return m_panels.at(panel)->text();
}

void StatusPanels::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    int x = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        const bool last = i == m_panels.size() - 1;
        const int w = last ? qMax(0, width() - x) : m_widths.at(i);
        m_panels.at(i)->setGeometry(x, 2, w - 2, height() - 2);
        x += w;
    }
}
