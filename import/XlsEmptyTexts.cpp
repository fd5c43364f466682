#include "import/XlsEmptyTexts.h"

#include <QFile>
#include <QtEndian>

#include <vector>

namespace {

constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kBlank = 0x0201;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;

quint16 u16(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
quint32 u32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }

// The sectors of the compound file that hold the Workbook stream, and its length.
struct StreamPlace
{
    std::vector<quint32> sectors;
    quint32 size = 0;
    int sectorSize = 512;
};

bool findWorkbook(const QByteArray &file, StreamPlace &place)
{
    if (file.size() < 512 || !file.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return false;
    const int shift = u16(file, 0x1E);
    if (shift != 9 && shift != 12)
        return false;
    place.sectorSize = 1 << shift;
    const qsizetype ss = place.sectorSize;
    auto sectorAt = [&](quint32 s) -> qsizetype {
        const qsizetype at = (qsizetype(s) + 1) * ss;
        return at + ss <= file.size() ? at : -1;
    };
    // The FAT sectors: 109 listed in the header, the rest in the DIFAT chain.
    std::vector<quint32> fatSectors;
    const quint32 fatCount = u32(file, 0x2C);
    for (int i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(u32(file, 0x4C + 4 * i));
    quint32 difat = u32(file, 0x44);
    for (quint32 guard = 0; fatSectors.size() < fatCount && difat < kEndOfChain && guard < 1u << 20; ++guard) {
        const qsizetype at = sectorAt(difat);
        if (at < 0)
            return false;
        for (qsizetype i = 0; i < ss / 4 - 1 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32(file, at + 4 * i));
        difat = u32(file, at + ss - 4);
    }
    std::vector<quint32> fat;
    for (const quint32 s : fatSectors) {
        const qsizetype at = sectorAt(s);
        if (at < 0)
            return false;
        for (qsizetype i = 0; i < ss / 4; ++i)
            fat.push_back(u32(file, at + 4 * i));
    }
    auto chain = [&](quint32 start, std::vector<quint32> &out) {
        for (quint32 s = start; s < kEndOfChain; s = fat[s]) {
            if (s >= fat.size() || out.size() > fat.size() || sectorAt(s) < 0)
                return false;
            out.push_back(s);
        }
        return true;
    };
    std::vector<quint32> directory;
    if (!chain(u32(file, 0x30), directory))
        return false;
    const quint32 miniCutoff = u32(file, 0x38);
    for (const quint32 d : directory) {
        for (qsizetype e = sectorAt(d); e < sectorAt(d) + ss; e += 128) {
            const int nameBytes = std::min<int>(u16(file, e + 0x40), 64);
            const QString name =
                QString::fromUtf16(reinterpret_cast<const char16_t *>(file.constData() + e), std::max(0, nameBytes / 2 - 1));
            if (file.at(e + 0x42) != 2 || (name != QLatin1String("Workbook") && name != QLatin1String("Book")))
                continue;
            place.size = u32(file, e + 0x78);
            // A small stream lives in the mini stream; our writer never makes one.
            if (place.size < miniCutoff || !chain(u32(file, e + 0x74), place.sectors))
                return false;
            return qsizetype(place.sectors.size()) * ss >= place.size;
        }
    }
    return false;
}

struct Record
{
    qsizetype at; // of its header in the stream
    quint16 type;
    quint16 length;
};

} // namespace

bool copyWithoutEmptySharedTexts(const QString &path, const QString &target)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray file = in.readAll();
    StreamPlace place;
    if (!findWorkbook(file, place))
        return false;
    const qsizetype ss = place.sectorSize;
    QByteArray stream;
    stream.reserve(place.size);
    for (const quint32 s : place.sectors)
        stream.append(file.constData() + (qsizetype(s) + 1) * ss, ss);
    stream.truncate(place.size);

    std::vector<Record> records;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const Record r{at, u16(stream, at), u16(stream, at + 2)};
        if ((r.type == 0 && r.length == 0) || at + 4 + r.length > stream.size())
            break;
        records.push_back(r);
        at += 4 + r.length;
    }

    // Walk the string table (SST and its CONTINUE records) and note each zero-length text.
    size_t sst = 0;
    while (sst < records.size() && records[sst].type != kSst)
        ++sst;
    if (sst == records.size() || records[sst].length < 8)
        return false;
    const quint32 unique = u32(stream, records[sst].at + 8);
    size_t rec = sst;
    qsizetype off = 8; // within the record's data
    auto dataEnd = [&] { return qsizetype(records[rec].length); };
    auto nextRecord = [&] {
        if (rec + 1 >= records.size() || records[rec + 1].type != kContinue)
            return false;
        ++rec;
        off = 0;
        return true;
    };
    auto skipRaw = [&](qsizetype n) {
        while (n > 0) {
            if (off == dataEnd() && !nextRecord())
                return false;
            const qsizetype step = std::min(n, dataEnd() - off);
            off += step;
            n -= step;
        }
        return true;
    };
    struct Removal
    {
        size_t record;
        qsizetype offset; // in the record's data
        quint32 index;
    };
    std::vector<Removal> removals;
    for (quint32 i = 0; i < unique; ++i) {
        if (off == dataEnd() && !nextRecord())
            return false;
        if (off + 3 > dataEnd())
            return false;
        const qsizetype start = off;
        const qsizetype base = records[rec].at + 4;
        const quint16 count = u16(stream, base + off);
        const quint8 flags = quint8(stream.at(base + off + 2));
        off += 3;
        quint32 runs = 0, ext = 0;
        if (flags & 0x08) {
            if (off + 2 > dataEnd())
                return false;
            runs = u16(stream, base + off);
            off += 2;
        }
        if (flags & 0x04) {
            if (off + 4 > dataEnd())
                return false;
            ext = u32(stream, records[rec].at + 4 + off);
            off += 4;
        }
        bool wide = flags & 0x01;
        qsizetype left = count;
        while (left > 0) {
            if (off == dataEnd()) {
                // Characters continue in the next record after an option byte of their own.
                if (!nextRecord() || dataEnd() < 1)
                    return false;
                wide = stream.at(records[rec].at + 4) & 0x01;
                off = 1;
            }
            const qsizetype n = std::min(left, (dataEnd() - off) / (wide ? 2 : 1));
            if (n == 0)
                return false;
            off += n * (wide ? 2 : 1);
            left -= n;
        }
        if (!skipRaw(qsizetype(runs) * 4 + ext))
            return false;
        if (count == 0 && runs == 0 && ext == 0)
            removals.push_back({rec, start, i});
    }
    if (removals.empty())
        return false;

    // The new stream: the removed texts' three bytes left out, lengths and numbers adjusted.
    std::vector<quint32> removedIndexes;
    for (const Removal &r : removals)
        removedIndexes.push_back(r.index);
    QByteArray out;
    out.reserve(stream.size());
    std::vector<qsizetype> removedAt; // old stream positions of removed bytes, in order
    size_t nextRemoval = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record &r = records[i];
        QByteArray data = stream.mid(r.at + 4, r.length);
        qsizetype cut = 0;
        while (nextRemoval < removals.size() && removals[nextRemoval].record == i) {
            const qsizetype o = removals[nextRemoval].offset - cut;
            data.remove(o, 3);
            removedAt.push_back(r.at + 4 + removals[nextRemoval].offset);
            cut += 3;
            ++nextRemoval;
        }
        quint16 type = r.type;
        if (i == sst)
            qToLittleEndian<quint32>(unique - quint32(removals.size()), data.data() + 4);
        if (r.type == kLabelSst && data.size() >= 10) {
            const quint32 index = u32(data, 6);
            const auto below = std::lower_bound(removedIndexes.begin(), removedIndexes.end(), index);
            if (below != removedIndexes.end() && *below == index)
                type = kBlank; // a blank cell, which the reader passes over
            else
                qToLittleEndian<quint32>(index - quint32(below - removedIndexes.begin()), data.data() + 6);
        }
        char head[4];
        qToLittleEndian<quint16>(type, head);
        qToLittleEndian<quint16>(quint16(data.size()), head + 2);
        out.append(head, 4);
        out.append(data);
    }
    // The sheets' offsets move up by the bytes removed before them.
    for (qsizetype at = 0; at + 4 <= out.size();) {
        const quint16 type = u16(out, at), length = u16(out, at + 2);
        if (type == kBoundSheet && length >= 4) {
            const quint32 old = u32(out, at + 4);
            const auto before = std::lower_bound(removedAt.begin(), removedAt.end(), qsizetype(old));
            qToLittleEndian<quint32>(old - quint32(3 * (before - removedAt.begin())), out.data() + at + 4);
        }
        at += 4 + length;
    }
    out.append(QByteArray(stream.size() - out.size(), '\0'));

    for (size_t i = 0; i < place.sectors.size(); ++i) {
        const qsizetype from = qsizetype(i) * ss;
        const qsizetype n = std::min(ss, out.size() - from);
        if (n > 0)
            std::memcpy(file.data() + (qsizetype(place.sectors[i]) + 1) * ss, out.constData() + from, size_t(n));
    }
    QFile copy(target);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return copy.write(file) == file.size() && copy.flush();
}
