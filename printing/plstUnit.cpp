#include "printing/plstUnit.h"

#include "printing/Fonts.h"
#include "printing/LayoutView.h"
#include "printing/QRPrev.h"
#include "printing/QuickRep.h"
#include "shell/BusyFileNotice.h"
#include "shell/Controls.h"
#include "shell/Messages.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPrinter>
#include <QShowEvent>
#include <QStandardItemModel>

TplstForm::TplstForm(QWidget *parent)
    : WaybillWindow(QStringLiteral("批量打印EMS快递单"), parent),
      m_report(new printing::QuickRep(printing::PositionSet::Batch, this))
{
    setObjectName(QStringLiteral("plstForm"));
    ADODataSet1.setConnection(&ADOConnection1);
    ADODataSet1.setSql(QStringLiteral("select * from inrxx"));
    ADODataSet2.setConnection(&ADOConnection1);
    ADODataSet2.setSql(QStringLiteral("select * from outrxx"));
    m_report->setRecordSource(&ADODataSet1);
    m_report->setRecipientDataset(&ADODataSet1);
    m_report->setSenderDataset(&ADODataSet2);
    QuickRep1->setBand(476, 3);
    showLayout(m_report->layout());

    // Beside the print and calibrate buttons: what to print and how many waybills that is.
    auto *scopeLabel = new QLabel(QStringLiteral("打印："), Panel1);
    scopeLabel->setObjectName(QStringLiteral("recipientScopeLabel"));
    scopeLabel->setFont(fonts::songPoints(10));
    scopeLabel->setGeometry(195, 2, 45, 25);
    recipientScope = new QComboBox(Panel1);
    recipientScope->setObjectName(QStringLiteral("recipientScope"));
    recipientScope->setFont(fonts::songPoints(10));
    recipientScope->addItems(
        {QStringLiteral("全部收件人"), QStringLiteral("查询结果"), QStringLiteral("选中的行")});
    recipientScope->setToolTip(QStringLiteral("查询结果：主窗口当前查询到的收件人；选中的行：在收件人列表中"
                                              "按住 Ctrl 或 Shift 点选的收件人"));
    recipientScope->setGeometry(240, 4, 120, 22);
    recipientCount = new QLabel(Panel1);
    recipientCount->setObjectName(QStringLiteral("recipientCount"));
    recipientCount->setFont(fonts::songPoints(10));
    recipientCount->setGeometry(370, 2, 200, 25);
    connect(recipientScope, &QComboBox::currentIndexChanged, this,
            [this] { messages::guard(this, [this] { updateChosenRows(); }); });

    // The batch connection opens as the window is created: data.mdb in the current directory.
    // The datasets stay closed until the window is first activated.
    // A busy file is not waited for here: the main window's open reports it right after, and
    // every activation opens the connection afresh anyway.
    messages::guard(this, [this] {
        ADOConnection1.setPath(db::connectionPath());
        ADOConnection1.setBusyTimeout(0);
        try {
            ADOConnection1.open();
        } catch (const db::DbError &e) {
            ADOConnection1.setBusyTimeout(db::Connection::kBusyTimeoutMs);
            if ((e.code() & 0xff) != 5) // SQLITE_BUSY
                throw;
        }
        ADOConnection1.setBusyTimeout(db::Connection::kBusyTimeoutMs);
    });
}

TplstForm::~TplstForm() = default;

void TplstForm::changeEvent(QEvent *event)
{
    WaybillWindow::changeEvent(event);
    // Each activation, including the return from the preview window, reads both tables afresh.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !BusyFileNotice::waiting())
        messages::guard(this, [this] { FormActivate(); });
}

void TplstForm::showEvent(QShowEvent *event)
{
    // Each opening starts from the whole book, as the window always did.
    if (!event->spontaneous())
        setScope(printing::BatchScope::All);
    WaybillWindow::showEvent(event);
}

void TplstForm::FormActivate()
{
    ADOConnection1.close();
    ADOConnection1.setPath(db::connectionPath());
    ADOConnection1.open();
    ADODataSet1.open();
    ADODataSet2.open();
    updateChosenRows();
}

printing::BatchScope TplstForm::scope() const
{
    return printing::BatchScope(std::max(0, recipientScope->currentIndex()));
}

void TplstForm::setScope(printing::BatchScope scope)
{
    recipientScope->setCurrentIndex(int(scope));
    updateChosenRows();
}

int TplstForm::updateChosenRows()
{
    const std::optional<std::vector<qint64>> search =
        recipientSets.searchRowIds ? recipientSets.searchRowIds() : std::nullopt;
    const std::vector<qint64> selected =
        recipientSets.selectedRowIds ? recipientSets.selectedRowIds() : std::vector<qint64>();
    // A choice with nothing behind it cannot be taken.
    auto *items = static_cast<QStandardItemModel *>(recipientScope->model());
    items->item(int(printing::BatchScope::Search))->setEnabled(search.has_value());
    items->item(int(printing::BatchScope::Selection))->setEnabled(!selected.empty());
    if (!items->item(recipientScope->currentIndex())->isEnabled()) {
        const QSignalBlocker quiet(recipientScope);
        recipientScope->setCurrentIndex(int(printing::BatchScope::All));
    }

    const bool active = ADODataSet1.isActive();
    int count = 0;
    switch (scope()) {
    case printing::BatchScope::All:
        m_report->clearRecordRows();
        count = active ? ADODataSet1.recordCount() : 0;
        break;
    case printing::BatchScope::Search:
    case printing::BatchScope::Selection: {
        std::vector<int> rows;
        if (active)
            rows = printing::rowsOfRowIds(ADODataSet1,
                                          scope() == printing::BatchScope::Search ? *search : selected);
        count = int(rows.size());
        m_report->setRecordRows(std::move(rows));
        break;
    }
    }
    recipientCount->setText(QStringLiteral("共 %1 张快递单").arg(count));
    return count;
}

void TplstForm::SpeedButton1Click()
{
    if (updateChosenRows() == 0 && scope() != printing::BatchScope::All) {
        messages::show(this, QStringLiteral("没有要打印的收件人，请重新选择打印范围。"));
        return;
    }
    m_report->preview();
}

QString TplstForm::printerName() const
{
    return m_report->printer().printerName();
}

void TplstForm::applyFieldFont(const QFont &font)
{
    m_report->setFieldFont(font);
    showLayout(m_report->layout());
}
