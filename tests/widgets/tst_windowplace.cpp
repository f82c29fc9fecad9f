#include "widgets/WindowPlace.h"

#include <QtTest>

#include <algorithm>

// Where a window of the program opens: beside the main window in a free place on its screen,
// never over it.

namespace {

const QSize kNotita(218, 101); // a notita with its frame, the smallest window placed
const QRect kScreen(0, 0, 1280, 1024);

// Whether any place of size on screen is clear of the calendar and of every taken place; the
// screen is walked two pixels at a time.
bool freePlaceExists(const QRect& calendar, const QSize& size, const QRect& screen,
                     const QList<QRect>& taken)
{
    for (int y = screen.top(); y + size.height() <= screen.bottom() + 1; y += 2) {
        for (int x = screen.left(); x + size.width() <= screen.right() + 1; x += 2) {
            const QRect place(QPoint(x, y), size);
            if (place.intersects(calendar))
                continue;
            if (std::none_of(taken.begin(), taken.end(),
                             [&place](const QRect& other) { return place.intersects(other); }))
                return true;
        }
    }
    return false;
}

// The places of a column of notitas beside a calendar, from top down, as many as fit.
QList<QRect> column(int x, int top, int bottom)
{
    QList<QRect> places;
    for (int y = top; y + kNotita.height() <= bottom; y += kNotita.height() + 8)
        places << QRect(QPoint(x, y), kNotita);
    return places;
}

} // namespace

class TestWindowPlace : public QObject
{
    Q_OBJECT

private slots:
    void freeBeside_data();
    void freeBeside();
};

void TestWindowPlace::freeBeside_data()
{
    QTest::addColumn<QRect>("calendar");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QList<QRect>>("taken");
    QTest::addColumn<QPoint>("expected"); // (-1, -1): anywhere the rules allow

    const QList<QRect> none;
    const QPoint any(-1, -1);
    QTest::newRow("at the left edge: to its right, level with its top")
        << QRect(0, 0, 245, 460) << kScreen << none << QPoint(253, 0);
    QTest::newRow("at the right edge: to its left")
        << QRect(1035, 100, 245, 460) << kScreen << none << QPoint(809, 100);
    QTest::newRow("centred: to its right")
        << QRect(517, 282, 245, 460) << kScreen << none << QPoint(770, 282);
    QTest::newRow("low on the screen: beside it, higher up")
        << QRect(0, 950, 245, 74) << kScreen << none << QPoint(253, 0);
    QTest::newRow("partly off the screen's left: to its right, on the screen")
        << QRect(-100, 200, 245, 460) << kScreen << none << QPoint(153, 200);
    QTest::newRow("partly above the screen: to its right, from the screen's top")
        << QRect(300, -50, 245, 460) << kScreen << none << QPoint(553, 0);
    QTest::newRow("on a second screen right of the first: on that screen")
        << QRect(1380, 50, 245, 460) << QRect(1280, 0, 1920, 1080) << none << QPoint(1633, 50);
    QTest::newRow("nearly the whole screen, a band below: below it")
        << QRect(0, 0, 1280, 900) << kScreen << none << QPoint(0, 908);
    QTest::newRow("nearly the whole screen, a band above: above it")
        << QRect(0, 124, 1280, 900) << kScreen << none << QPoint(0, 15);
    QTest::newRow("nearly the whole screen, a band left: left of it")
        << QRect(230, 0, 1050, 1024) << kScreen << none << QPoint(4, 0);

    QTest::newRow("another notita beside it: the next place down")
        << QRect(0, 0, 245, 460) << kScreen << QList<QRect>{QRect(QPoint(253, 0), kNotita)}
        << QPoint(253, 109);
    QTest::newRow("a notita out of line with the places: the first place clear of it")
        << QRect(0, 0, 245, 460) << kScreen << QList<QRect>{QRect(QPoint(300, 50), kNotita)}
        << QPoint(253, 218);
    QTest::newRow("its whole column taken: the next column")
        << QRect(0, 0, 245, 460) << kScreen << column(253, 0, 1024) << QPoint(479, 0);
    QTest::newRow("at the right edge, the column on its left taken: further left")
        << QRect(1035, 0, 245, 460) << kScreen << column(809, 0, 1024) << QPoint(583, 0);
    QTest::newRow("the band below it taken: the next place below")
        << QRect(0, 0, 1280, 900) << kScreen << QList<QRect>{QRect(QPoint(0, 908), kNotita)}
        << QPoint(226, 908);
    QTest::newRow("every place taken: beside it all the same")
        << QRect(0, 0, 1054, 1024) << kScreen << column(1062, 0, 1024) << QPoint(1062, 0);
    QTest::newRow("the whole screen: on the screen all the same")
        << kScreen << kScreen << none << any;
}

void TestWindowPlace::freeBeside()
{
    QFETCH(QRect, calendar);
    QFETCH(QRect, screen);
    QFETCH(QList<QRect>, taken);
    QFETCH(QPoint, expected);

    const QPoint at = WindowPlace::freeBeside(calendar, kNotita, screen, taken);
    const QRect place(at, kNotita);
    if (expected != QPoint(-1, -1))
        QCOMPARE(at, expected);
    // Always whole on the screen; clear of the calendar wherever it leaves room; clear of the
    // other notitas while a free place is left.
    QVERIFY2(screen.contains(place), qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
    if (freePlaceExists(calendar, kNotita, screen, {}))
        QVERIFY(!place.intersects(calendar));
    if (freePlaceExists(calendar, kNotita, screen, taken)) {
        for (const QRect& other : taken)
            QVERIFY(!place.intersects(other));
    }
}

QTEST_MAIN(TestWindowPlace)
#include "tst_windowplace.moc"
