// Other programs' repeating events kept beside the days: what is kept replaces what was, goes
// with its event or with everything the sync forgets, and is read between two days; a store that
// never kept any gets no table for them.
#include "CalendarSeries.h"
#include "TestStore.h"
#include "store/domain/SeriesBook.h"
#include "store/domain/SyncBook.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// "2027-01-12=18:00 Yoga" or "2027-01-12=San Isidro!" (a holiday): one occurrence.
CalendarOccurrence occurrence(const QString& written)
{
    const QString text = written.section(u'=', 1);
    const bool holiday = text.endsWith(u'!');
    return {QDate::fromString(written.section(u'=', 0, 0), Qt::ISODate),
            holiday ? text.chopped(1) : text, holiday};
}

// Runs one step on the store: "keep HREF OCC;OCC…", "remove HREF", "removeAll",
// "forget HREF" (the sync forgets the name), "forgetAll" (the sync's calendar changed).
void run(Database& db, const QString& step)
{
    const QString verb = step.section(u' ', 0, 0);
    const QString href = step.section(u' ', 1, 1);
    if (verb == "keep"_L1) {
        std::vector<CalendarOccurrence> kept;
        for (const QString& written : step.section(u' ', 2).split(u';', Qt::SkipEmptyParts))
            kept.push_back(occurrence(written));
        CalendarSeries::keep(db, href, kept);
    } else if (verb == "remove"_L1) {
        SeriesBook(db).remove(href);
    } else if (verb == "removeAll"_L1) {
        SeriesBook(db).removeAll();
    } else if (verb == "forget"_L1) {
        SyncBook(db).forgetHref(href);
    } else if (verb == "forgetAll"_L1) {
        SyncBook(db).forgetAll();
    } else {
        QFAIL(qPrintable(u"unknown step "_s + step));
    }
}

bool tableThere(Database& db, const char* name)
{
    Statement look = db.prepare(u"SELECT count(*) FROM sqlite_master WHERE name = ?1"_s);
    look.bind(1, QString::fromLatin1(name));
    look.step();
    const bool there = look.columnInt64(0) > 0;
    look.reset();
    return there;
}

const QString kYoga = u"keep yoga.ics 2027-01-12=18:00 Yoga;2027-01-19=18:00 Yoga;"
                      "2027-01-26=18:00 Yoga"_s;
const QString kFiesta = u"keep fiesta.ics 2027-01-19=San Isidro!;2027-05-15=San Isidro!"_s;

} // namespace

class TestSeriesBook : public QObject
{
    Q_OBJECT

private slots:
    // Steps run in order, then the occurrences read between two days.
    void kept_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QStringList>("expected");
        const QDate jan1(2027, 1, 1);
        const QDate dec31(2027, 12, 31);
        const QStringList yoga{u"2027-01-12 18:00 Yoga"_s, u"2027-01-19 18:00 Yoga"_s,
                               u"2027-01-26 18:00 Yoga"_s};

        QTest::newRow("one event's days, in date order")
            << QStringList{kYoga} << jan1 << dec31 << yoga;
        QTest::newRow("kept again (renamed): only the new days")
            << QStringList{kYoga, u"keep yoga.ics 2027-01-12=18:00 Pilates"_s} << jan1 << dec31
            << QStringList{u"2027-01-12 18:00 Pilates"_s};
        QTest::newRow("two events: one day's in the order they were kept")
            << QStringList{kYoga, kFiesta} << jan1 << QDate(2027, 1, 31)
            << QStringList{yoga[0], yoga[1], u"2027-01-19 San Isidro (festivo)"_s, yoga[2]};
        QTest::newRow("both ends included, nothing outside")
            << QStringList{kYoga} << QDate(2027, 1, 19) << QDate(2027, 1, 26)
            << QStringList{yoga[1], yoga[2]};
        QTest::newRow("one event removed: the other's stay")
            << QStringList{kYoga, kFiesta, u"remove yoga.ics"_s} << jan1 << dec31
            << QStringList{u"2027-01-19 San Isidro (festivo)"_s,
                           u"2027-05-15 San Isidro (festivo)"_s};
        QTest::newRow("everything removed")
            << QStringList{kYoga, kFiesta, u"removeAll"_s} << jan1 << dec31 << QStringList{};
        QTest::newRow("the sync forgets the name: its days go with it")
            << QStringList{kYoga, kFiesta, u"forget fiesta.ics"_s} << jan1 << dec31 << yoga;
        QTest::newRow("the sync's calendar changes: everything goes")
            << QStringList{kYoga, kFiesta, u"forgetAll"_s} << jan1 << dec31 << QStringList{};
        QTest::newRow("a name never kept removed: nothing changes")
            << QStringList{kYoga, u"remove otro.ics"_s} << jan1 << dec31 << yoga;
    }
    void kept()
    {
        QFETCH(QStringList, steps);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QStringList, expected);
        TestStore t;
        for (const QString& step : steps)
            run(t.db(), step);
        QCOMPARE(CalendarSeries::lines(t.store->series().between(first, last)), expected);
        QCOMPARE(CalendarSeries::lines(t.store->days().fromCalendar(first, last)), expected);
    }

    // A store that never kept any: every reading finds nothing and makes nothing, and so does
    // forgetting, so that a store that never met such an event looks as it always did.
    void neverKept()
    {
        TestStore t;
        SeriesBook& book = t.store->series();
        QVERIFY(!book.present());
        QVERIFY(book.between(QDate(1900, 1, 1), QDate(2100, 1, 1)).empty());
        QVERIFY(book.listed(ListingRequest::allNotes()).empty());
        QVERIFY(book.keptBefore(QDate(2100, 1, 1)).empty());
        book.remove(u"yoga.ics"_s);
        book.removeAll();
        SyncBook(t.db()).forgetHref(u"yoga.ics"_s);
        QVERIFY(!tableThere(t.db(), "SincroRepeticion"));
        QVERIFY(!tableThere(t.db(), "SincroSerie"));
        // Made meanwhile through another book (the sync's): seen at the next look.
        run(t.db(), kYoga);
        QVERIFY(tableThere(t.db(), "SincroRepeticion"));
        QCOMPARE(int(book.between(QDate(2027, 1, 1), QDate(2027, 12, 31)).size()), 3);
    }
};

QTEST_GUILESS_MAIN(TestSeriesBook)
#include "tst_seriesbook.moc"
