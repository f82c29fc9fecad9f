// Items changed here and on the server, put together three ways, with the laws every merge
// keeps checked over every combination of a few values; and an item read back from the body
// sent for it is the item as the server keeps it.
#include "Thrown.h"
#include "sync/DayContent.h"
#include "sync/Multistatus.h"
#include "sync/NotitaContent.h"
#include "sync/SyncError.h"
#include "sync/SyncItem.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QDate kDate(2026, 3, 5);

// A day as the store may hold it, the marks in the order the rows read.
Day stored(const QString& note, bool holiday = false, bool alarmOn = false,
           std::optional<QTime> alarmTime = {}, std::optional<DayColour> colour = {})
{
    return {kDate, note, holiday, alarmOn, alarmTime, colour};
}

// A day as the sync compares it: the alarm on when it has a time.
Day day(const QString& note, bool holiday = false, std::optional<QTime> alarm = std::nullopt,
        DayColour colour = DayColours::kNeutral)
{
    return DayContent::canonical(stored(note, holiday, alarm.has_value(), alarm, colour));
}

const std::optional<Day> kNew = std::nullopt;

std::optional<SyncItem> itemOf(const std::optional<Day>& day)
{
    return day ? std::optional(SyncItem::ofDay(*day)) : std::nullopt;
}

// The words of a text: what the laws say may not be lost.
QSet<QString> wordsOf(const QString& text)
{
    QSet<QString> words;
    for (const QString& word : text.split(QRegularExpression(u"[\\s·]+"_s), Qt::SkipEmptyParts))
        words.insert(word);
    return words;
}

// A multistatus around what it holds, as a server answers.
QByteArray multistatus(const QByteArray& inside)
{
    return "<d:multistatus xmlns:d=\"DAV:\">" + inside + "</d:multistatus>";
}

} // namespace

Q_DECLARE_METATYPE(Day)
Q_DECLARE_METATYPE(std::optional<Day>)

class TestSyncMerge : public QObject
{
    Q_OBJECT

private slots:
    void merge_data()
    {
        QTest::addColumn<std::optional<Day>>("base");
        QTest::addColumn<Day>("local");
        QTest::addColumn<Day>("remote");
        QTest::addColumn<Day>("expected");
        QTest::addColumn<bool>("joined");

        const Day a = day(u"Dentista"_s);
        QTest::newRow("changed here only")
            << std::optional(a) << day("Dentista 10h") << a << day("Dentista 10h") << false;
        QTest::newRow("changed there only")
            << std::optional(a) << a << day("Médico") << day("Médico") << false;
        QTest::newRow("both added to the note: both additions, the note once")
            << std::optional(a) << day("Dentista 10h") << day("Dentista mañana")
            << day("Dentista 10h · mañana") << true;
        QTest::newRow("typed at both ends: both, no clash")
            << std::optional(a) << day("Ir al Dentista") << day("Dentista 10h")
            << day("Ir al Dentista 10h") << false;
        QTest::newRow("both made the same change")
            << std::optional(a) << day("X") << day("X") << day("X") << false;
        QTest::newRow("both changed the holiday mark: the server's")
            << std::optional(day("N", true)) << day("N", false, QTime(9, 0)) << day("N", false)
            << day("N", false, QTime(9, 0)) << false;
        QTest::newRow("both changed the colour: the server's")
            << std::optional(a) << day("Dentista", false, {}, DayColour::Azul)
            << day("Dentista", false, {}, DayColour::Verde)
            << day("Dentista", false, {}, DayColour::Verde) << true;
        QTest::newRow("both changed the alarm: the server's")
            << std::optional(day("A", false, QTime(8, 0))) << day("A", false, QTime(9, 0))
            << day("A", false, QTime(10, 30)) << day("A", false, QTime(10, 30)) << true;
        QTest::newRow("a mark here, the note there: both stand")
            << std::optional(a) << day("Dentista", true) << day("Médico") << day("Médico", true)
            << false;
        QTest::newRow("deleted here, edited there: the edit")
            << std::optional(a) << day("") << day("Médico", true) << day("Médico", true) << false;
        QTest::newRow("edited here, deleted there: the edit")
            << std::optional(a) << day("Dentista", true) << day("") << day("Dentista", true)
            << false;
        QTest::newRow("deleted there, untouched here: deleted")
            << std::optional(a) << a << day("") << day("") << false;
        QTest::newRow("new on both sides: both notes, the server's marks")
            << kNew << day("Aquí", false, {}, DayColour::Azul)
            << day("Allí", false, {}, DayColour::Negro)
            << day("Aquí · Allí", false, {}, DayColour::Negro) << true;
        QTest::newRow("new on both sides, one holding the other")
            << kNew << day("Cena · Cine") << day("Cine") << day("Cena · Cine") << false;
    }
    void merge()
    {
        QFETCH(std::optional<Day>, base);
        QFETCH(Day, local);
        QFETCH(Day, remote);
        QFETCH(Day, expected);
        QFETCH(bool, joined);
        bool both = false;
        const SyncItem result =
            SyncItem::merge(itemOf(base), SyncItem::ofDay(local), SyncItem::ofDay(remote), &both);
        QCOMPARE(result.day, expected);
        QCOMPARE(both, joined);
    }

    // The laws of every merge, days and notitas alike, over every combination of a few notes
    // and marks: nothing changed on one side takes the other's; the same change on both is
    // that change; and no word either side has that the base lacked is lost.
    void laws_data()
    {
        QTest::addColumn<bool>("days");
        QTest::newRow("days: notes, holiday, colour and alarm") << true;
        QTest::newRow("notitas: texts") << false;
    }
    void laws()
    {
        QFETCH(bool, days);
        const QStringList notes{{}, u"a"_s, u"b"_s, u"a · b"_s};
        std::vector<SyncItem> items;
        for (const QString& note : notes) {
            if (!days) {
                items.push_back(SyncItem::ofNotita(u"n@tarvelo"_s, note));
                continue;
            }
            for (const bool holiday : {false, true}) {
                for (const DayColour colour : {DayColours::kNeutral, DayColour::Azul}) {
                    for (const std::optional<QTime> alarm :
                         {std::optional<QTime>(), std::optional(QTime(9, 0))})
                        items.push_back(SyncItem::ofDay(day(note, holiday, alarm, colour)));
                }
            }
        }
        const auto noteOf = [days](const SyncItem& item) {
            return days ? item.day.note : item.text;
        };
        int checked = 0;
        for (const SyncItem& b : items) {
            for (const SyncItem& l : items) {
                for (const SyncItem& r : items) {
                    for (const std::optional<SyncItem>& base :
                         {std::optional(b), std::optional<SyncItem>()}) {
                        const SyncItem merged = SyncItem::merge(base, l, r);
                        const QString where = u"%1 | %2 | %3"_s.arg(
                            base ? noteOf(*base) : u"(ninguna)"_s, noteOf(l), noteOf(r));
                        if (l.sameAs(r))
                            QVERIFY2(merged.sameAs(l), qPrintable(where));
                        if (base && l.sameAs(*base))
                            QVERIFY2(merged.sameAs(r), qPrintable(where));
                        if (base && r.sameAs(*base))
                            QVERIFY2(merged.sameAs(l), qPrintable(where));
                        // What a side added stands, unless that side deleted the item and the
                        // other kept it as it was (a deletion then goes through).
                        const QSet<QString> had = base ? wordsOf(noteOf(*base)) : QSet<QString>();
                        for (const SyncItem* side : {&l, &r}) {
                            const SyncItem& other = side == &l ? r : l;
                            if (!side->present() ||
                                (base && !other.present() && side->sameAs(*base)))
                                continue;
                            for (const QString& word : wordsOf(noteOf(*side)) - had)
                                QVERIFY2(wordsOf(noteOf(merged)).contains(word),
                                         qPrintable(where + u" pierde "_s + word));
                        }
                        ++checked;
                    }
                }
            }
        }
        QCOMPARE(checked, 2 * int(items.size() * items.size() * items.size()));
    }

    // Local changes are found by comparing each day with what was last sent: a day must read
    // back from its own body as exactly its canonical form, or it would be sent at every sync.
    void roundTrip_data()
    {
        QTest::addColumn<Day>("stored");
        QTest::newRow("a note, no colour") << stored(u"Dentista"_s);
        QTest::newRow("accents, separators, commas and semicolons")
            << stored(u"Año nuevo · cañas; té, ¿sí?"_s);
        QTest::newRow("note of blanks only, holiday") << stored(u"   "_s, true);
        QTest::newRow("blanks around the note") << stored(u"  cena  "_s);
        QTest::newRow("alarm with seconds, off colour")
            << stored({}, false, true, QTime(7, 45, 31), DayColour::Verde);
        QTest::newRow("alarm without a time") << stored({}, false, true);
        QTest::newRow("alarm off keeps a time the server never sees")
            << stored(u"n"_s, false, false, QTime(9, 0));
        QTest::newRow("long note") << stored(QString(300, u'x'));
    }
    void roundTrip()
    {
        QFETCH(Day, stored);
        const DayContent::Read read = DayContent::read(DayContent::body(stored), u"prueba"_s);
        QVERIFY(read.ours);
        QCOMPARE(read.day, DayContent::canonical(stored));
    }

    // Likewise a notita's text from its journal entry's body.
    void notitaRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("one line") << u"Comprar pan"_s;
        QTest::newRow("lines as the notita box keeps them") << u"Pan\r\nLeche\r\n\r\nHuevos"_s;
        QTest::newRow("blanks around, commas, semicolons, backslashes")
            << u"  té, ¿sí?; C:\\datos  "_s;
    }
    void notitaRoundTrip()
    {
        QFETCH(QString, text);
        const QString uid = u"0b3c2e6a-1f7d-4a55-9a59-3f0a7e2f8c11@tarvelo"_s;
        const std::optional<NotitaContent::Read> read =
            NotitaContent::read(NotitaContent::body(uid, text), u"prueba"_s);
        QVERIFY(read);
        QCOMPARE(read->uid, uid);
        QCOMPARE(read->text, NotitaContent::canonical(text));
        QVERIFY(!NotitaContent::read(DayContent::body(stored(u"n"_s)), u"prueba"_s));
    }

    // Another program's events bring their summary, with the time the user's clock shows, to
    // each day they cover.
    void foreignEvent_data()
    {
        QTest::addColumn<QByteArray>("event");
        QTest::addColumn<QList<QDate>>("dates");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("recurring");
        const QDate d(2026, 3, 5);
        QTest::newRow("all-day") << QByteArray("DTSTART;VALUE=DATE:20260305\r\nSUMMARY:Feria")
                                 << QList{d} << "Feria" << false;
        QTest::newRow("floating time") << QByteArray("DTSTART:20260305T173000\r\nSUMMARY:Tenis")
                                       << QList{d} << "17:30 Tenis" << false;
        QTest::newRow("time without a summary")
            << QByteArray("DTSTART:20260306T080000") << QList{d.addDays(1)} << "08:00" << false;
        QTest::newRow("three days")
            << QByteArray("DTSTART;VALUE=DATE:20260305\r\nDTEND;VALUE=DATE:20260308\r\n"
                          "SUMMARY:Congreso")
            << QList{d, d.addDays(1), d.addDays(2)} << "Congreso" << false;
        QTest::newRow("weekly, three times")
            << QByteArray("DTSTART;VALUE=DATE:20260305\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
                          "SUMMARY:Yoga")
            << QList{d, d.addDays(7), d.addDays(14)} << "Yoga" << true;
    }
    void foreignEvent()
    {
        QFETCH(QByteArray, event);
        QFETCH(QList<QDate>, dates);
        QFETCH(QString, text);
        QFETCH(bool, recurring);
        const QByteArray body = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\n"
                                "BEGIN:VEVENT\r\nUID:abc-123\r\nDTSTAMP:20260101T000000Z\r\n" +
                                event + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        const DayContent::Read read = DayContent::read(body, u"movil.ics"_s);
        QVERIFY(!read.ours);
        QCOMPARE(QList<QDate>(read.dates.begin(), read.dates.end()), dates);
        QCOMPARE(read.text, text);
        QCOMPARE(read.recurring, recurring);
    }

    // What a server answers is read within limits, or refused with the server named.
    void multistatusRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("cause");
        QTest::newRow("not XML") << QByteArray("hola, esto no es XML") << "no es XML válido";
        QTest::newRow("cut short") << multistatus("<d:response><d:href>/a/b.ics</d:href>").left(40)
                                   << "se acaba antes de terminar";
        QTest::newRow("another root") << QByteArray("<html xmlns=\"DAV:\"/>") << "multistatus";
        QTest::newRow("a DTD with entities")
            << "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaa\"><!ENTITY b "
               "\"&a;&a;&a;&a;\">]>" +
                   multistatus("&b;")
            << "DTD";
        QTest::newRow("an entity without a DTD") << multistatus("&x;") << "no es XML válido";
        QTest::newRow("nested too deep")
            << "<d:multistatus xmlns:d=\"DAV:\"><d:response>" + QByteArray("<x>").repeated(100)
            << "anida más de 32";
        QTest::newRow("an href on another server")
            << multistatus("<d:response><d:href>https://otro.example/a.ics</d:href></d:response>")
            << "remite a otro servidor";
        QTest::newRow("a response without href") << multistatus("<d:response/>") << "falta href";
    }
    void multistatusRefused()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, cause);
        const QString said = thrown<SyncError>(
            [&] { Multistatus::read(body, QUrl(u"http://127.0.0.1:5232/a/"_s), u"127.0.0.1"_s); });
        QVERIFY2(said.contains(u"«127.0.0.1»"_s) && said.contains(cause), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestSyncMerge)
#include "tst_syncmerge.moc"
