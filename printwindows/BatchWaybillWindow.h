#pragma once

// The batch print window: one waybill for every recipient of the address book, or for the rows
// of the main window's search or grid selection, read through a connection of its own that is
// opened again each time the window becomes active.

#include "data/Database.h"
#include "printing/RecipientSelection.h"
#include "printwindows/WaybillWindow.h"

class QComboBox;
class QLabel;

namespace printing {
class WaybillPrintJob;
}

class BatchWaybillWindow : public WaybillWindow
{
    Q_OBJECT
public:
    // Opens the batch connection at once, as the window is created (an error is shown in the
    // error box and the window is created all the same).
    explicit BatchWaybillWindow(QWidget *parent = nullptr);
    ~BatchWaybillWindow() override;

    db::Connection connection;
    db::Dataset recipients; // recipients: the report's record source
    db::Dataset senders;    // sender

    printing::WaybillPrintJob *report() const { return m_report; }

    // The main window's search and selection; set by the program entry.
    printing::RecipientSets recipientSets;
    // What to print (all recipients, the search, the selection) and how many waybills that is.
    QComboBox *recipientScope = nullptr;
    QLabel *recipientCount = nullptr;
    printing::BatchScope scope() const;
    void setScope(printing::BatchScope scope);
    // Finds the chosen rows in this window's dataset, hands them to the report and shows the count.
    // Returns the number of waybills.
    int updateChosenRows();

    void reopenBook();
    void openPreview() override;

protected:
    QString printerName() const override;
    void applyFieldFont(const QFont &font) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    printing::WaybillPrintJob *m_report;
};
