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
class TForm1;

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
    explicit RecipientPage(TForm1 *form);

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
    void SpeedButton9Click();  // 添 加
    void SpeedButton10Click(); // 修 改
    void SpeedButton11Click(); // 删 除
    void SpeedButton12Click(); // 查 询
    void SpeedButton13Click(); // 导 出
    void SpeedButton14Click(); // 导 入
    void RzBitBtn1Click();     // add panel 确 定
    void RzBitBtn2Click();     // modify panel 确 定
    void RzBitBtn3Click();     // search panel 查 询
    void DBGridEh1DblClick();
    void DBGridEh1CellClick();

    // The delete confirmation ("Confirm", "Delete record?", OK and Cancel); replaceable in tests.
    std::function<bool(QWidget *owner)> confirmDelete;
    // The export's save dialog; returns the chosen name or an empty text when cancelled.
    std::function<QString(QWidget *owner)> chooseExportFile;
    // The import's open dialog (.xls, .csv, all files); an empty text when cancelled.
    std::function<QString(QWidget *owner)> chooseImportFile;
    // The summary box before anything is written, with "导入" and "取消": true to import.
    // When nothing can be imported it only says why (with "关闭") and returns false.
    std::function<bool(QWidget *owner, const RecipientImport &import)> confirmImport;

    QGroupBox *GroupBox3 = nullptr; // search panel
    QGroupBox *GroupBox4 = nullptr; // modify panel
    QGroupBox *GroupBox5 = nullptr; // add panel
    RecipientGrid *DBGridEh1 = nullptr;
    RecipientTableModel *model = nullptr;
    QLabel *Label31 = nullptr; // total counter
    QLabel *Label33 = nullptr; // position counter
    QMenu *PopupMenu2 = nullptr;

    // Add panel edits, modify panel edits (both in column order) and the search edits.
    std::vector<QLineEdit *> addEdits;
    std::vector<QLineEdit *> modifyEdits;
    QLineEdit *Edit15 = nullptr;
    QLineEdit *Edit16 = nullptr;
    QToolButton *RzBitBtn1 = nullptr;
    QToolButton *RzBitBtn2 = nullptr;
    QToolButton *RzBitBtn3 = nullptr;

private:
    QGroupBox *buildPanel(const char *name, const QString &caption);
    std::vector<QLineEdit *> buildEdits(QGroupBox *panel, const char *const names[7], bool requiredMarks);
    void buildGrid();
    void buildMenu();
    void bindGridToDataset();
    void loadModifyPanel();
    void emptyModifyPanel();
    void handle(void (RecipientPage::*handler)());
    void run(const std::function<void()> &action);
    void layoutCounters();

    TForm1 *m_form;
    std::vector<bool> m_modifyChanged;
    qint64 m_modifyRowId = -1; // the row loaded into the modify panel
    bool m_syncing = false;
    std::vector<std::pair<QLabel *, int>> m_counterLine; // the labels under the grid, design x

};
