#include "TestStore.h"
#include "store/listings/Listing.h"
#include "store/listings/SelectionQuery.h"

#include <QTest>

class TestSelectionQuery : public QObject
{
    Q_OBJECT

private slots:
    void holidayAsAnyStoreKeepsIt_data();
    void holidayAsAnyStoreKeepsIt();
};

void TestSelectionQuery::holidayAsAnyStoreKeepsIt_data()
{
    QTest::addColumn<bool>("festivo");
    QTest::addColumn<bool>("laboral");
    QTest::addColumn<QStringList>("notes");
    QTest::newRow("Festivo: this program's 1 and the older store's -1")
        << true << false << QStringList{"uno", "menos uno"};
    QTest::newRow("Laboral: 0 only") << false << true << QStringList{"cero"};
    QTest::newRow("both: every day")
        << true << true << QStringList{"uno", "menos uno", "cero", "nulo"};
}

// Days written by this program (1), by an older store (-1), plain (0) and by a program that left
// it Null, listed by the selection's query text.
void TestSelectionQuery::holidayAsAnyStoreKeepsIt()
{
    QFETCH(bool, festivo);
    QFETCH(bool, laboral);
    QFETCH(QStringList, notes);
    TestStore t;
    const QDate first(1997, 3, 1);
    t.addDay(first, {.nota = QStringLiteral("uno"), .festivo = 1});
    t.addDay(first.addDays(1), {.nota = QStringLiteral("menos uno"), .festivo = -1});
    t.addDay(first.addDays(2), {.nota = QStringLiteral("cero"), .festivo = 0});
    t.addDay(first.addDays(3), {.nota = QStringLiteral("nulo"), .festivo = QVariant()});

    SelectionCriteria selection;
    selection.desde = qint64(DatePattern::fromDate(first));
    selection.hasta = qint64(DatePattern::fromDate(first.addDays(3)));
    selection.festivo = festivo;
    selection.laboral = laboral;
    const Listing listing = Listing::run(t.db(), SelectionQuery::query(selection));
    QStringList found;
    for (int row = 0; row < listing.recordCount(); ++row)
        found << listing.noteAt(row);
    QCOMPARE(found, notes);
}

QTEST_GUILESS_MAIN(TestSelectionQuery)
#include "tst_selectionquery.moc"
