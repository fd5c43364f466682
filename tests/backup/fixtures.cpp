#include "fixtures.h"

#include "data/Database.h"

#include <QDir>
#include <QFile>

namespace fixtures {

void makeDatabase(const QString &path, const QString &tag, int recipients)
{
    db::createDatabase(path);
    db::Connection c;
    c.setPath(path);
    c.open();
    c.exec(QStringLiteral("BEGIN"));
    auto insert = [&c](const QString &table, const QStringList &cells) {
        db::Statement st(c, QStringLiteral("INSERT INTO %1 VALUES (?,?,?,?,?,?,?)").arg(table));
        for (int i = 0; i < cells.size(); ++i)
            st.bind(i + 1, cells.at(i));
        st.step();
    };
    insert(QStringLiteral("outrxx"),
           {tag + QStringLiteral("商行"), QStringLiteral("李四"), QStringLiteral("北京市"),
            QStringLiteral("100000"), QStringLiteral("010-1234"), QStringLiteral("13800000000"),
            QStringLiteral("李")});
    for (int i = 0; i < recipients; ++i)
        insert(QStringLiteral("inrxx"),
               {tag + QStringLiteral("公司%1").arg(i), QStringLiteral("收件人%1").arg(i),
                QStringLiteral("上海市某路%1号").arg(i), QStringLiteral("200000"), QStringLiteral("021-5555"),
                QStringLiteral("1390000%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("备注")});
    c.exec(QStringLiteral("COMMIT"));
}

void exec(const QString &path, const QStringList &statements)
{
    db::Connection c;
    c.setPath(path);
    c.open();
    for (const QString &sql : statements)
        c.exec(sql);
}

QVector<QStringList> rows(const QString &path, const QString &table)
{
    db::Connection c;
    c.setPath(path);
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

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &content)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace fixtures
