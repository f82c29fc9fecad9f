#include "Thrown.h"
#include "access/CalendarMending.h"
#include "access/MdbError.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Kind = MdbValue::Kind;
using Row = std::vector<MdbValue>;

// Every member without a default is named (.text), as the warnings ask of an initialiser.

const auto num = [](double v) { return MdbValue{.kind = Kind::Number, .number = v, .text = {}}; };
const auto integer = [](qint64 v) {
    return MdbValue{.kind = Kind::Integer, .integer = v, .text = {}};
};
const auto text = [](const QString& v) { return MdbValue{.kind = Kind::Text, .text = v}; };
const auto yes = [](bool v) { return MdbValue{.kind = Kind::Boolean, .text = {}, .boolean = v}; };
const MdbValue kNull{.kind = Kind::Null, .text = {}};
const MdbValue kAbsent{};

// A table whose columns are those its first row does not leave absent.
MdbTable table(const std::vector<Row>& rows, size_t columns)
{
    MdbTable t{.found = true, .columns = std::vector<bool>(columns, true), .rows = rows};
    for (size_t c = 0; !rows.empty() && c < columns; ++c)
        t.columns[c] = rows.front()[c].kind != Kind::Absent;
    return t;
}

// A day: fecha, nota, festivo, alarma, hora, Color.
Row day(double fecha, const MdbValue& nota, bool holiday = false, bool alarm = false,
        const MdbValue& hora = kNull, const MdbValue& colour = integer(5))
{
    return {num(fecha), nota, yes(holiday), yes(alarm), hora, colour};
}

MdbContents contents(const std::vector<Row>& days, const std::vector<Row>& notitas = {})
{
    return {.jetVersion = 1, .calendar = table(days, 6), .nota = table(notitas, 4)};
}

QString digest(const CalendarMending::Result& result)
{
    const auto shown = [](const auto& v) { return v ? QVariant(*v).toString() : u"∅"_s; };
    QStringList parts;
    for (const DayRecord& d : result.days)
        parts << QStringList{d.date.toString(Qt::ISODate), shown(d.note),
                             QString(d.holiday ? u'F' : u'-') + (d.alarmOn ? u'A' : u'-'),
                             shown(d.time), shown(d.colour)}
                     .join(u'|');
    for (const NotitaRecord& n : result.notitas)
        parts << u"#%1|%2|%3,%4"_s.arg(n.number).arg(shown(n.text)).arg(n.top).arg(n.left);
    return parts.join(u" / "_s);
}

} // namespace

Q_DECLARE_METATYPE(MdbContents)

class TestCalendarMending : public QObject
{
    Q_OBJECT

private slots:
    void mends_data()
    {
        QTest::addColumn<MdbContents>("read");
        QTest::addColumn<QString>("expected"); // digest(); null: refused
        QTest::addColumn<QString>("said");     // in the report's changes, or the refusal

        QTest::newRow("values kept as stored, a colour the program never writes too")
            << contents({day(35494, text("a"), true, true, num(0.3784722), integer(7))},
                        {{integer(9), kNull, num(1200), num(9000)}})
            << "1997-03-05|a|FA|0.3784722|7 / #9|∅|1200,9000" << QString();
        QTest::newRow("a time of day in fecha is kept as its day")
            << contents({day(35494.75, kNull)}) << "1997-03-05|∅|--|∅|5"
            << "llevaba la hora 18:00:00";
        QTest::newRow("two rows for one day joined in date, then table, order")
            << contents({day(35494.5, text("tarde")), day(35494, text("mañana"), true),
                         day(35494.25, kNull, false, true, num(0.5), integer(13)),
                         day(35495, text(QString()))})
            << "1997-03-05|mañana · tarde|FA|0.5|5 / 1997-03-06||--|∅|5"
            << "las filas 2, 3, 1 de calendar eran del mismo día";
        QTest::newRow("a file without Color gives every day grey")
            << contents({day(35494, kNull, false, false, kNull, kAbsent)}) << "1997-03-05|∅|--|∅|5"
            << "no tiene el campo «Color»";
        QTest::newRow("Top and Left Null become 0")
            << contents({}, {{integer(1), text("x"), kNull, kNull}}) << "#1|x|0,0"
            << "«Top» estaba vacío";
        QTest::newRow("a notita number used twice gets a new one")
            << contents({}, {{integer(1), text("x"), num(1), num(2)},
                             {integer(1), text("y"), num(3), num(4)}})
            << "#1|x|1,2 / #2|y|3,4"
            << "se repite";
        QTest::newRow("a row without a date is reported with its note")
            << contents({{kNull, text("perdida"), yes(false), yes(false), kNull, integer(5)}})
            << u""_s << "era «perdida»";
        MdbContents noNota = contents({});
        noNota.nota.found = false;
        QTest::newRow("a file without the table Nota is refused")
            << noNota << QString() << "le falta la tabla «Nota»";
        QTest::newRow("a calendar without nota is refused")
            << contents({day(35494, kAbsent)}) << QString()
            << "el campo «nota» de la tabla «calendar»";
    }
    void mends()
    {
        QFETCH(MdbContents, read);
        QFETCH(QString, expected);
        QFETCH(QString, said);
        CalendarMending::Result result;
        const QString refusal =
            thrown<MdbError>([&] { result = CalendarMending::mend(read, u"v.mdb"_s); });
        QVERIFY2(refusal.isNull() != expected.isNull(), qPrintable(refusal + digest(result)));
        QCOMPARE(digest(result), expected);
        // What the report says of its changes, or the refusal, which names the file.
        const QString told = refusal.isNull() ? result.report.changes.join(u'\n') : refusal;
        QVERIFY2(said.isEmpty() ? told.isEmpty() : told.contains(said), qPrintable(told));
        QVERIFY(refusal.isNull() || refusal.contains(u"v.mdb"_s));
    }
};

QTEST_GUILESS_MAIN(TestCalendarMending)
#include "tst_calendarmending.moc"
