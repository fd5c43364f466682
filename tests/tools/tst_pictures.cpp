#include "resources/FormBoxes.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtTest>

using namespace formboxes;

namespace {

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString describe(const Rect &r)
{
    return QStringLiteral("%1,%2 %3x%4 mm").arg(r.left).arg(r.top).arg(r.width).arg(r.height);
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void fieldsFallInsideTheirBoxes_data();
    void fieldsFallInsideTheirBoxes();
    void picturesAreBuiltIn_data();
    void picturesAreBuiltIn();
    void blankFormIsBaselineJpeg();
};

// Each field in three places: the single window's layout, the batch window's layout on the
// page, and the batch window's layout view, whose picture lies lower on the band.
void TestPictures::fieldsFallInsideTheirBoxes_data()
{
    QTest::addColumn<int>("place");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<double>("pictureTop");
    for (int i = 0; i < int(std::size(fieldPlaces)); ++i) {
        const QByteArray field = text(fieldPlaces[i].field).toLatin1();
        QTest::newRow(field + " single") << i << false << 0.0;
        QTest::newRow(field + " batch") << i << true << 0.0;
        QTest::newRow(field + " batch view") << i << true << batchPictureTopMm;
    }
}

void TestPictures::fieldsFallInsideTheirBoxes()
{
    QFETCH(int, place);
    QFETCH(bool, batch);
    QFETCH(double, pictureTop);
    const FieldPlace &f = fieldPlaces[place];
    Rect field = batch ? f.batch : f.single;
    field.top -= pictureTop;
    const Rect printed = textRect(field, f.textWidth);

    const Box *box = findBox(f.box);
    QVERIFY2(box, qPrintable(text(f.box)));
    QVERIFY2(box->rect.contains(printed),
             qPrintable(describe(printed) + QStringLiteral(" outside ") + describe(box->rect)));
    for (const Label &l : labels) {
        QVERIFY2(!l.rect.intersects(printed),
                 qPrintable(describe(printed) + QStringLiteral(" covers the label ") + text(l.text)));
    }
}

void TestPictures::picturesAreBuiltIn_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("blank form") << ":/blankform.jpg" << QSize(1800, 997);
    QTest::newRow("app") << ":/icons/app.png" << QSize(64, 64);
    for (const char *name : {"main_recipients", "main_sender", "main_backup", "main_print_single",
                             "main_print_batch", "main_help", "main_exit", "export", "import"})
        QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)) << QSize(22, 22);
    for (const char *name : {"save", "add", "modify", "delete", "search", "ok", "find", "printer16"})
        QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)) << QSize(16, 16);
    for (const char *name : {"preview_zoom_fit", "preview_zoom_width", "preview_zoom_100", "preview_setup",
                             "preview_print", "preview_close", "floppy", "folder_open"})
        QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)) << QSize(32, 32);
    QTest::newRow("preview_first") << ":/icons/preview_first.png" << QSize(20, 32);
    QTest::newRow("preview_last") << ":/icons/preview_last.png" << QSize(20, 32);
    QTest::newRow("preview_prev") << ":/icons/preview_prev.png" << QSize(32, 20);
    QTest::newRow("preview_next") << ":/icons/preview_next.png" << QSize(32, 20);
}

void TestPictures::picturesAreBuiltIn()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QVERIFY(QFile::exists(path));
    const QImage image(path);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), size);
    if (path.endsWith(QLatin1String(".png"))) {
        QVERIFY(image.hasAlphaChannel());
        // Some pixel is see-through, so the button's panel colour shows around the picture.
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        bool transparent = false;
        for (int y = 0; y < argb.height() && !transparent; ++y) {
            for (int x = 0; x < argb.width() && !transparent; ++x)
                transparent = qAlpha(argb.pixel(x, y)) == 0;
        }
        QVERIFY(transparent);
    }
}

// Walks the JPEG's marker segments to its start-of-frame: FFC0 is baseline, FFC2 progressive.
void TestPictures::blankFormIsBaselineJpeg()
{
    QFile file(QStringLiteral(":/blankform.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    auto byte = [&data](qsizetype i) { return i < data.size() ? quint8(data.at(i)) : 0; };
    QCOMPARE(byte(0), 0xFF);
    QCOMPARE(byte(1), 0xD8);
    qsizetype pos = 2;
    int marker = 0;
    while (pos + 4 <= data.size()) {
        QCOMPARE(byte(pos), 0xFF);
        marker = byte(pos + 1);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            break;
        pos += 2 + (byte(pos + 2) << 8 | byte(pos + 3));
    }
    QCOMPARE(marker, 0xC0);
    QCOMPARE(byte(pos + 4), 8);                         // bits per sample
    QCOMPARE(byte(pos + 5) << 8 | byte(pos + 6), 997);  // lines
    QCOMPARE(byte(pos + 7) << 8 | byte(pos + 8), 1800); // samples per line
    QCOMPARE(byte(pos + 9), 3);                         // colour components
}

QTEST_GUILESS_MAIN(TestPictures)
#include "tst_pictures.moc"
