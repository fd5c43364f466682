#pragma once

#include <QtGlobal>

namespace printing {

// A length on the waybill, kept as tenths of a millimetre (a stored 2300 is 230.0 mm).
// Conversions to other units are always explicit.
class Length
{
public:
    constexpr Length() = default;

    static constexpr Length fromTenths(double tenths) { return Length(tenths); }
    static constexpr Length fromMm(double mm) { return Length(mm * 10.0); }
    static constexpr Length fromPoints(double points) { return Length(points * 254.0 / 72.0); }
    static constexpr Length fromPixels(double pixels, double dpi) { return Length(pixels * 254.0 / dpi); }

    constexpr double tenths() const { return m_tenths; }
    constexpr double mm() const { return m_tenths / 10.0; }
    constexpr double points() const { return m_tenths * 72.0 / 254.0; }
    // Pixels on a device with the given resolution: tenths x dpi / 254.
    constexpr double pixels(double dpi) const { return m_tenths * dpi / 254.0; }

    constexpr Length operator+(Length other) const { return Length(m_tenths + other.m_tenths); }
    constexpr Length operator-(Length other) const { return Length(m_tenths - other.m_tenths); }
    constexpr Length operator*(double factor) const { return Length(m_tenths * factor); }
    constexpr bool operator<(Length other) const { return m_tenths < other.m_tenths; }
    constexpr bool operator<=(Length other) const { return m_tenths <= other.m_tenths; }
    constexpr bool operator==(Length other) const { return m_tenths == other.m_tenths; }

private:
    constexpr explicit Length(double tenths) : m_tenths(tenths) {}
    double m_tenths = 0;
};

// The waybill page: custom paper 230 x 126 mm.
inline constexpr Length kPaperWidth = Length::fromTenths(2300);
inline constexpr Length kPaperHeight = Length::fromTenths(1260);

} // namespace printing
