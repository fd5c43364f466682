#pragma once

#include <string_view>

// The ruled boxes and printed labels of our drawing of the blank waybill form, in millimetres
// from the picture's top-left corner, and the places where the waybill layout puts its fields.
// tools/drawpictures draws blankform.jpg from these numbers and tests/tools checks that every
// field of both layouts lands inside its box without covering a label.
namespace formboxes {

struct Rect
{
    double left;
    double top;
    double width;
    double height;

    constexpr double right() const { return left + width; }
    constexpr double bottom() const { return top + height; }
    constexpr bool contains(const Rect &r) const
    {
        return r.left >= left && r.top >= top && r.right() <= right() && r.bottom() <= bottom();
    }
    constexpr bool intersects(const Rect &r) const
    {
        return r.left < right() && left < r.right() && r.top < bottom() && top < r.bottom();
    }
};

// The picture is 1800 x 997 pixels and is stretched onto the band rectangle of the layout view.
inline constexpr int pictureWidthPx = 1800;
inline constexpr int pictureHeightPx = 997;
inline constexpr double pictureWidthMm = 229.92;
inline constexpr double pictureHeightMm = 125.15;
// The batch window shows the picture this much lower on its band.
inline constexpr double batchPictureTopMm = 0.79;

// Pin-feed strips along both edges of the continuous form.
inline constexpr double pinStripMm = 12.0;
inline constexpr double pinPitchMm = 12.7;
inline constexpr double pinHoleMm = 4.0;

enum class Style {
    Frame,   // the heavy outer frame
    Rule,    // a ruled box to write in
    Tint,    // a label cell, filled with the light form tint
    Band,    // a section heading, filled with the darker tint
    Squares, // six postcode squares side by side across the rectangle
    Tick,    // a small tick box
};

struct Box
{
    std::string_view key; // names the box a field belongs to; empty for the rest
    Rect rect;
    Style style;
};

inline constexpr Box boxes[] = {
    {"", {14.0, 3.0, 202.0, 120.5}, Style::Frame},
    {"", {14.0, 23.5, 98.0, 6.5}, Style::Band},
    {"", {112.0, 23.5, 104.0, 6.5}, Style::Band},

    // Sender half.
    {"", {14.0, 30.0, 21.4, 7.95}, Style::Tint},
    {"senderName", {35.4, 30.0, 34.6, 7.95}, Style::Rule},
    {"", {14.0, 37.95, 21.4, 8.05}, Style::Tint},
    {"senderCompany", {35.4, 37.95, 34.6, 8.05}, Style::Rule},
    {"", {70.0, 30.0, 7.6, 16.0}, Style::Tint},
    {"senderMobile", {77.6, 30.0, 34.4, 7.95}, Style::Rule},
    {"senderTelephone", {77.6, 37.95, 34.4, 8.05}, Style::Rule},
    {"", {14.0, 46.0, 10.3, 17.4}, Style::Tint},
    {"senderAddress", {24.3, 46.0, 87.7, 17.4}, Style::Rule},
    {"", {14.0, 63.4, 16.0, 7.6}, Style::Tint},
    {"", {30.0, 63.4, 40.0, 7.6}, Style::Rule},
    {"", {70.0, 63.4, 13.6, 7.6}, Style::Tint},
    {"", {83.6, 63.4, 28.4, 7.6}, Style::Rule},
    {"senderPostcode", {84.0, 63.6, 26.4, 6.8}, Style::Squares},
    {"", {14.0, 71.0, 16.0, 14.0}, Style::Tint},
    {"", {30.0, 71.0, 58.0, 14.0}, Style::Rule},
    {"", {88.0, 71.0, 10.0, 14.0}, Style::Tint},
    {"", {98.0, 71.0, 14.0, 14.0}, Style::Rule},
    {"", {14.0, 85.0, 16.0, 6.5}, Style::Tint},
    {"", {30.0, 85.0, 82.0, 6.5}, Style::Rule},
    {"", {14.0, 91.5, 16.0, 6.5}, Style::Tint},
    {"", {30.0, 91.5, 82.0, 6.5}, Style::Rule},
    {"", {32.0, 87.0, 2.6, 2.6}, Style::Tick},
    {"", {50.0, 87.0, 2.6, 2.6}, Style::Tick},
    {"", {32.0, 93.5, 2.6, 2.6}, Style::Tick},
    {"", {44.0, 93.5, 2.6, 2.6}, Style::Tick},
    {"", {14.0, 98.0, 24.0, 12.0}, Style::Tint},
    {"senderSignature", {38.0, 98.0, 27.0, 12.0}, Style::Rule},
    {"", {65.0, 98.0, 14.0, 12.0}, Style::Tint},
    {"", {79.0, 98.0, 33.0, 12.0}, Style::Rule},

    // Recipient half.
    {"", {112.0, 30.0, 16.6, 7.95}, Style::Tint},
    {"recipientName", {128.6, 30.0, 41.4, 7.95}, Style::Rule},
    {"", {112.0, 37.95, 16.6, 8.05}, Style::Tint},
    {"recipientCompany", {128.6, 37.95, 41.4, 8.05}, Style::Rule},
    {"", {170.0, 30.0, 6.8, 16.0}, Style::Tint},
    {"recipientMobile", {176.8, 30.0, 39.2, 7.95}, Style::Rule},
    {"recipientTelephone", {176.8, 37.95, 39.2, 8.05}, Style::Rule},
    {"", {112.0, 46.0, 5.7, 17.4}, Style::Tint},
    {"recipientAddress", {117.7, 46.0, 98.3, 17.4}, Style::Rule},
    {"", {112.0, 63.4, 16.6, 7.6}, Style::Tint},
    {"", {128.6, 63.4, 34.4, 7.6}, Style::Rule},
    {"", {163.0, 63.4, 13.8, 7.6}, Style::Tint},
    {"", {176.8, 63.4, 39.2, 7.6}, Style::Rule},
    {"recipientPostcode", {177.2, 63.6, 26.4, 6.8}, Style::Squares},
    {"", {112.0, 71.0, 26.0, 6.0}, Style::Tint},
    {"", {138.0, 71.0, 26.0, 6.0}, Style::Tint},
    {"", {164.0, 71.0, 26.0, 6.0}, Style::Tint},
    {"", {190.0, 71.0, 26.0, 6.0}, Style::Tint},
    {"", {112.0, 77.0, 26.0, 8.0}, Style::Rule},
    {"", {138.0, 77.0, 26.0, 8.0}, Style::Rule},
    {"", {164.0, 77.0, 26.0, 8.0}, Style::Rule},
    {"", {190.0, 77.0, 26.0, 8.0}, Style::Rule},
    {"", {112.0, 85.0, 16.6, 13.0}, Style::Tint},
    {"", {128.6, 85.0, 35.4, 13.0}, Style::Rule},
    {"", {164.0, 85.0, 14.0, 13.0}, Style::Tint},
    {"", {178.0, 85.0, 38.0, 13.0}, Style::Rule},
    {"", {112.0, 98.0, 24.0, 12.0}, Style::Tint},
    {"", {136.0, 98.0, 30.0, 12.0}, Style::Rule},
    {"", {166.0, 98.0, 14.0, 12.0}, Style::Tint},
    {"", {180.0, 98.0, 36.0, 12.0}, Style::Rule},
};

enum LabelFlag : unsigned {
    AlignLeft = 0,
    AlignCenter = 1,
    AlignRight = 2,
    Vertical = 4, // one character under the other
    Bold = 8,
    Fine = 16, // small print in the lighter ink
    Wrap = 32,
};

struct Label
{
    std::string_view text; // UTF-8
    Rect rect;
    double points;
    unsigned flags;
};

inline constexpr Label labels[] = {
    {"国内特快专递邮件详情单", {46.0, 4.5, 104.0, 9.5}, 20.0, AlignCenter | Bold},
    {"EXPRESS MAIL SERVICE", {46.0, 14.2, 104.0, 4.2}, 8.0, AlignCenter | Bold},
    {"中国邮政速递物流  全程时限  安全快捷", {46.0, 18.4, 104.0, 4.0}, 7.0, AlignCenter | Fine},
    {"EA 0 0 0 0 0 0 0 0 0 CN", {152.0, 17.6, 62.0, 4.2}, 8.0, AlignCenter},

    {"寄 件 人   FROM", {16.0, 24.0, 60.0, 5.5}, 9.0, AlignLeft | Bold},
    {"收 件 人   TO", {114.0, 24.0, 60.0, 5.5}, 9.0, AlignLeft | Bold},

    {"寄件人姓名", {14.6, 30.0, 20.4, 7.95}, 8.0, AlignCenter},
    {"单位名称", {14.6, 37.95, 20.4, 8.05}, 8.0, AlignCenter},
    {"电话", {70.0, 30.0, 7.6, 16.0}, 9.0, AlignCenter | Vertical},
    {"地址", {14.0, 46.0, 10.3, 17.4}, 9.0, AlignCenter | Vertical},
    {"用户代码", {14.0, 63.4, 16.0, 7.6}, 8.0, AlignCenter},
    {"邮政编码", {70.0, 63.4, 13.6, 7.6}, 8.0, AlignCenter},
    {"内件品名", {14.0, 71.0, 16.0, 14.0}, 8.0, AlignCenter},
    {"件数", {88.0, 71.0, 10.0, 14.0}, 8.0, AlignCenter},
    {"邮件类别", {14.0, 85.0, 16.0, 6.5}, 8.0, AlignCenter},
    {"文件", {35.2, 85.0, 8.0, 6.5}, 8.0, AlignLeft},
    {"物品", {53.2, 85.0, 8.0, 6.5}, 8.0, AlignLeft},
    {"保价", {14.0, 91.5, 16.0, 6.5}, 8.0, AlignCenter},
    {"是", {35.2, 91.5, 5.0, 6.5}, 8.0, AlignLeft},
    {"否", {47.2, 91.5, 5.0, 6.5}, 8.0, AlignLeft},
    {"保价金额", {60.0, 91.5, 14.0, 6.5}, 8.0, AlignLeft},
    {"元", {106.0, 91.5, 4.0, 6.5}, 8.0, AlignLeft},
    {"寄件人签名", {14.0, 98.0, 24.0, 12.0}, 8.0, AlignCenter},
    {"交寄日期", {65.0, 98.0, 14.0, 12.0}, 8.0, AlignCenter},
    {"年", {84.8, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"月", {93.0, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"日", {101.2, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"时", {108.4, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"寄件人须知：1. 请用正楷详细填写收寄双方的姓名、地址、电话和邮政编码。2. 禁止交寄国家规定的禁寄"
     "物品，限寄物品须符合限量规定。3. 邮件如有丢失、损毁，按有关规定处理；已保价邮件按保价金额赔偿。",
     {15.0, 110.6, 96.0, 12.4},
     6.0,
     AlignLeft | Fine | Wrap},

    {"收件人姓名", {112.0, 30.0, 16.6, 7.95}, 8.0, AlignCenter},
    {"单位名称", {112.0, 37.95, 16.6, 8.05}, 8.0, AlignCenter},
    {"电话", {170.0, 30.0, 6.8, 16.0}, 9.0, AlignCenter | Vertical},
    {"地址", {112.0, 46.0, 5.7, 17.4}, 9.0, AlignCenter | Vertical},
    {"寄达城市", {112.0, 63.4, 16.6, 7.6}, 8.0, AlignCenter},
    {"邮政编码", {163.0, 63.4, 13.8, 7.6}, 8.0, AlignCenter},
    {"计费重量(克)", {112.0, 71.0, 26.0, 6.0}, 8.0, AlignCenter},
    {"资费(元)", {138.0, 71.0, 26.0, 6.0}, 8.0, AlignCenter},
    {"保价费(元)", {164.0, 71.0, 26.0, 6.0}, 8.0, AlignCenter},
    {"合计(元)", {190.0, 71.0, 26.0, 6.0}, 8.0, AlignCenter},
    {"收寄人员", {112.0, 85.0, 16.6, 13.0}, 8.0, AlignCenter},
    {"收寄日戳", {164.0, 85.0, 14.0, 13.0}, 8.0, AlignCenter},
    {"收件人签名", {112.0, 98.0, 24.0, 12.0}, 8.0, AlignCenter},
    {"投递日期", {166.0, 98.0, 14.0, 12.0}, 8.0, AlignCenter},
    {"年", {187.0, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"月", {196.0, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"日", {205.0, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"时", {212.4, 104.5, 3.2, 5.0}, 7.0, AlignLeft},
    {"收件人须知：请当面验视邮件外包装是否完好，如有破损或重量不符，请当场向投递员提出并拒绝签收；"
     "签收即表示邮件外包装完好。查询邮件请保留本单并提供邮件号码。",
     {113.0, 110.6, 102.0, 12.4},
     6.0,
     AlignLeft | Fine | Wrap},
};

// Where the waybill layout puts its fields: the single window's and the batch window's
// positions, and how wide the printed value needs to be to the right of the field's left edge
// (an 11-digit mobile number in 10 pt is about 25 mm; an address field keeps its own width).
struct FieldPlace
{
    std::string_view field;
    std::string_view box;
    Rect single;
    Rect batch;
    double textWidth;
};

inline constexpr FieldPlace fieldPlaces[] = {
    {"QRDBText1", "senderName", {35.98, 31.75, 17.46, 4.50}, {35.98, 32.54, 17.46, 4.50}, 18.0},
    {"QRDBText2", "senderTelephone", {78.32, 38.63, 14.02, 3.97}, {80.43, 39.42, 14.02, 3.97}, 25.0},
    {"QRDBText3", "senderMobile", {78.32, 32.28, 14.02, 4.23}, {80.43, 33.07, 14.02, 4.23}, 25.0},
    {"QRDBText4", "senderCompany", {35.98, 39.16, 14.02, 4.50}, {35.98, 40.48, 14.02, 4.50}, 30.0},
    {"QRDBText5", "senderAddress", {24.87, 51.59, 81.23, 10.58}, {24.87, 51.86, 81.23, 10.58}, 0.0},
    {"QRDBText6", "senderSignature", {38.63, 101.86, 7.14, 4.50}, {38.63, 102.13, 7.14, 4.50}, 20.0},
    {"QRDBText7", "senderPostcode", {84.67, 64.03, 14.02, 4.50}, {84.67, 65.09, 14.02, 4.50}, 0.0},
    {"QRDBText8", "recipientName", {129.12, 32.54, 17.46, 4.50}, {129.12, 33.34, 17.46, 4.50}, 18.0},
    {"QRDBText9", "recipientTelephone", {177.27, 38.10, 14.02, 4.50}, {177.27, 39.42, 14.02, 4.50}, 25.0},
    {"QRDBText10", "recipientMobile", {177.80, 31.75, 14.02, 4.50}, {177.80, 33.07, 14.02, 4.50}, 25.0},
    {"QRDBText11", "recipientCompany", {129.12, 39.42, 14.02, 4.50}, {129.12, 40.48, 14.02, 4.50}, 30.0},
    {"QRDBText12", "recipientAddress", {118.27, 51.59, 87.31, 10.58}, {118.27, 51.86, 85.20, 10.58}, 0.0},
    {"QRDBText13", "recipientPostcode", {177.80, 64.03, 14.02, 4.50}, {177.80, 65.09, 14.02, 4.50}, 0.0},
};

// The rectangle a field's printed text takes: its own rectangle, widened to the text it holds.
constexpr Rect textRect(const Rect &field, double textWidth)
{
    return {field.left, field.top, field.width > textWidth ? field.width : textWidth, field.height};
}

constexpr const Box *findBox(std::string_view key)
{
    for (const Box &b : boxes) {
        if (b.key == key)
            return &b;
    }
    return nullptr;
}

} // namespace formboxes
