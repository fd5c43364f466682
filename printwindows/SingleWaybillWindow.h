#pragma once

// The single print window: one waybill for the sender record and the recipient selected in the
// main window's list, previewed and printed from the preview window.

#include "printwindows/WaybillWindow.h"

namespace db {
class Dataset;
}
namespace printing {
class WaybillPrintJob;
}

class SingleWaybillWindow : public WaybillWindow
{
    Q_OBJECT
public:
    // The fields read the main window's sender query and recipient query at each preview.
    SingleWaybillWindow(db::Dataset *senderQuery, db::Dataset *recipientQuery, QWidget *parent = nullptr);
    ~SingleWaybillWindow() override;

    printing::WaybillPrintJob *report() const { return m_report; }

    void openPreview() override;

protected:
    QString printerName() const override;
    void applyFieldFont(const QFont &font) override;

private:
    printing::WaybillPrintJob *m_report;
};
