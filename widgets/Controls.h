#pragma once

// Small controls the windows are built from: bevelled bars, coloured button panels, flat picture
// buttons, separator lines and a status bar of fixed-width panels.

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QVector>

// The grey of the program's windows (224, 223, 224).
QColor windowGrey();
// The system button face, every button panel's resting colour.
QColor buttonFace();

// A panel with a two-line 3-D edge: raised inner and lowered outer bevel, or a single lowered one.
class BevelPanel : public QFrame
{
    Q_OBJECT
public:
    enum class Bevel { None, RaisedInnerLoweredOuter, LoweredInner };
    explicit BevelPanel(Bevel bevel, QWidget *parent = nullptr);
    void setColor(const QColor &color);
    QColor color() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Bevel m_bevel;
};

// A flat button: no frame, transparent, a picture left of its caption with a gap of a few pixels.
// It fills a panel of its own whose colour shows behind it (the hover highlight).
class FlatButton : public QToolButton
{
    Q_OBJECT
public:
    FlatButton(const QString &caption, const QString &iconPath, int iconSize, int gap,
               QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_gap;
};

// A picture button with its caption that lights up under the pointer (used in panels and dialogs).
class PictureButton : public QToolButton
{
    Q_OBJECT
public:
    PictureButton(const QString &caption, const QString &iconPath, int iconSize, QWidget *parent = nullptr);
};

// A 1-pixel bevelled silver line between buttons.
class SeparatorLine : public QFrame
{
    Q_OBJECT
public:
    SeparatorLine(int x, int y, int height, QWidget *parent);
};

// A status bar with panels of fixed widths; the last one takes the rest of the width.
class StatusPanels : public QFrame
{
    Q_OBJECT
public:
    StatusPanels(const QVector<int> &widths, QWidget *parent = nullptr);
    void setText(int panel, const QString &text);
    QString text(int panel) const;
    QLabel *panel(int index) const { return m_panels.at(index); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QVector<int> m_widths;
    QVector<QLabel *> m_panels;
};
