#include "IcsFixture.h"
#include "ical/IcsError.h"
#include "ical/IcsExporter.h"
#include "ical/IcsImporter.h"

#include <QTest>

#include <future>
#include <thread>

using namespace IcsFixture;

namespace {

const QDate kDay(2025, 3, 5);

ImportOptions madrid()
{
    ImportOptions options;
    options.shownYear = 2025;
    options.localZone = QTimeZone("Europe/Madrid");
    return options;
}

// The committed store, byte for byte: the file and its write-ahead log.
QByteArray storeBytes(const TestStore& t)
{
    return read(t.path()) + read(t.path() + QStringLiteral("-wal"));
}

QString describeOrNone(TestStore& t, const QDate& date)
{
    const std::optional<Day> day = t.store->days().find(date);
    return day ? describe(*day) : QStringLiteral("<no row>");
}

} // namespace

class TestIcsImport : public QObject
{
    Q_OBJECT

private slots:
    void roundTripGivesBackEveryDay();
    void ownExportIntoItsStoreChangesNothing();
    void mergesIntoTheDay_data();
    void mergesIntoTheDay();
    void takesTheStandardWhereAnotherProgramChangedIt_data();
    void takesTheStandardWhereAnotherProgramChangedIt();
    void passesOverWhatCannotBeRead_data();
    void passesOverWhatCannotBeRead();
    void aLongReadingCanBeCancelled();
    void summaryNamesEachEventLeftOut();
    void refusesDamagedFilesLeavingTheStoreAlone_data();
    void refusesDamagedFilesLeavingTheStoreAlone();
    void namesAFileItCannotRead();
    void timedEventsLandOnTheirLocalDay_data();
    void timedEventsLandOnTheirLocalDay();
    void holidayCalendarMarksExactlyItsDays();
    void waitsForAnotherCopyHoldingTheStore();

private:
    QTemporaryDir files_;
};

void TestIcsImport::roundTripGivesBackEveryDay()
{
    TestStore from;
    addEveryKindOfDay(from);
    from.addNote(QDate(2001, 1, 1), QStringLiteral(" Con blancos alrededor "));
    from.addDay(QDate(2001, 1, 2), {.nota = QStringLiteral("  "), .festivo = 1});
    from.addNote(QDate(2001, 1, 3), QStringLiteral("   "));
    from.addNote(QDate(2001, 1, 4), QStringLiteral("Windows\r\nsalto de línea"));
    from.addNote(QDate(2001, 1, 5), QStringLiteral("\n Primera línea en blanco\nsegunda\t"));
    const QString file = files_.filePath(QStringLiteral("ida-y-vuelta.ics"));
    IcsExporter::exportFile(*from.store, file);

    TestStore to;
    const ImportSummary summary = IcsImporter::importFile(*to.store, file, madrid());
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    QStringList expected = storedDays(from);
    expected.removeAll(QStringLiteral("13/03/1997 [] - - --:-- Gris")); // carries nothing
    QCOMPARE(storedDays(to), expected);
    QCOMPARE(summary.daysAdded, expected.size());
}

void TestIcsImport::ownExportIntoItsStoreChangesNothing()
{
    TestStore t;
    addEveryKindOfDay(t);
    // libical reads texts without the blanks around them.
    t.addNote(QDate(2001, 1, 1), QStringLiteral(" Con blancos alrededor "));
    t.addDay(QDate(2001, 1, 2), {.nota = QStringLiteral("  "), .festivo = 1});
    t.addNote(QDate(2001, 1, 3), QStringLiteral("   "));
    t.addNote(QDate(2001, 1, 4), QStringLiteral("Windows\r\nsalto de línea"));
    const QString file = files_.filePath(QStringLiteral("propio.ics"));
    IcsExporter::exportFile(*t.store, file);
    const QStringList before = storedDays(t);
    const int changes = t.changes();

    const ImportSummary summary = IcsImporter::importFile(*t.store, file, madrid());
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    QCOMPARE(summary.daysWritten, 0);
    QCOMPARE(summary.alreadyHeld, 16); // every day exported, blanks and CR LF too
    QCOMPARE(t.changes(), changes);
    QCOMPARE(storedDays(t), before);
}

void TestIcsImport::mergesIntoTheDay_data()
{
    QTest::addColumn<QString>("stored"); // the day's note before; "<none>": no row
    QTest::addColumn<QByteArray>("events");
    QTest::addColumn<bool>("everyEventIsHoliday");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("rejected");

    const QString none = QStringLiteral("<none>");
    const QString x250(250, QLatin1Char('x'));
    const QString at = QStringLiteral("05/03/2025 ");
    QTest::newRow("a new day takes the summary")
        << none << allDay(kDay, "Dentista") << false << at + "[Dentista] - - --:-- Gris" << 0;
    QTest::newRow("the text joins the note after a dot")
        << "Comida" << allDay(kDay, "Dentista") << false
        << at + "[Comida · Dentista] - - --:-- Gris" << 0;
    QTest::newRow("a note that holds the text as a part")
        << "Comida · Dentista · Cine" << allDay(kDay, "Dentista") << false
        << at + "[Comida · Dentista · Cine] - - --:-- Gris" << 0;
    QTest::newRow("blanks around the text make no difference")
        << "Cena  · Cine" << allDay(kDay, "Cena") << false << at + "[Cena  · Cine] - - --:-- Gris"
        << 0;
    QTest::newRow("a word inside another is not the text")
        << "Mañana" << allDay(kDay, "Ana") << false << at + "[Mañana · Ana] - - --:-- Gris" << 0;
    QTest::newRow("filling the note to the last character")
        << x250 << allDay(kDay, "ab") << false << at + "[" + x250 + " · ab] - - --:-- Gris" << 0;
    // Nothing brought in is cut: a note may grow past what the box lets the user type.
    QTest::newRow("past the box's length, the text still joins")
        << x250 << allDay(kDay, "abc") << false << at + "[" + x250 + " · abc] - - --:-- Gris" << 0;
    QTest::newRow("a summary longer than the box takes is kept whole")
        << none << allDay(kDay, QString(256, QLatin1Char('y'))) << false
        << at + "[" + QString(256, QLatin1Char('y')) + "] - - --:-- Gris" << 0;
    QTest::newRow("two events of a day in the order of the file")
        << none << allDay(kDay, "Primero") + allDay(kDay, "Segundo") << false
        << at + "[Primero · Segundo] - - --:-- Gris" << 0;
    QTest::newRow("the holiday category in a list, any case")
        << none << allDay(kDay, "San José", {"CATEGORIES:Fiestas,FESTIVO"}) << false
        << at + "[San José] festivo - --:-- Gris" << 0;
    QTest::newRow("every event a holiday when asked")
        << "Comida" << allDay(kDay, "Comida") << true << at + "[Comida] festivo - --:-- Gris" << 0;
    QTest::newRow("our colour and alarm come back")
        << none
        << allDay(kDay, "Verde",
                  {"X-TARVELO-COLOR:Verde", "X-TARVELO-ALARMA:07:30", "X-TARVELO-SIN-NOTA:TRUE"})
        << false << at + "[] - alarma 07:30 Verde" << 0;
    QTest::newRow("a summary typed over a day sent without a note is the note")
        << none
        << allDay(kDay, "cena con Marta", {"X-TARVELO-COLOR:Verde", "X-TARVELO-SIN-NOTA:TRUE"})
        << false << at + "[cena con Marta] - - --:-- Verde" << 0;
    QTest::newRow("a colour Tarvelo has not")
        << none << allDay(kDay, "Rosa", {"X-TARVELO-COLOR:Rosa"}) << false << "<no row>" << 1;
    QTest::newRow("an alarm that is no time")
        << none << allDay(kDay, "Tarde", {"X-TARVELO-ALARMA:25:00"}) << false << "<no row>" << 1;
    QTest::newRow("a cancelled event")
        << none << allDay(kDay, "Anulada", {"STATUS:CANCELLED"}) << false << "<no row>" << 1;
    QTest::newRow("an event with nothing to keep")
        << none << allDay(kDay, "") << false << "<no row>" << 1;
    QTest::newRow("an event without a start")
        << none << vevent({"UID:sin-fecha", "DTSTAMP:20240101T000000Z", "SUMMARY:Sin fecha"})
        << false << "<no row>" << 1;
    QTest::newRow("a day past February's end")
        << none << allDay(kDay, "x").replace("20250305", "20250230") << false << "<no row>" << 1;
}

void TestIcsImport::mergesIntoTheDay()
{
    QFETCH(QString, stored);
    QFETCH(QByteArray, events);
    QFETCH(bool, everyEventIsHoliday);
    QFETCH(QString, expected);
    QFETCH(int, rejected);

    TestStore t;
    if (stored != QLatin1String("<none>"))
        t.addNote(kDay, stored);
    ImportOptions options = madrid();
    options.everyEventIsHoliday = everyEventIsHoliday;
    const ImportSummary summary = IcsImporter::importFile(
        *t.store, write(files_, QStringLiteral("fusion.ics"), calendar(events)), options);
    QCOMPARE(describeOrNone(t, kDay), expected);
    QCOMPARE(int(summary.rejected.size()), rejected);
    if (rejected > 0)
        QVERIFY(summary.text().contains(QStringLiteral("eventos no importados: 1")));
}

void TestIcsImport::takesTheStandardWhereAnotherProgramChangedIt_data()
{
    QTest::addColumn<QByteArray>("event"); // on 05/03/2025 into an empty store
    QTest::addColumn<QString>("expected");

    const auto day = [](const QStringList& lines) {
        return vevent(QStringList{"UID:dia-20250305@tarvelo", "DTSTAMP:20250305T000000Z",
                                  "DTSTART;VALUE=DATE:20250305"} +
                      lines);
    };
    const QString at = QStringLiteral("05/03/2025 ");
    QTest::newRow("our exact note where the text is still ours")
        << day({"SUMMARY:Windows", "DESCRIPTION:Windows\\nsalto",
                "X-TARVELO-NOTA:Windows%0D%0Asalto"})
        << at + "[Windows\r\\nsalto] - - --:-- Gris";
    QTest::newRow("the description changed elsewhere")
        << day({"SUMMARY:Windows", "DESCRIPTION:Windows\\notra cosa",
                "X-TARVELO-NOTA:Windows%0D%0Asalto"})
        << at + "[Windows\\notra cosa] - - --:-- Gris";
    QTest::newRow("a description that does not begin with the summary")
        << day({"SUMMARY:Cita", "DESCRIPTION:Llevar los papeles"}) << at + "[Cita] - - --:-- Gris";
    QTest::newRow("COLOR changed elsewhere")
        << day({"SUMMARY:x", "CATEGORIES:Verde", "COLOR:blue", "X-TARVELO-COLOR:Verde"})
        << at + "[x] - - --:-- Azul";
    QTest::newRow("the colour's category changed elsewhere")
        << day({"SUMMARY:x", "CATEGORIES:Negro", "COLOR:green", "X-TARVELO-COLOR:Verde"})
        << at + "[x] - - --:-- Negro";
    QTest::newRow("all three agree")
        << day({"SUMMARY:x", "CATEGORIES:Verde", "COLOR:green", "X-TARVELO-COLOR:Verde"})
        << at + "[x] - - --:-- Verde";
    QTest::newRow("another program's COLOR that Tarvelo has")
        << day({"SUMMARY:x", "COLOR:Black"}) << at + "[x] - - --:-- Negro";
    QTest::newRow("another program's COLOR that Tarvelo has not")
        << day({"SUMMARY:x", "COLOR:turquoise"}) << at + "[x] - - --:-- Gris";
    QTest::newRow("the alarm moved elsewhere")
        << day({"SUMMARY:x", "X-TARVELO-ALARMA:07:30", "BEGIN:VALARM", "ACTION:DISPLAY",
                "DESCRIPTION:x", "TRIGGER:PT9H15M", "END:VALARM"})
        << at + "[x] - alarma 09:15 Gris";
    QTest::newRow("the alarm as it was")
        << day({"SUMMARY:x", "X-TARVELO-ALARMA:07:30", "BEGIN:VALARM", "ACTION:DISPLAY",
                "DESCRIPTION:x", "TRIGGER:PT7H30M", "END:VALARM"})
        << at + "[x] - alarma 07:30 Gris";
}

void TestIcsImport::takesTheStandardWhereAnotherProgramChangedIt()
{
    QFETCH(QByteArray, event);
    QFETCH(QString, expected);

    TestStore t;
    const ImportSummary summary = IcsImporter::importFile(
        *t.store, write(files_, QStringLiteral("cambiado.ics"), calendar(event)), madrid());
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    QCOMPARE(describeOrNone(t, kDay), expected);
}

void TestIcsImport::passesOverWhatCannotBeRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // the days stored
    QTest::addColumn<QString>("said");         // in the summary; empty: nothing passed over
    QTest::addColumn<int>("rejected");

    const QByteArray other = allDay(kDay.addDays(1), "Otra");
    const QString otra = QStringLiteral("06/03/2025 [Otra] - - --:-- Gris");
    const QString x = QStringLiteral("05/03/2025 [x] - - --:-- Gris");
    QTest::newRow("an RDATE libical cannot read, as Google writes birthdays")
        << calendar(allDay(kDay, "Cumpleaños", {"RDATE:20131210Z"}) + other)
        << QStringList{"05/03/2025 [Cumpleaños] - - --:-- Gris", otra}
        << "línea 9, «RDATE:20131210Z» (en «Cumpleaños»): su valor no se puede leer" << 0;
    QTest::newRow("a line that is no property")
        << calendar(allDay(kDay, "x", {"esto no es nada"}) + other) << QStringList{x, otra}
        << "«esto no es nada» (en «x»): no es ni propiedad ni componente" << 0;
    QTest::newRow("an unreadable start leaves its event out")
        << calendar(allDay(kDay, "x").replace("20250305", "2025AB05") + other) << QStringList{otra}
        << "«DTSTART;VALUE=DATE:2025AB05» (en «x»): su valor no se puede leer" << 1;
    QTest::newRow("an unreadable rule leaves its event out")
        << calendar(allDay(kDay, "x", {"RRULE:FREQ=CADA-POCO"}) + other) << QStringList{otra}
        << "«RRULE:FREQ=CADA-POCO» (en «x»)" << 1;
    QTest::newRow("a zone that changes every minute is not followed")
        << calendar("BEGIN:VTIMEZONE\r\nTZID:Cada minuto\r\nBEGIN:STANDARD\r\n"
                    "DTSTART:19700101T000000\r\nRRULE:FREQ=MINUTELY\r\nTZOFFSETFROM:+0100\r\n"
                    "TZOFFSETTO:+0000\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n" +
                    vevent({"UID:z", "DTSTAMP:20240101T000000Z",
                            "DTSTART;TZID=Cada minuto:20250305T100000", "SUMMARY:x"}))
        << QStringList{x}
        << "línea 4, «Cada minuto»: esta zona horaria se pasa por alto: cambia la hora más a "
           "menudo "
           "que una vez al mes (FREQ=MINUTELY)"
        << 0;
    QTest::newRow("a fold that splits a character")
        << calendar(
               allDay(kDay, "Cumpleaños").replace("Cumplea\xC3\xB1os", "Cumplea\xC3\r\n \xB1os"))
        << QStringList{"05/03/2025 [Cumpleaños] - - --:-- Gris"} << QString() << 0;
    QTest::newRow("lines ended by CR alone")
        << calendar(allDay(kDay, "x") + other).replace("\r\n", "\r") << QStringList{x, otra}
        << QString() << 0;
}

void TestIcsImport::passesOverWhatCannotBeRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(QString, said);
    QFETCH(int, rejected);

    TestStore t;
    const ImportSummary summary = IcsImporter::importFile(
        *t.store, write(files_, QStringLiteral("ilegible.ics"), bytes), madrid());
    QCOMPARE(storedDays(t), expected);
    QCOMPARE(int(summary.rejected.size()), rejected);
    const QString text = summary.text();
    QCOMPARE(text.contains(QStringLiteral("líneas pasadas por alto: 1\n")), !said.isEmpty());
    QVERIFY2(text.contains(said), qPrintable(text));
    // libical's own words never reach the user.
    for (const char* english : {"parse", "property", "Removing", "value"})
        QVERIFY2(!text.contains(QLatin1String(english)), qPrintable(text));
}

void TestIcsImport::aLongReadingCanBeCancelled()
{
    const QString file =
        write(files_, QStringLiteral("largo.ics"), calendar(allDay(kDay, "x").repeated(20000)));
    std::atomic<bool> cancel{true};
    try {
        IcsImporter::readFile(file, &cancel);
        QFAIL("a reading cancelled should end");
    } catch (const IcsError& error) {
        QVERIFY(error.wasCancelled());
        QVERIFY2(error.message().contains(QStringLiteral("cancelado")),
                 qPrintable(error.message()));
    }
    cancel = false;
    const IcsCalendar calendar = IcsImporter::readFile(file, &cancel);
    cancel = true;
    QVERIFY_THROWS_EXCEPTION(IcsError, IcsImporter::prepare(calendar, madrid(), &cancel));
}

void TestIcsImport::summaryNamesEachEventLeftOut()
{
    TestStore t;
    const QByteArray events =
        allDay(kDay, QStringLiteral("Primera línea\\n") + QString(300, QLatin1Char('z')),
               {"STATUS:CANCELLED"}) +
        vevent({"UID:sin-fecha@example.org", "DTSTAMP:20240101T000000Z", "CATEGORIES:Festivo"});
    const ImportSummary summary = IcsImporter::importFile(
        *t.store, write(files_, QStringLiteral("resumen.ics"), calendar(events)), madrid());
    const QString text = summary.text();
    QVERIFY2(text.contains(QStringLiteral("eventos no importados: 2\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("«Primera línea ") + QString(45, QLatin1Char('z')) +
                           QStringLiteral("…»: está cancelado")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("«sin-fecha@example.org»: no tiene fecha de inicio")),
             qPrintable(text));
    QCOMPARE(summary.text(1).count(QStringLiteral("\n    «")), 1);
    QVERIFY(summary.text(1).contains(QStringLiteral("… y 1 más")));
}

void TestIcsImport::refusesDamagedFilesLeavingTheStoreAlone_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("cause");

    const QByteArray good = allDay(kDay, "Buena") + allDay(kDay.addDays(1), "Otra");
    QTest::newRow("empty file") << QByteArray() << "no empieza por BEGIN:VCALENDAR";
    QTest::newRow("plain text") << QByteArray("Lista de la compra\n")
                                << "no es un archivo iCalendar";
    QTest::newRow("another kind of component")
        << QByteArray("BEGIN:VCALENDARIO\r\nEND:VCALENDARIO\r\n") << "no es un archivo iCalendar";
    QTest::newRow("binary") << QByteArray("SQLite format 3\0\x10\x00", 18)
                            << "no es un archivo de texto";
    QTest::newRow("cut short") << calendar(good).chopped(30) << "está incompleto: falta END:VEVENT";
    QTest::newRow("latin-1 text")
        << calendar(good + allDay(kDay, QStringLiteral("Año")).replace("A\xC3\xB1o", "A\xF1o"))
        << "no está en UTF-8";
    QTest::newRow("a line after the end")
        << calendar(good) + "basura\r\n"
        << "está dañado: la línea 17 está fuera de todo componente: «basura»";
    QTest::newRow("an event begun after the end")
        << calendar(good) + "BEGIN:VEVENT\r\nSUMMARY:perdido\r\n"
        << "falta END:VEVENT";
    QTest::newRow("an end that closes nothing")
        << calendar(good) + "END:VEVENT\r\n"
        << "la línea 17 cierra END:VEVENT sin haberlo abierto";
    QTest::newRow("ends crossed") << calendar(good).replace("END:VEVENT\r\nEND:VCALENDAR",
                                                            "END:VCALENDAR\r\nEND:VEVENT")
                                  << "(END:VCALENDAR) no cierra BEGIN:VEVENT";
    QByteArray deep;
    for (int i = 0; i < 21; ++i)
        deep += "BEGIN:X-A\r\n";
    for (int i = 0; i < 21; ++i)
        deep += "END:X-A\r\n";
    QTest::newRow("components nested too deep")
        << calendar(good + deep) << "en la línea 35 se anidan más de 20 componentes";
    QTest::newRow("forty thousand nested components")
        << calendar(QByteArray("BEGIN:X-A\r\n").repeated(40000) +
                    QByteArray("END:X-A\r\n").repeated(40000))
        << "se anidan más de 20 componentes";
    QTest::newRow("a long line outside every component")
        << calendar(good) + QByteArray(100000, 'X') + "\r\n"
        << "está fuera de todo componente: «XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX…»";
    QTest::newRow("a long component left open")
        << calendar(good).replace("END:VCALENDAR\r\n", "") + "BEGIN:" + QByteArray(100000, 'Y')
        << "falta END:YYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYY…";
    QTest::newRow("an event outside any calendar")
        << calendar(good) + allDay(kDay, "suelto") << "fuera de todo VCALENDAR";
}

void TestIcsImport::refusesDamagedFilesLeavingTheStoreAlone()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, cause);

    TestStore t;
    t.addNote(kDay, QStringLiteral("Antes"));
    const QByteArray before = storeBytes(t);
    const QString file = write(files_, QStringLiteral("dañado.ics"), bytes);
    try {
        IcsImporter::importFile(*t.store, file, madrid());
        QFAIL("the file should be refused");
    } catch (const IcsError& error) {
        QVERIFY2(error.message().contains(file), qPrintable(error.message()));
        QVERIFY2(error.message().contains(cause), qPrintable(error.message()));
        QVERIFY2(error.message().size() < 300, qPrintable(error.message().left(400)));
    }
    QCOMPARE(storeBytes(t), before);
    QCOMPARE(storedDays(t), QStringList{"05/03/2025 [Antes] - - --:-- Gris"});
}

void TestIcsImport::namesAFileItCannotRead()
{
    TestStore t;
    const QString missing = files_.filePath(QStringLiteral("no-está.ics"));
    QVERIFY_THROWS_EXCEPTION(IcsError, IcsImporter::importFile(*t.store, missing, madrid()));
    try {
        IcsImporter::importFile(*t.store, files_.path(), madrid());
    } catch (const IcsError& error) {
        QVERIFY2(error.message().contains(files_.path()), qPrintable(error.message()));
        QVERIFY2(error.message().contains(QStringLiteral("carpeta")), qPrintable(error.message()));
    }
}

void TestIcsImport::timedEventsLandOnTheirLocalDay_data()
{
    QTest::addColumn<QByteArray>("events");
    QTest::addColumn<QDate>("expected");

    const QByteArray canary =
        "BEGIN:VTIMEZONE\r\nTZID:Hora de Canarias\r\nBEGIN:DAYLIGHT\r\n"
        "TZOFFSETFROM:+0000\r\nTZOFFSETTO:+0100\r\nDTSTART:19810329T010000\r\n"
        "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\n"
        "BEGIN:STANDARD\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0000\r\n"
        "DTSTART:19961027T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
        "END:STANDARD\r\nEND:VTIMEZONE\r\n";
    const auto timed = [](const QString& start) {
        return vevent({"UID:hora", "DTSTAMP:20240101T000000Z", "DTSTART" + start, "SUMMARY:Cita"});
    };
    QTest::newRow("UTC late on new year's eve") << timed(":20241231T233000Z") << QDate(2025, 1, 1);
    QTest::newRow("UTC early in the day") << timed(":20241231T080000Z") << QDate(2024, 12, 31);
    QTest::newRow("a zone the system knows")
        << timed(";TZID=America/New_York:20250310T200000") << QDate(2025, 3, 11);
    QTest::newRow("a zone the file describes")
        << canary + timed(";TZID=Hora de Canarias:20250615T233000") << QDate(2025, 6, 16);
    QTest::newRow("a floating time is the user's own")
        << timed(":20241231T233000") << QDate(2024, 12, 31);
}

void TestIcsImport::timedEventsLandOnTheirLocalDay()
{
    QFETCH(QByteArray, events);
    QFETCH(QDate, expected);

    TestStore t;
    const ImportSummary summary = IcsImporter::importFile(
        *t.store, write(files_, QStringLiteral("hora.ics"), calendar(events)), madrid());
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    QCOMPARE(storedDays(t), QStringList{expected.toString(QStringLiteral("dd/MM/yyyy")) +
                                        QStringLiteral(" [Cita] - - --:-- Gris")});
}

void TestIcsImport::holidayCalendarMarksExactlyItsDays()
{
    TestStore t;
    t.addNote(QDate(2025, 12, 25), QStringLiteral("Comida en casa"));
    t.addNote(QDate(2025, 12, 24), QStringLiteral("Nochebuena"));
    ImportOptions options = madrid();
    options.everyEventIsHoliday = true;
    options.from = QDate(2025, 1, 1);
    options.to = QDate(2025, 12, 31);
    const ImportSummary summary = IcsImporter::importFile(
        *t.store, QStringLiteral(ICAL_TEST_DATA "/festivos-madrid.ics"), options);
    QVERIFY2(summary.rejected.empty(), qPrintable(summary.text()));
    QCOMPARE(summary.daysMarked, 12);
    QCOMPARE(summary.outsideRange, 3); // San José until 2012, Holy Week of 2026

    QStringList holidays;
    for (const Day& day : t.store->days().between(QDate(1900, 1, 1), QDate(9999, 12, 31))) {
        if (day.holiday)
            holidays << day.date.toString(QStringLiteral("dd/MM"));
    }
    QCOMPARE(holidays, QStringList({"01/01", "06/01", "17/04", "18/04", "01/05", "02/05", "25/07",
                                    "15/08", "01/11", "06/12", "08/12", "25/12"}));
    QCOMPARE(t.storedNote(QDate(2025, 12, 25)),
             QStringLiteral("Comida en casa · Natividad del Señor"));
    QCOMPARE(t.storedNote(QDate(2025, 12, 24)), QStringLiteral("Nochebuena"));
}

void TestIcsImport::waitsForAnotherCopyHoldingTheStore()
{
    TestStore t;
    const QString file =
        write(files_, QStringLiteral("espera.ics"), calendar(allDay(kDay, "Importada")));
    std::promise<void> locked;
    std::thread otherCopy([&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(t.path()).constData(), &db, SQLITE_OPEN_READWRITE,
                        nullptr);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_exec(db,
                     "INSERT INTO calendar (fecha, nota, festivo, alarma, Color) "
                     "VALUES (45000, 'La otra copia', 0, 0, 5)",
                     nullptr, nullptr, nullptr);
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
    locked.get_future().wait();
    const ImportSummary summary = IcsImporter::importFile(*t.store, file, madrid());
    otherCopy.join();
    QCOMPARE(summary.daysWritten, 1);
    QCOMPARE(t.storedNote(kDay), QStringLiteral("Importada"));
    QCOMPARE(t.dayCount(), 2);
}

QTEST_GUILESS_MAIN(TestIcsImport)
#include "tst_icsimport.moc"
