#include "printing/stUnit.h"

#include "printing/LayoutView.h"
#include "printing/QRPrev.h"
#include "printing/QuickRep.h"

#include <QPrinter>

TStForm::TStForm(db::Dataset *senderQuery, db::Dataset *recipientQuery, QWidget *parent)
    : WaybillWindow(QStringLiteral("单张打印EMS快递单"), parent),
      m_report(new printing::QuickRep(printing::PositionSet::Single, this))
{
    setObjectName(QStringLiteral("StForm"));
    // No record source: the band prints once, with the current rows of the two queries.
    m_report->setSenderDataset(senderQuery);
    m_report->setRecipientDataset(recipientQuery);
    QuickRep1->setBand(473, 0);
    showLayout(m_report->layout());
}

TStForm::~TStForm() = default;

void TStForm::SpeedButton1Click()
{
    m_report->preview();
}

QString TStForm::printerName() const
{
    return m_report->printer().printerName();
}

void TStForm::applyFieldFont(const QFont &font)
{
    m_report->setFieldFont(font);
    showLayout(m_report->layout());
}
