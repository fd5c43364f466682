#pragma once

// The batch print window: one waybill for every recipient of the address book, read through a
// connection of its own that is opened again each time the window becomes active.

#include "data/Database.h"
#include "printing/WaybillWindow.h"

namespace printing {
class QuickRep;
}

class TplstForm : public WaybillWindow
{
    Q_OBJECT
public:
    // Opens the batch connection at once, as the window is created (an error is shown in the
    // error box and the window is created all the same).
    explicit TplstForm(QWidget *parent = nullptr);
    ~TplstForm() override;

    db::Connection ADOConnection1;
    db::Dataset ADODataSet1; // recipients: the report's record source
    db::Dataset ADODataSet2; // sender

    printing::QuickRep *QuickRep1Report() const { return m_report; }

    void FormActivate();
    void SpeedButton1Click() override;

protected:
    QString printerName() const override;
    void applyFieldFont(const QFont &font) override;
    void changeEvent(QEvent *event) override;

private:
    printing::QuickRep *m_report;
};
