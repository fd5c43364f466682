#include "printing/WaybillReport.h"

#include "data/Database.h"
#include "printing/PagePainter.h"
#include "printing/TextLayout.h"

#include <QElapsedTimer>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace printing {

namespace {

// One step of a run works this long before it lets the event loop go on.
constexpr qint64 kStepMs = 15;

// The PDF engine compresses every page through zlib, which takes and frees some 256 KB per page.
// glibc would hand that memory back to the system and fault it in again on every page, which
// costs more than drawing the page: keep freed memory in the process for reuse instead.
void keepFreedMemory()
{
#ifdef __GLIBC__
    static const bool done = [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
        return true;
    }();
    Q_UNUSED(done);
#endif
}

} // namespace

WaybillReport::WaybillReport(PositionSet set, QObject *parent) : QObject(parent), m_layout(set)
{
    m_stepTimer.setSingleShot(true);
    m_stepTimer.setInterval(0);
    connect(&m_stepTimer, &QTimer::timeout, this, &WaybillReport::step);
}

WaybillReport::~WaybillReport() = default;

QPageLayout WaybillReport::pageLayout()
{
    QPageLayout layout(QPageSize(QSizeF(kPaperWidth.mm(), kPaperHeight.mm()), QPageSize::Millimeter,
                                 QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    // A printer takes the mode with the layout: without it a driver's minimum margins would come
    // back as page margins and move every field by them.
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

PaperCheck WaybillReport::applyPageLayout(QPagedPaintDevice &device)
{
    device.setPageLayout(pageLayout());
    return checkPaper(device.pageLayout());
}

bool WaybillReport::walksSource() const
{
    return m_source && m_source->isActive() && walkLength() > 0;
}

int WaybillReport::walkLength() const
{
    return m_chosenRows ? int(m_rows.size()) : m_source->recordCount();
}

bool WaybillReport::moveToWalkRow(int index)
{
    if (!m_source || !m_source->isActive())
        return false;
    if (!m_chosenRows) {
        // Walking every row moves on with next(), as a dataset is walked everywhere else.
        if (index > 0)
            m_source->next();
        return !m_source->eof();
    }
    if (index >= int(m_rows.size()) || m_rows[size_t(index)] >= m_source->recordCount())
        return false;
    m_source->setCurrentRow(m_rows[size_t(index)]);
    return true;
}

QString WaybillReport::fieldText(const FieldDef &field) const
{
    const db::Dataset *dataset = field.record == Record::Sender ? m_sender.data() : m_recipient.data();
    if (!dataset || !dataset->isActive())
        return QString();
    try {
        return dataset->fieldText(field.columnName());
    } catch (const std::exception &) {
        return QString(); // a failed read prints as a blank field
    }
}

void WaybillReport::printBand(PageList &out, int font) const
{
    Page page;
    const MmFontMetrics &metrics = out.fonts.metrics(font);
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldDef &field = m_layout.field(i);
        const FieldPlace &place = m_layout.place(i);
        const QString text = fieldText(field);
        if (text.isEmpty())
            continue;
        if (field.kind == FieldKind::Fitted) {
            const textlayout::Fitted fitted = textlayout::layoutFitted(text, metrics);
            if (fitted.line.isEmpty())
                continue;
            const QRectF box(place.left.mm(), place.top.mm(), fitted.widthMm,
                             std::max(place.height.mm(), metrics.lineSpacing()));
            page.addItem(box, font, {fitted.line});
        } else {
            const QRectF box(place.left.mm(), place.top.mm(), place.width.mm(), place.height.mm());
            const textlayout::AddressFit fit =
                textlayout::fitAddress(text, out.fonts, font, box.width(), box.height());
            if (!fit.lines.isEmpty())
                page.addItem(box, fit.font, fit.lines);
            if (!fit.complete)
                out.shortened.push_back({out.count(), i, int(fit.lines.size())});
        }
    }
    page.squeeze();
    out.pages.push_back(std::move(page));
}

PageList WaybillReport::generate()
{
    PageList out;
    const int font = out.fonts.add(m_layout.fieldFont());
    if (m_source && m_source->isActive())
        m_source->first();
    if (!walksSource()) {
        printBand(out, font);
        return out;
    }
    out.pages.reserve(size_t(walkLength()));
    for (int i = 0; moveToWalkRow(i); ++i)
        printBand(out, font);
    return out;
}

void WaybillReport::startGeneration()
{
    cancelGeneration();
    m_pages.clear();
    m_generated = false;
    m_running = true;
    m_font = m_pages.fonts.add(m_layout.fieldFont());
    if (m_source && m_source->isActive())
        m_source->first();
    m_walking = walksSource();
    m_total = m_walking ? walkLength() : 1;
    m_done = 0;
    emit progressUpdate(0);
    m_stepTimer.start();
}

void WaybillReport::cancelGeneration()
{
    m_stepTimer.stop();
    m_running = false;
}

void WaybillReport::finishGeneration()
{
    while (m_running)
        step();
}

void WaybillReport::step()
{
    if (!m_running)
        return;
    QElapsedTimer clock;
    clock.start();
    if (!m_walking) {
        printBand(m_pages, m_font);
        m_done = 1;
    } else {
        // The first page goes out alone, so that a preview shows it at once.
        const bool firstStep = m_done == 0;
        while (moveToWalkRow(m_done)) {
            printBand(m_pages, m_font);
            ++m_done;
            if (firstStep || clock.elapsed() >= kStepMs)
                break;
        }
    }
    const bool walkedAll =
        m_source && m_source->isActive() &&
        (m_chosenRows ? m_done >= int(m_rows.size()) : m_source->eof() || m_done >= walkLength());
    const bool finished = !m_walking || !m_source || !m_source->isActive() || walkedAll;
    emit pageAvailable(m_pages.count());
    if (finished) {
        m_running = false;
        m_generated = true;
        emit progressUpdate(100);
        emit generationFinished();
    } else {
        emit progressUpdate(int(qint64(m_done) * 100 / std::max(1, m_total)));
        m_stepTimer.start();
    }
}

bool WaybillReport::render(const PageList &pages, QPagedPaintDevice &device, int first, int last, int copies,
                           const std::function<bool(int, int)> &progress, const PrintOffset &offset)
{
    if (last < 0 || last >= pages.count())
        last = pages.count() - 1;
    first = std::max(0, first);
    if (first > last)
        return true;
    keepFreedMemory();
    applyPageLayout(device);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double dpiX = device.logicalDpiX(), dpiY = device.logicalDpiY();
    // The painter starts at the corner of the printable area; in full-page mode that is the
    // paper's corner. Should a driver still keep margins, count from the paper's corner anyway.
    const QPageLayout layout = device.pageLayout();
    const QPointF margin = layout.paintRect(QPageLayout::Millimeter).topLeft() -
                           layout.fullRect(QPageLayout::Millimeter).topLeft();
    const QRectF paper(Length::fromMm(offset.dx.mm() - margin.x()).pixels(dpiX),
                       Length::fromMm(offset.dy.mm() - margin.y()).pixels(dpiY), kPaperWidth.pixels(dpiX),
                       kPaperHeight.pixels(dpiY));
    const int total = (last - first + 1) * std::max(1, copies);
    int done = 0;
    for (int copy = 0; copy < std::max(1, copies); ++copy) {
        for (int i = first; i <= last; ++i) {
            if (done > 0 && !device.newPage()) {
                painter.end();
                return false;
            }
            paintPage(painter, pages.pages[size_t(i)], pages.fonts, paper);
            ++done;
            if (progress && !progress(done, total)) {
                painter.end();
                return false;
            }
        }
    }
    return painter.end();
}

QStringList WaybillReport::shortenedLines(const PageList &pages) const
{
    QStringList lines;
    int page = -1;
    for (const ShortenedAddress &s : pages.shortened) {
        const QString part =
            QStringLiteral("%1过长，只打印了前 %2 行").arg(m_layout.field(s.field).columnName()).arg(s.lines);
        if (s.page == page) {
            lines.last() += QStringLiteral("；") + part;
        } else {
            lines << QStringLiteral("第 %1 张快递单的%2").arg(s.page + 1).arg(part);
            page = s.page;
        }
    }
    return lines;
}

QString WaybillReport::shortenedText(const PageList &pages) const
{
    // One sentence per field and line count, listing at most ten waybills.
    constexpr int kListed = 10;
    struct Group
    {
        int field, lines;
        QStringList numbers;
        int count = 0;
    };
    std::vector<Group> groups;
    for (const ShortenedAddress &s : pages.shortened) {
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const Group &g) { return g.field == s.field && g.lines == s.lines; });
        if (it == groups.end())
            it = groups.insert(groups.end(), Group{s.field, s.lines, {}, 0});
        if (++it->count <= kListed)
            it->numbers << QString::number(s.page + 1);
    }
    QStringList sentences;
    for (const Group &g : groups) {
        QString which = g.numbers.join(QStringLiteral("、"));
        if (g.count > kListed)
            which += QStringLiteral(" 等 %1").arg(g.count);
        sentences << QStringLiteral("第 %1 张快递单的%2过长，只打印了前 %3 行")
                         .arg(which, m_layout.field(g.field).columnName())
                         .arg(g.lines);
    }
    return sentences.join(QStringLiteral("；"));
}

} // namespace printing
