#include "data/Dataset.h"
#include "data/Schema.h"

#include "data/DataFolder.h"
#include "data/FailureText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <sqlite3.h>

#include <unistd.h>

namespace db {

Dataset::Dataset(QObject *parent) : QObject(parent) {}

void Dataset::setConnection(Connection *connection)
{
    if (m_connection)
        disconnect(m_connection, nullptr, this, nullptr);
    m_connection = connection;
    if (m_connection)
        connect(m_connection, &Connection::aboutToClose, this, &Dataset::close);
}

void Dataset::setSql(const QString &sql, const QStringList &params)
{
    if (isActive())
        close();
    static const QRegularExpression shape(QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+([\\w\\p{L}]+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const auto match = shape.match(sql);
    m_sql = sql;
    m_params = params;
    m_table = match.hasMatch() ? match.captured(1) : QString();
}

void Dataset::requireActive() const
{
    if (!isActive())
        throw DbError(QStringLiteral("数据集已关闭，无法执行此操作"));
}

void Dataset::requireEditing() const
{
    if (m_state != State::Edit && m_state != State::Insert)
        throw DbError(QStringLiteral("数据集不在编辑或插入状态"));
}

void Dataset::open()
{
    if (isActive())
        return;
    if (!m_connection)
        throw DbError(QStringLiteral("数据集没有连接"));
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("不支持的查询语句: %1").arg(m_sql));
    m_connection->open();
    load();
    m_state = State::Browse;
    m_current = m_rowids.empty() ? -1 : 0;
    m_eof = m_rowids.empty();
    emit reset();
    emit currentChanged(m_current);
}

void Dataset::load()
{
    // The statement reads "select * from t ..."; asking for the rowid in front lets edits find
    // their row again without any key column in the table.
    static const QRegularExpression star(QStringLiteral("^\\s*select\\s+\\*"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString sql = m_sql;
    sql.replace(star, QStringLiteral("SELECT rowid, *"));
    Statement st(*m_connection, sql);
    for (int i = 0; i < m_params.size(); ++i)
        st.bind(i + 1, m_params.at(i));

    m_fields.clear();
    for (int c = 1; c < st.columnCount(); ++c)
        m_fields << st.columnName(c);
    const int n = m_fields.size();

    std::vector<qint64> rowids;
    std::vector<QString> texts;
    std::vector<quint32> ends;
    std::vector<bool> nulls;
    QString row;
    while (st.step()) {
        row.clear();
        rowids.push_back(st.int64(0));
        for (int c = 0; c < n; ++c) {
            const void *p = sqlite3_column_text16(st.handle(), c + 1);
            if (p)
                row.append(reinterpret_cast<const QChar *>(p),
                           sqlite3_column_bytes16(st.handle(), c + 1) / 2);
            ends.push_back(quint32(row.size()));
            nulls.push_back(p == nullptr);
        }
        texts.emplace_back(row.constData(), row.size());
    }
    m_rowids.swap(rowids);
    m_rowText.swap(texts);
    m_ends.swap(ends);
    m_nulls.swap(nulls);
}

bool Dataset::readRow(qint64 rowid, QString &text, std::vector<quint32> &ends, std::vector<bool> &nulls)
{
    QStringList names;
    for (const QString &f : m_fields)
        names << QLatin1Char('"') + QString(f).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                     QLatin1Char('"');
    Statement st(
        *m_connection,
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(names.join(QLatin1Char(',')), quotedTable()));
    st.bind(1, rowid);
    if (!st.step())
        return false;
    text.clear();
    ends.clear();
    nulls.clear();
    for (int c = 0; c < fieldCount(); ++c) {
        const void *p = sqlite3_column_text16(st.handle(), c);
        if (p)
            text.append(reinterpret_cast<const QChar *>(p), sqlite3_column_bytes16(st.handle(), c) / 2);
        ends.push_back(quint32(text.size()));
        nulls.push_back(p == nullptr);
    }
    return true;
}

QString Dataset::quotedTable() const
{
    return QLatin1Char('"') + QString(m_table).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString Dataset::sameRowCondition() const
{
    // Compared as the text they were read as, so a number stored in a column without text
    // affinity still matches what the user saw.
    QString sql = QStringLiteral("rowid=?");
    for (const QString &f : m_fields)
        sql += QStringLiteral(" AND CAST(\"%1\" AS TEXT) IS ?")
                   .arg(QString(f).replace(QLatin1Char('"'), QLatin1String("\"\"")));
    return sql;
}

int Dataset::bindSameRow(Statement &st, int first, int row) const
{
    st.bind(first++, m_rowids[size_t(row)]);
    for (int c = 0; c < fieldCount(); ++c) {
        if (isNull(row, c))
            st.bindNull(first++);
        else
            st.bind(first++, value(row, c));
    }
    return first;
}

bool Dataset::isNull(int row, int column) const
{
    if (row < 0 || row >= recordCount() || column < 0 || column >= fieldCount())
        return true;
    return m_nulls[size_t(row) * size_t(fieldCount()) + size_t(column)];
}

void Dataset::refuseChangedRow()
{
    cancel();
    refresh();
    throw RowChangedError();
}

void Dataset::refresh()
{
    requireActive();
    cancel();
    const qint64 rowid = m_current >= 0 && m_current < recordCount() ? m_rowids[size_t(m_current)] : -1;
    const int oldRow = m_current;
    load();
    int row = rowid >= 0 ? rowOfRowId(rowid) : -1;
    if (row < 0 && !m_rowids.empty())
        row = std::clamp(oldRow, 0, recordCount() - 1);
    m_current = row;
    m_eof = m_rowids.empty();
    emit reset();
    emit currentChanged(m_current);
}

void Dataset::close()
{
    if (!isActive())
        return;
    m_state = State::Inactive;
    m_rowids.clear();
    m_rowids.shrink_to_fit();
    m_rowText.clear();
    m_rowText.shrink_to_fit();
    m_ends.clear();
    m_ends.shrink_to_fit();
    m_nulls.clear();
    m_nulls.shrink_to_fit();
    m_fields.clear();
    m_buffer.clear();
    m_modified.clear();
    m_current = -1;
    m_eof = true;
    emit reset();
    emit currentChanged(-1);
}

int Dataset::recNo() const
{
    if (m_state == State::Insert || m_current < 0)
        return -1;
    return m_current + 1;
}

void Dataset::setCurrent(int row, bool atEof)
{
    const bool changed = row != m_current;
    m_current = row;
    m_eof = atEof;
    if (changed)
        emit currentChanged(row);
}

void Dataset::setCurrentRow(int row)
{
    requireActive();
    if (row < 0 || row >= recordCount())
        return;
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    setCurrent(row, false);
}

void Dataset::first()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    setCurrent(m_rowids.empty() ? -1 : 0, m_rowids.empty());
}

void Dataset::next()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    if (m_current + 1 < recordCount())
        setCurrent(m_current + 1, false);
    else
        m_eof = true; // stays on the last row, past it
}

void Dataset::last()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    setCurrent(recordCount() - 1, m_rowids.empty());
}

QString Dataset::value(int row, int column) const
{
    if (row < 0 || row >= recordCount() || column < 0 || column >= fieldCount())
        return QString();
    const size_t base = size_t(row) * size_t(fieldCount());
    const quint32 begin = column == 0 ? 0 : m_ends[base + column - 1];
    const quint32 end = m_ends[base + column];
    return m_rowText[row].mid(int(begin), int(end - begin));
}

int Dataset::rowOfRowId(qint64 rowid) const
{
    for (size_t i = 0; i < m_rowids.size(); ++i)
        if (m_rowids[i] == rowid)
            return int(i);
    return -1;
}

QString Dataset::fieldText(const QString &name) const
{
    const int column = fieldIndex(name);
    if (column < 0)
        return QString();
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer.value(column);
    return value(m_current, column);
}

void Dataset::setFieldText(const QString &name, const QString &text)
{
    requireEditing();
    const int column = fieldIndex(name);
    if (column < 0)
        throw DbError(QStringLiteral("字段不存在: %1").arg(name));
    m_buffer[column] = text;
    m_modified[size_t(column)] = true;
}

void Dataset::edit()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_rowids.empty() || m_current < 0) {
        append();
        return;
    }
    m_buffer.clear();
    for (int c = 0; c < fieldCount(); ++c)
        m_buffer << value(m_current, c);
    m_modified.assign(size_t(fieldCount()), false);
    m_state = State::Edit;
}

void Dataset::append()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    m_buffer.clear();
    for (int c = 0; c < fieldCount(); ++c)
        m_buffer << QString();
    m_modified.assign(size_t(fieldCount()), false);
    m_state = State::Insert;
}

void Dataset::cancel()
{
    if (m_state == State::Edit || m_state == State::Insert)
        m_state = State::Browse;
    m_buffer.clear();
    m_modified.clear();
}

namespace {

// BEGIN IMMEDIATE ... COMMIT, rolled back unless committed: the write and the reading back of
// the row it wrote see no other writer in between.
class WriteTransaction
{
public:
    explicit WriteTransaction(Connection &connection) : m_connection(connection)
    {
        m_connection.exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~WriteTransaction()
    {
        if (!m_done)
            sqlite3_exec(m_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit()
    {
        m_connection.exec(QStringLiteral("COMMIT"));
        m_done = true;
    }

private:
    Connection &m_connection;
    bool m_done = false;
};

QString quoteName(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

void Dataset::post()
{
    requireEditing();
    QStringList columns;
    QStringList values;
    for (int c = 0; c < fieldCount(); ++c) {
        if (m_modified[size_t(c)]) {
            columns << m_fields.at(c);
            values << m_buffer.at(c);
        }
    }

    QString text;
    std::vector<quint32> ends;
    std::vector<bool> nulls;

    if (m_state == State::Insert) {
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedTable());
        } else {
            QStringList names, marks;
            for (const QString &c : columns) {
                names << quoteName(c);
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quotedTable(), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
        WriteTransaction transaction(*m_connection);
        Statement st(*m_connection, sql);
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values.at(i));
        st.step();
        const qint64 rowid = m_connection->lastInsertRowId();
        // The row as the file holds it (defaults, NULLs), so a later modify compares right.
        if (!readRow(rowid, text, ends, nulls))
            throw DbError(QStringLiteral("新增的记录读不回来"));
        transaction.commit();

        m_rowids.push_back(rowid);
        m_rowText.push_back(text);
        m_ends.insert(m_ends.end(), ends.begin(), ends.end());
        m_nulls.insert(m_nulls.end(), nulls.begin(), nulls.end());
        m_state = State::Browse;
        m_buffer.clear();
        m_modified.clear();
        const int row = recordCount() - 1;
        emit rowInserted(row);
        m_current = -2; // force the notification even when the row number is unchanged
        setCurrent(row, false);
        return;
    }

    // Edit: write the columns that were set, to the row it was started on, and only while that
    // row still holds what was read.
    const int row = m_current;
    if (!columns.isEmpty()) {
        QStringList sets;
        for (const QString &c : columns)
            sets << quoteName(c) + QStringLiteral("=?");
        WriteTransaction transaction(*m_connection);
        {
            Statement st(*m_connection,
                         QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                             .arg(quotedTable(), sets.join(QLatin1Char(',')), sameRowCondition()));
            int i = 1;
            for (const QString &v : values)
                st.bind(i++, v);
            bindSameRow(st, i, row);
            st.step();
        }
        if (m_connection->changes() == 0)
            refuseChangedRow();
        if (!readRow(m_rowids[size_t(row)], text, ends, nulls))
            refuseChangedRow();
        transaction.commit();
        const size_t base = size_t(row) * size_t(fieldCount());
        std::copy(ends.begin(), ends.end(), m_ends.begin() + ptrdiff_t(base));
        std::copy(nulls.begin(), nulls.end(), m_nulls.begin() + ptrdiff_t(base));
        m_rowText[size_t(row)] = text;
    }
    m_state = State::Browse;
    m_buffer.clear();
    m_modified.clear();
    emit rowChanged(row);
}

void Dataset::deleteCurrent()
{
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        cancel();
    if (m_current < 0)
        throw DbError(QStringLiteral("没有可删除的记录"));
    const int row = m_current;
    {
        Statement st(*m_connection,
                     QStringLiteral("DELETE FROM %1 WHERE %2").arg(quotedTable(), sameRowCondition()));
        bindSameRow(st, 1, row);
        st.step();
    }
    if (m_connection->changes() == 0)
        refuseChangedRow();

    const size_t n = size_t(fieldCount());
    m_rowids.erase(m_rowids.begin() + row);
    m_rowText.erase(m_rowText.begin() + row);
    m_ends.erase(m_ends.begin() + ptrdiff_t(size_t(row) * n),
                 m_ends.begin() + ptrdiff_t(size_t(row + 1) * n));
    m_nulls.erase(m_nulls.begin() + ptrdiff_t(size_t(row) * n),
                  m_nulls.begin() + ptrdiff_t(size_t(row + 1) * n));
    emit rowRemoved(row);
    const int newCurrent = m_rowids.empty() ? -1 : std::min(row, recordCount() - 1);
    m_current = -2;
    setCurrent(newCurrent, m_rowids.empty());
}

// ---------------------------------------------------------------------------------------------

void runOpenSequence(Connection &connection, Dataset &senderQuery, Dataset &recipientQuery,
                     bool closeConnectionFirst)
{
    if (closeConnectionFirst)
        connection.close();
    senderQuery.close();
    recipientQuery.close();
    connection.setPath(connectionPath());
    senderQuery.setConnection(&connection);
    recipientQuery.setConnection(&connection);
    senderQuery.setSql(QStringLiteral("select * from outrxx"));
    recipientQuery.setSql(QStringLiteral("select * from inrxx"));
    senderQuery.open();
    recipientQuery.open();
    connection.open();
}

} // namespace db
