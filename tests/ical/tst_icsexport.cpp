#include "IcsFixture.h"
#include "ical/IcsError.h"
#include "ical/IcsExporter.h"

#include <QRegularExpression>
#include <QTest>

using namespace IcsFixture;

namespace {

// The lines of the VEVENT whose UID is that of date, unfolded; empty when there is none.
QStringList eventLines(const QByteArray& text, const QDate& date)
{
    QByteArray unfolded = text;
    unfolded.replace("\r\n ", "");
    const QStringList lines = QString::fromUtf8(unfolded).split(QStringLiteral("\r\n"));
    const QString uid =
        QStringLiteral("UID:dia-%1@tarvelo").arg(date.toString(QStringLiteral("yyyyMMdd")));
    const qsizetype at = lines.indexOf(uid);
    if (at < 1 || lines[at - 1] != QLatin1String("BEGIN:VEVENT"))
        return {};
    QStringList event;
    for (qsizetype i = at; i < lines.size() && lines[i] != QLatin1String("END:VEVENT"); ++i)
        event << lines[i];
    return event;
}

} // namespace

class TestIcsExport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesEachDayAsAnAllDayEvent_data();
    void writesEachDayAsAnAllDayEvent();
    void leavesOutDaysThatCarryNothing();
    void writesNotitasAsJournalEntries();
    void notitasKeepAnIdentityOfTheirOwn();
    void secondExportIsByteIdentical();
    void linesAreFoldedWithoutSplittingACharacter();
    void summaryCountsWhatWasWritten();
    void unwritableFileIsReported();

private:
    std::unique_ptr<TestStore> t_;
    QTemporaryDir out_;
    QByteArray text_;
};

void TestIcsExport::init()
{
    t_ = std::make_unique<TestStore>();
    addEveryKindOfDay(*t_);
    t_->addNote(QDate(2001, 1, 1), QStringLiteral("Windows\r\nsalto de línea"));
    t_->addDay(QDate(2001, 1, 2), {.nota = QStringLiteral("  "), .festivo = 1});
    t_->addNotita(QStringLiteral("Comprar pan\ny leche, huevos"), 0, 0);
    t_->addNotita(QString(), 0, 0);
    IcsExporter::exportFile(*t_->store, out_.filePath(QStringLiteral("a.ics")));
    text_ = read(out_.filePath(QStringLiteral("a.ics")));
}

void TestIcsExport::writesEachDayAsAnAllDayEvent_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("expected"); // these lines, and no other category or alarm

    QTest::newRow("holiday without note")
        << QDate(1997, 3, 5)
        << QStringList{"DTSTAMP:19970305T000000Z", "DTSTART;VALUE=DATE:19970305", "SUMMARY:Festivo",
                       "CATEGORIES:Festivo", "X-TARVELO-SIN-NOTA:TRUE"};
    QTest::newRow("blue with note")
        << QDate(1997, 3, 6)
        << QStringList{"SUMMARY:Azul", "CATEGORIES:Azul", "COLOR:blue", "X-TARVELO-COLOR:Azul"};
    QTest::newRow("grey is no colour") << QDate(1997, 3, 7) << QStringList{"SUMMARY:Gris"};
    QTest::newRow("black without note")
        << QDate(1997, 3, 8)
        << QStringList{"SUMMARY:Negro", "CATEGORIES:Negro", "COLOR:black", "X-TARVELO-COLOR:Negro",
                       "X-TARVELO-SIN-NOTA:TRUE"};
    QTest::newRow("green holiday")
        << QDate(1997, 3, 9)
        << QStringList{"SUMMARY:Festivo", "CATEGORIES:Festivo",    "CATEGORIES:Verde",
                       "COLOR:green",     "X-TARVELO-COLOR:Verde", "X-TARVELO-SIN-NOTA:TRUE"};
    QTest::newRow("alarm at midnight only")
        << QDate(1997, 3, 10)
        << QStringList{"SUMMARY:Alarma", "X-TARVELO-SIN-NOTA:TRUE", "X-TARVELO-ALARMA:00:00",
                       "BEGIN:VALARM",   "ACTION:DISPLAY",          "DESCRIPTION:Alarma",
                       "TRIGGER:PT0S"};
    QTest::newRow("alarm at 23:59") << QDate(1997, 3, 11)
                                    << QStringList{"SUMMARY:Tarde", "X-TARVELO-ALARMA:23:59",
                                                   "DESCRIPTION:Tarde", "TRIGGER:PT23H59M"};
    QTest::newRow("a note of many lines: its first line, then all of it")
        << QDate(1997, 3, 12)
        << QStringList{
               QStringLiteral("SUMMARY:Comillas \"dobles\" y 'simples'\\, comas\\, punto\\; "
                              "y coma"),
               QStringLiteral("DESCRIPTION:") +
                   QString(longNote())
                       .replace(QLatin1String("\\"), QLatin1String("\\\\"))
                       .replace(QLatin1String(","), QLatin1String("\\,"))
                       .replace(QLatin1String(";"), QLatin1String("\\;"))
                       .replace(QLatin1String("\n"), QLatin1String("\\n")),
               "CATEGORIES:Festivo",
               "CATEGORIES:Verde",
               "COLOR:green",
               "X-TARVELO-COLOR:Verde",
               "X-TARVELO-ALARMA:09:05",
               "TRIGGER:PT9H5M"};
    QTest::newRow("CR LF kept in our own note")
        << QDate(2001, 1, 1)
        << QStringList{"SUMMARY:Windows", "DESCRIPTION:Windows\\nsalto de línea",
                       "X-TARVELO-NOTA:Windows%0D%0Asalto de línea"};
    QTest::newRow("a holiday whose note is only blanks")
        << QDate(2001, 1, 2)
        << QStringList{"SUMMARY:Festivo", "CATEGORIES:Festivo", "X-TARVELO-SIN-NOTA:TRUE",
                       "X-TARVELO-NOTA:%20%20"};
    QTest::newRow("year 1900") << QDate(1900, 1, 1)
                               << QStringList{"DTSTART;VALUE=DATE:19000101",
                                              "UID:dia-19000101@tarvelo", "CATEGORIES:Azul",
                                              "COLOR:blue", "X-TARVELO-COLOR:Azul"};
    QTest::newRow("year 9999") << QDate(9999, 12, 31)
                               << QStringList{"DTSTART;VALUE=DATE:99991231",
                                              "DTSTAMP:99991231T000000Z", "CATEGORIES:Festivo",
                                              "X-TARVELO-ALARMA:23:59", "TRIGGER:PT23H59M"};
}

void TestIcsExport::writesEachDayAsAnAllDayEvent()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, expected);

    const QStringList lines = eventLines(text_, date);
    QVERIFY2(!lines.isEmpty(), qPrintable(date.toString()));
    for (const QString& line : expected)
        QVERIFY2(lines.contains(line),
                 qPrintable(line + QStringLiteral(" in\n") + lines.join(u'\n')));
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("CATEGORIES")) || line.startsWith(QLatin1String("X-")) ||
            line.startsWith(QLatin1String("TRIGGER")) || line.startsWith(QLatin1String("COLOR")))
            QVERIFY2(expected.contains(line), qPrintable(QStringLiteral("unexpected ") + line));
    }
}

void TestIcsExport::leavesOutDaysThatCarryNothing()
{
    QVERIFY(eventLines(text_, QDate(1997, 3, 13)).isEmpty());
    QCOMPARE(text_.count("BEGIN:VEVENT"), 14);
}

void TestIcsExport::writesNotitasAsJournalEntries()
{
    QCOMPARE(text_.count("BEGIN:VJOURNAL"), 1);
    const QRegularExpression journal(
        QStringLiteral("BEGIN:VJOURNAL\r\nUID:[0-9a-f-]{36}@tarvelo\r\nDTSTAMP:20000101T000000Z\r\n"
                       "SUMMARY:Comprar pan\r\nDESCRIPTION:Comprar pan\\\\ny leche\\\\, huevos\r\n"
                       "END:VJOURNAL\r\n"));
    QVERIFY2(journal.match(QString::fromUtf8(text_)).hasMatch(), text_.constData());
    QVERIFY(text_.endsWith("END:VJOURNAL\r\nEND:VCALENDAR\r\n"));
}

void TestIcsExport::notitasKeepAnIdentityOfTheirOwn()
{
    const auto uids = [](TestStore& t) {
        QStringList found;
        for (const auto& [row, uid] : t.store->notitas().identities())
            found << uid;
        return found;
    };
    const QStringList first = uids(*t_);
    QCOMPARE(first.size(), 2); // the empty one too: it may be written later
    QCOMPARE(uids(*t_), first);
    TestStore other;
    other.addNotita(QStringLiteral("Comprar pan\ny leche, huevos"), 0, 0);
    QVERIFY(!first.contains(uids(other).value(0)));

    // A notita deleted and its number given again: the new one is another notita.
    const qint64 last = t_->store->notitas().last()->row;
    QVERIFY(t_->store->notitas().remove(last));
    t_->db().execute(
        QStringLiteral("INSERT INTO Nota (indice, nota) VALUES (%1, 'Otra')").arg(last));
    QVERIFY(!first.contains(t_->store->notitas().identities().at(last)));

    // A store open for reading only (a folder that may not be written) is exported without a
    // write, each time with the same identities; the ones it keeps are the ones it gives.
    TestStore readOnly;
    readOnly.addNotita(QStringLiteral("Sin identidad"), 0, 0);
    const auto reader = CalendarStore::open(readOnly.folder(), Database::Access::ReadOnly);
    const auto given = reader->notitas().identities();
    QCOMPARE(given.size(), std::size_t(1));
    QCOMPARE(reader->notitas().identities(), given);
    Statement made = readOnly.db().prepare(
        QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name = 'NotaUid'"));
    QVERIFY(made.step());
    QCOMPARE(made.columnInt64(0), 0);
    const auto kept = t_->store->notitas().identities();
    QCOMPARE(CalendarStore::open(t_->folder(), Database::Access::ReadOnly)->notitas().identities(),
             kept);
}

void TestIcsExport::secondExportIsByteIdentical()
{
    const QString again = out_.filePath(QStringLiteral("b.ics"));
    IcsExporter::exportFile(*t_->store, again);
    QCOMPARE(read(again), text_);
}

void TestIcsExport::linesAreFoldedWithoutSplittingACharacter()
{
    for (const QByteArray& line : text_.split('\n')) {
        QVERIFY2(line.size() <= 76, line.constData()); // 75 octets and the CR
        QVERIFY2(QString::fromUtf8(line).toUtf8() == line, line.constData());
    }
}

void TestIcsExport::summaryCountsWhatWasWritten()
{
    const ExportSummary summary =
        IcsExporter::exportFile(*t_->store, out_.filePath(QStringLiteral("c.ics")));
    QCOMPARE(summary.days, 14);
    QCOMPARE(summary.notitas, 1);
    QVERIFY(summary.text().contains(out_.filePath(QStringLiteral("c.ics"))));
    QVERIFY(summary.text().contains(QStringLiteral("días escritos: 14")));
}

void TestIcsExport::unwritableFileIsReported()
{
    const QString missing = out_.filePath(QStringLiteral("no-existe/a.ics"));
    try {
        IcsExporter::exportFile(*t_->store, missing);
        QFAIL("an export into a missing folder should fail");
    } catch (const IcsError& error) {
        QVERIFY2(error.message().contains(missing), qPrintable(error.message()));
        QVERIFY2(error.message().startsWith(QStringLiteral("No se puede escribir")),
                 qPrintable(error.message()));
    }

    // A folder where the file should go: refused, and the folder is left alone.
    const QString folder = out_.filePath(QStringLiteral("carpeta.ics"));
    QVERIFY(QDir(out_.path()).mkdir(QStringLiteral("carpeta.ics")));
    QVERIFY_THROWS_EXCEPTION(IcsError, IcsExporter::exportFile(*t_->store, folder));
    QVERIFY(QFileInfo(folder).isDir());
}

QTEST_GUILESS_MAIN(TestIcsExport)
#include "tst_icsexport.moc"
