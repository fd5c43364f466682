#pragma once

#include "printing/Length.h"

#include <QFont>
#include <QRectF>
#include <QString>

#include <array>

class QPainter;

namespace printing {

class FontTable;
class Page;

enum class FieldKind { Fitted, Address };
enum class Record { Sender, Recipient };
// The single print window and the batch print window place the fields slightly differently.
enum class PositionSet { Single, Batch };

struct FieldPlace
{
    Length left, top, width, height;
};

struct FieldDef
{
    const char *name; // QRDBText1 ... QRDBText13
    Record record;
    const char *column; // UTF-8
    FieldKind kind;
    FieldPlace single;
    FieldPlace batch;

    QString objectName() const { return QString::fromLatin1(name); }
    QString columnName() const { return QString::fromUtf8(column); }
    const FieldPlace &place(PositionSet set) const { return set == PositionSet::Single ? single : batch; }
};

inline constexpr int kFieldCount = 13;
const std::array<FieldDef, kFieldCount> &waybillFields();

// The waybill layout: thirteen text fields at fixed places on the 230 x 126 mm page, all in one
// font ("宋体" 10 pt until replaced).
class WaybillLayout
{
public:
    explicit WaybillLayout(PositionSet set);

    PositionSet positionSet() const { return m_set; }
    const FieldDef &field(int index) const { return waybillFields().at(size_t(index)); }
    const FieldPlace &place(int index) const { return field(index).place(m_set); }

    // Replaces the font of every field as a whole.
    void setFieldFont(const QFont &font) { m_font = font; }
    const QFont &fieldFont() const { return m_font; }

    // The detail band (one per page) and the blank form's picture, in millimetres.
    QRectF bandRectMm() const;
    QRectF pictureRectMm() const;

    // A field's rectangle in the layout view, where it shows its column name: a fitted field is
    // as wide as the column name in the current font and at least one text line high.
    QRectF viewRectMm(int index) const;

    // The layout view as a page: each field a white rectangle with its column name.
    Page viewPage(FontTable &fonts) const;
    // Paints the layout view's fields; paper is where the 230 x 126 mm page goes (for the view at
    // 100 % on a 96-dpi screen: QRectF(0, 0, kPaperWidth.pixels(96), kPaperHeight.pixels(96))).
    void paintView(QPainter &painter, const QRectF &paper) const;

private:
    PositionSet m_set;
    QFont m_font;
};

} // namespace printing
