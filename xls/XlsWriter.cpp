#include "xls/XlsWriter.h"

#include "data/CheckedSaveFile.h"

#include <QDir>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

// BIFF8 record types.
enum : quint16 {
    kEof = 0x000A,
    kContinue = 0x003C,
    kCodepage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kBoundSheet = 0x0085,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kExtSst = 0x00FF,
    kDimensions = 0x0200,
    kWindow2 = 0x023E,
    kStyle = 0x0293,
    kBof = 0x0809,
    kRow = 0x0208,
    kDbCell = 0x00D7,
};

constexpr int kRowsPerBlock = 32;

// The most data one record holds; the string table spills into CONTINUE records beyond it.
constexpr int kMaxRecordData = 8224;
constexpr quint16 kCellXf = 15;

// Little-endian appends to a byte buffer.
struct Out
{
    QByteArray &b;
    void u8(quint8 v) { b.append(char(v)); }
    void u16(quint16 v)
    {
        char p[2];
        qToLittleEndian(v, p);
        b.append(p, 2);
    }
    void u32(quint32 v)
    {
        char p[4];
        qToLittleEndian(v, p);
        b.append(p, 4);
    }
    void u64(quint64 v)
    {
        char p[8];
        qToLittleEndian(v, p);
        b.append(p, 8);
    }
    void zeros(qsizetype n) { b.append(n, '\0'); }
    void header(quint16 type, quint16 length)
    {
        u16(type);
        u16(length);
    }
    void patch16(qsizetype at, quint16 v) { qToLittleEndian(v, b.data() + at); }
    void patch32(qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }
};

bool fitsLatin1(const QString &s)
{
    return std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c.unicode() < 0x100; });
}

// Character data of a string: one byte per character when every character is below U+0100,
// else UTF-16LE.
void appendChars(QByteArray &b, const QChar *chars, qsizetype count, bool wide)
{
    if (!wide) {
        const qsizetype at = b.size();
        b.resize(at + count);
        char *p = b.data() + at;
        for (qsizetype i = 0; i < count; ++i)
            p[i] = char(chars[i].unicode());
        return;
    }
    const qsizetype at = b.size();
    b.resize(at + count * 2);
    qToLittleEndian<quint16>(chars, count, b.data() + at);
}

// A string with a 1-byte length (font and sheet names).
void appendShortString(Out &o, const QString &s)
{
    const bool wide = !fitsLatin1(s);
    o.u8(quint8(s.size()));
    o.u8(wide ? 1 : 0);
    appendChars(o.b, s.constData(), s.size(), wide);
}

void appendBof(Out &o, quint16 kind)
{
    o.header(kBof, 16);
    o.u16(0x0600); // BIFF8
    o.u16(kind);
    o.u16(0x0DBB); // build
    o.u16(0x07CC); // year
    o.u32(0);      // file history
    o.u32(0x06);   // lowest version that can read the file
}

void appendEof(Out &o)
{
    o.header(kEof, 0);
}

// The formats every workbook carries: fonts, the fifteen style formats plus the one format all
// cells use (index 15), and the Normal style.
void appendFormats(Out &o)
{
    const QString fontName = QStringLiteral("宋体");
    for (int i = 0; i < 5; ++i) {
        o.header(kFont, quint16(16 + 2 * fontName.size()));
        o.u16(240);    // 12 pt in twentieths of a point
        o.u16(0);      // no italic, strike-out, outline or shadow
        o.u16(0x7FFF); // automatic colour
        o.u16(400);    // normal weight
        o.u16(0);      // no super- or subscript
        o.u8(0);       // no underline
        o.u8(0);       // family
        o.u8(0x86);    // GB2312 character set
        o.u8(0);
        appendShortString(o, fontName);
    }
    for (int i = 0; i < 16; ++i) {
        const bool style = i < 15;
        o.header(kXf, 20);
        o.u16(0);                        // font 0
        o.u16(0);                        // format General
        o.u16(style ? 0xFFF5 : 0x0001);  // locked; style formats have no parent, cells have style 0
        o.u8(0x20);                      // bottom aligned
        o.u8(0);                         // no rotation
        o.u8(0);                         // no indent
        o.u8(style && i > 0 ? 0xF4 : 0); // attributes a style format leaves to the cell
        o.u32(0);                        // no borders
        o.u32(0);
        o.u16(0x20C0); // automatic pattern colours
    }
    o.header(kStyle, 4);
    o.u16(0x8000); // built-in style on format 0
    o.u8(0);       // Normal
    o.u8(0xFF);
}

// The shared string table with its hash index. A string that does not fit into the rest of a
// record continues in a CONTINUE record, which then starts with the string's option byte again.
void appendStringTable(Out &o, const std::vector<const QString *> &strings, quint32 cellCount)
{
    const qsizetype count = qsizetype(strings.size());
    const qsizetype perBucket = std::max<qsizetype>(8, (count + 127) / 128);
    struct Bucket
    {
        quint32 streamPos;
        quint16 offset;
    };
    std::vector<Bucket> buckets;

    qsizetype recordStart = o.b.size();
    o.header(kSst, 0);
    auto room = [&] { return kMaxRecordData - (o.b.size() - recordStart - 4); };
    auto closeRecord = [&] { o.patch16(recordStart + 2, quint16(o.b.size() - recordStart - 4)); };
    auto continueRecord = [&] {
        closeRecord();
        recordStart = o.b.size();
        o.header(kContinue, 0);
    };

    o.u32(cellCount);
    o.u32(quint32(count));
    for (qsizetype i = 0; i < count; ++i) {
        const QString &s = *strings[size_t(i)];
        const bool wide = !fitsLatin1(s);
        const int charSize = wide ? 2 : 1;
        // The length and option byte stay with the first character.
        if (room() < 3 + (s.isEmpty() ? 0 : charSize))
            continueRecord();
        if (i % perBucket == 0)
            buckets.push_back({quint32(o.b.size()), quint16(o.b.size() - recordStart)});
        o.u16(quint16(s.size()));
        o.u8(wide ? 1 : 0);
        qsizetype done = 0;
        for (;;) {
            const qsizetype n = std::min<qsizetype>(room() / charSize, s.size() - done);
            appendChars(o.b, s.constData() + done, n, wide);
            done += n;
            if (done == s.size())
                break;
            continueRecord();
            o.u8(wide ? 1 : 0);
        }
    }
    closeRecord();

    o.header(kExtSst, quint16(2 + 8 * buckets.size()));
    o.u16(quint16(perBucket));
    for (const Bucket &bucket : buckets) {
        o.u32(bucket.streamPos);
        o.u16(bucket.offset);
        o.u16(0);
    }
}

// The compound document around the Workbook stream: 512-byte sectors, one directory sector,
// the sector allocation table (FAT) and, when the FAT outgrows the 109 places in the header,
// DIFAT sectors that list the rest of the FAT sectors.
constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kSectorSize = 512;
constexpr int kIdsPerSector = kSectorSize / 4;
constexpr int kHeaderFatIds = 109;

void appendDirectoryEntry(Out &o, const QString &name, quint8 type, quint32 child, quint32 start,
                          quint32 size)
{
    const qsizetype at = o.b.size();
    appendChars(o.b, name.constData(), name.size(), true);
    o.zeros(64 - (o.b.size() - at));
    o.u16(name.isEmpty() ? 0 : quint16((name.size() + 1) * 2));
    o.u8(type);
    o.u8(type ? 1 : 0); // black
    o.u32(kNoStream);   // left sibling
    o.u32(kNoStream);   // right sibling
    o.u32(child);
    o.zeros(16 + 4 + 8 + 8); // class id, state bits, creation and modification times
    o.u32(start);
    o.u64(size);
}

// The stream comes in pieces, so the sheets' cell records are written without being copied.
bool writeCompoundFile(QIODevice *device, const std::vector<QByteArray> &stream)
{
    qsizetype streamSize = 0;
    for (const QByteArray &piece : stream)
        streamSize += piece.size();
    const quint32 streamSectors = quint32((streamSize + kSectorSize - 1) / kSectorSize);
    quint32 fatSectors = 1, difatSectors = 0;
    for (;;) {
        const quint32 total = streamSectors + 1 + fatSectors + difatSectors;
        const quint32 fat = (total + kIdsPerSector - 1) / kIdsPerSector;
        const quint32 difat =
            fat > kHeaderFatIds ? (fat - kHeaderFatIds + kIdsPerSector - 2) / (kIdsPerSector - 1) : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const quint32 dirSector = streamSectors;
    const quint32 firstFat = dirSector + 1;
    const quint32 firstDifat = firstFat + fatSectors;

    QByteArray head;
    Out h{head};
    h.b.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    h.zeros(16);    // class id
    h.u16(0x003E);  // minor version
    h.u16(0x0003);  // major version 3: 512-byte sectors
    h.u16(0xFFFE);  // little-endian
    h.u16(9);       // sector size 2^9
    h.u16(6);       // mini sector size 2^6
    h.zeros(6 + 4); // reserved; directory sector count (always 0 in version 3)
    h.u32(fatSectors);
    h.u32(dirSector);
    h.u32(0);           // transaction signature
    h.u32(0x1000);      // streams from 4096 bytes on use regular sectors
    h.u32(kEndOfChain); // no mini FAT
    h.u32(0);
    h.u32(difatSectors ? firstDifat : kEndOfChain);
    h.u32(difatSectors);
    for (quint32 i = 0; i < kHeaderFatIds; ++i)
        h.u32(i < fatSectors ? firstFat + i : kFreeSector);

    QByteArray tail;
    Out t{tail};
    appendDirectoryEntry(t, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    appendDirectoryEntry(t, QStringLiteral("Workbook"), 2, kNoStream, 0, quint32(streamSize));
    appendDirectoryEntry(t, QString(), 0, kNoStream, 0, 0);
    appendDirectoryEntry(t, QString(), 0, kNoStream, 0, 0);

    for (quint32 s = 0; s < streamSectors; ++s)
        t.u32(s + 1 < streamSectors ? s + 1 : kEndOfChain);
    t.u32(kEndOfChain); // the directory
    for (quint32 i = 0; i < fatSectors; ++i)
        t.u32(kFatSector);
    for (quint32 i = 0; i < difatSectors; ++i)
        t.u32(kDifatSector);
    for (quint32 i = streamSectors + 1 + fatSectors + difatSectors; i < fatSectors * kIdsPerSector; ++i)
        t.u32(kFreeSector);

    for (quint32 d = 0; d < difatSectors; ++d) {
        for (quint32 i = 0; i < kIdsPerSector - 1; ++i) {
            const quint32 fat = kHeaderFatIds + d * (kIdsPerSector - 1) + i;
            t.u32(fat < fatSectors ? firstFat + fat : kFreeSector);
        }
        t.u32(d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
    }

    const QByteArray padding(qsizetype(streamSectors) * kSectorSize - streamSize, '\0');
    if (device->write(head) != head.size())
        return false;
    for (const QByteArray &piece : stream)
        if (device->write(piece) != piece.size())
            return false;
    return device->write(padding) == padding.size() && device->write(tail) == tail.size();
}

} // namespace

void XlsWriter::addSheet(const QString &name)
{
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    if (name.isEmpty() || name.size() > kMaxSheetNameLength ||
        std::any_of(name.cbegin(), name.cend(), [](QChar c) { return forbidden.contains(c); }))
        throw XlsError(QStringLiteral("工作表名称无效: %1").arg(name));
    for (const Sheet &sheet : m_sheets)
        if (sheet.name.compare(name, Qt::CaseInsensitive) == 0)
            throw XlsError(QStringLiteral("工作表名称重复: %1").arg(name));
    m_sheets.push_back({name, {}, {}, 0, 0});
}

int XlsWriter::rowCount() const
{
    return m_sheets.empty() ? 0 : m_sheets.back().rows;
}

void XlsWriter::appendRow(const QStringList &cells)
{
    if (m_sheets.empty())
        throw XlsError(QStringLiteral("工作簿中还没有工作表"));
    Sheet &sheet = m_sheets.back();
    if (sheet.rows >= kMaxRows)
        throw XlsError(QStringLiteral("工作表 %1 已满 %2 行").arg(sheet.name).arg(kMaxRows));
    if (cells.size() > kMaxColumns)
        throw XlsError(QStringLiteral("一行最多 %1 列，这一行有 %2 列").arg(kMaxColumns).arg(cells.size()));
    for (int c = 0; c < cells.size(); ++c)
        if (cells.at(c).size() > kMaxTextLength)
            throw XlsError(
                QStringLiteral("工作表 %1 第 %2 行第 %3 列的文字有 %4 个字符，单元格最多容纳 %5 个")
                    .arg(sheet.name)
                    .arg(sheet.rows + 1)
                    .arg(c + 1)
                    .arg(cells.at(c).size())
                    .arg(kMaxTextLength));

    const qsizetype at = sheet.cells.size();
    sheet.cells.resize(at + 14 * cells.size());
    char *p = sheet.cells.data() + at;
    for (int c = 0; c < cells.size(); ++c) {
        const QString &text = cells.at(c);
        auto it = m_stringIndex.constFind(text);
        if (it == m_stringIndex.cend()) {
            it = m_stringIndex.insert(text, quint32(m_stringIndex.size()));
        }
        qToLittleEndian<quint16>(kLabelSst, p);
        qToLittleEndian<quint16>(10, p + 2);
        qToLittleEndian<quint16>(quint16(sheet.rows), p + 4);
        qToLittleEndian<quint16>(quint16(c), p + 6);
        qToLittleEndian<quint16>(kCellXf, p + 8);
        qToLittleEndian<quint32>(it.value(), p + 10);
        p += 14;
    }
    m_cellCount += quint32(cells.size());
    sheet.rowCells.push_back(quint16(cells.size()));
    sheet.columns = std::max(sheet.columns, int(cells.size()));
    ++sheet.rows;
}

namespace {

// A sheet's records: BOF, DIMENSIONS, the cells in blocks of up to 32 rows (their ROW records,
// their cell records, a DBCELL that points back at them), then WINDOW2 and EOF. Strict readers
// (Apache POI) refuse cells that come after WINDOW2. The cell records are not copied.
std::vector<QByteArray> sheetRecords(const QByteArray &cells, const std::vector<quint16> &rowCells,
                                     int columns, bool selected)
{
    std::vector<QByteArray> pieces;
    const int rows = int(rowCells.size());

    QByteArray head;
    Out h{head};
    appendBof(h, 0x0010);
    h.header(kDimensions, 14);
    h.u32(0);
    h.u32(quint32(columns ? rows : 0)); // one past the last row
    h.u16(0);
    h.u16(quint16(rows ? columns : 0)); // one past the last column
    h.u16(0);
    pieces.push_back(head);

    constexpr int kRowRecord = 4 + 16, kCellRecord = 14;
    qsizetype cellAt = 0;
    for (int first = 0; first < rows; first += kRowsPerBlock) {
        const int last = std::min(rows, first + kRowsPerBlock);
        QByteArray rowRecords;
        Out r{rowRecords};
        for (int row = first; row < last; ++row) {
            r.header(kRow, 16);
            r.u16(quint16(row));
            r.u16(0);
            r.u16(rowCells[size_t(row)]); // one past the last column
            r.u16(0x00FF);                // default height
            r.u16(0);
            r.u16(0);
            r.u32(0x000F0100); // no outline, cell format 15
        }
        qsizetype blockCells = 0;
        for (int row = first; row < last; ++row)
            blockCells += qsizetype(rowCells[size_t(row)]) * kCellRecord;

        QByteArray dbcell;
        Out d{dbcell};
        d.header(kDbCell, quint16(4 + 2 * (last - first)));
        d.u32(quint32(rowRecords.size() + blockCells)); // back to the first ROW record
        // The first cell of each row: the first counted from the second ROW record, the rest
        // from the first cell of the row before.
        d.u16(quint16((last - first - 1) * kRowRecord));
        for (int row = first + 1; row < last; ++row)
            d.u16(quint16(rowCells[size_t(row - 1)] * kCellRecord));

        pieces.push_back(rowRecords);
        if (blockCells)
            pieces.push_back(QByteArray::fromRawData(cells.constData() + cellAt, blockCells));
        pieces.push_back(dbcell);
        cellAt += blockCells;
    }

    QByteArray tail;
    Out t{tail};
    t.header(kWindow2, 18);
    // Grid lines, headings, zeros, default grid colour, outline symbols; the first sheet is the
    // selected and shown one.
    t.u16(selected ? 0x06B6 : 0x00B6);
    t.u16(0); // top row
    t.u16(0); // left column
    t.u32(0x40);
    t.u16(0);
    t.u16(0);
    t.u32(0);
    appendEof(t);
    pieces.push_back(tail);
    return pieces;
}

} // namespace

std::vector<QByteArray> XlsWriter::workbookStream() const
{
    QByteArray globals;
    Out o{globals};
    appendBof(o, 0x0005);
    o.header(kCodepage, 2);
    o.u16(1200); // UTF-16
    o.header(kWindow1, 18);
    o.u16(0); // window position
    o.u16(0);
    o.u16(0x4000); // window size
    o.u16(0x2000);
    o.u16(0x0038); // horizontal and vertical scroll bars, sheet tabs
    o.u16(0);      // active sheet
    o.u16(0);      // first tab shown
    o.u16(1);      // selected sheets
    o.u16(600);    // tab bar width in thousandths
    appendFormats(o);

    // Each sheet's entry points at its BOF, known once the globals are complete.
    std::vector<qsizetype> sheetOffsetAt;
    for (const Sheet &sheet : m_sheets) {
        const bool wide = !fitsLatin1(sheet.name);
        o.header(kBoundSheet, quint16(8 + sheet.name.size() * (wide ? 2 : 1)));
        sheetOffsetAt.push_back(globals.size());
        o.u32(0);
        o.u8(0); // visible
        o.u8(0); // worksheet
        appendShortString(o, sheet.name);
    }
    std::vector<const QString *> strings(size_t(m_stringIndex.size()));
    for (auto it = m_stringIndex.cbegin(); it != m_stringIndex.cend(); ++it)
        strings[it.value()] = &it.key();
    appendStringTable(o, strings, m_cellCount);
    appendEof(o);

    std::vector<QByteArray> stream(1); // the globals go first once the offsets are in
    qsizetype offset = globals.size();
    for (size_t i = 0; i < m_sheets.size(); ++i) {
        const Sheet &sheet = m_sheets[i];
        o.patch32(sheetOffsetAt[i], quint32(offset));
        for (QByteArray &piece : sheetRecords(sheet.cells, sheet.rowCells, sheet.columns, i == 0)) {
            offset += piece.size();
            stream.push_back(std::move(piece));
        }
    }
    stream.front() = globals;
    // A stream under 4096 bytes would belong in the mini stream; padding keeps one kind of sector.
    if (offset < 4096)
        stream.push_back(QByteArray(4096 - offset, '\0'));
    return stream;
}

bool XlsWriter::write(QIODevice *device) const
{
    return writeCompoundFile(device, workbookStream());
}

void XlsWriter::save(const QString &path) const
{
    files::CheckedSaveFile file(path);
    file.create();
    write(&file); // a failed write is kept by the file and thrown by commit()
    file.commit();
}
