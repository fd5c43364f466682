#pragma once

// What the benchmarks share: a generated address book and small statistics helpers.

#include "data/Database.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// Appends count recipients of realistic length to the data.mdb at path, plus a sender record.
inline void fillBook(const QString &path, int count)
{
    db::Connection c;
    c.setPath(path);
    c.open();
    c.exec(QStringLiteral("BEGIN"));
    c.exec(QStringLiteral("INSERT INTO outrxx VALUES ('北京朴桥商贸有限公司','王经理','北京市朝阳区建国路88号SOHO现代城A座1203室',"
                          "'100022','010-85889999','13911112222','王')"));
    db::Statement st(c, QStringLiteral("INSERT INTO inrxx VALUES (?,?,?,?,?,?,?)"));
    for (int i = 0; i < count; ++i) {
        st.reset();
        st.bind(1, QStringLiteral("深圳市某某电子科技有限公司第%1分部").arg(i % 97));
        st.bind(2, QStringLiteral("收件人%1").arg(i));
        st.bind(3, QStringLiteral("广东省深圳市南山区科技园南区高新南七道%1号创维大厦%2室").arg(i % 300).arg(1000 + i % 900));
        st.bind(4, QStringLiteral("518%1").arg(i % 1000, 3, 10, QLatin1Char('0')));
        st.bind(5, QStringLiteral("0755-8%1").arg(i % 10000000, 7, 10, QLatin1Char('0')));
        st.bind(6, QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')));
        st.bind(7, i % 5 ? QString() : QStringLiteral("周末不收件"));
        st.step();
    }
    c.exec(QStringLiteral("COMMIT"));
}

} // namespace bench
