#pragma once

#include "data/Database.h"
#include "printing/Page.h"
#include "printing/PaperCheck.h"
#include "printing/PrinterCalibration.h"
#include "printing/WaybillLayout.h"

#include <QObject>
#include <QPageLayout>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

class QPagedPaintDevice;

namespace printing {

// The waybill report: the layout, the datasets its fields read, an optional record source to walk,
// and the pages of its last run. A run prints the detail band once per row of an open record
// source, or once when there is no source, the source is closed or it has no rows; every band is
// one page.
class WaybillReport : public QObject
{
    Q_OBJECT
public:
    explicit WaybillReport(PositionSet set, QObject *parent = nullptr);
    ~WaybillReport() override;

    WaybillLayout &layout() { return m_layout; }
    const WaybillLayout &layout() const { return m_layout; }
    void setFieldFont(const QFont &font) { m_layout.setFieldFont(font); }

    // The datasets whose current rows the sender fields and the recipient fields read.
    void setSenderDataset(db::Dataset *dataset) { m_sender = dataset; }
    void setRecipientDataset(db::Dataset *dataset) { m_recipient = dataset; }
    // The dataset whose rows the report walks; none by default.
    void setRecordSource(db::Dataset *dataset) { m_source = dataset; }
    db::Dataset *recordSource() const { return m_source; }
    // Walk only these rows of the record source (0-based, in this order) instead of all rows;
    // clearRecordRows() walks all rows again.
    void setRecordRows(std::vector<int> rows)
    {
        m_rows = std::move(rows);
        m_chosenRows = true;
    }
    void clearRecordRows()
    {
        m_rows.clear();
        m_chosenRows = false;
    }

    void setReportTitle(const QString &title) { m_title = title; }
    QString reportTitle() const { return m_title; }

    // Custom paper 230 x 126 mm, portrait, no margins, full-page mode.
    static QPageLayout pageLayout();
    // Asks a device for the waybill paper and judges what it will really print on. A printer
    // driver without that size keeps its own paper; one with hardware margins keeps full-page
    // mode only because the layout asks for it.
    static PaperCheck applyPageLayout(QPagedPaintDevice &device);

    // Starts a run that generates pages in small steps from the event loop, so that a window
    // showing them stays usable; the held pages are replaced. pageAvailable and progressUpdate
    // follow as pages come, generationFinished at the end.
    void startGeneration();
    // Stops a run in progress; the pages made so far stay.
    void cancelGeneration();
    // Runs what is left of a run in progress at once.
    void finishGeneration();
    bool isGenerating() const { return m_running; }
    bool isGenerated() const { return m_generated; }
    const PageList &pages() const { return m_pages; }

    // A whole run at once, into a new page list (the held pages stay as they are).
    PageList generate();

    // Draws pages [first, last] (0-based) of a list onto a paged device set to the waybill page,
    // copies times, each field at its place measured from the paper's top-left corner and moved
    // by offset (a printer's calibration). progress(done, total) is called after each page; when
    // it returns false the rest is skipped. Returns false when the device could not be painted
    // on or when cancelled.
    static bool render(const PageList &pages, QPagedPaintDevice &device, int first = 0, int last = -1,
                       int copies = 1, const std::function<bool(int, int)> &progress = {},
                       const PrintOffset &offset = {});

    // The waybills whose address was shortened, for a box or the preview's status:
    // "第 3、17 张快递单的收件地址过长，只打印了前 4 行"; empty when every address fits.
    QString shortenedText(const PageList &pages) const;
    // The same, one line per waybill.
    QStringList shortenedLines(const PageList &pages) const;

signals:
    void pageAvailable(int pageCount);
    void progressUpdate(int percent);
    void generationFinished();

private:
    void step();
    bool walksSource() const;
    int walkLength() const;
    // Makes the next row of the walk current; false at the end.
    bool moveToWalkRow(int index);
    void printBand(PageList &out, int font) const;
    QString fieldText(const FieldDef &field) const;

    WaybillLayout m_layout;
    QPointer<db::Dataset> m_sender;
    QPointer<db::Dataset> m_recipient;
    QPointer<db::Dataset> m_source;
    std::vector<int> m_rows;
    bool m_chosenRows = false;
    QString m_title;

    PageList m_pages;
    QTimer m_stepTimer;
    bool m_running = false;
    bool m_generated = false;
    bool m_walking = false;
    int m_font = 0;
    int m_total = 0;
    int m_done = 0;
};

} // namespace printing
