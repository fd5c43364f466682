#include "recipients/RecipientPage.h"

#include "addressbook/RecipientExport.h"
#include "addressbook/RecipientSearch.h"
#include "addressbook/RecipientTableModel.h"
#include "data/Database.h"
#include "data/FailureText.h"
#include "import/RecipientImport.h"
#include "printing/Fonts.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct EditPlace
{
    const char *label;
    int labelX, labelY, editX, editY, width;
};

// The seven edits of the add and modify panels, in column order.
const EditPlace kPlaces[7] = {
    {"单位名称", 8, 22, 64, 20, 125},    {"收件人姓名", 194, 22, 264, 20, 130},
    {"收件地址", 401, 22, 464, 20, 225}, {"邮政编码", 696, 22, 752, 20, 115},
    {"联系电话", 8, 59, 64, 56, 125},    {"手机号码", 200, 59, 264, 56, 130},
    {"备    注", 400, 59, 464, 56, 225},
};

// The recipient query's statement when no search is active.
const char kWholeList[] = "select * from inrxx";

const char *const kAddEdits[7] = {"Edit19", "Edit20", "Edit21", "Edit22", "Edit23", "Edit24", "Edit25"};
const char *const kModifyEdits[7] = {"Edit10", "Edit11", "Edit12", "Edit13", "Edit14", "Edit17", "Edit18"};

struct GridColumn
{
    const char *title;
    int width;
};
const GridColumn kGridColumns[] = {{"序号", 45},     {"单位名称", 150}, {"收件人姓名", 75}, {"收件地址", 230},
                                   {"邮政编码", 70}, {"联系电话", 100}, {"手机号码", 100},  {"备注", 110}};

QLabel *label(const QString &text, int x, int y, QWidget *parent, const QFont &font)
{
    auto *l = new QLabel(text, parent);
    l->setFont(font);
    l->move(x, y);
    l->adjustSize();
    return l;
}

bool askDeleteConfirmation(QWidget *owner)
{
    // The one box whose English texts belong to the design: they are set explicitly.
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("Delete record?"),
                    QMessageBox::Ok | QMessageBox::Cancel, owner);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Cancel"));
    return box.exec() == QMessageBox::Ok;
}

QString askImportFile(QWidget *owner)
{
    static QString lastFolder;
    const QString chosen = QFileDialog::getOpenFileName(
        owner, QStringLiteral("导入收件人"), lastFolder,
        QStringLiteral("表格文件 (*.xls *.csv *.XLS *.CSV *.txt);;所有文件 (*)"));
    if (!chosen.isEmpty())
        lastFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

bool askImportSummary(QWidget *owner, const RecipientImport &import)
{
    const bool canImport = import.error().isEmpty();
    QDialog box(owner);
    box.setObjectName(QStringLiteral("importSummary"));
    box.setWindowTitle(QStringLiteral("导 入"));
    box.setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(&box);
    QString headline = canImport ? import.summary() : QStringLiteral("无法导入：%1。").arg(import.error());
    if (!canImport && (!import.invalidRows().empty() || !import.duplicateRows().empty()))
        headline += QLatin1Char('\n') + import.summary();
    if (!import.ignoredSheets().isEmpty())
        headline += QStringLiteral("\n没有列名行、未读取的工作表：%1")
                        .arg(import.ignoredSheets().join(QStringLiteral("、")));
    if (canImport)
        headline += QStringLiteral("\n\n新的收件人加在现有收件人之后。要导入吗？");
    auto *text = new QLabel(headline, &box);
    text->setObjectName(QStringLiteral("importSummaryText"));
    text->setWordWrap(true);
    layout->addWidget(text);
    const QString skipped = import.skippedList(1000);
    if (!skipped.isEmpty()) {
        layout->addWidget(new QLabel(QStringLiteral("跳过的行："), &box));
        auto *list = new QPlainTextEdit(skipped, &box);
        list->setObjectName(QStringLiteral("importSkippedRows"));
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        list->setMinimumSize(520, 160);
        layout->addWidget(list);
    }
    auto *buttons = new QDialogButtonBox(&box);
    if (canImport) {
        QPushButton *yes = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
        yes->setObjectName(QStringLiteral("importConfirm"));
        yes->setDefault(true);
        buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
            ->setObjectName(QStringLiteral("importCancel"));
    } else {
        buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole)
            ->setObjectName(QStringLiteral("importCancel"));
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons);
    return box.exec() == QDialog::Accepted && canImport;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// RecipientGrid

RecipientGrid::RecipientGrid(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows can be chosen for a batch (Ctrl-, Shift-click, Ctrl+A); modify, delete and the
    // counters act on the current row only.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *h = horizontalHeader();
    h->setSectionsMovable(true);
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setHighlightSections(false);
    h->setDefaultAlignment(Qt::AlignCenter);
    h->setFixedHeight(20);
    // A click on a title toggles its sort marker only; rows keep the query's order.
    h->setSectionsClickable(true);
    h->setSortIndicatorShown(true);
    h->setSortIndicator(-1, Qt::AscendingOrder);
}

void RecipientGrid::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit cellClicked();
}

void RecipientGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Find)) {
        openFindDialog();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool RecipientGrid::findNext(const QString &text)
{
    if (text.isEmpty() || !model())
        return false;
    m_lastFind = text;
    const int rows = model()->rowCount();
    const int columns = model()->columnCount();
    const int start = currentIndex().isValid() ? currentIndex().row() : -1;
    for (int step = 1; step <= rows; ++step) {
        const int row = (start + step) % rows;
        for (int c = 0; c < columns; ++c) {
            if (model()->index(row, c).data().toString().contains(text, Qt::CaseInsensitive)) {
                const QModelIndex found = model()->index(row, 0);
                setCurrentIndex(found);
                scrollTo(found);
                return true;
            }
        }
    }
    return false;
}

void RecipientGrid::openFindDialog()
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("查找"));
    auto *layout = new QHBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("查找内容："), &dialog));
    auto *edit = new QLineEdit(m_lastFind, &dialog);
    edit->setObjectName(QStringLiteral("FindText"));
    layout->addWidget(edit);
    auto *next = new QPushButton(QStringLiteral("查找下一个"), &dialog);
    next->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("关闭"), &dialog);
    layout->addWidget(next);
    layout->addWidget(close);
    auto *notFound = new QLabel(&dialog);
    layout->addWidget(notFound);
    connect(next, &QPushButton::clicked, &dialog, [this, edit, notFound] {
        notFound->setText(findNext(edit->text()) ? QString() : QStringLiteral("找不到"));
    });
    connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
    dialog.exec();
}

// ---------------------------------------------------------------------------------------------
// RecipientPage

RecipientPage::RecipientPage(const Parts &parts, QObject *parent)
    : QObject(parent), m_form(parts.window), m_connection(parts.connection), m_query(parts.recipientQuery),
      m_clearBarHighlight(parts.clearBarHighlight), m_pageBox(parts.pageBox)
{
    QWidget *page = parts.pageBox;
    const QFont font = fonts::songPixels(13);
    confirmDelete = askDeleteConfirmation;
    chooseImportFile = askImportFile;
    confirmImport = askImportSummary;
    chooseExportFile = [](QWidget *owner) {
        // One dialog for the program's run, so it offers the last name again; no filter, no
        // default suffix, no overwrite question.
        static QString lastName;
        QFileDialog dialog(owner);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!lastName.isEmpty())
            dialog.selectFile(lastName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        lastName = dialog.selectedFiles().first();
        return lastName;
    };

    searchPanel = buildPanel("GroupBox3", QStringLiteral("查 询"));
    modifyPanel = buildPanel("GroupBox4", QStringLiteral("修 改"));
    addPanel = buildPanel("GroupBox5", QStringLiteral("添 加"));

    addEdits = buildEdits(addPanel, kAddEdits, true);
    modifyEdits = buildEdits(modifyPanel, kModifyEdits, false);
    m_modifyChanged.assign(7, false);
    for (size_t i = 0; i < modifyEdits.size(); ++i)
        connect(modifyEdits[i], &QLineEdit::textEdited, this, [this, i] { m_modifyChanged[i] = true; });

    addConfirmButton =
        new PictureButton(QStringLiteral("确 定"), QStringLiteral(":/icons/ok.png"), 16, addPanel);
    addConfirmButton->setObjectName(QStringLiteral("RzBitBtn1"));
    addConfirmButton->setGeometry(776, 56, 80, 22);
    addConfirmButton->setToolTip(QStringLiteral("确定要添加收件人信息"));
    modifyConfirmButton =
        new PictureButton(QStringLiteral("确 定"), QStringLiteral(":/icons/ok.png"), 16, modifyPanel);
    modifyConfirmButton->setObjectName(QStringLiteral("RzBitBtn2"));
    modifyConfirmButton->setGeometry(776, 56, 80, 22);
    modifyConfirmButton->setToolTip(QStringLiteral("确定要修改收件人信息"));

    label(QStringLiteral("收件人姓名"), 24, 40, searchPanel, font);
    searchNameEdit = new QLineEdit(searchPanel);
    searchNameEdit->setObjectName(QStringLiteral("Edit15"));
    searchNameEdit->setGeometry(95, 38, 130, 19);
    label(QStringLiteral("手机号码"), 248, 40, searchPanel, font);
    searchMobileEdit = new QLineEdit(searchPanel);
    searchMobileEdit->setObjectName(QStringLiteral("Edit16"));
    searchMobileEdit->setGeometry(305, 38, 130, 19);
    for (QLineEdit *e : {searchNameEdit, searchMobileEdit}) {
        e->setFont(font);
        e->setFrame(false);
    }
    searchButton =
        new PictureButton(QStringLiteral("查 询"), QStringLiteral(":/icons/find.png"), 16, searchPanel);
    searchButton->setObjectName(QStringLiteral("RzBitBtn3"));
    searchButton->setGeometry(528, 37, 80, 22);
    searchButton->setToolTip(QStringLiteral("查询收件人信息"));
    for (QToolButton *b : {addConfirmButton, modifyConfirmButton, searchButton})
        b->setFont(font);

    searchPanel->hide();
    modifyPanel->hide();

    buildGrid();
    buildMenu();

    struct Fixed
    {
        const char *name;
        int x;
        const char *text;
    };
    const Fixed fixed[] = {{"Label32", 13, "当前第"},   {"Label33", 55, ""},      {"Label34", 92, "条记录"},
                           {"Label35", 133, "，"},      {"Label29", 150, "共有"}, {"Label31", 180, ""},
                           {"Label30", 216, "条记录。"}};
    for (const Fixed &f : fixed) {
        QLabel *l = label(QString::fromUtf8(f.text), f.x, 492, page, font);
        l->setObjectName(QString::fromLatin1(f.name));
        m_counterLine.emplace_back(l, f.x);
        if (qstrcmp(f.name, "Label33") == 0)
            positionCounter = l;
        if (qstrcmp(f.name, "Label31") == 0)
            totalCounter = l;
    }

    auto onClick = [this](QToolButton *button, void (RecipientPage::*handler)()) {
        connect(button, &QToolButton::clicked, this, [this, handler] { handle(handler); });
    };
    onClick(addConfirmButton, &RecipientPage::addRecipient);
    onClick(modifyConfirmButton, &RecipientPage::saveModifiedRecipient);
    onClick(searchButton, &RecipientPage::searchRecipients);
}

void RecipientPage::handle(void (RecipientPage::*handler)())
{
    run([this, handler] { (this->*handler)(); });
}

void RecipientPage::run(const std::function<void()> &action)
{
    messages::guard(m_form, [&] {
        try {
            action();
        } catch (...) {
            // A write that failed changed neither the file nor the rows held here: leave the
            // edit, and the grid, counters and panels show the rows as they are, ready for a
            // retry. The typed texts stay in their panel.
            db::Dataset &q = (*m_query);
            q.cancel();
            if (q.isActive())
                emit q.currentChanged(q.currentRow());
            setTotalCounter();
            setPositionCounter();
            throw;
        }
    });
}

QGroupBox *RecipientPage::buildPanel(const char *name, const QString &caption)
{
    auto *box = new QGroupBox(caption, m_pageBox);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(25, 16, 880, 97);
    box->setFont(fonts::songPixels(13, true));
    return box;
}

std::vector<QLineEdit *> RecipientPage::buildEdits(QGroupBox *panel, const char *const names[7],
                                                   bool requiredMarks)
{
    const QFont font = fonts::songPixels(13);
    std::vector<QLineEdit *> edits;
    for (int i = 0; i < 7; ++i) {
        const EditPlace &p = kPlaces[i];
        label(QString::fromUtf8(p.label), p.labelX, p.labelY, panel, font);
        auto *e = new QLineEdit(panel);
        e->setObjectName(QString::fromLatin1(names[i]));
        e->setFont(font);
        e->setFrame(false);
        e->setGeometry(p.editX, p.editY, p.width, 19);
        edits.push_back(e);
    }
    for (int i = 0; i + 1 < 7; ++i)
        QWidget::setTabOrder(edits[size_t(i)], edits[size_t(i + 1)]);
    if (requiredMarks) {
        for (QPoint at : {QPoint(264, 40), QPoint(464, 40), QPoint(264, 78)}) {
            QLabel *mark = label(QStringLiteral("（必填）"), at.x(), at.y(), panel, font);
            QPalette pal = mark->palette();
            pal.setColor(QPalette::WindowText, Qt::red);
            mark->setPalette(pal);
        }
    }
    return edits;
}

void RecipientPage::buildGrid()
{
    QStringList titles;
    for (const GridColumn &c : kGridColumns)
        titles << QString::fromUtf8(c.title);
    recipientGrid = new RecipientGrid(m_pageBox);
    recipientGrid->setObjectName(QStringLiteral("DBGridEh1"));
    recipientGrid->setGeometry(5, 128, 919, 360);
    recipientGrid->setFont(fonts::songPixels(13));
    recipientGrid->setToolTip(QStringLiteral("双击可以修改收件人信息！"));
    model = new RecipientTableModel(m_query, titles, this);
    model->setRowHint(recipientGrid->toolTip());
    recipientGrid->setModel(model);
    for (int i = 0; i < titles.size(); ++i)
        recipientGrid->setColumnWidth(i, kGridColumns[i].width);
    // Row numbers up to seven digits show whole.
    recipientGrid->setColumnWidth(
        0, std::max(kGridColumns[0].width,
                    QFontMetrics(recipientGrid->font()).horizontalAdvance(QStringLiteral("0000000")) + 10));
    recipientGrid->verticalHeader()->setDefaultSectionSize(QFontMetrics(recipientGrid->font()).height() + 4);
    QHeaderView *h = recipientGrid->horizontalHeader();
    h->setFont(fonts::songPixels(13, true));
    h->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: rgb(204,213,205); color: black;"
                                    " border: 1px solid rgb(160,160,160); border-top: 0; border-left: 0; }"));
    bindGridToDataset();

    connect(recipientGrid, &RecipientGrid::cellClicked, this,
            [this] { handle(&RecipientPage::gridCellClicked); });
    connect(recipientGrid, &QTableView::doubleClicked, this,
            [this] { handle(&RecipientPage::gridDoubleClicked); });
}

void RecipientPage::bindGridToDataset()
{
    db::Dataset *ds = m_query;
    // The grid's current row is the dataset's current row, both ways.
    connect(recipientGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, ds](const QModelIndex &current) {
                if (m_syncing || !current.isValid() || !ds->isActive())
                    return;
                m_syncing = true;
                ds->setCurrentRow(current.row());
                m_syncing = false;
            });
    auto follow = [this, ds](int row) {
        if (m_syncing)
            return;
        m_syncing = true;
        if (row >= 0 && row < model->rowCount()) {
            const QModelIndex index = model->index(row, 0);
            recipientGrid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                        QItemSelectionModel::Rows);
            recipientGrid->scrollTo(index);
        } else {
            recipientGrid->selectionModel()->clear();
        }
        m_syncing = false;
    };
    connect(ds, &db::Dataset::currentChanged, this, follow);
    connect(ds, &db::Dataset::reset, this, [follow, ds] { follow(ds->currentRow()); });
}

void RecipientPage::buildMenu()
{
    gridMenu = new QMenu(recipientGrid);
    gridMenu->setObjectName(QStringLiteral("PopupMenu2"));
    auto item = [this](const char *name, const QString &caption, std::function<void()> action) {
        QAction *a = gridMenu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, action] { run(action); });
    };
    item("N5", QStringLiteral("添 加"), [this] { startAdding(); });
    item("N6", QStringLiteral("修 改"), [this] { startModifying(); });
    item("N7", QStringLiteral("删 除"), [this] { deleteRecipient(); });
    item("N8", QStringLiteral("查 询"), [this] { startSearching(); });
    gridMenu->addSeparator()->setObjectName(QStringLiteral("N9"));
    item("N10", QStringLiteral("单张打印"), [this] { emit singlePrintRequested(); });
    item("N11", QStringLiteral("批量打印"), [this] { emit batchPrintRequested(); });
    recipientGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(recipientGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { gridMenu->popup(recipientGrid->viewport()->mapToGlobal(pos)); });
}

void RecipientPage::showAddPanel()
{
    searchPanel->hide();
    modifyPanel->hide();
    addPanel->show();
}

void RecipientPage::showModifyPanel()
{
    searchPanel->hide();
    modifyPanel->show();
    addPanel->hide();
}

void RecipientPage::showSearchPanel()
{
    searchPanel->show();
    modifyPanel->hide();
    addPanel->hide();
    searchNameEdit->clear();
    searchMobileEdit->clear();
}

void RecipientPage::setTotalCounter()
{
    totalCounter->setText(QString::number((*m_query).recordCount()));
    layoutCounters();
}

void RecipientPage::setPositionCounter()
{
    const int recNo = (*m_query).recNo();
    positionCounter->setText(recNo == -1 ? QStringLiteral("0") : QString::number(recNo));
    layoutCounters();
}

void RecipientPage::layoutCounters()
{
    // Each label at its place in the design, or right after its left neighbour when a long
    // number needs the room, so no number is ever cut.
    int right = 0;
    for (auto &[label, x] : m_counterLine) {
        label->adjustSize();
        label->move(std::max(x, right), label->y());
        right = label->x() + label->width();
    }
}

std::vector<qint64> RecipientPage::selectedRowIds() const
{
    const db::Dataset &q = (*m_query);
    std::vector<qint64> rowids;
    if (!q.isActive())
        return rowids;
    for (const QModelIndex &index : recipientGrid->selectionModel()->selectedRows())
        if (index.row() < q.recordCount())
            rowids.push_back(q.rowId(index.row()));
    return rowids;
}

std::optional<std::vector<qint64>> RecipientPage::searchRowIds() const
{
    const db::Dataset &q = (*m_query);
    // A search replaces the query's statement; the whole list comes back with "收件信息".
    if (!q.isActive() || q.sql() == QLatin1String(kWholeList))
        return std::nullopt;
    std::vector<qint64> rowids;
    rowids.reserve(size_t(q.recordCount()));
    for (int row = 0; row < q.recordCount(); ++row)
        rowids.push_back(q.rowId(row));
    return rowids;
}

void RecipientPage::startAdding()
{
    showAddPanel();
}

void RecipientPage::startModifying()
{
    loadModifyPanel();
}

void RecipientPage::gridDoubleClicked()
{
    loadModifyPanel();
}

void RecipientPage::gridCellClicked()
{
    setPositionCounter();
}

void RecipientPage::startSearching()
{
    showSearchPanel();
}

void RecipientPage::loadModifyPanel()
{
    showModifyPanel();
    db::Dataset &q = (*m_query);
    const QStringList columns = db::recipientColumns();
    for (int i = 0; i < 7; ++i)
        modifyEdits[size_t(i)]->setText(q.fieldText(columns.at(i)));
    m_modifyChanged.assign(7, false);
    // Remember which row was loaded, so "确 定" writes that row and no other.
    m_modifyRowId = q.isActive() && q.recNo() > 0 ? q.rowId(q.currentRow()) : -1;
}

void RecipientPage::emptyModifyPanel()
{
    for (QLineEdit *e : modifyEdits)
        e->clear();
    m_modifyChanged.assign(7, false);
}

void RecipientPage::addRecipient()
{
    db::Dataset &q = (*m_query);
    // The first missing required field only; blanks are content.
    const char *missing = nullptr;
    if (addEdits[1]->text().isEmpty())
        missing = "收件人姓名不能为空！";
    else if (addEdits[2]->text().isEmpty())
        missing = "收件地址不能为空！";
    else if (addEdits[5]->text().isEmpty())
        missing = "手机号码不能为空！";
    if (missing) {
        messages::show(m_form, QString::fromUtf8(missing));
    } else {
        q.last();
        q.append();
        const QStringList columns = db::recipientColumns();
        for (int i = 0; i < 7; ++i)
            q.setFieldText(columns.at(i), addEdits[size_t(i)]->text());
        q.post();
        for (QLineEdit *e : addEdits)
            e->clear();
    }
    setTotalCounter();
    setPositionCounter();
}

void RecipientPage::saveModifiedRecipient()
{
    db::Dataset &q = (*m_query);
    // The row written is the one loaded into the panel, wherever the grid stands now.
    const int row = q.isActive() && m_modifyRowId >= 0 ? q.rowOfRowId(m_modifyRowId) : -1;
    if (row < 0) {
        messages::show(m_form, QStringLiteral("当前修改信息为空！"));
    } else {
        q.setCurrentRow(row);
        q.edit();
        const QStringList columns = db::recipientColumns();
        for (int i = 0; i < 7; ++i)
            if (m_modifyChanged[size_t(i)])
                q.setFieldText(columns.at(i), modifyEdits[size_t(i)]->text());
        try {
            q.post();
        } catch (const db::RowChangedError &e) {
            // Another copy of the program changed or deleted the row: nothing was written and
            // the list has been read again.
            emptyModifyPanel();
            setTotalCounter();
            setPositionCounter();
            messages::show(m_form, e.message());
            return;
        }
    }
    emptyModifyPanel();
}

void RecipientPage::deleteRecipient()
{
    db::Dataset &q = (*m_query);
    m_clearBarHighlight(14);
    if (q.recNo() == -1) {
        positionCounter->setText(QStringLiteral("0"));
        layoutCounters();
        messages::show(m_form, QStringLiteral("不能删除空信息！"));
    } else {
        if (confirmDelete(m_form)) {
            try {
                q.deleteCurrent();
            } catch (const db::RowChangedError &e) {
                setTotalCounter();
                setPositionCounter();
                messages::show(m_form, e.message());
                return;
            }
        }
        setPositionCounter();
    }
    setTotalCounter();
}

void RecipientPage::searchRecipients()
{
    const QString name = searchNameEdit->text();
    const QString mobile = searchMobileEdit->text();
    SearchStatement search;
    if (!name.isEmpty() && mobile.isEmpty())
        search = containsSearch(QStringLiteral("收件人姓名"), name);
    else if (name.isEmpty() && !mobile.isEmpty())
        search = containsSearch(QStringLiteral("手机号码"), mobile);
    else
        return;
    db::Dataset &q = (*m_query);
    q.close();
    q.setSql(search.sql, search.params);
    q.open();
}

void RecipientPage::exportRecipients()
{
    const QString chosen = chooseExportFile(m_form);
    if (chosen.isEmpty())
        return;
    // ".xls" is always appended, whatever the name already ends in.
    const QString fileName = chosen + QStringLiteral(".xls");
    QProgressDialog progress(QStringLiteral("正在导出收件人信息……"), QString(), 0, 100, m_form);
    progress.setWindowTitle(QStringLiteral("导 出"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    const QString error = exportDataset((*m_query), fileName, [&progress](int done, int all) {
        progress.setValue(all > 0 ? int(qint64(done) * 100 / all) : 100);
    });
    progress.reset();
    if (!error.isEmpty()) {
        // Nothing was written: the file is renamed into place only when complete.
        messages::showError(m_form, failures::withReason(QStringLiteral("数据导出失败，请重试！"),
                                                         failures::writeText(QStringLiteral("写入导出文件"),
                                                                             fileName, error)));
        return;
    }
    messages::show(m_form, QStringLiteral("成功导出全部数据!"));
}

void RecipientPage::importRecipients()
{
    m_clearBarHighlight(17);
    const QString path = chooseImportFile(m_form);
    if (path.isEmpty())
        return;
    RecipientImport import;
    import.prepare(path, *m_connection);
    const bool readable =
        import.error().isEmpty() || !import.invalidRows().empty() || !import.duplicateRows().empty();
    if (!readable) {
        // Nothing in the file to list: the reason alone.
        messages::showError(
            m_form, failures::withReason(QStringLiteral("无法导入收件人，通讯录没有改动。"), import.error()));
        return;
    }
    if (!confirmImport(m_form, import))
        return;

    const int total = int(import.rowsToAdd().size());
    QProgressDialog progress(QStringLiteral("正在导入收件人……"), QStringLiteral("取消"), 0, total, m_form);
    progress.setObjectName(QStringLiteral("importProgress"));
    progress.setWindowTitle(QStringLiteral("导 入"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    const RecipientImport::Outcome outcome = import.commit(*m_connection, [&progress](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    progress.reset();

    if (outcome == RecipientImport::Outcome::Added) {
        // The whole list again, standing on the last row added.
        db::Dataset &q = (*m_query);
        q.close();
        q.setSql(QString::fromLatin1(kWholeList));
        q.open();
        q.last();
    }
    setTotalCounter();
    setPositionCounter();
    switch (outcome) {
    case RecipientImport::Outcome::Added:
        messages::show(m_form, QStringLiteral("成功导入 %1 个收件人！").arg(total));
        break;
    case RecipientImport::Outcome::Cancelled:
        messages::show(m_form, QStringLiteral("导入已取消，通讯录没有改动。"));
        break;
    case RecipientImport::Outcome::Failed:
        messages::showError(
            m_form, failures::withReason(QStringLiteral("导入失败，通讯录没有改动！"), import.failure()));
        break;
    }
}
