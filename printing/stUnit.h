#pragma once

// The single print window: one waybill for the sender record and the recipient selected in the
// main window's list, previewed and printed from the preview window.

#include "printing/WaybillWindow.h"

namespace db {
class Dataset;
}
namespace printing {
class QuickRep;
}

class TStForm : public WaybillWindow
{
    Q_OBJECT
public:
    // The fields read the main window's sender query and recipient query at each preview.
    TStForm(db::Dataset *senderQuery, db::Dataset *recipientQuery, QWidget *parent = nullptr);
    ~TStForm() override;

    printing::QuickRep *QuickRep1Report() const { return m_report; }

    void SpeedButton1Click() override;

protected:
    QString printerName() const override;
    void applyFieldFont(const QFont &font) override;

private:
    printing::QuickRep *m_report;
};
