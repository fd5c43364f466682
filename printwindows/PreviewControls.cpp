#include "printwindows/PreviewControls.h"

#include "printing/Length.h"
#include "printing/PagePainter.h"
#include "printing/WaybillReport.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace printing {

namespace {

const QColor kPreviewColour(224, 223, 224); // colour value 14737376
constexpr int kPaperMargin = 10;

} // namespace

class PreviewControl::Paper : public QWidget
{
public:
    Paper(PreviewControl *owner) : QWidget(owner), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QRect paper = rect().adjusted(kPaperMargin, kPaperMargin, -kPaperMargin, -kPaperMargin);
        p.fillRect(paper.translated(3, 3), Qt::darkGray);
        p.fillRect(paper, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(paper.adjusted(0, 0, -1, -1));
        const PageList &pages = m_owner->m_report->pages();
        const int index = m_owner->m_pageNumber - 1;
        if (index >= 0 && index < pages.count())
            paintPage(p, pages.pages[size_t(index)], pages.fonts, QRectF(paper));
    }

private:
    PreviewControl *m_owner;
};

PreviewControl::PreviewControl(const WaybillReport *report, QWidget *parent)
    : QScrollArea(parent), m_report(report), m_paper(new Paper(this))
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kPreviewColour);
    setPalette(pal);
    setBackgroundRole(QPalette::Window);
    setAlignment(Qt::AlignCenter);
    setWidget(m_paper);
    setWidgetResizable(false);
    relayout();
}

QSizeF PreviewControl::paperPixels(int zoom) const
{
    return QSizeF(kPaperWidth.pixels(logicalDpiX()) * zoom / 100.0,
                  kPaperHeight.pixels(logicalDpiY()) * zoom / 100.0);
}

void PreviewControl::setPageNumber(int number)
{
    if (number < 1 || number > m_report->pages().count())
        return;
    m_pageNumber = number;
    m_paper->update();
}

void PreviewControl::setZoom(int percent)
{
    m_zoom = std::clamp(percent, 2, 2000);
    relayout();
}

void PreviewControl::zoomToFit()
{
    const QSizeF full = paperPixels(100);
    const QSize room = maximumViewportSize() - QSize(2 * kPaperMargin, 2 * kPaperMargin);
    const double zoom = std::min(room.width() / full.width(), room.height() / full.height()) * 100.0;
    setZoom(int(std::floor(zoom)));
}

void PreviewControl::zoomToWidth()
{
    const QSizeF full = paperPixels(100);
    int room = maximumViewportSize().width() - 2 * kPaperMargin;
    // The page will be taller than the view: leave room for the vertical scroll bar.
    if (full.height() * room / full.width() + 2 * kPaperMargin > maximumViewportSize().height())
        room -= verticalScrollBar()->sizeHint().width();
    setZoom(int(std::floor(room / full.width() * 100.0)));
}

void PreviewControl::relayout()
{
    const QSizeF size = paperPixels(m_zoom);
    m_paper->resize(int(std::lround(size.width())) + 2 * kPaperMargin,
                    int(std::lround(size.height())) + 2 * kPaperMargin);
    m_paper->update();
}

void PreviewControl::pagesChanged()
{
    m_paper->update();
}

class ThumbGrid::Model : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex &, int) const override { return {}; }
    void setRows(int rows)
    {
        if (rows > m_rows) {
            beginInsertRows({}, m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        } else if (rows < m_rows) {
            beginRemoveRows({}, rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        }
    }

private:
    int m_rows = 0;
};

namespace {

class ThumbDelegate : public QStyledItemDelegate
{
public:
    ThumbDelegate(ThumbGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
        // Vertical grid lines only.
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        if (m_grid->drawCell)
            m_grid->drawCell(*painter, option.rect, index.row());
        painter->restore();
    }

private:
    ThumbGrid *m_grid;
};

} // namespace

ThumbGrid::ThumbGrid(QWidget *parent) : QTableView(parent), m_model(new Model(this))
{
    setModel(m_model);
    setItemDelegate(new ThumbDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, kPreviewColour);
    setPalette(pal);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    emit cellSelected(current.row());
            });
}

void ThumbGrid::setRowCount(int rows)
{
    m_model->setRows(rows);
}

int ThumbGrid::rowCount() const
{
    return m_model->rowCount();
}

void ThumbGrid::setColumnWidth(int width)
{
    QTableView::setColumnWidth(0, std::max(1, width));
}

void ThumbGrid::setRowHeight(int height)
{
    m_rowHeight = std::max(1, height);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
}

void ThumbGrid::selectRow(int row)
{
    setCurrentIndex(m_model->index(row, 0));
}

void ThumbGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    if (resized)
        resized();
}

} // namespace printing
