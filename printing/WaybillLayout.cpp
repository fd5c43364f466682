#include "printing/WaybillLayout.h"

#include "printing/FontTable.h"
#include "printing/Fonts.h"
#include "printing/Page.h"
#include "printing/PagePainter.h"
#include "printing/TextLayout.h"

#include <algorithm>

namespace printing {

namespace {

constexpr FieldPlace mm(double left, double top, double width, double height)
{
    return {Length::fromMm(left), Length::fromMm(top), Length::fromMm(width), Length::fromMm(height)};
}

constexpr Record S = Record::Sender;
constexpr Record R = Record::Recipient;
constexpr FieldKind F = FieldKind::Fitted;
constexpr FieldKind A = FieldKind::Address;

// Field, record, column, kind, single window place, batch window place (left, top, width, height).
const std::array<FieldDef, kFieldCount> kFields = {{
    {"QRDBText1", S, "寄件人姓名", F, mm(35.98, 31.75, 17.46, 4.50), mm(35.98, 32.54, 17.46, 4.50)},
    {"QRDBText2", S, "联系电话", F, mm(78.32, 38.63, 14.02, 3.97), mm(80.43, 39.42, 14.02, 3.97)},
    {"QRDBText3", S, "手机号码", F, mm(78.32, 32.28, 14.02, 4.23), mm(80.43, 33.07, 14.02, 4.23)},
    {"QRDBText4", S, "单位名称", F, mm(35.98, 39.16, 14.02, 4.50), mm(35.98, 40.48, 14.02, 4.50)},
    {"QRDBText5", S, "寄件地址", A, mm(24.87, 51.59, 81.23, 10.58), mm(24.87, 51.86, 81.23, 10.58)},
    {"QRDBText6", S, "签名", F, mm(38.63, 101.86, 7.14, 4.50), mm(38.63, 102.13, 7.14, 4.50)},
    {"QRDBText7", S, "邮政编码", F, mm(84.67, 64.03, 14.02, 4.50), mm(84.67, 65.09, 14.02, 4.50)},
    {"QRDBText8", R, "收件人姓名", F, mm(129.12, 32.54, 17.46, 4.50), mm(129.12, 33.34, 17.46, 4.50)},
    {"QRDBText9", R, "联系电话", F, mm(177.27, 38.10, 14.02, 4.50), mm(177.27, 39.42, 14.02, 4.50)},
    {"QRDBText10", R, "手机号码", F, mm(177.80, 31.75, 14.02, 4.50), mm(177.80, 33.07, 14.02, 4.50)},
    {"QRDBText11", R, "单位名称", F, mm(129.12, 39.42, 14.02, 4.50), mm(129.12, 40.48, 14.02, 4.50)},
    {"QRDBText12", R, "收件地址", A, mm(118.27, 51.59, 87.31, 10.58), mm(118.27, 51.86, 85.20, 10.58)},
    {"QRDBText13", R, "邮政编码", F, mm(177.80, 64.03, 14.02, 4.50), mm(177.80, 65.09, 14.02, 4.50)},
}};

} // namespace

const std::array<FieldDef, kFieldCount> &waybillFields()
{
    return kFields;
}

WaybillLayout::WaybillLayout(PositionSet set) : m_set(set), m_font(fonts::songPoints(10)) {}

QRectF WaybillLayout::bandRectMm() const
{
    return QRectF(0, 0, 229.92, m_set == PositionSet::Single ? 125.15 : 125.94);
}

QRectF WaybillLayout::pictureRectMm() const
{
    return QRectF(0, m_set == PositionSet::Single ? 0.0 : 0.79, 229.92, 125.15);
}

QRectF WaybillLayout::viewRectMm(int index) const
{
    const FieldPlace &p = place(index);
    QRectF rect(p.left.mm(), p.top.mm(), p.width.mm(), p.height.mm());
    if (field(index).kind == FieldKind::Fitted) {
        const MmFontMetrics metrics(m_font);
        rect.setWidth(textlayout::layoutFitted(field(index).columnName(), metrics).widthMm);
        rect.setHeight(std::max(rect.height(), metrics.lineSpacing()));
    }
    return rect;
}

Page WaybillLayout::viewPage(FontTable &fonts) const
{
    Page page;
    const int font = fonts.add(m_font);
    for (int i = 0; i < kFieldCount; ++i)
        page.addItem(viewRectMm(i), font, {field(i).columnName()});
    page.squeeze();
    return page;
}

void WaybillLayout::paintView(QPainter &painter, const QRectF &paper) const
{
    FontTable fonts;
    paintPage(painter, viewPage(fonts), fonts, paper);
}

} // namespace printing
