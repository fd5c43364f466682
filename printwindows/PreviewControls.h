#pragma once

// The two drawn controls of the print preview window: the zoomable page view and the grid of
// page thumbnails.

#include <QAbstractTableModel>
#include <QScrollArea>
#include <QTableView>

#include <functional>

namespace printing {

class WaybillReport;

// Shows one page of a report's held pages at a zoom in percent (100 % = the paper's real size on
// the screen). Page numbers are 1-based; a page that does not exist yet shows blank paper.
class PreviewControl : public QScrollArea
{
    Q_OBJECT
public:
    explicit PreviewControl(const WaybillReport *report, QWidget *parent = nullptr);

    int pageNumber() const { return m_pageNumber; }
    // A number below 1 or above the page count is ignored.
    void setPageNumber(int number);
    int zoom() const { return m_zoom; }
    void setZoom(int percent); // 2 ... 2000
    void zoomToFit();
    void zoomToWidth();
    // Lays the page out again at the current zoom.
    void relayout();
    // Repaints after new pages came.
    void pagesChanged();

private:
    class Paper;
    QSizeF paperPixels(int zoom) const;

    const WaybillReport *m_report;
    Paper *m_paper;
    int m_pageNumber = 1;
    int m_zoom = 100;
};

// The thumbnail grid: one column, one row per page, rows drawn by the window.
class ThumbGrid : public QTableView
{
    Q_OBJECT
public:
    explicit ThumbGrid(QWidget *parent = nullptr);

    void setRowCount(int rows);
    int rowCount() const;
    void setColumnWidth(int width);
    void setRowHeight(int height);
    int rowHeight() const { return m_rowHeight; }
    void selectRow(int row);

    std::function<void(QPainter &, const QRect &, int row)> drawCell;
    std::function<void()> resized;

signals:
    void cellSelected(int row);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    class Model;
    Model *m_model;
    int m_rowHeight = 90;
};

} // namespace printing
