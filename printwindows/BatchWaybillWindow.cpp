#include "printwindows/BatchWaybillWindow.h"

#include "printing/Fonts.h"
#include "printwindows/LayoutView.h"
#include "printwindows/PreviewWindow.h"
#include "printwindows/WaybillPrintJob.h"
#include "widgets/BusyFileNotice.h"
#include "widgets/Controls.h"
#include "widgets/Messages.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPrinter>
#include <QShowEvent>
#include <QStandardItemModel>

BatchWaybillWindow::BatchWaybillWindow(QWidget *parent)
    : WaybillWindow(QStringLiteral("批量打印EMS快递单"), parent),
      m_report(new printing::WaybillPrintJob(printing::PositionSet::Batch, this))
{
    setObjectName(QStringLiteral("plstForm"));
    recipients.setConnection(&connection);
    recipients.setSql(QStringLiteral("select * from inrxx"));
    senders.setConnection(&connection);
    senders.setSql(QStringLiteral("select * from outrxx"));
    m_report->setRecordSource(&recipients);
    m_report->setRecipientDataset(&recipients);
    m_report->setSenderDataset(&senders);
    layoutView->setBand(476, 3);
    showLayout(m_report->layout());

    // Beside the print and calibrate buttons: what to print and how many waybills that is.
    auto *scopeLabel = new QLabel(QStringLiteral("打印："), buttonBar);
    scopeLabel->setObjectName(QStringLiteral("recipientScopeLabel"));
    scopeLabel->setFont(fonts::songPoints(10));
    scopeLabel->setGeometry(195, 2, 45, 25);
    recipientScope = new QComboBox(buttonBar);
    recipientScope->setObjectName(QStringLiteral("recipientScope"));
    recipientScope->setFont(fonts::songPoints(10));
    recipientScope->addItems(
        {QStringLiteral("全部收件人"), QStringLiteral("查询结果"), QStringLiteral("选中的行")});
    recipientScope->setToolTip(QStringLiteral("查询结果：主窗口当前查询到的收件人；选中的行：在收件人列表中"
                                              "按住 Ctrl 或 Shift 点选的收件人"));
    recipientScope->setGeometry(240, 4, 120, 22);
    recipientCount = new QLabel(buttonBar);
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
        connection.setPath(db::connectionPath());
        connection.setBusyTimeout(0);
        try {
            connection.open();
        } catch (const db::DbError &e) {
            connection.setBusyTimeout(db::Connection::kBusyTimeoutMs);
            if ((e.code() & 0xff) != 5) // SQLITE_BUSY
                throw;
        }
        connection.setBusyTimeout(db::Connection::kBusyTimeoutMs);
    });
}

BatchWaybillWindow::~BatchWaybillWindow() = default;

void BatchWaybillWindow::changeEvent(QEvent *event)
{
    WaybillWindow::changeEvent(event);
    // Each activation, including the return from the preview window, reads both tables afresh.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !BusyFileNotice::waiting())
        messages::guard(this, [this] { reopenBook(); });
}

void BatchWaybillWindow::showEvent(QShowEvent *event)
{
    // Each opening starts from the whole book, as the window always did.
    if (!event->spontaneous())
        setScope(printing::BatchScope::All);
    WaybillWindow::showEvent(event);
}

void BatchWaybillWindow::reopenBook()
{
    connection.close();
    connection.setPath(db::connectionPath());
    connection.open();
    recipients.open();
    senders.open();
    updateChosenRows();
}

printing::BatchScope BatchWaybillWindow::scope() const
{
    return printing::BatchScope(std::max(0, recipientScope->currentIndex()));
}

void BatchWaybillWindow::setScope(printing::BatchScope scope)
{
    recipientScope->setCurrentIndex(int(scope));
    updateChosenRows();
}

int BatchWaybillWindow::updateChosenRows()
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

    const bool active = recipients.isActive();
    int count = 0;
    switch (scope()) {
    case printing::BatchScope::All:
        m_report->clearRecordRows();
        count = active ? recipients.recordCount() : 0;
        break;
    case printing::BatchScope::Search:
    case printing::BatchScope::Selection: {
        std::vector<int> rows;
        if (active)
            rows = printing::rowsOfRowIds(recipients,
                                          scope() == printing::BatchScope::Search ? *search : selected);
        count = int(rows.size());
        m_report->setRecordRows(std::move(rows));
        break;
    }
    }
    recipientCount->setText(QStringLiteral("共 %1 张快递单").arg(count));
    return count;
}

void BatchWaybillWindow::openPreview()
{
    if (updateChosenRows() == 0 && scope() != printing::BatchScope::All) {
        messages::show(this, QStringLiteral("没有要打印的收件人，请重新选择打印范围。"));
        return;
    }
    m_report->preview();
}

QString BatchWaybillWindow::printerName() const
{
    return m_report->printer().printerName();
}

void BatchWaybillWindow::applyFieldFont(const QFont &font)
{
    m_report->setFieldFont(font);
    showLayout(m_report->layout());
}
