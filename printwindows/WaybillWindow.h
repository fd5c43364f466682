#pragma once

// What the single and the batch print window share: the window settings, the button bar with
// its flat "打 印" button and hover highlight, the layout view over the picture of the blank form,
// and the font choice for the thirteen fields.

#include <QDialog>
#include <QFont>

#include <functional>

class BevelPanel;
class FlatButton;
class QLabel;
class LayoutView;
namespace printing {
class WaybillLayout;
}

// Brings a modal window back at once when the window manager minimises it (call from changeEvent).
void restoreIfMinimized(QWidget *window, QEvent *event);

class WaybillWindow : public QDialog
{
    Q_OBJECT
public:
    WaybillWindow(const QString &caption, QWidget *parent);

    BevelPanel *buttonBar = nullptr;
    BevelPanel *printPanel = nullptr;
    FlatButton *printButton = nullptr;
    BevelPanel *calibrationPanel = nullptr;
    FlatButton *calibrateButton = nullptr; // "校 准" beside "打 印"

    LayoutView *layoutView = nullptr;

    // The font dialog; returns false when cancelled. Replaceable in tests.
    std::function<bool(QFont &font, QWidget *owner)> chooseFont;
    // The font the dialog starts from: the last one chosen in this window.
    QFont dialogFont() const { return m_dialogFont; }

    virtual void openPreview() = 0;
    // Opens the calibration dialog for the printer the window prints on.
    void calibrateClick();
    void chooseFieldFont();
    void hoverPrintButton();
    void hoverButtonBar();
    void hoverLayoutView();

protected:
    // The printer this window's waybills go to.
    virtual QString printerName() const = 0;
    // Takes a font chosen in the dialog for all thirteen fields.
    virtual void applyFieldFont(const QFont &font) = 0;
    // Shows the layout's fields in the layout view: each a white rectangle with its column name.
    void showLayout(const printing::WaybillLayout &layout);
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFont m_dialogFont;
    bool m_placed = false;
};
