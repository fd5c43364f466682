#include "import/CsvReader.h"

#include <QStringDecoder>

namespace csv {

DecodedText decode(const QByteArray &bytes)
{
    DecodedText out;
    auto run = [&](QStringDecoder &&decoder, qsizetype skip, const QString &name) {
        out.text = decoder.decode(QByteArrayView(bytes).sliced(skip));
        out.encoding = name;
        return !decoder.hasError();
    };
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (!run(QStringDecoder(QStringDecoder::Utf8), 3, QStringLiteral("UTF-8")))
            out.error = QStringLiteral("文件以 UTF-8 标记开头，但其中有不是 UTF-8 的字节");
        return out;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.at(0) == '\xFF';
        if (!run(QStringDecoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE), 2,
                 QStringLiteral("UTF-16")))
            out.error = QStringLiteral("文件以 UTF-16 标记开头，但内容不是完整的 UTF-16 文字");
        return out;
    }
    // GB18030 text with Chinese in it is practically never valid UTF-8, so strict UTF-8 decides.
    if (run(QStringDecoder(QStringDecoder::Utf8), 0, QStringLiteral("UTF-8")))
        return out;
    QStringDecoder gb("GB18030");
    if (!gb.isValid()) {
        out.error = QStringLiteral("文件不是 UTF-8 编码，而本机的 Qt 不支持 GB18030 编码");
        return out;
    }
    if (!run(std::move(gb), 0, QStringLiteral("GB18030")))
        out.error = QStringLiteral("无法识别文件的文字编码（既不是 UTF-8 也不是 GB18030）");
    return out;
}

namespace {

// Parses records until maxRecords are read (-1: all).
std::vector<QStringList> parseRecords(const QString &text, QChar separator, qsizetype maxRecords)
{
    std::vector<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;      // inside a quoted part of a field
    bool fieldQuoted = false; // the field began with a quote
    bool any = false;         // the current record has started
    const QChar *p = text.constData();
    const QChar *end = p + text.size();
    auto endField = [&] {
        record << field;
        field.clear();
        fieldQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        records.push_back(std::move(record));
        record = QStringList();
        any = false;
    };
    for (; p < end; ++p) {
        const QChar c = *p;
        if (quoted) {
            if (c == u'"') {
                if (p + 1 < end && p[1] == u'"') {
                    field += u'"';
                    ++p;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == u'"' && field.isEmpty() && !fieldQuoted) {
            quoted = fieldQuoted = any = true;
        } else if (c == separator) {
            endField();
            any = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && p + 1 < end && p[1] == u'\n')
                ++p;
            endRecord();
            if (maxRecords >= 0 && qsizetype(records.size()) >= maxRecords)
                return records;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.isEmpty() || !record.isEmpty())
        endRecord();
    return records;
}

} // namespace

QChar detectSeparator(const QString &text, bool (*isKnownHeader)(const QString &))
{
    const QString head = text.left(64 * 1024);
    QChar best = u',';
    int bestKnown = -1, bestFields = -1;
    for (const QChar candidate : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        int known = 0, fields = 0;
        for (const QStringList &record : parseRecords(head, candidate, 10)) {
            int k = 0;
            for (const QString &cell : record)
                k += isKnownHeader(cell.trimmed()) ? 1 : 0;
            known = std::max(known, k);
            fields = std::max(fields, int(record.size()));
        }
        if (known > bestKnown || (known == bestKnown && fields > bestFields)) {
            best = candidate;
            bestKnown = known;
            bestFields = fields;
        }
    }
    return best;
}

std::vector<QStringList> parse(const QString &text, QChar separator)
{
    return parseRecords(text, separator, -1);
}

} // namespace csv
