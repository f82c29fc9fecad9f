#include "month/DayMarkPictures.h"

#include <QtTest>

namespace {

const char* const kBellRows[8] = {"..###..", "..###..", ".#####.", ".#####.",
                                  "#######", "#######", "...#...", "...#..."};
const char* const kNoteRows[8] = {"#######", "#x#xxx#", "#######", "#xxx###",
                                  "#######", "#x#xxx#", "#######", "#######"};

void drawRows(QImage& image, const char* const rows[8], int left, QRgb strip)
{
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 7; ++x) {
            const char c = rows[y][x];
            image.setPixel(left + x, y,
                           c == '#'   ? qRgb(255, 255, 0)
                           : c == 'x' ? qRgb(0, 0, 0)
                                      : strip);
        }
    }
}

// Picture n as it should look, built from the strip colours and the two marks.
QImage expectedPicture(int n)
{
    static const QRgb kStrips[4] = {qRgb(0, 255, 255), qRgb(192, 192, 192), qRgb(0, 0, 0),
                                    qRgb(0, 128, 0)};
    const QRgb strip = kStrips[(n - 1) / 4];
    const int mark = (n - 1) % 4;
    QImage image(29, 8, QImage::Format_ARGB32);
    image.fill(strip);
    if (mark == 1 || mark == 3)
        drawRows(image, kBellRows, 1, strip);
    if (mark == 2 || mark == 3)
        drawRows(image, kNoteRows, 21, strip);
    return image;
}

} // namespace

class TestDayMarkPictures : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void doubledPixmapKeepsSharpPixels();
    void pictureForAddsMarks();
};

void TestDayMarkPictures::pictures_data()
{
    QTest::addColumn<int>("n");
    static const char* const kStrips[4] = {"aqua", "light grey", "black", "green"};
    static const char* const kMarks[4] = {"no mark", "bell", "note", "bell and note"};
    for (int n = 1; n <= 16; ++n) {
        QTest::addRow("%d: %s strip, %s", n, kStrips[(n - 1) / 4], kMarks[(n - 1) % 4]) << n;
    }
}

void TestDayMarkPictures::pictures()
{
    QFETCH(int, n);
    const QImage expected = expectedPicture(n);
    const QImage drawn = DayMarkPictures::picture(n);
    const QImage transparent = DayMarkPictures::transparentPicture(n);
    QCOMPARE(drawn.size(), QSize(29, 8));
    QCOMPARE(transparent.size(), QSize(29, 8));

    int transparentPixels = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 29; ++x) {
            const QRgb want = expected.pixel(x, y);
            QVERIFY2(drawn.pixel(x, y) == want,
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            const QRgb shown = transparent.pixel(x, y);
            if (want == qRgb(192, 192, 192)) {
                QCOMPARE(qAlpha(shown), 0);
                ++transparentPixels;
            } else {
                QCOMPARE(shown, want);
            }
        }
    }
    if (n == 5)
        QCOMPARE(transparentPixels, 29 * 8);
}

void TestDayMarkPictures::doubledPixmapKeepsSharpPixels()
{
    for (int n : {5, 8, 12, 16}) {
        const QPixmap pixmap = DayMarkPictures::pixmap(n, 2.0);
        QCOMPARE(pixmap.size(), QSize(58, 16));
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        const QImage scaled = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage source = DayMarkPictures::transparentPicture(n);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 58; ++x) {
                const QRgb want = source.pixel(x / 2, y / 2);
                const QRgb got = scaled.pixel(x, y);
                const bool same = qAlpha(want) == 0 ? qAlpha(got) == 0 : got == want;
                QVERIFY2(same,
                         qPrintable(QStringLiteral("picture %1 pixel %2,%3").arg(n).arg(x).arg(y)));
            }
        }
    }
}

void TestDayMarkPictures::pictureForAddsMarks()
{
    QCOMPARE(DayMarkPictures::pictureFor(DayColour::Negro, true, true), 12);
    QCOMPARE(DayMarkPictures::pictureFor(DayColour::Verde, false, true), 15);
    QCOMPARE(DayMarkPictures::pictureFor(DayColour::Gris, true, false), 6);
}

QTEST_MAIN(TestDayMarkPictures)
#include "tst_daymarkpictures.moc"
