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
    db::Dataset *dataset = nullptr;
};

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // The program starts with the database opened once the window is on the screen, so a slow or
    // busy file never leaves the screen empty; tests open it at once.
    enum class StartUp { Now, AfterShow };
    explicit MainWindow(QWidget *parent = nullptr, StartUp startUp = StartUp::Now);
    ~MainWindow() override;

    // The secondary windows are created after the main window; the program entry hands them over.
    void setSecondaryWindows(QDialog *backup, QDialog *singlePrint, QDialog *batchPrint);

    // Database components.
    db::Connection connection;
    db::Dataset senderQuery;    // sender query
    db::Dataset recipientQuery; // recipient query
    DataSource recipientSource;

    // Bars and pages.
    BevelPanel *mainBar = nullptr;         // main bar
    BevelPanel *senderBar = nullptr;       // sender bar
    BevelPanel *recipientBar = nullptr;    // recipient bar
    QGroupBox *senderPageBox = nullptr;    // sender page
    QGroupBox *recipientPageBox = nullptr; // recipient page
    StatusPanels *statusPanels = nullptr;
    QTimer *clockTimer = nullptr;
    QMenu *helpMenu = nullptr;
    QAction *helpAction = nullptr;
    QAction *contactAction = nullptr;
    QAction *homePageAction = nullptr;

    // Button panels 2..11 and 14..17 (index by design number), buttons 1..14 (14 and its panel 17,
    // "导 入", follow the design's numbering).
    BevelPanel *panel(int number) const;
    FlatButton *speedButton(int number) const;

    SenderPage *senderPage() const { return m_senderPage; }
    RecipientPage *recipientPage() const { return m_recipientPage; }

    QDialog *backupWindow = nullptr;
    QDialog *singleWaybillWindow = nullptr;
    QDialog *batchWaybillWindow = nullptr;

    // Handlers, named after their control and event.
    void initialize();
    void showRecipients();
    void showSender();
    void openBackupWindow();
    void openSingleWaybillWindow();
    void openBatchWaybillWindow();
    void openHelpMenu();
    void exitProgram();
    void saveSender();
    void openHelp();
    void openContact();
    void openHomePage();
    void updateClock();

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

    QVector<BevelPanel *> m_panels;  // by design number
    QVector<FlatButton *> m_buttons; // by design number
    QHash<QObject *, QString> m_hoverNames;
    SenderPage *m_senderPage = nullptr;
    RecipientPage *m_recipientPage = nullptr;
    bool m_centred = false;
    bool m_openAfterShow = false;
    BusyFileNotice *m_busyNotice = nullptr;
};
