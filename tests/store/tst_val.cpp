#include "store/jet/Val.h"

#include <QtTest>

class TestVal : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestVal::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("digits then a letter: the digits") << "7a" << 7.0;
    QTest::newRow("no number at all: 0") << "ab" << 0.0;
    QTest::newRow("blanks between digits are skipped") << " 2 45 7" << 2457.0;
    QTest::newRow("a comma ends the number") << "3,5" << 3.0;
    QTest::newRow("minus sign") << "-12" << -12.0;
    QTest::newRow("plus sign") << "+3" << 3.0;
    QTest::newRow("decimal point") << "1.5" << 1.5;
    QTest::newRow("a second point ends the number") << "1.2.3" << 1.2;
    QTest::newRow("hexadecimal") << "&H1F" << 31.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("empty text: 0") << "" << 0.0;
    QTest::newRow("only blanks: 0") << "  " << 0.0;
    QTest::newRow("an hour past the last one") << "24" << 24.0;
}

void TestVal::parse()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(Val::parse(text), expected);
}

QTEST_GUILESS_MAIN(TestVal)
#include "tst_val.moc"
