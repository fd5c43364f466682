#pragma once

// Where the ink of a printed page lies against a reference picture of the same page: the shift
// that best lays one over the other, found by cross-correlating the dark pixels.

#include <QImage>
#include <QPointF>

#include <vector>

namespace inkshift {

struct Ink
{
    int width = 0, height = 0;
    std::vector<unsigned char> dark; // 1 where the pixel is inked
    std::vector<int> points;         // indexes of the inked pixels
};

inline Ink inkOf(const QImage &image, int factor = 1)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    Ink ink;
    ink.width = gray.width() / factor;
    ink.height = gray.height() / factor;
    ink.dark.assign(size_t(ink.width) * size_t(ink.height), 0);
    for (int y = 0; y < ink.height * factor; ++y) {
        const uchar *line = gray.constScanLine(y);
        for (int x = 0; x < ink.width * factor; ++x) {
            if (line[x] < 128)
                ink.dark[size_t(y / factor) * size_t(ink.width) + size_t(x / factor)] = 1;
        }
    }
    for (size_t i = 0; i < ink.dark.size(); ++i)
        if (ink.dark[i])
            ink.points.push_back(int(i));
    return ink;
}

// How many inked pixels of ref land on inked pixels of printed when moved by (dx, dy).
inline long overlap(const Ink &ref, const Ink &printed, int dx, int dy)
{
    long hits = 0;
    for (int i : ref.points) {
        const int x = i % ref.width + dx, y = i / ref.width + dy;
        if (x >= 0 && y >= 0 && x < printed.width && y < printed.height &&
            printed.dark[size_t(y) * size_t(printed.width) + size_t(x)])
            ++hits;
    }
    return hits;
}

struct Shift
{
    QPointF mm;   // how far the printed ink lies right of and below the reference
    double match; // share of the reference's ink that lands on ink at that shift (0..1)
};

// Both pictures at the same resolution (dpi), top-left corners at the paper's corner. Searches
// shifts up to maxMm, first on pictures reduced eightfold, then around the best one at full size.
inline Shift findShift(const QImage &reference, const QImage &printed, double dpi, double maxMm = 15)
{
    constexpr int coarse = 8;
    const Ink refSmall = inkOf(reference, coarse), printedSmall = inkOf(printed, coarse);
    const int reach = int(maxMm / 25.4 * dpi / coarse) + 1;
    int bestX = 0, bestY = 0;
    long best = -1;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const long hits = overlap(refSmall, printedSmall, dx, dy);
            if (hits > best) {
                best = hits;
                bestX = dx;
                bestY = dy;
            }
        }
    const Ink ref = inkOf(reference), out = inkOf(printed);
    int fineX = bestX * coarse, fineY = bestY * coarse;
    best = -1;
    const int cx = fineX, cy = fineY;
    for (int dy = cy - coarse; dy <= cy + coarse; ++dy)
        for (int dx = cx - coarse; dx <= cx + coarse; ++dx) {
            const long hits = overlap(ref, out, dx, dy);
            if (hits > best) {
                best = hits;
                fineX = dx;
                fineY = dy;
            }
        }
    const double mmPerPx = 25.4 / dpi;
    return {QPointF(fineX * mmPerPx, fineY * mmPerPx),
            ref.points.empty() ? 0.0 : double(best) / double(ref.points.size())};
}

} // namespace inkshift
