#include "month/Spinner.h"

#include <QtTest>

// The alarm time's arrows: up raises the number, down lowers it, and both stop at the ends.
class TestSpinner : public QObject
{
    Q_OBJECT

private slots:
    void arrows_data();
    void arrows();
};

void TestSpinner::arrows_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("expected");
    QTest::newRow("up raises") << 9 << true << 10;
    QTest::newRow("down lowers") << 9 << false << 8;
    QTest::newRow("up stops at the highest") << 23 << true << 23;
    QTest::newRow("down stops at zero") << 0 << false << 0;
}

void TestSpinner::arrows()
{
    QFETCH(int, start);
    QFETCH(bool, up);
    QFETCH(int, expected);
    Spinner spinner(23);
    spinner.resize(13, 29); // the size it has beside the hour box
    spinner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spinner));
    spinner.setNumber(start);
    QTest::mouseClick(&spinner, Qt::LeftButton, {},
                      QPoint(spinner.width() / 2, up ? 2 : spinner.height() - 3));
    QCOMPARE(spinner.number(), expected);
}

QTEST_MAIN(TestSpinner)
#include "tst_spinner.moc"
