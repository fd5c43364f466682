#include "printwindows/SingleWaybillWindow.h"

#include "printwindows/LayoutView.h"
#include "printwindows/PreviewWindow.h"
#include "printwindows/WaybillPrintJob.h"

#include <QPrinter>

SingleWaybillWindow::SingleWaybillWindow(db::Dataset *senderQuery, db::Dataset *recipientQuery,
                                         QWidget *parent)
    : WaybillWindow(QStringLiteral("单张打印EMS快递单"), parent),
      m_report(new printing::WaybillPrintJob(printing::PositionSet::Single, this))
{
    setObjectName(QStringLiteral("StForm"));
    // No record source: the band prints once, with the current rows of the two queries.
    m_report->setSenderDataset(senderQuery);
    m_report->setRecipientDataset(recipientQuery);
    layoutView->setBand(473, 0);
    showLayout(m_report->layout());
}

SingleWaybillWindow::~SingleWaybillWindow() = default;

void SingleWaybillWindow::openPreview()
{
    m_report->preview();
}

QString SingleWaybillWindow::printerName() const
{
    return m_report->printer().printerName();
}

void SingleWaybillWindow::applyFieldFont(const QFont &font)
{
    m_report->setFieldFont(font);
    showLayout(m_report->layout());
}
