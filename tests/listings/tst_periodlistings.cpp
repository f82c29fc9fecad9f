#include "Controls.h"
#include "FakeMessageBoxes.h"
#include "FakePrinter.h"
#include "TestStore.h"
#include "listings/ListingPrinter.h"
#include "listings/NotesPanel.h"
#include "listings/PeriodListings.h"
#include "store/domain/StoreGuard.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

enum class Handler
{
    PantallaMes,
    ImpresoraMes,
    PantallaAnyo,
    ImpresoraAnyo
};

// The period listings over a store of their own, with a notes panel on a bare client area.
struct Listings
{
    Listings()
        : guard([this](const StoreError& e, const QString&) { failures << e.message(); }),
          panel(*t.store, guard, &client), listings(panel, printer, boxes)
    {
    }

    void addDay(const QDate& day, const QVariant& nota) { t.addDay(day, TestDayRow{.nota = nota}); }

    void run(Handler handler, const QDate& reference)
    {
        switch (handler) {
        case Handler::PantallaMes:
            listings.mPantallaMes_Click(reference);
            break;
        case Handler::ImpresoraMes:
            listings.mImpresoraMes_Click(reference);
            break;
        case Handler::PantallaAnyo:
            listings.mPantallaAnyo_Click(reference);
            break;
        case Handler::ImpresoraAnyo:
            listings.mImpresoraAnyo_Click(reference);
            break;
        }
    }

    const NoteListing& listing() const { return t.store->listing(); }
    QString query() const { return listing().query(); }
    QString caption() const { return child<QLabel>(&panel, "caption")->text(); }

    TestStore t;
    QStringList failures;
    StoreGuard guard;
    FakePrinter printer;
    FakeMessageBoxes boxes;
    QWidget client;
    NotesPanel panel;
    PeriodListings listings;
};

QString periodQuery(int first, int last)
{
    return QStringLiteral("SELECT fecha,nota from calendar WHERE fecha BETWEEN %1 AND %2 AND "
                          "len(nota)>0 ORDER by fecha")
        .arg(first)
        .arg(last);
}

} // namespace

Q_DECLARE_METATYPE(Handler)

class TestPeriodListings : public QObject
{
    Q_OBJECT

private slots:
    void queries_data();
    void queries();
    void nothingNoted_data();
    void nothingNoted();
    void printedLines_data();
    void printedLines();
    void printerRefusal();
    void noteWithLineBreaks();
    void noDay_data();
    void noDay();
    void listingLeftAnywhere();
};

void TestPeriodListings::queries_data()
{
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QDate>("reference");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("caption");

    QTest::newRow("May 1997, to the letter")
        << Handler::PantallaMes << QDate(1997, 5, 14)
        << "SELECT fecha,nota from calendar WHERE fecha BETWEEN 35551 AND 35581 AND len(nota)>0 "
           "ORDER by fecha"
        << "0 Notas halladas de mayo";
    QTest::newRow("May 1997 from its last day")
        << Handler::PantallaMes << QDate(1997, 5, 31) << periodQuery(35551, 35581)
        << "0 Notas halladas de mayo";
    QTest::newRow("February of leap 2000 ends on the 29th")
        << Handler::PantallaMes << QDate(2000, 2, 29) << periodQuery(36557, 36585)
        << "0 Notas halladas de febrero";
    QTest::newRow("February 1997 ends on the 28th")
        << Handler::PantallaMes << QDate(1997, 2, 1) << periodQuery(35462, 35489)
        << "0 Notas halladas de febrero";
    QTest::newRow("December stops before January")
        << Handler::PantallaMes << QDate(1997, 12, 25) << periodQuery(35765, 35795)
        << "0 Notas halladas de diciembre";
    QTest::newRow("January after a December")
        << Handler::PantallaMes << QDate(1998, 1, 1) << periodQuery(35796, 35826)
        << "0 Notas halladas de enero";
    QTest::newRow("printing the month runs the same query")
        << Handler::ImpresoraMes << QDate(1997, 5, 1) << periodQuery(35551, 35581)
        << "0 Notas halladas de mayo";
    QTest::newRow("the year 1997")
        << Handler::PantallaAnyo << QDate(1997, 5, 14)
        << "SELECT fecha,nota from calendar WHERE fecha BETWEEN 35431 AND 35795 AND len(nota)>0 "
           "ORDER by fecha"
        << "0 Notas halladas de 1997";
    QTest::newRow("leap year 2000 has 366 days")
        << Handler::PantallaAnyo << QDate(2000, 12, 31) << periodQuery(36526, 36891)
        << "0 Notas halladas de 2000";
    QTest::newRow("printing the year runs the same query")
        << Handler::ImpresoraAnyo << QDate(1997, 1, 1) << periodQuery(35431, 35795)
        << "0 Notas halladas de 1997";
    QTest::newRow("a year before the store's epoch")
        << Handler::PantallaAnyo << QDate(1850, 6, 1) << periodQuery(-18260, -17896)
        << "0 Notas halladas de 1850";
}

void TestPeriodListings::queries()
{
    QFETCH(Handler, handler);
    QFETCH(QDate, reference);
    QFETCH(QString, query);
    QFETCH(QString, caption);

    Listings l;
    QSignalSpy shown(&l.panel, &NotesPanel::shown);
    l.run(handler, reference);
    QCOMPARE(l.query(), query);
    QCOMPARE(l.caption(), caption);
    QCOMPARE(shown.size(), 1);
    QVERIFY(l.boxes.calls().isEmpty());
}

void TestPeriodListings::nothingNoted_data()
{
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QString>("caption");

    QTest::newRow("month on screen") << Handler::PantallaMes << "0 Notas halladas de mayo";
    QTest::newRow("month on the printer") << Handler::ImpresoraMes << "0 Notas halladas de mayo";
    QTest::newRow("year on the printer") << Handler::ImpresoraAnyo << "0 Notas halladas de 1997";
}

void TestPeriodListings::nothingNoted()
{
    QFETCH(Handler, handler);
    QFETCH(QString, caption);

    Listings l;
    // Days of the period that carry no note, and noted days just outside it.
    l.addDay(QDate(1997, 5, 3), QString(""));
    l.addDay(QDate(1997, 5, 4), QVariant());
    l.addDay(QDate(1996, 12, 31), QStringLiteral("nochevieja"));
    l.addDay(QDate(1998, 1, 1), QStringLiteral("año nuevo"));
    if (handler != Handler::ImpresoraAnyo) {
        l.addDay(QDate(1997, 4, 30), QStringLiteral("abril"));
        l.addDay(QDate(1997, 6, 1), QStringLiteral("junio"));
    }
    l.run(handler, QDate(1997, 5, 20));
    QCOMPARE(l.caption(), caption);
    QCOMPARE(l.listing().recordCount(), 0);
    QVERIFY(l.printer.lines.isEmpty());
    QCOMPARE(l.printer.endDocs, 0);
}

void TestPeriodListings::printedLines_data()
{
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QStringList>("lines");
    const QString rule(75, QLatin1Char('-'));

    QTest::newRow("three noted days of May") << Handler::ImpresoraMes
                                             << QStringList{"3 Notas halladas de mayo",
                                                            rule,
                                                            "Fecha      Nota",
                                                            "01/may/97  Reunión de equipo",
                                                            "05/may/97  Cena con O'Brien",
                                                            "31/may/97  fin de mes"};
    QTest::newRow("the year adds its other noted days")
        << Handler::ImpresoraAnyo
        << QStringList{"5 Notas halladas de 1997",
                       rule,
                       "Fecha      Nota",
                       "01/ene/97  Año nuevo",
                       "01/may/97  Reunión de equipo",
                       "05/may/97  Cena con O'Brien",
                       "31/may/97  fin de mes",
                       "31/dic/97  Nochevieja"};
    QTest::newRow("on screen nothing is printed") << Handler::PantallaMes << QStringList{};
    QTest::newRow("the year on screen neither") << Handler::PantallaAnyo << QStringList{};
}

void TestPeriodListings::printedLines()
{
    QFETCH(Handler, handler);
    QFETCH(QStringList, lines);

    Listings l;
    l.addDay(QDate(1997, 5, 31), QStringLiteral("fin de mes"));
    l.addDay(QDate(1997, 5, 1), QStringLiteral("Reunión de equipo"));
    l.addDay(QDate(1997, 5, 5), QStringLiteral("Cena con O'Brien"));
    l.addDay(QDate(1997, 5, 6), QString(""));
    l.addDay(QDate(1997, 1, 1), QStringLiteral("Año nuevo"));
    l.addDay(QDate(1997, 12, 31), QStringLiteral("Nochevieja"));
    l.addDay(QDate(1998, 1, 1), QStringLiteral("1998"));
    l.run(handler, QDate(1997, 5, 14));

    QCOMPARE(l.printer.lines, lines);
    QCOMPARE(l.printer.endDocs, lines.isEmpty() ? 0 : 1);
    QCOMPARE(l.caption(), l.listing().recordCount() == 3
                              ? QStringLiteral("3 Notas halladas de mayo")
                              : QStringLiteral("5 Notas halladas de 1997"));
    // The document is named for what it holds.
    const QString document = l.listing().recordCount() == 3
                                 ? QStringLiteral("Notas de mayo de 1997")
                                 : QStringLiteral("Notas de 1997");
    QCOMPARE(l.printer.documentNames, lines.isEmpty() ? QStringList() : QStringList{document});
}

void TestPeriodListings::printerRefusal()
{
    // A printer that could not take the document has told the user; the listing stays shown.
    Listings l;
    l.printer.result = false;
    l.addDay(QDate(1997, 5, 1), QStringLiteral("una"));
    l.run(Handler::ImpresoraMes, QDate(1997, 5, 1));
    QCOMPARE(l.printer.endDocs, 1);
    QCOMPARE(l.caption(), QStringLiteral("1 Notas halladas de mayo"));
    QVERIFY(l.boxes.calls().isEmpty());
}

void TestPeriodListings::noteWithLineBreaks()
{
    Listings l;
    l.addDay(QDate(1997, 5, 2), QStringLiteral("primera línea\r\nsegunda línea\nfin"));
    l.run(Handler::ImpresoraMes, QDate(1997, 5, 1));
    QCOMPARE(l.printer.lines.size(), 4);
    QCOMPARE(l.printer.lines.last(),
             QStringLiteral("02/may/97  primera línea\r\nsegunda línea\nfin"));
}

void TestPeriodListings::noDay_data()
{
    QTest::addColumn<Handler>("handler");
    QTest::addColumn<QDate>("reference");

    QTest::newRow("month of no day") << Handler::PantallaMes << QDate();
    QTest::newRow("year of no day") << Handler::ImpresoraAnyo << QDate();
    QTest::newRow("month beyond 9999") << Handler::ImpresoraMes << QDate(9999, 12, 31).addDays(40);
    QTest::newRow("year before 100") << Handler::PantallaAnyo << QDate(99, 6, 1);
}

void TestPeriodListings::noDay()
{
    QFETCH(Handler, handler);
    QFETCH(QDate, reference);

    Listings l;
    l.addDay(QDate(1997, 5, 1), QStringLiteral("una"));
    QSignalSpy shown(&l.panel, &NotesPanel::shown);
    l.run(handler, reference);
    QCOMPARE(l.boxes.calls().size(), 1);
    QCOMPARE(l.boxes.calls().first().prompt, QStringLiteral("Fecha erronea"));
    QVERIFY(l.query().isEmpty());
    QCOMPARE(shown.size(), 0);
    QCOMPARE(l.printer.endDocs, 0);
}

void TestPeriodListings::listingLeftAnywhere()
{
    // ImprimirListado prints from the first row whichever row of the grid is current, and
    // leaves that row current: printing reads the listing without walking it. The December
    // edge and its last day are in.
    Listings l;
    l.addDay(QDate(1997, 12, 1), QStringLiteral("primero"));
    l.addDay(QDate(1997, 12, 31), QStringLiteral("último"));
    l.run(Handler::PantallaMes, QDate(1997, 12, 10));
    QCOMPARE(l.caption(), QStringLiteral("2 Notas halladas de diciembre"));
    for (int position : {0, 1}) {
        l.printer.lines.clear();
        auto* table = child<QTableView>(&l.panel, "table");
        table->setCurrentIndex(table->model()->index(position, 1));
        l.listings.ImprimirListado(QStringLiteral("título"), QStringLiteral("Notas"));
        QCOMPARE(l.printer.lines,
                 (QStringList{"título", ListingPrinter::rule(), ListingPrinter::heading(),
                              "01/dic/97  primero", "31/dic/97  último"}));
        QCOMPARE(table->currentIndex().row(), position);
    }
    QCOMPARE(l.printer.endDocs, 2);
    QVERIFY(l.failures.isEmpty());
}

QTEST_MAIN(TestPeriodListings)
#include "tst_periodlistings.moc"
