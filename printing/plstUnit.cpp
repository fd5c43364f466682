#include "printing/plstUnit.h"

#include "printing/LayoutView.h"
#include "printing/QRPrev.h"
#include "printing/QuickRep.h"
#include "shell/BusyFileNotice.h"
#include "shell/Messages.h"

#include <QEvent>
#include <QPrinter>

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

void TplstForm::FormActivate()
{
    ADOConnection1.close();
    ADOConnection1.setPath(db::connectionPath());
    ADOConnection1.open();
    ADODataSet1.open();
    ADODataSet2.open();
}

void TplstForm::SpeedButton1Click()
{
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
