#include "import/XlsEmptyTexts.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace {

constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kBlank = 0x0201;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;

quint16 u16(const char *b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b + at);
}
quint32 u32(const char *b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b + at);
}
quint16 u16(const QByteArray &b, qsizetype at)
{
    return u16(b.constData(), at);
}
quint32 u32(const QByteArray &b, qsizetype at)
{
    return u32(b.constData(), at);
}

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
    for (quint32 guard = 0; fatSectors.size() < fatCount && difat < kEndOfChain && guard < 1u << 20;
         ++guard) {
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
            const QString name = QString::fromUtf16(reinterpret_cast<const char16_t *>(file.constData() + e),
                                                    std::max(0, nameBytes / 2 - 1));
            if (file.at(e + 0x42) != 2 ||
                (name != QLatin1String("Workbook") && name != QLatin1String("Book")))
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
    // Work on the stream where it lies when its sectors follow each other (as our writer puts
    // them): each copy of a big file costs thousands of page faults.
    bool contiguous = true;
    for (size_t i = 1; i < place.sectors.size() && contiguous; ++i)
        contiguous = place.sectors[i] == place.sectors[0] + i;
    QByteArray gathered;
    if (!contiguous) {
        gathered.reserve(qsizetype(place.sectors.size()) * ss);
        for (const quint32 s : place.sectors)
            gathered.append(file.constData() + (qsizetype(s) + 1) * ss, ss);
    }
    char *const sp = contiguous ? file.data() + (qsizetype(place.sectors[0]) + 1) * ss : gathered.data();
    const qsizetype size = place.size;

    // The globals' records up to the end of the string table (SST and its CONTINUE records);
    // the sheets' records after it are walked only to renumber their cells.
    std::vector<Record> records;
    size_t sst = 0;
    for (qsizetype at = 0; at + 4 <= size;) {
        const Record r{at, u16(sp, at), u16(sp, at + 2)};
        if ((r.type == 0 && r.length == 0) || at + 4 + r.length > size)
            return false;
        if (!records.empty() && records[sst].type == kSst && r.type != kContinue)
            break;
        records.push_back(r);
        if (r.type == kSst)
            sst = records.size() - 1;
        at += 4 + r.length;
    }
    if (records.empty() || records[sst].type != kSst || records[sst].length < 8)
        return false;
    const qsizetype tableEnd = records.back().at + 4 + records.back().length;

    // Walk the string table and note each zero-length text.
    const quint32 unique = u32(sp, records[sst].at + 8);
    size_t rec = sst;
    qsizetype off = 8; // within the record's data
    auto dataEnd = [&] { return qsizetype(records[rec].length); };
    auto nextRecord = [&] {
        if (rec + 1 >= records.size())
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
    std::vector<qsizetype> removedAt;    // stream positions of the removed texts, in order
    std::vector<quint32> removedIndexes; // their numbers in the table, in order
    for (quint32 i = 0; i < unique; ++i) {
        if (off == dataEnd() && !nextRecord())
            return false;
        if (off + 3 > dataEnd())
            return false;
        const qsizetype base = records[rec].at + 4;
        const qsizetype start = base + off;
        const quint16 count = u16(sp, start);
        const quint8 flags = quint8(sp[start + 2]);
        off += 3;
        quint32 runs = 0, ext = 0;
        if (flags & 0x08) {
            if (off + 2 > dataEnd())
                return false;
            runs = u16(sp, base + off);
            off += 2;
        }
        if (flags & 0x04) {
            if (off + 4 > dataEnd())
                return false;
            ext = u32(sp, base + off);
            off += 4;
        }
        bool wide = flags & 0x01;
        qsizetype left = count;
        while (left > 0) {
            if (off == dataEnd()) {
                // Characters continue in the next record after an option byte of their own.
                if (!nextRecord() || dataEnd() < 1)
                    return false;
                wide = sp[records[rec].at + 4] & 0x01;
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
        if (count == 0 && runs == 0 && ext == 0) {
            removedAt.push_back(start);
            removedIndexes.push_back(i);
        }
    }
    if (removedAt.empty())
        return false;

    // Close up the table over the removed texts' three bytes (writing never overtakes
    // reading), move the sheets up behind it and fill the freed end with zeros.
    qsizetype w = records[sst].at;
    size_t removal = 0;
    for (size_t i = sst; i < records.size(); ++i) {
        const Record &r = records[i];
        const qsizetype headAt = w;
        std::memmove(sp + w, sp + r.at, 4);
        w += 4;
        qsizetype from = r.at + 4;
        const qsizetype end = from + r.length;
        for (; removal < removedAt.size() && removedAt[removal] < end; ++removal) {
            std::memmove(sp + w, sp + from, size_t(removedAt[removal] - from));
            w += removedAt[removal] - from;
            from = removedAt[removal] + 3;
        }
        std::memmove(sp + w, sp + from, size_t(end - from));
        w += end - from;
        qToLittleEndian<quint16>(quint16(w - headAt - 4), sp + headAt + 2);
    }
    qToLittleEndian<quint32>(unique - quint32(removedAt.size()), sp + records[sst].at + 8);
    const qsizetype shift = tableEnd - w;
    const qsizetype restAt = w;
    std::memmove(sp + w, sp + tableEnd, size_t(size - tableEnd));
    std::memset(sp + size - shift, 0, size_t(shift));

    // The sheets' offsets (all behind the table) move up; cells of a removed text become blank.
    for (qsizetype at = 0; at + 8 <= records[sst].at;) {
        const quint16 type = u16(sp, at), length = u16(sp, at + 2);
        if (type == kBoundSheet)
            qToLittleEndian<quint32>(u32(sp, at + 4) - quint32(shift), sp + at + 4);
        at += 4 + length;
    }
    for (qsizetype at = restAt; at + 4 <= size - shift;) {
        const quint16 type = u16(sp, at), length = u16(sp, at + 2);
        if (type == 0 && length == 0)
            break;
        if (type == kLabelSst && length >= 10 && at + 14 <= size) {
            const quint32 index = u32(sp, at + 10);
            const auto below = std::lower_bound(removedIndexes.begin(), removedIndexes.end(), index);
            if (below != removedIndexes.end() && *below == index)
                qToLittleEndian<quint16>(kBlank, sp + at);
            else
                qToLittleEndian<quint32>(index - quint32(below - removedIndexes.begin()), sp + at + 10);
        }
        at += 4 + length;
    }

    if (!contiguous)
        for (size_t i = 0; i < place.sectors.size(); ++i)
            std::memcpy(file.data() + (qsizetype(place.sectors[i]) + 1) * ss, sp + qsizetype(i) * ss,
                        size_t(ss));
    QFile copy(target);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return copy.write(file) == file.size() && copy.flush();
}
