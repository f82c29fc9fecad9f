#include "Controls.h"
#include "FakeClock.h"
#include "TestStore.h"
#include "month/DayButton.h"
#include "month/MonthPanel.h"
#include "month/MonthView.h"
#include "store/domain/StoreGuard.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QColor kRed(255, 0, 0);

// The button a day of its month is drawn on: Monday first, the 1st on its own weekday.
int indexOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
}

// A month view on a bare client area, over an empty store of its own.
struct Month
{
    explicit Month(const QDate& today = QDate(1997, 3, 5))
        : clock(QDateTime(today, QTime(9, 0))),
          view(s.store->days(), s.store->searchPoint(), clock, guard, &client)
    {
    }

    // What the program writes: 1 for yes.
    void addDay(const QDate& day, int colour, bool alarm, const QString& note, bool holiday = false)
    {
        s.addDay(
            day,
            {.nota = note, .festivo = holiday ? 1 : 0, .alarma = alarm ? 1 : 0, .color = colour});
    }

    void show(const QDate& day)
    {
        view.setFechaActual(day);
        view.MostrarMes();
    }
    DayButton* button(int index) const
    {
        const QByteArray name = "SScmdDia_" + QByteArray::number(index);
        return child<DayButton>(&view, name.constData());
    }

    TestStore s;
    FakeClock clock;
    StoreGuard guard{
        [](const StoreError& error, const QString&) { QFAIL(qPrintable(error.message())); }};
    QWidget client;
    MonthView view;
};

} // namespace

class TestMonthView : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void todayMark_data();
    void todayMark();
    void pictures_data();
    void pictures();
    void holidayBackground();
    void olderStoresYes_data();
    void olderStoresYes();
    void navigation_data();
    void navigation();
    void clicks();
};

void TestMonthView::layout_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("sixRows");
    QTest::addColumn<QString>("caption");

    QTest::newRow("starting on Monday: no blank buttons")
        << QDate(1997, 9, 1) << 0 << 29 << false << "septiembre 1997";
    QTest::newRow("30 days from Saturday end on 34: five rows")
        << QDate(1997, 11, 1) << 5 << 34 << false << "noviembre 1997";
    QTest::newRow("31 days from Sunday fill all 37: six rows")
        << QDate(1998, 3, 1) << 6 << 36 << true << "marzo 1998";
    QTest::newRow("30 days from Sunday end on 35: six rows")
        << QDate(1997, 6, 1) << 6 << 35 << true << "junio 1997";
    QTest::newRow("February of a common year from Monday: four rows")
        << QDate(2027, 2, 1) << 0 << 27 << false << "febrero 2027";
}

void TestMonthView::layout()
{
    QFETCH(QDate, month);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, sixRows);
    QFETCH(QString, caption);

    Month m;
    QSignalSpy gridSpy(&m.view, &MonthView::gridHeightRequested);
    QSignalSpy windowSpy(&m.view, &MonthView::windowHeightRequested);
    QSignalSpy menuSpy(&m.view, &MonthView::menuCaptionsChanged);
    m.show(month.addDays(14));

    for (int i = 0; i < MonthView::kButtons; ++i) {
        const DayButton* button = m.button(i);
        if (i < first) {
            QVERIFY(button->text().isEmpty());
        } else if (i <= last) {
            QCOMPARE(button->text(), QString::number(i - first + 1));
            QVERIFY(!button->isHidden());
            QCOMPARE(button->backColor(), i % 7 == 6 ? kRed : DayButton::buttonFace());
        } else {
            QVERIFY(button->text().isEmpty());
            QVERIFY(button->isHidden());
        }
    }
    QCOMPARE(gridSpy.first().first().toInt(), 2920);
    QCOMPARE(gridSpy.last().first().toInt(), sixRows ? 3370 : 2920);
    QCOMPARE(windowSpy.last().first().toInt(), sixRows ? 4000 : 3550);
    QCOMPARE(child<MonthPanel>(&m.view, "SSPanel1")->height(),
             Twips::toPixels(sixRows ? 3000 : 2610));

    const QLabel* lblMes = child<QLabel>(&m.view, "lblMes");
    QCOMPARE(lblMes->text(), caption);
    QCOMPARE(lblMes->x(), Twips::toPixels((3555 - Twips::fromPixels(lblMes->width())) / 2));
    QCOMPARE(menuSpy.size(), 1);
    QCOMPARE(menuSpy.first().at(0).toString() + ' ' + menuSpy.first().at(1).toString(), caption);
}

void TestMonthView::todayMark_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("months"); // moves on after the first layout

    QTest::newRow("the 7th, bold in every month of a year") << QDate(1997, 3, 7) << 13;
    QTest::newRow("the 31st, kept through the 30-day months") << QDate(1997, 3, 31) << 4;
    QTest::newRow("the 29th, kept through a common February") << QDate(1997, 1, 29) << 2;
}

void TestMonthView::todayMark()
{
    QFETCH(QDate, today);
    QFETCH(int, months);

    Month m(today);
    m.show(today);
    int expected = -1;
    for (int step = 0; step <= months; ++step) {
        if (step > 0)
            m.view.SSCmdMasMes_Click();
        const QDate shown = m.view.dFechaActual();
        const QDate mark(shown.year(), shown.month(), today.day());
        const bool marked = mark.isValid();
        if (marked)
            expected = indexOf(mark);
        QCOMPARE(int(m.view.IndiceHoy()), expected);
        for (int i = 0; i < MonthView::kButtons; ++i)
            QCOMPARE(m.button(i)->isBold(), marked && i == expected);
        if (marked)
            QCOMPARE(m.button(expected)->fontSize(), 11.5);
    }
}

void TestMonthView::pictures_data()
{
    QTest::addColumn<QDate>("rowDay"); // invalid: no row at all
    QTest::addColumn<int>("colour");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<int>("expected");

    const QDate day(1997, 9, 17);
    QTest::newRow("colour 9 with alarm and note") << day << 9 << true << "cumpleaños" << day << 12;
    QTest::newRow("colour 13 with a note only") << day << 13 << false << "cena" << day << 15;
    QTest::newRow("colour 1 with an empty note") << day << 1 << false << "" << day << 1;
    QTest::newRow("no row") << QDate() << 0 << false << "" << day << 5;
    const QDate in2030(2030, 5, 14);
    const QDate in1930(1930, 5, 14);
    QTest::newRow("2030 row shows in 2030") << in2030 << 13 << true << "" << in2030 << 14;
    QTest::newRow("2030 row not in 1930") << in2030 << 13 << true << "" << in1930 << 5;
    QTest::newRow("1930 row shows in 1930") << in1930 << 13 << true << "" << in1930 << 14;
    QTest::newRow("1930 row not in 2030") << in1930 << 13 << true << "" << in2030 << 5;
}

void TestMonthView::pictures()
{
    QFETCH(QDate, rowDay);
    QFETCH(int, colour);
    QFETCH(bool, alarm);
    QFETCH(QString, note);
    QFETCH(QDate, shown);
    QFETCH(int, expected);

    Month m;
    if (rowDay.isValid())
        m.addDay(rowDay, colour, alarm, note);
    m.show(shown);
    for (int i = 0; i < MonthView::kButtons; ++i)
        QCOMPARE(m.button(i)->picture(), i == indexOf(shown) ? expected : 5);

    m.view.SSCmdMasMes_Click();
    for (int i = 0; i < MonthView::kButtons; ++i)
        QCOMPARE(m.button(i)->picture(), 5);
}

void TestMonthView::holidayBackground()
{
    Month m;
    m.addDay(QDate(1997, 9, 2), 5, false, QString(), true);
    m.addDay(QDate(1997, 9, 3), 5, false, QString(), true);
    m.show(QDate(1997, 9, 15)); // the 1st on button 0
    QCOMPARE(m.button(1)->backColor(), kRed);
    QCOMPARE(m.button(2)->backColor(), kRed);
    QCOMPARE(m.button(3)->backColor(), DayButton::buttonFace());

    m.view.SSCmdMasMes_Click(); // October 1997: the 1st, an ordinary Wednesday, on button 2
    QCOMPARE(m.button(2)->text(), QStringLiteral("1"));
    QCOMPARE(m.button(2)->backColor(), DayButton::buttonFace());
    QVERIFY(m.button(1)->text().isEmpty());
    QCOMPARE(m.button(1)->backColor(), kRed);
}

void TestMonthView::olderStoresYes_data()
{
    QTest::addColumn<int>("festivo");
    QTest::addColumn<int>("alarma");
    QTest::addColumn<bool>("red");
    QTest::addColumn<int>("picture");

    QTest::newRow("holiday stored as -1: red") << -1 << 0 << true << 5;
    QTest::newRow("alarm stored as -1: the bell") << 0 << -1 << false << 6;
    QTest::newRow("both stored as -1") << -1 << -1 << true << 6;
}

void TestMonthView::olderStoresYes()
{
    QFETCH(int, festivo);
    QFETCH(int, alarma);
    QFETCH(bool, red);
    QFETCH(int, picture);

    const QDate wednesday(1997, 9, 17);
    Month m;
    m.s.addDay(wednesday, {.festivo = festivo, .alarma = alarma});
    m.show(wednesday);
    QCOMPARE(m.button(indexOf(wednesday))->backColor(), red ? kRed : DayButton::buttonFace());
    QCOMPARE(m.button(indexOf(wednesday))->picture(), picture);
}

void TestMonthView::navigation_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("months");     // one-month moves, back when negative
    QTest::addColumn<int>("years");      // one-year moves, back when negative
    QTest::addColumn<QDate>("expected"); // invalid: nothing moves

    QTest::newRow("31 Jan on, common year") << QDate(1997, 1, 31) << 1 << 0 << QDate(1997, 2, 28);
    QTest::newRow("31 Jan on, leap year") << QDate(1996, 1, 31) << 1 << 0 << QDate(1996, 2, 29);
    QTest::newRow("31 Mar back, common year")
        << QDate(1997, 3, 31) << -1 << 0 << QDate(1997, 2, 28);
    QTest::newRow("31 Mar back, leap year") << QDate(2000, 3, 31) << -1 << 0 << QDate(2000, 2, 29);
    QTest::newRow("29 Feb 1996 a year on") << QDate(1996, 2, 29) << 0 << 1 << QDate(1997, 2, 28);
    QTest::newRow("29 Feb 1996 a year back") << QDate(1996, 2, 29) << 0 << -1 << QDate(1995, 2, 28);
    QTest::newRow("15 Dec on into January") << QDate(1997, 12, 15) << 1 << 0 << QDate(1998, 1, 15);
    QTest::newRow("15 Jan back into December")
        << QDate(1998, 1, 15) << -1 << 0 << QDate(1997, 12, 15);
    QTest::newRow("30 May on twice keeps the 30th")
        << QDate(1997, 5, 30) << 2 << 0 << QDate(1997, 7, 30);
    QTest::newRow("year 9999 a year on stays") << QDate(9999, 6, 15) << 0 << 1 << QDate();
    QTest::newRow("December 9999 a month on stays") << QDate(9999, 12, 15) << 1 << 0 << QDate();
    QTest::newRow("January 100 a month back stays") << QDate(100, 1, 15) << -1 << 0 << QDate();
}

void TestMonthView::navigation()
{
    QFETCH(QDate, from);
    QFETCH(int, months);
    QFETCH(int, years);
    QFETCH(QDate, expected);
    const int steps = std::abs(months) + std::abs(years);

    std::optional<QDate> target = from;
    for (int step = 0; step < steps && target; ++step)
        target = MonthView::moved(*target,
                                  months > 0   ? 1
                                  : months < 0 ? -1
                                               : 0,
                                  years > 0   ? 1
                                  : years < 0 ? -1
                                              : 0);
    QCOMPARE(target.has_value(), expected.isValid());
    if (target)
        QCOMPARE(*target, expected);

    Month m;
    m.show(from);
    QSignalSpy menuSpy(&m.view, &MonthView::menuCaptionsChanged);
    for (int step = 0; step < steps; ++step) {
        if (months != 0)
            months > 0 ? m.view.SSCmdMasMes_Click() : m.view.SSCmdMenosMes_Click();
        else
            years > 0 ? m.view.SSCmdMasAnyo_Click() : m.view.SSCmdMenosAnyo_Click();
    }
    QCOMPARE(m.view.dFechaActual(), expected.isValid() ? expected : from);
    QCOMPARE(menuSpy.size(), expected.isValid() ? steps : 0); // no layout when nothing moves
}

void TestMonthView::clicks()
{
    Month m;
    m.client.resize(240, 240);
    m.client.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m.client));
    m.s.addDay(QDate(1997, 9, 11), {.festivo = 1});
    m.show(QDate(1997, 9, 15)); // five rows: buttons 30 to 36 hidden
    QSignalSpy daySpy(&m.view, &MonthView::dayClicked);
    QSignalSpy panelSpy(&m.view, &MonthView::panelClicked);
    MonthPanel* grid = child<MonthPanel>(&m.view, "SSPanel1");

    QTest::mouseClick(m.button(10), Qt::LeftButton);
    QCOMPARE(daySpy.size(), 1);
    QCOMPARE(daySpy.first().at(0).toDate(), QDate(1997, 9, 11));
    QCOMPARE(daySpy.first().at(1).toBool(), true); // drawn red: a holiday
    QCOMPARE(panelSpy.size(), 0);

    // Where hidden button 36 sits the panel is free.
    const QRect hidden = m.button(36)->geometry();
    const QPoint free(hidden.center().x(), hidden.top() + 2);
    QVERIFY(m.button(36)->isHidden() && grid->rect().contains(free));
    QTest::mouseClick(grid, Qt::LeftButton, {}, free);
    QCOMPARE(panelSpy.size(), 1);

    const auto* header = child<QLabel>(grid, "Label4");
    QTest::mouseClick(grid, Qt::LeftButton, {}, header->geometry().center());
    QCOMPARE(panelSpy.size(), 1);
    QCOMPARE(daySpy.size(), 1);
}

QTEST_MAIN(TestMonthView)
#include "tst_monthview.moc"
