#pragma once

// The recipient page of the main window: the add, modify and search panels, the recipient grid
// with its row numbers and context menu, the record counters, and the operations of the
// recipient bar (add, modify, delete, search, export, import).

#include <QObject>
#include <QTableView>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class RecipientImport;
class RecipientTableModel;
class BevelPanel;
namespace db {
class Connection;
class Dataset;
} // namespace db

// The grid: read-only, whole-row selection, resizable and movable columns, sort markers that
// only toggle, and a find dialog on Ctrl+F.
class RecipientGrid : public QTableView
{
    Q_OBJECT
public:
    explicit RecipientGrid(QWidget *parent = nullptr);
    // Finds text in the rows after the current one (wrapping) and moves there.
    bool findNext(const QString &text);
    void openFindDialog();

signals:
    // A left click on a data cell (not a keyboard move).
    void cellClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_lastFind;
};

class RecipientPage : public QObject
{
    Q_OBJECT
public:
    // What the page works in and on; the window that owns it hands these over.
    struct Parts
    {
        QWidget *window = nullptr;  // owner of the page's boxes and dialogs
        QWidget *pageBox = nullptr; // where the panels and the grid are built
        db::Connection *connection = nullptr;
        db::Dataset *recipientQuery = nullptr;
        // Resets the hover highlight of the bar's button panel N after its button was used.
        std::function<void(int panel)> clearBarHighlight;
    };
    explicit RecipientPage(const Parts &parts, QObject *parent = nullptr);

    // Panel switching.
    void showAddPanel();
    void showModifyPanel();
    void showSearchPanel();

    // Counters under the grid.
    void setTotalCounter();
    void setPositionCounter();

    // The rows a batch may print instead of the whole book, by rowid in table order: the grid's
    // selected rows, and the rows of the current search (none when no search is active).
    std::vector<qint64> selectedRowIds() const;
    std::optional<std::vector<qint64>> searchRowIds() const;

    // Handlers of the bar, the panels, the grid and its menu.
    void startAdding();           // 添 加
    void startModifying();        // 修 改
    void deleteRecipient();       // 删 除
    void startSearching();        // 查 询
    void exportRecipients();      // 导 出
    void importRecipients();      // 导 入
    void addRecipient();          // add panel 确 定
    void saveModifiedRecipient(); // modify panel 确 定
    void searchRecipients();      // search panel 查 询
    void gridDoubleClicked();
    void gridCellClicked();

    // The delete confirmation ("Confirm", "Delete record?", OK and Cancel); replaceable in tests.
    std::function<bool(QWidget *owner)> confirmDelete;
    // The export's save dialog; returns the chosen name or an empty text when cancelled.
    std::function<QString(QWidget *owner)> chooseExportFile;
    // The import's open dialog (.xls, .csv, all files); an empty text when cancelled.
    std::function<QString(QWidget *owner)> chooseImportFile;
    // The summary box before anything is written, with "导入" and "取消": true to import.
    // When nothing can be imported it only says why (with "关闭") and returns false.
    std::function<bool(QWidget *owner, const RecipientImport &import)> confirmImport;

    QGroupBox *searchPanel = nullptr; // search panel
    QGroupBox *modifyPanel = nullptr; // modify panel
    QGroupBox *addPanel = nullptr;    // add panel
    RecipientGrid *recipientGrid = nullptr;
    RecipientTableModel *model = nullptr;
    QLabel *totalCounter = nullptr;    // total counter
    QLabel *positionCounter = nullptr; // position counter
    QMenu *gridMenu = nullptr;

    // Add panel edits, modify panel edits (both in column order) and the search edits.
    std::vector<QLineEdit *> addEdits;
    std::vector<QLineEdit *> modifyEdits;
    QLineEdit *searchNameEdit = nullptr;
    QLineEdit *searchMobileEdit = nullptr;
    QToolButton *addConfirmButton = nullptr;
    QToolButton *modifyConfirmButton = nullptr;
    QToolButton *searchButton = nullptr;

    // Runs a handler the way every button of the page runs: a failure is shown in the error box
    // and the grid, counters and panels show the file's rows again. The recipient bar's buttons
    // belong to the main window, which connects them through this.
    void handle(void (RecipientPage::*handler)());

signals:
    // The grid's menu asks for the print windows; the window that owns the page opens them.
    void singlePrintRequested();
    void batchPrintRequested();

private:
    QGroupBox *buildPanel(const char *name, const QString &caption);
    std::vector<QLineEdit *> buildEdits(QGroupBox *panel, const char *const names[7], bool requiredMarks);
    void buildGrid();
    void buildMenu();
    void bindGridToDataset();
    void loadModifyPanel();
    void emptyModifyPanel();
    void run(const std::function<void()> &action);
    void layoutCounters();

    QWidget *m_form;
    db::Connection *m_connection;
    db::Dataset *m_query;
    std::function<void(int panel)> m_clearBarHighlight;
    QWidget *m_pageBox;
    std::vector<bool> m_modifyChanged;
    qint64 m_modifyRowId = -1; // the row loaded into the modify panel
    bool m_syncing = false;
    std::vector<std::pair<QLabel *, int>> m_counterLine; // the labels under the grid, design x
};
