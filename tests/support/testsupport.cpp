#include "testsupport.h"

#include "data/Database.h"
#include "widgets/Messages.h"

namespace testsupport {

DatabaseFolder::DatabaseFolder() : m_previousDir(QDir::currentPath())
{
    db::createDatabase(databasePath());
    QDir::setCurrent(m_dir.path());
}

DatabaseFolder::~DatabaseFolder()
{
    QDir::setCurrent(m_previousDir);
}

void DatabaseFolder::insert(const QString &table, const QVector<QStringList> &rows) const
{
    db::Connection c;
    c.setPath(databasePath());
    c.open();
    c.exec(QStringLiteral("BEGIN"));
    for (const QStringList &row : rows) {
        QStringList marks;
        for (int i = 0; i < row.size(); ++i)
            marks << QStringLiteral("?");
        db::Statement st(
            c, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(QLatin1Char(','))));
        for (int i = 0; i < row.size(); ++i)
            st.bind(i + 1, row.at(i));
        st.step();
    }
    c.exec(QStringLiteral("COMMIT"));
}

QVector<QStringList> DatabaseFolder::rows(const QString &table) const
{
    db::Connection c;
    c.setPath(databasePath());
    c.open();
    db::Statement st(c, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
    QVector<QStringList> out;
    while (st.step()) {
        QStringList row;
        for (int i = 0; i < st.columnCount(); ++i)
            row << st.text(i);
        out << row;
    }
    return out;
}

MessageLog::MessageLog()
{
    messages::setRecorder([this](QWidget *, const QString &text) { messages << text; });
    messages::setErrorRecorder([this](QWidget *, const QString &text) { errors << text; });
}

MessageLog::~MessageLog()
{
    messages::setRecorder({});
    messages::setErrorRecorder({});
}

} // namespace testsupport
