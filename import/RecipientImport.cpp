#include "import/RecipientImport.h"

#include "data/Database.h"
#include "data/FailureText.h"
#include "import/CsvReader.h"
#include "import/XlsReader.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

namespace {

// Indexes into db::recipientColumns().
enum Column { kCompany = 0, kName = 1, kAddress = 2, kPostcode = 3, kPhone = 4, kMobile = 5, kRemark = 6 };
constexpr int kColumnCount = 7;

// A header row is one of the first rows of a sheet (a title may stand above it) that names at
// least two recipient columns.
constexpr int kHeaderSearchRows = 10;

bool isKnownHeader(const QString &text)
{
    return recipientColumnOfHeader(text) >= 0;
}

QString duplicateKey(const QString &name, const QString &mobile)
{
    return name + QChar(0x1F) + mobile;
}

} // namespace

int recipientColumnOfHeader(const QString &header)
{
    static const QHash<QString, int> names = [] {
        QHash<QString, int> h;
        const QStringList columns = db::recipientColumns();
        for (int i = 0; i < columns.size(); ++i)
            h.insert(columns.at(i), i);
        h.insert(QStringLiteral("姓名"), kName);
        h.insert(QStringLiteral("地址"), kAddress);
        h.insert(QStringLiteral("手机"), kMobile);
        h.insert(QStringLiteral("电话"), kPhone);
        h.insert(QStringLiteral("邮编"), kPostcode);
        h.insert(QStringLiteral("公司"), kCompany);
        h.insert(QStringLiteral("单位"), kCompany);
        h.insert(QStringLiteral("公司/单位"), kCompany);
        h.insert(QStringLiteral("备注"), kRemark);
        return h;
    }();
    return names.value(header.trimmed(), -1);
}

SpreadsheetContent readSpreadsheet(const QString &path)
{
    SpreadsheetContent out;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = failures::fileText(QStringLiteral("打开"), file);
        return out;
    }
    const QByteArray head = file.peek(8);
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        file.close();
        return readXlsFile(path);
    }
    if (head.startsWith("PK\x03\x04")) {
        out.error =
            QStringLiteral("无法读取 %1：这是 .xlsx（Excel 2007 及以后）或其他压缩格式的表格，本程序读不了。"
                           "请在表格软件中把它另存为“Excel 97-2003 工作簿 (.xls)”或“CSV”文件后再导入")
                .arg(shown);
        return out;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        out.error = failures::fileText(QStringLiteral("读取"), file);
        return out;
    }
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (!utf16 && bytes.contains('\0')) {
        out.error = QStringLiteral("无法读取 %1：它既不是 .xls 工作簿，也不是 CSV 文本文件").arg(shown);
        return out;
    }
    const csv::DecodedText decoded = csv::decode(bytes);
    if (!decoded.error.isEmpty()) {
        out.error = QStringLiteral("无法读取 %1：%2").arg(shown, decoded.error);
        return out;
    }
    SheetRows sheet;
    sheet.rows = csv::parse(decoded.text, csv::detectSeparator(decoded.text, isKnownHeader));
    out.sheets.push_back(std::move(sheet));
    return out;
}

void RecipientImport::prepare(const QString &path, db::Connection &connection)
{
    *this = RecipientImport();
    const SpreadsheetContent content = readSpreadsheet(path);
    if (!content.error.isEmpty()) {
        m_error = content.error;
        return;
    }

    QSet<QString> seen;
    try {
        connection.open();
        db::Statement st(connection, QStringLiteral("SELECT \"收件人姓名\", \"手机号码\" FROM inrxx"));
        while (st.step())
            seen.insert(duplicateKey(st.text(0), st.text(1)));
    } catch (const db::DbError &e) {
        m_error = QStringLiteral("无法读取通讯录：%1").arg(e.message());
        return;
    }
    QHash<QString, QString> firstInFile; // key -> where its first row is

    const QStringList columnNames = db::recipientColumns();
    int nonEmptySheets = 0;
    for (const SheetRows &sheet : content.sheets)
        nonEmptySheets += sheet.rows.empty() ? 0 : 1;
    bool anyHeader = false;

    for (const SheetRows &sheet : content.sheets) {
        if (sheet.rows.empty())
            continue;
        // The header row and where each recipient column sits in it.
        int headerRow = -1;
        int at[kColumnCount];
        for (int r = 0; r < int(sheet.rows.size()) && r < kHeaderSearchRows && headerRow < 0; ++r) {
            std::fill(at, at + kColumnCount, -1);
            int found = 0;
            const QStringList &cells = sheet.rows[size_t(r)];
            for (int c = 0; c < cells.size(); ++c) {
                const int column = recipientColumnOfHeader(cells.at(c));
                if (column >= 0 && at[column] < 0) {
                    at[column] = c;
                    ++found;
                }
            }
            if (found >= 2)
                headerRow = r;
        }
        const QString sheetLabel =
            nonEmptySheets > 1 ? QStringLiteral("工作表“%1”").arg(sheet.name) : QString();
        if (headerRow < 0) {
            m_ignoredSheets << sheet.name;
            continue;
        }
        anyHeader = true;
        QStringList missing;
        for (const int required : {kName, kAddress, kMobile})
            if (at[required] < 0)
                missing << columnNames.at(required);
        if (!missing.isEmpty()) {
            m_error =
                QStringLiteral("%1缺少必需的列：%2。第一行应写明列名，如 收件人姓名、收件地址、手机号码")
                    .arg(sheetLabel.isEmpty() ? QStringLiteral("文件") : sheetLabel,
                         missing.join(QStringLiteral("、")));
            m_rows.clear();
            return;
        }

        for (int r = headerRow + 1; r < int(sheet.rows.size()); ++r) {
            const QStringList &cells = sheet.rows[size_t(r)];
            QStringList row;
            row.reserve(kColumnCount);
            bool blank = true;
            for (int c = 0; c < kColumnCount; ++c) {
                row << (at[c] >= 0 ? cells.value(at[c]) : QString());
                blank = blank && row.constLast().isEmpty();
            }
            if (blank)
                continue;
            const QString where = sheetLabel.isEmpty()
                                      ? QStringLiteral("第 %1 行").arg(r + 1)
                                      : QStringLiteral("%1第 %2 行").arg(sheetLabel).arg(r + 1);
            // The add panel's checks, in its order and with its words.
            QString reason;
            if (row.at(kName).isEmpty())
                reason = QStringLiteral("收件人姓名不能为空！");
            else if (row.at(kAddress).isEmpty())
                reason = QStringLiteral("收件地址不能为空！");
            else if (row.at(kMobile).isEmpty())
                reason = QStringLiteral("手机号码不能为空！");
            if (!reason.isEmpty()) {
                m_invalid.push_back({where, reason});
                continue;
            }
            const QString key = duplicateKey(row.at(kName), row.at(kMobile));
            if (seen.contains(key)) {
                const auto earlier = firstInFile.constFind(key);
                m_duplicates.push_back({where, earlier == firstInFile.cend()
                                                   ? QStringLiteral("通讯录中已有同名同手机号码的收件人")
                                                   : QStringLiteral("与%1同名同手机号码").arg(*earlier)});
                continue;
            }
            seen.insert(key);
            firstInFile.insert(key, where);
            m_rows.push_back(std::move(row));
        }
    }
    if (!anyHeader)
        m_error =
            QStringLiteral("文件中找不到列名行：前 %1 行里应有 收件人姓名（或 姓名）、收件地址（或 地址）、"
                           "手机号码（或 手机）等列名")
                .arg(kHeaderSearchRows);
    else if (m_rows.empty())
        m_error = m_invalid.empty() && m_duplicates.empty()
                      ? QStringLiteral("文件中列名行下面没有收件人")
                      : QStringLiteral("文件中的每一行都因重复或有错误而跳过");
}

QString RecipientImport::summary() const
{
    return QStringLiteral("将导入 %1 个收件人；跳过重复 %2 行，有错误 %3 行。")
        .arg(m_rows.size())
        .arg(m_duplicates.size())
        .arg(m_invalid.size());
}

QString RecipientImport::skippedList(int limit) const
{
    QStringList lines;
    int left = 0;
    auto add = [&](const std::vector<SkippedRow> &rows, const QString &kind) {
        for (const SkippedRow &row : rows) {
            if (lines.size() < limit)
                lines << QStringLiteral("%1（%2）：%3").arg(row.where, kind, row.reason);
            else
                ++left;
        }
    };
    add(m_invalid, QStringLiteral("有错误"));
    add(m_duplicates, QStringLiteral("重复"));
    if (left > 0)
        lines << QStringLiteral("…… 另有 %1 行未列出").arg(left);
    return lines.join(QLatin1Char('\n'));
}

RecipientImport::Outcome RecipientImport::commit(db::Connection &connection, const Progress &progress)
{
    m_failure.clear();
    const int total = int(m_rows.size());
    bool inTransaction = false;
    auto rollBack = [&] {
        try {
            if (inTransaction)
                connection.exec(QStringLiteral("ROLLBACK"));
        } catch (const db::DbError &) {
            // SQLite has rolled back on its own after some errors.
        }
    };
    struct SpillAgain
    {
        db::Connection &connection;
        ~SpillAgain()
        {
            try {
                if (connection.isOpen())
                    connection.exec(QStringLiteral("PRAGMA cache_spill = ON"));
            } catch (const db::DbError &) {
            }
        }
    } spillAgain{connection};
    try {
        connection.open();
        // Changed pages stay in memory until the commit, however many: a cancelled import then
        // has not touched the file at all (a rollback would restore the pages' content, but
        // SQLCipher encrypts them anew, so the bytes would differ).
        connection.exec(QStringLiteral("PRAGMA cache_spill = OFF"));
        // IMMEDIATE: the write lock is taken now, so no other writer can slip in between.
        connection.exec(QStringLiteral("BEGIN IMMEDIATE"));
        inTransaction = true;
        {
            QStringList names;
            for (const QString &c : db::recipientColumns())
                names << QLatin1Char('"') + c + QLatin1Char('"');
            db::Statement insert(connection, QStringLiteral("INSERT INTO inrxx (%1) VALUES (?,?,?,?,?,?,?)")
                                                 .arg(names.join(QLatin1Char(','))));
            for (int i = 0; i < total; ++i) {
                if (progress && i % 512 == 0 && !progress(i, total)) {
                    rollBack();
                    return Outcome::Cancelled;
                }
                const QStringList &row = m_rows[size_t(i)];
                insert.reset();
                for (int c = 0; c < kColumnCount; ++c)
                    insert.bind(c + 1, row.at(c));
                insert.step();
            }
        }
        if (progress && !progress(total, total)) {
            rollBack();
            return Outcome::Cancelled;
        }
        connection.exec(QStringLiteral("COMMIT"));
        return Outcome::Added;
    } catch (const db::DbError &e) {
        rollBack();
        m_failure = e.message();
        return Outcome::Failed;
    }
}
