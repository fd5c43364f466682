#pragma once

// What the printing tests share: a small address book, its datasets, and the words of a PDF
// with their places in millimetres (read by pdftotext -bbox).

#include "data/Database.h"
#include "testsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <memory>

namespace printfixture {

// Sender cells in table order: 单位名称, 寄件人姓名, 寄件地址, 邮政编码, 联系电话, 手机号码, 签名.
inline QStringList sender()
{
    return {
        QStringLiteral("朴桥商贸"), QStringLiteral("王经理"),       QStringLiteral("北京市朝阳区建国路88号"),
        QStringLiteral("100022"),   QStringLiteral("010-85889999"), QStringLiteral("13911112222"),
        QStringLiteral("王")};
}

// Recipient i in table order: 单位名称, 收件人姓名, 收件地址, 邮政编码, 联系电话, 手机号码, 备注.
inline QStringList recipient(int i)
{
    return {QStringLiteral("创维大厦%1").arg(i),
            QStringLiteral("李四%1").arg(i),
            QStringLiteral("深圳市南山区科技园%1").arg(i),
            QStringLiteral("51800%1").arg(i),
            QStringLiteral("0755-8600123%1").arg(i),
            QStringLiteral("1380013800%1").arg(i),
            QString()};
}

// A database with the sender record and count recipients, and the two datasets on it.
struct Book
{
    explicit Book(int count, bool withSender = true)
    {
        if (withSender)
            folder.insert(QStringLiteral("outrxx"), {sender()});
        QVector<QStringList> rows;
        for (int i = 0; i < count; ++i)
            rows << recipient(i);
        folder.insert(QStringLiteral("inrxx"), rows);
        connection.setPath(folder.databasePath());
        senders.setConnection(&connection);
        senders.setSql(QStringLiteral("select * from outrxx"));
        senders.open();
        recipients.setConnection(&connection);
        recipients.setSql(QStringLiteral("select * from inrxx"));
        recipients.open();
    }
    testsupport::DatabaseFolder folder;
    db::Connection connection;
    db::Dataset senders;
    db::Dataset recipients;
};

struct Word
{
    QString text;
    double left, top; // mm
    int page;         // 1-based
};

inline QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline std::vector<Word> pdfWords(const QString &pdf)
{
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<Word> words;
    int page = 0;
    static const QRegularExpression re(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"));
    auto it = re.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++page;
            continue;
        }
        words.push_back({m.captured(3), m.captured(1).toDouble() * 25.4 / 72,
                         m.captured(2).toDouble() * 25.4 / 72, page});
    }
    return words;
}

inline QStringList pageTexts(const std::vector<Word> &words, int page)
{
    QStringList out;
    for (const Word &w : words)
        if (w.page == page)
            out << w.text;
    return out;
}

inline int pdfPageCount(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline QString pdfPageSize(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([^\\n]*) pts")).match(info);
    return m.captured(1);
}

} // namespace printfixture
