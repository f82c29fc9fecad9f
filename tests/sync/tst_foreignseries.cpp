// Another program's repeating event (a weekly class made on the phone) stays that program's:
// synced with a calendar in memory, it is never brought into a note nor sent back, its days are
// shown from what the sync keeps and follow every change the phone makes, and they move on with
// the years without the phone changing anything. Its body is read into the days it occurs on,
// days replaced, taken out or cancelled included.
#include "CalendarSeries.h"
#include "MemoryCalendar.h"
#include "TestStore.h"
#include "store/domain/SyncBook.h"
#include "sync/CalendarSync.h"
#include "sync/ForeignSeries.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kClass = u"/cal/clase.ics"_s;

// The Tuesday of the second week of this year: the phone's class starts there, inside the
// years the sync keeps occurrences over whatever today is.
QDate firstClass()
{
    QDate day(QDate::currentDate().year(), 1, 8);
    while (day.dayOfWeek() != Qt::Tuesday)
        day = day.addDays(1);
    return day;
}

// Tarvelo on a store of its own, synced with a calendar in memory that the phone writes too;
// the store has one day of its own, the day before the first class.
struct Synced
{
    explicit Synced(bool byEtags = false)
    {
        calendar.faults.changes = !byEtags;
        const QUrl at(u"http://memoria/cal/"_s);
        CalendarSync::keep(*t.store, {QUrl(u"http://memoria/"_s), u"ana"_s, at},
                           {at, u"Tarvelo"_s, !byEtags, true}, true);
        Day own;
        own.date = ownDay();
        own.note = u"Dentista"_s;
        t.store->days().save(own);
    }

    static QDate ownDay() { return firstClass().addDays(-1); }
    static QString ownHref() { return u"/cal/dia-%1.ics"_s.arg(ownDay().toString(u"yyyyMMdd"_s)); }

    SyncReport sync() { return CalendarSync(*t.store, calendar).run(); }
    // The phone's event as it now is: put (written over) or, empty, deleted.
    void phone(const QByteArray& body)
    {
        if (body.isEmpty())
            calendar.remove(kClass);
        else
            calendar.put(kClass, body);
    }
    QStringList shown()
    {
        const QDate first = firstClass();
        return CalendarSeries::lines(t.store->days().fromCalendar(QDate(first.year(), 1, 1),
                                                                  QDate(first.year() + 1, 12, 31)));
    }
    // Every day row of the store as "yyyy-MM-dd note".
    QStringList days()
    {
        QStringList out;
        for (const Day& day : t.store->days().between(QDate(1900, 1, 1), QDate(2200, 1, 1)))
            out << day.date.toString(Qt::ISODate) + u' ' + day.note;
        return out;
    }

    TestStore t;
    MemoryCalendar calendar;
};

QString line(const QDate& date, const QString& text)
{
    return date.toString(Qt::ISODate) + u' ' + text;
}

QString stamp(const QDate& date, const char* time = "180000")
{
    return date.toString(u"yyyyMMdd"_s) + u'T' + QString::fromLatin1(time);
}

} // namespace

class TestForeignSeries : public QObject
{
    Q_OBJECT

private slots:
    // The phone's event through its versions, a sync after each: what the store shows, what
    // the days hold, and whether the event is still on the server as the phone left it.
    void phoneChanges_data()
    {
        QTest::addColumn<QList<QByteArray>>("versions"); // empty: deleted on the phone
        QTest::addColumn<bool>("byEtags");               // listed by ETags (no sync-collection)
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("days"); // besides the day of its own
        const QDate d1 = firstClass();
        const QDate d2 = d1.addDays(7);
        const QDate d3 = d1.addDays(14);
        const QByteArray yoga = CalendarSeries::weekly(u"clase@movil"_s, u"Clase de yoga"_s, d1, 3);
        const QByteArray pilates =
            CalendarSeries::weekly(u"clase@movil"_s, u"Clase de pilates"_s, d1, 3);
        const QStringList yogaShown{line(d1, u"18:00 Clase de yoga"_s),
                                    line(d2, u"18:00 Clase de yoga"_s),
                                    line(d3, u"18:00 Clase de yoga"_s)};
        const QStringList none;

        QTest::newRow("added: shown on its days, left on the server")
            << QList{yoga} << false << yogaShown << none;
        QTest::newRow("renamed: the days follow, nothing joined")
            << QList{yoga, pilates} << false
            << QStringList{line(d1, u"18:00 Clase de pilates"_s),
                           line(d2, u"18:00 Clase de pilates"_s),
                           line(d3, u"18:00 Clase de pilates"_s)}
            << none;
        QTest::newRow("deleted: its days go") << QList{yoga, QByteArray()} << false << none << none;
        QTest::newRow("listed by ETags: renamed, then deleted")
            << QList{yoga, pilates, QByteArray()} << true << none << none;
        QTest::newRow("listed by ETags: added") << QList{yoga} << true << yogaShown << none;
        QTest::newRow("one day of it changed on the phone: that day shows the change")
            << QList{yoga,
                     CalendarSeries::body(
                         u"clase@movil"_s,
                         {u"DTSTART:"_s + stamp(d1), u"DURATION:PT1H"_s,
                          u"RRULE:FREQ=WEEKLY;COUNT=3"_s, u"SUMMARY:Clase de yoga"_s},
                         {{u"RECURRENCE-ID:"_s + stamp(d2), u"DTSTART:"_s + stamp(d2, "190000"),
                           u"SUMMARY:Yoga en el parque"_s}})}
            << false
            << QStringList{yogaShown[0], line(d2, u"19:00 Yoga en el parque"_s), yogaShown[2]}
            << none;
        QTest::newRow("one day of it taken out")
            << QList{yoga, CalendarSeries::weekly(u"clase@movil"_s, u"Clase de yoga"_s, d1, 3,
                                                  {u"EXDATE:"_s + stamp(d2)})}
            << false << QStringList{yogaShown[0], yogaShown[2]} << none;
        QTest::newRow("a holiday every year: shown as one")
            << QList{CalendarSeries::body(u"fiesta@movil"_s,
                                          {u"DTSTART;VALUE=DATE:"_s + d1.toString(u"yyyyMMdd"_s),
                                           u"RRULE:FREQ=YEARLY;COUNT=2"_s,
                                           u"SUMMARY:Fiesta local"_s, u"CATEGORIES:Festivo"_s})}
            << false
            << QStringList{line(d1, u"Fiesta local (festivo)"_s),
                           line(d1.addYears(1), u"Fiesta local (festivo)"_s)}
            << none;
        QTest::newRow("no longer repeating: brought into its day and taken off the server")
            << QList{yoga, CalendarSeries::body(u"clase@movil"_s, {u"DTSTART:"_s + stamp(d1),
                                                                   u"SUMMARY:Clase de yoga"_s})}
            << false << none << QStringList{line(d1, u"18:00 Clase de yoga"_s)};
    }
    void phoneChanges()
    {
        QFETCH(QList<QByteArray>, versions);
        QFETCH(bool, byEtags);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, days);
        Synced s(byEtags);
        s.sync();
        QCOMPARE(s.calendar.items().size(), std::size_t(1)); // the day's own event
        s.calendar.resetCounts();
        for (const QByteArray& version : versions) {
            s.phone(version);
            const SyncReport report = s.sync();
            const bool repeats = ForeignSeries::repeats(version);
            QCOMPARE(report.broughtIn, repeats || version.isEmpty() ? 0 : 1);
            QCOMPARE(report.received, repeats || version.isEmpty() ? 0 : 1);
            // The phone's event as the phone left it, beside the day's own: nothing sent for it.
            QCOMPARE(s.calendar.items().count(kClass), std::size_t(repeats ? 1 : 0));
            if (repeats)
                QCOMPARE(s.calendar.items().at(kClass).body, version);
            QVERIFY(s.calendar.items().count(Synced::ownHref()));
        }
        QCOMPARE(s.shown(), shown);
        QCOMPARE(s.days(), QStringList{line(Synced::ownDay(), u"Dentista"_s)} + days);
        // Nothing written to the server but the days' own events (and a promise kept).
        QCOMPARE(s.calendar.writes(), int(days.size()) * 2);
        // A further sync finds nothing to do.
        s.calendar.resetCounts();
        const SyncReport quiet = s.sync();
        QCOMPARE(quiet.sent + quiet.received + quiet.broughtIn, 0);
        QCOMPARE(s.calendar.writes(), 0);
        QCOMPARE(s.shown(), shown);
    }

    // A sync on a day whose years reach further than those the event's days were read over
    // reads them again from the body it kept, though the phone changed nothing.
    void yearsMoveOn_data()
    {
        QTest::addColumn<QDate>("keptThrough");
        QTest::addColumn<bool>("readAgain");
        const QDate last = ForeignSeries::lastDay(QDate::currentDate());
        QTest::newRow("read through an earlier year: read again") << last.addYears(-3) << true;
        QTest::newRow("read through the years of today: left as kept") << last << false;
    }
    void yearsMoveOn()
    {
        QFETCH(QDate, keptThrough);
        QFETCH(bool, readAgain);
        // Every week from years ago, without an end.
        const QByteArray body =
            CalendarSeries::body(u"coro@movil"_s, {u"DTSTART:20200107T200000"_s,
                                                   u"RRULE:FREQ=WEEKLY"_s, u"SUMMARY:Coro"_s});
        Synced s;
        s.phone(body);
        s.sync();
        // As an earlier sync left them, read through keptThrough (and fewer, to tell them).
        std::vector<CalendarOccurrence> earlier =
            ForeignSeries::occurrences(body, keptThrough.addYears(-1));
        earlier.resize(5);
        s.t.store->series().replace({kClass, body, keptThrough}, earlier);
        s.sync();
        const QDate today = QDate::currentDate();
        const std::vector<CalendarOccurrence> now =
            s.t.store->series().between(QDate(2020, 1, 1), QDate(9999, 12, 31));
        QCOMPARE(
            CalendarSeries::lines(now),
            CalendarSeries::lines(readAgain ? ForeignSeries::occurrences(body, today) : earlier));
        QCOMPARE(now.front().date, QDate(2020, 1, 7));
        if (readAgain)
            QCOMPARE(now.back().date.year(), today.year() + 1);
    }

    // A store that read a phone's series before they were kept as the phone's (recorded as
    // read, its days never shown) reads it again once, and then no more.
    void readBeforeSeriesWereKept_data()
    {
        QTest::addColumn<bool>("byEtags");
        QTest::newRow("since a token") << false;
        QTest::newRow("listed by ETags") << true;
    }
    void readBeforeSeriesWereKept()
    {
        QFETCH(bool, byEtags);
        Synced s(byEtags);
        s.phone(CalendarSeries::weekly(u"clase@movil"_s, u"Clase de yoga"_s, firstClass(), 3));
        s.sync();
        s.t.store->series().removeAll();
        SyncBook(s.t.db()).removeSetting(u"repeticiones"_s);
        s.sync();
        QCOMPARE(s.shown().size(), 3);
        s.calendar.resetCounts();
        s.sync();
        QCOMPARE(s.calendar.requests(), 1);
    }

    // The calendar changed (set up anew, or emptied and everything sent again): nothing of the
    // old one is shown.
    void calendarChanged()
    {
        Synced s;
        s.phone(CalendarSeries::weekly(u"clase@movil"_s, u"Clase de yoga"_s, firstClass(), 3));
        s.sync();
        QCOMPARE(s.shown().size(), 3);
        const QUrl other(u"http://memoria/otro/"_s);
        CalendarSync::keep(*s.t.store, {QUrl(u"http://memoria/"_s), u"ana"_s, other},
                           {other, u"Otro"_s, true, true}, true);
        QCOMPARE(s.shown(), QStringList{});
    }

    // A body read into the days its event occurs on, as a sync on 1 June 2027 reads it (the
    // years 2027 and 2028, or from the year the event starts).
    void occurrences_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("expected");
        const QStringList weekly{u"DTSTART:20270112T180000"_s, u"DURATION:PT1H"_s,
                                 u"SUMMARY:Yoga"_s};
        const auto with = [&weekly](const QStringList& more) { return weekly + more; };
        const QString count = u"RRULE:FREQ=WEEKLY;COUNT=3"_s;
        const QStringList three{u"2027-01-12 18:00 Yoga"_s, u"2027-01-19 18:00 Yoga"_s,
                                u"2027-01-26 18:00 Yoga"_s};
        const QStringList replaced{u"RECURRENCE-ID:20270119T180000"_s, u"DTSTART:20270122T090000"_s,
                                   u"SUMMARY:Yoga en la playa"_s};

        QTest::newRow("three times") << CalendarSeries::body(u"a"_s, with({count})) << three;
        QTest::newRow("until a day")
            << CalendarSeries::body(u"a"_s, with({u"RRULE:FREQ=WEEKLY;UNTIL=20270120T000000Z"_s}))
            << three.mid(0, 2);
        QTest::newRow("a day taken out")
            << CalendarSeries::body(u"a"_s, with({count, u"EXDATE:20270119T180000"_s}))
            << QStringList{three[0], three[2]};
        QTest::newRow("a day moved and renamed")
            << CalendarSeries::body(u"a"_s, with({count}), {replaced})
            << QStringList{three[0], u"2027-01-22 09:00 Yoga en la playa"_s, three[2]};
        QTest::newRow("the replaced day written first")
            << CalendarSeries::body(u"a"_s, replaced, {with({count})})
            << QStringList{three[0], u"2027-01-22 09:00 Yoga en la playa"_s, three[2]};
        QTest::newRow("a day replaced without a summary keeps the series'")
            << CalendarSeries::body(
                   u"a"_s, with({count}),
                   {{u"RECURRENCE-ID:20270119T180000"_s, u"DTSTART:20270119T190000"_s}})
            << QStringList{three[0], u"2027-01-19 19:00 Yoga"_s, three[2]};
        QTest::newRow("a day cancelled")
            << CalendarSeries::body(u"a"_s, with({count}),
                                    {{u"RECURRENCE-ID:20270119T180000"_s,
                                      u"DTSTART:20270119T180000"_s, u"STATUS:CANCELLED"_s}})
            << QStringList{three[0], three[2]};
        QTest::newRow("all cancelled")
            << CalendarSeries::body(u"a"_s, with({count, u"STATUS:CANCELLED"_s})) << QStringList{};
        QTest::newRow("from years ago, without an end: from its year through the next")
            << CalendarSeries::body(u"a"_s, {u"DTSTART;VALUE=DATE:20240229"_s,
                                             u"RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1"_s,
                                             u"SUMMARY:Fin de febrero"_s, u"CATEGORIES:Festivo"_s})
            << QStringList{u"2024-02-29 Fin de febrero (festivo)"_s,
                           u"2025-02-28 Fin de febrero (festivo)"_s,
                           u"2026-02-28 Fin de febrero (festivo)"_s,
                           u"2027-02-28 Fin de febrero (festivo)"_s,
                           u"2028-02-29 Fin de febrero (festivo)"_s};
        QTest::newRow("further dates of its own")
            << CalendarSeries::body(u"a"_s, with({u"RDATE:20270301T180000"_s}))
            << QStringList{three[0], u"2027-03-01 18:00 Yoga"_s};
        QTest::newRow("no rule: not a series")
            << CalendarSeries::body(u"a"_s, weekly) << QStringList{};
        QTest::newRow("nothing to show: no summary, all day")
            << CalendarSeries::body(u"a"_s, {u"DTSTART;VALUE=DATE:20270112"_s, count})
            << QStringList{};
        QTest::newRow("not calendar text") << QByteArray("hola") << QStringList{};
    }
    void occurrences()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, expected);
        QCOMPARE(CalendarSeries::lines(ForeignSeries::occurrences(body, QDate(2027, 6, 1))),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestForeignSeries)
#include "tst_foreignseries.moc"
