#pragma once

// The main window: the main bar of seven buttons, the sender and recipient pages with their
// bars, and the status bar with its clock. It owns the main connection and the two queries.

#include "data/Database.h"

#include <QPoint>
#include <QWidget>

class BevelPanel;
class BusyFileNotice;
class FlatButton;
class QDialog;
class QGroupBox;
class QMenu;
class QAction;
class QTimer;
class SenderPage;
class RecipientPage;
class StatusPanels;

// Links the recipient query to the controls bound to it (grid, counters, navigator).
struct DataSource
{
    db::Dataset *DataSet = nullptr;
};

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    // The program starts with the database opened once the window is on the screen, so a slow or
    // busy file never leaves the screen empty; tests open it at once.
    enum class StartUp { Now, AfterShow };
    explicit TForm1(QWidget *parent = nullptr, StartUp startUp = StartUp::Now);
    ~TForm1() override;

    // The secondary windows are created after the main window; the program entry hands them over.
    void setSecondaryWindows(QDialog *sjbfForm, QDialog *stForm, QDialog *plstForm);

    // Database components.
    db::Connection ADOConnection1;
    db::Dataset ADOQuery1; // sender query
    db::Dataset ADOQuery2; // recipient query
    DataSource DataSource1;

    // Bars and pages.
    BevelPanel *Panel1 = nullptr;  // main bar
    BevelPanel *Panel12 = nullptr; // sender bar
    BevelPanel *Panel13 = nullptr; // recipient bar
    QGroupBox *GroupBox1 = nullptr; // sender page
    QGroupBox *GroupBox2 = nullptr; // recipient page
    StatusPanels *StatusBar1 = nullptr;
    QTimer *Timer1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *N2 = nullptr;
    QAction *N3 = nullptr;
    QAction *N4 = nullptr;

    // Button panels 2..11 and 14..17 (index by design number), buttons 1..14 (14 and its panel 17,
    // "导 入", follow the design's numbering).
    BevelPanel *panel(int number) const;
    FlatButton *speedButton(int number) const;

    SenderPage *senderPage() const { return m_senderPage; }
    RecipientPage *recipientPage() const { return m_recipientPage; }

    QDialog *SjbfForm = nullptr;
    QDialog *StForm = nullptr;
    QDialog *plstForm = nullptr;

    // Handlers, named after their control and event.
    void FormCreate();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void N2Click();
    void N3Click();
    void N4Click();
    void Timer1Timer();

    // Hover highlight: the control the pointer moved over, by design name ("SpeedButton9",
    // "Panel13", "GroupBox2", "Form1", ...).
    void hover(const QString &control);

    // Where "帮助主题" pops up its menu, in screen coordinates.
    QPoint helpMenuPosition() const;

    // Opens a web address; replaceable so tests can see what would open.
    std::function<void(const QUrl &)> openUrl;
    // Opens a local page in the system's browser; when that cannot be done, a box says so and
    // names the file to open by hand.
    void openInBrowser(const QUrl &url);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildBars();
    void layoutAreas();
    void showRecipientPage();
    void watchHover(QWidget *widget, const QString &name);
    void openDatabase();
    void showOpenFailure(const QUrl &url, const QString &why);

    QVector<BevelPanel *> m_panels;   // by design number
    QVector<FlatButton *> m_buttons;  // by design number
    QHash<QObject *, QString> m_hoverNames;
    SenderPage *m_senderPage = nullptr;
    RecipientPage *m_recipientPage = nullptr;
    bool m_centred = false;
    bool m_openAfterShow = false;
    BusyFileNotice *m_busyNotice = nullptr;
};
