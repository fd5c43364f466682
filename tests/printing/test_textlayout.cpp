// Field text layout: fitted fields (one line as wide as its text) and address fields (wrapped
// to the box and kept inside it).

#include "printing/FontTable.h"
#include "printing/Fonts.h"
#include "printing/TextLayout.h"

#include <QtTest>

using printing::MmFontMetrics;

class TestTextLayout : public QObject
{
    Q_OBJECT

private:
    // "宋体" 10 pt; its Chinese characters are one em wide and its Latin letters and digits half.
    MmFontMetrics metrics() const { return MmFontMetrics(fonts::songPoints(10)); }
    double em() const { return metrics().width(QStringLiteral("国")); }

private slots:
    void initTestCase()
    {
        fonts::installSubstitutions();
        QVERIFY(qAbs(metrics().width(QStringLiteral("88")) - em()) < 0.01);
    }

    void wrap_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<double>("widthEm");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("null") << QString() << 10.0 << QStringList();
        QTest::newRow("empty") << QStringLiteral("") << 10.0 << QStringList();
        QTest::newRow("fits") << QStringLiteral("北京市朝阳区") << 10.0
                              << QStringList{QStringLiteral("北京市朝阳区")};
        QTest::newRow("between Chinese characters")
            << QStringLiteral("北京市朝阳区建国路") << 4.2
            << QStringList{QStringLiteral("北京市朝"), QStringLiteral("阳区建国"), QStringLiteral("路")};
        QTest::newRow("house number stays whole")
            << QStringLiteral("建国路88号") << 4.2
            << QStringList{QStringLiteral("建国路"), QStringLiteral("88号")};
        QTest::newRow("room number stays whole")
            << QStringLiteral("大厦1203室") << 4.2
            << QStringList{QStringLiteral("大厦"), QStringLiteral("1203室")};
        QTest::newRow("Latin letter keeps its character")
            << QStringLiteral("现代城A座") << 4.2
            << QStringList{QStringLiteral("现代城"), QStringLiteral("A座")};
        QTest::newRow("carriage return starts a line, line feed dropped")
            << QStringLiteral("北京\r\n上海") << 10.0
            << QStringList{QStringLiteral("北京"), QStringLiteral("上海")};
        QTest::newRow("line feed alone is dropped")
            << QStringLiteral("北京\n上海") << 10.0 << QStringList{QStringLiteral("北京上海")};
        QTest::newRow("empty line kept")
            << QStringLiteral("北京\r\r上海") << 10.0
            << QStringList{QStringLiteral("北京"), QString(), QStringLiteral("上海")};
        QTest::newRow("after spaces") << QStringLiteral("Room 1203 Tower B") << 5.2
                                      << QStringList{QStringLiteral("Room 1203"), QStringLiteral("Tower B")};
        QTest::newRow("after hyphens") << QStringLiteral("Abcd-Efgh-Ijkl") << 5.2
                                       << QStringList{QStringLiteral("Abcd-Efgh-"), QStringLiteral("Ijkl")};
        QTest::newRow("long word breaks where the width runs out")
            << QStringLiteral("ABCDEFGHIJ") << 3.2
            << QStringList{QStringLiteral("ABCDEF"), QStringLiteral("GHIJ")};
        QTest::newRow("long number breaks where the width runs out")
            << QStringLiteral("路1234567890123") << 3.2
            << QStringList{QStringLiteral("路"), QStringLiteral("123456"), QStringLiteral("789012"),
                           QStringLiteral("3")};
        QTest::newRow("long word after a short one")
            << QStringLiteral("ab ABCDEFGHIJ") << 3.2
            << QStringList{QStringLiteral("ab"), QStringLiteral("ABCDEF"), QStringLiteral("GHIJ")};
        QTest::newRow("box narrower than one character")
            << QStringLiteral("北京") << 0.5 << QStringList{QStringLiteral("北"), QStringLiteral("京")};
    }

    void wrap()
    {
        QFETCH(QString, value);
        QFETCH(double, widthEm);
        QFETCH(QStringList, lines);
        QCOMPARE(textlayout::wrap(value, metrics(), widthEm * em()), lines);
    }

    void fitted_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("line");
        QTest::addColumn<double>("widthEm");

        QTest::newRow("empty") << QString() << QString() << 0.0;
        QTest::newRow("one line") << QStringLiteral("王经理") << QStringLiteral("王经理") << 3.0;
        QTest::newRow("first line prints, widest line sets the width")
            << QStringLiteral("王\r\n经理先生") << QStringLiteral("王") << 4.0;
        QTest::newRow("line feed dropped") << QStringLiteral("王\n经理") << QStringLiteral("王经理") << 3.0;
        const QString longName = QString(QStringLiteral("深圳市某某电子科技有限公司")).repeated(4);
        QTest::newRow("long value stays on one line") << longName << longName << 52.0;
    }

    void fitted()
    {
        QFETCH(QString, value);
        QFETCH(QString, line);
        QFETCH(double, widthEm);
        const textlayout::Fitted f = textlayout::layoutFitted(value, metrics());
        QCOMPARE(f.line, line);
        QVERIFY2(qAbs(f.widthMm - widthEm * em()) < 0.01, qPrintable(QString::number(f.widthMm)));
    }

    // The 81.23 x 10.58 mm sender address box.
    void addressShrinksToStayInItsBox_data()
    {
        QTest::addColumn<int>("characters");
        QTest::addColumn<bool>("smaller");
        QTest::addColumn<bool>("complete");
        QTest::newRow("fits at 10 pt") << 20 << false << true;
        QTest::newRow("shrinks") << 70 << true << true;
        QTest::newRow("too long even at the smallest size") << 400 << true << false;
    }

    void addressShrinksToStayInItsBox()
    {
        QFETCH(int, characters);
        QFETCH(bool, smaller);
        QFETCH(bool, complete);
        const QString value =
            QString(QStringLiteral("广东省深圳市南山区科技园")).repeated(40).left(characters);
        printing::FontTable fonts;
        const int base = fonts.add(fonts::songPoints(10));
        const double width = 81.23, height = 10.58;
        const textlayout::AddressFit fit = textlayout::fitAddress(value, fonts, base, width, height);

        const qreal points = fonts.font(fit.font).pointSizeF();
        QCOMPARE(points < 10, smaller);
        QVERIFY(points >= textlayout::kMinAddressPoints);
        QCOMPARE(fit.complete, complete);
        QCOMPARE(fit.lines.join(QString()) == value, complete);
        const MmFontMetrics &m = fonts.metrics(fit.font);
        QVERIFY(fit.lines.size() * m.lineSpacing() <= height + 1e-3);
        for (const QString &line : fit.lines)
            QVERIFY(m.width(line) <= width + 1e-6);
        if (!complete)
            QCOMPARE(points, textlayout::kMinAddressPoints);
        else if (smaller) // not shrunk further than needed
            QVERIFY(textlayout::wrap(value, fonts.metrics(fonts.withPointSize(base, points + 0.5)), width)
                            .size() *
                        fonts.metrics(fonts.withPointSize(base, points + 0.5)).lineSpacing() >
                    height);
    }
};

QTEST_MAIN(TestTextLayout)
#include "test_textlayout.moc"
