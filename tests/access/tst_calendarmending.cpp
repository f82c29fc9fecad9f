#include "access/CalendarMending.h"
#include "access/MdbError.h"

#include <QtTest>

namespace {

using Kind = MdbValue::Kind;
using Row = std::vector<MdbValue>;

MdbValue num(double v)
{
    MdbValue m;
    m.kind = Kind::Number;
    m.number = v;
    return m;
}
MdbValue integer(qint64 v)
{
    MdbValue m;
    m.kind = Kind::Integer;
    m.integer = v;
    return m;
}
MdbValue text(const QString& v)
{
    MdbValue m;
    m.kind = Kind::Text;
    m.text = v;
    return m;
}
MdbValue yes(bool v)
{
    MdbValue m;
    m.kind = Kind::Boolean;
    m.boolean = v;
    return m;
}
MdbValue null()
{
    MdbValue m;
    m.kind = Kind::Null;
    return m;
}
const MdbValue kAbsent{};

// A table whose columns are those the rows' first row does not leave absent.
MdbTable table(const std::vector<Row>& rows, size_t columns)
{
    MdbTable t;
    t.found = true;
    t.columns.assign(columns, true);
    if (!rows.empty()) {
        for (size_t c = 0; c < columns; ++c)
            t.columns[c] = rows.front()[c].kind != Kind::Absent;
    }
    t.rows = rows;
    return t;
}

// A day: fecha, nota, festivo, alarma, hora, Color.
Row day(double fecha, const MdbValue& nota, bool holiday = false, bool alarm = false,
        const MdbValue& hora = null(), const MdbValue& colour = integer(5))
{
    return {num(fecha), nota, yes(holiday), yes(alarm), hora, colour};
}

MdbContents contents(const std::vector<Row>& days, const std::vector<Row>& notitas = {})
{
    MdbContents c;
    c.jetVersion = 1;
    c.calendar = table(days, 6);
    c.nota = table(notitas, 4);
    return c;
}

QString digest(const CalendarMending::Result& result)
{
    QStringList parts;
    for (const DayRecord& d : result.days) {
        parts << QStringLiteral("%1|%2|%3%4|%5|%6")
                     .arg(d.date.toString(Qt::ISODate), d.note ? *d.note : QStringLiteral("∅"))
                     .arg(QString(d.holiday ? u'F' : u'-'), QString(d.alarmOn ? u'A' : u'-'))
                     .arg(d.time ? QString::number(*d.time, 'g', 15) : QStringLiteral("∅"))
                     .arg(d.colour ? QString::number(*d.colour) : QStringLiteral("∅"));
    }
    for (const NotitaRecord& n : result.notitas)
        parts << QStringLiteral("#%1|%2|%3,%4")
                     .arg(n.number)
                     .arg(n.text ? *n.text : QStringLiteral("∅"))
                     .arg(n.top)
                     .arg(n.left);
    return parts.join(QStringLiteral(" / "));
}

} // namespace

Q_DECLARE_METATYPE(MdbContents)

class TestCalendarMending : public QObject
{
    Q_OBJECT

private slots:
    void mends_data();
    void mends();
};

void TestCalendarMending::mends_data()
{
    QTest::addColumn<MdbContents>("read");
    QTest::addColumn<QString>("expected"); // digest(); empty: refused
    QTest::addColumn<QString>("said");     // in the report's changes, or the refusal

    QTest::newRow("values kept as stored, a colour the program never writes too")
        << contents({day(35494, text(QStringLiteral("a")), true, true, num(0.3784722), integer(7))},
                    {{integer(9), null(), num(1200), num(9000)}})
        << QStringLiteral("1997-03-05|a|FA|0.3784722|7 / #9|∅|1200,9000") << QString();
    QTest::newRow("a time of day in fecha is kept as its day")
        << contents({day(35494.75, null())}) << QStringLiteral("1997-03-05|∅|--|∅|5")
        << QStringLiteral("llevaba la hora 18:00:00");
    QTest::newRow("two rows for one day joined in date, then table, order")
        << contents({day(35494.5, text(QStringLiteral("tarde"))),
                     day(35494, text(QStringLiteral("mañana")), true),
                     day(35494.25, null(), false, true, num(0.5), integer(13)),
                     day(35495, text(QString()))})
        << QStringLiteral("1997-03-05|mañana · tarde|FA|0.5|5 / 1997-03-06||--|∅|5")
        << QStringLiteral("las filas 2, 3, 1 de calendar eran del mismo día");
    QTest::newRow("a file without Color gives every day grey")
        << contents({{num(35494), null(), yes(false), yes(false), null(), kAbsent}})
        << QStringLiteral("1997-03-05|∅|--|∅|5") << QStringLiteral("no tiene el campo «Color»");
    QTest::newRow("Top and Left Null become 0")
        << contents({}, {{integer(1), text(QStringLiteral("x")), null(), null()}})
        << QStringLiteral("#1|x|0,0") << QStringLiteral("«Top» estaba vacío");
    QTest::newRow("a notita number used twice gets a new one")
        << contents({}, {{integer(1), text(QStringLiteral("x")), num(1), num(2)},
                         {integer(1), text(QStringLiteral("y")), num(3), num(4)}})
        << QStringLiteral("#1|x|1,2 / #2|y|3,4") << QStringLiteral("se repite");
    QTest::newRow("a row without a date is reported with its note")
        << contents({{null(), text(QStringLiteral("perdida")), yes(false), yes(false), null(),
                      integer(5)}})
        << QStringLiteral("") << QStringLiteral("era «perdida»");
    MdbContents noNota = contents({});
    noNota.nota.found = false;
    QTest::newRow("a file without the table Nota is refused")
        << noNota << QString() << QStringLiteral("le falta la tabla «Nota»");
    QTest::newRow("a calendar without nota is refused")
        << contents({{num(35494), kAbsent, yes(false), yes(false), null(), integer(5)}})
        << QString() << QStringLiteral("el campo «nota» de la tabla «calendar»");
}

void TestCalendarMending::mends()
{
    QFETCH(MdbContents, read);
    QFETCH(QString, expected);
    QFETCH(QString, said);
    const bool refused = expected.isNull();
    try {
        const CalendarMending::Result result = CalendarMending::mend(read, QStringLiteral("v.mdb"));
        QVERIFY2(!refused, qPrintable(digest(result)));
        QCOMPARE(digest(result), expected);
        const QString changes = result.report.changes.join(u'\n');
        if (said.isEmpty())
            QVERIFY2(changes.isEmpty(), qPrintable(changes));
        else
            QVERIFY2(changes.contains(said), qPrintable(changes));
    } catch (const MdbError& error) {
        QVERIFY2(refused, qPrintable(error.message()));
        QVERIFY2(error.message().contains(said), qPrintable(error.message()));
        QVERIFY(error.message().contains(QStringLiteral("v.mdb")));
    }
}

QTEST_GUILESS_MAIN(TestCalendarMending)
#include "tst_calendarmending.moc"
