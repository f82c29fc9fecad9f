#include "TestStore.h"
#include "store/domain/NotitaBook.h"

#include <QTest>

#include <sqlite3.h>

class TestNotitaBook : public QObject
{
    Q_OBJECT

private slots:
    void readsInTableOrder();
    void countStopsAtAByte();
    void addNumbersTheRow_data();
    void addNumbersTheRow();
    void saveAndRemoveAMissingRow();
    void saveWritesTextAndPlace();
    void rowsWithoutANumberOfTheirOwn();
};

void TestNotitaBook::readsInTableOrder()
{
    TestStore t;
    t.addNotita(QStringLiteral("uno"), 15, 30);
    t.addNotita(QVariant(), 45, 60); // a row another program left without text
    t.addNotita(QStringLiteral("tres"), 0, 0);
    NotitaBook& notitas = t.store->notitas();

    QCOMPARE(notitas.count(), 3);
    const std::vector<Notita> first = notitas.first(2);
    QCOMPARE(first.size(), std::size_t(2));
    QCOMPARE(first[0], (Notita{1, QStringLiteral("uno"), 15, 30}));
    QCOMPARE(first[1], (Notita{2, QString(), 45, 60}));
    QCOMPARE(notitas.last()->text, QStringLiteral("tres"));
    QCOMPARE(notitas.read(2)->top, 45.0);
    QVERIFY(!notitas.read(4));
}

void TestNotitaBook::countStopsAtAByte()
{
    TestStore t;
    t.addNotitas(300);
    QCOMPARE(t.store->notitas().count(), NotitaBook::kMaxCount);
}

void TestNotitaBook::addNumbersTheRow_data()
{
    QTest::addColumn<QString>("notaTable");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("counter of the store")
        << "CREATE TABLE Nota (indice INTEGER PRIMARY KEY AUTOINCREMENT, nota TEXT, "
           "\"Top\" REAL NOT NULL DEFAULT 0, \"Left\" REAL NOT NULL DEFAULT 0)"
        << qint64(8); // 7 was used once, then deleted: a counter never gives it again
    QTest::newRow("plain number of another program")
        << "CREATE TABLE Nota (indice INTEGER, nota TEXT, \"Top\" REAL, \"Left\" REAL)"
        << qint64(7);
}

void TestNotitaBook::addNumbersTheRow()
{
    QFETCH(QString, notaTable);
    QFETCH(qint64, expected);

    TestStore t;
    t.db().execute(QStringLiteral("DROP TABLE Nota"));
    t.db().execute(notaTable);
    t.store.reset();
    t.store = CalendarStore::open(t.folder());
    t.db().execute(QStringLiteral("INSERT INTO Nota (indice, nota, \"Top\", \"Left\") VALUES "
                                  "(5, 'a', 0, 0), (6, 'b', 0, 0), (7, 'c', 0, 0)"));
    t.db().execute(QStringLiteral("DELETE FROM Nota WHERE indice = 7"));

    NotitaBook& notitas = t.store->notitas();
    const qint64 row = notitas.add();
    QCOMPARE(row, expected);
    QCOMPARE(notitas.last()->row, expected);
    QCOMPARE(notitas.count(), 3);
    QVERIFY(notitas.save(Notita{row, QStringLiteral("escrita"), 150, 300}));
    QCOMPARE(t.notitaRow(row), TestStore::notitaLine(row, QStringLiteral("escrita"), 150, 300));
}

void TestNotitaBook::saveAndRemoveAMissingRow()
{
    TestStore t;
    const qint64 row = t.addNotita(QStringLiteral("x"), 0, 0);
    NotitaBook& notitas = t.store->notitas();
    QVERIFY(notitas.remove(row));
    QVERIFY(!notitas.remove(row));
    QVERIFY(!notitas.save(Notita{row, QStringLiteral("y"), 0, 0}));
    QCOMPARE(t.notitaCount(), 0);
}

void TestNotitaBook::saveWritesTextAndPlace()
{
    TestStore t;
    t.addNotitas(3);
    QVERIFY(t.store->notitas().save(Notita{2, QStringLiteral("línea\r\notra"), 1470, -300}));
    QCOMPARE(t.notitaRows(),
             QStringList({TestStore::notitaLine(1, TestStore::textOf(1), 150, 450),
                          TestStore::notitaLine(2, QStringLiteral("línea\r\notra"), 1470, -300),
                          TestStore::notitaLine(3, TestStore::textOf(3), 450, 1350)}));
}

// Another program's rows in a plain indice field: without a number, sharing one, or with text
// there. Each notita shown is saved into its own row.
void TestNotitaBook::rowsWithoutANumberOfTheirOwn()
{
    TestStore t;
    t.remake({QStringLiteral("DROP TABLE Nota"),
              QStringLiteral("CREATE TABLE Nota (indice INTEGER, nota TEXT, \"Top\" REAL, "
                             "\"Left\" REAL)"),
              QStringLiteral("INSERT INTO Nota VALUES (NULL, 'a', 0, 0), (5, 'b', 0, 0), "
                             "(5, 'c', 0, 0), ('x', 'd', 0, 0), (2, 'e', 0, 0)")});
    NotitaBook& notitas = t.store->notitas();
    const std::vector<Notita> shown = notitas.first(10);
    QStringList rows;
    for (const Notita& notita : shown)
        rows << QStringLiteral("%1=%2").arg(notita.row).arg(notita.text);
    QCOMPARE(rows, QStringList({"6=a", "5=b", "7=c", "8=d", "2=e"}));
    for (const Notita& notita : shown)
        QVERIFY(notitas.save(Notita{notita.row, notita.text + QStringLiteral("!"), 1, 2}));
    QCOMPARE(t.notitaRows(),
             QStringList({"6|a!|1|2", "5|b!|1|2", "7|c!|1|2", "8|d!|1|2", "2|e!|1|2"}));
}

QTEST_GUILESS_MAIN(TestNotitaBook)
#include "tst_notitabook.moc"
