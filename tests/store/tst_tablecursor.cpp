#include "store/CalendarStore.h"
#include "store/DatePattern.h"
#include "store/StoreError.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr double kMay1 = 35551; // 1 May 1997: the days below are kMay1 + an offset

struct Store
{
    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;

    Store()
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
    }
    Database& db() { return store->database(); }

    void addDay(double fecha, const QString& nota)
    {
        Statement insert = db().prepare(
            QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                           "VALUES (?1, ?2, 0, 0, 0, 5)"));
        insert.bind(1, fecha);
        insert.bind(2, nota);
        insert.execute();
        db().noteWrite();
    }
    void addDays(const QList<int>& offsets)
    {
        for (int offset : offsets)
            addDay(kMay1 + offset, QString::number(offset));
    }
    std::unique_ptr<TableCursor> days()
    {
        auto cursor = std::make_unique<TableCursor>(db(), QStringLiteral("calendar"));
        cursor->setIndex(QStringLiteral("Fecha"));
        return cursor;
    }
};

int offsetOf(const TableCursor& cursor)
{
    return int(cursor.value(QStringLiteral("fecha")).toDouble() - kMay1);
}

// The offsets met walking forward from the first row.
QList<int> walk(TableCursor& cursor)
{
    QList<int> seen;
    for (cursor.moveFirst(); !cursor.eof(); cursor.moveNext())
        seen << offsetOf(cursor);
    return seen;
}

} // namespace

class TestTableCursor : public QObject
{
    Q_OBJECT

private slots:
    void emptyTable_data();
    void emptyTable();
    void walking_data();
    void walking();
    void seek_data();
    void seek();
    void addNewKeepsCurrentRow();
    void editWritesRow();
    void editDroppedByMove_data();
    void editDroppedByMove();
    void setValueNeedsAddNewOrEdit();
    void deleteCurrent_data();
    void deleteCurrent();
    void twoCursorsSeeEachOther();
    void walkSeesWritesMadeOnTheWay_data();
    void walkSeesWritesMadeOnTheWay();
    void seekFullDates_data();
    void seekFullDates();
    void notaInTableOrder();
};

void TestTableCursor::emptyTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("index");
    QTest::newRow("calendar by Fecha") << "calendar"
                                       << "Fecha";
    QTest::newRow("Nota in table order") << "Nota"
                                         << "";
}

void TestTableCursor::emptyTable()
{
    QFETCH(QString, table);
    QFETCH(QString, index);
    Store s;
    TableCursor cursor(s.db(), table);
    cursor.setIndex(index);
    QVERIFY(cursor.bof() && cursor.eof());
    cursor.moveFirst();
    QVERIFY(cursor.bof() && cursor.eof());
    cursor.moveLast();
    QVERIFY(cursor.bof() && cursor.eof());
    QVERIFY_THROWS_EXCEPTION(StoreError, cursor.moveNext());
    QVERIFY_THROWS_EXCEPTION(StoreError, cursor.movePrevious());
    QVERIFY_THROWS_EXCEPTION(StoreError, cursor.value(QStringLiteral("nota")));
}

void TestTableCursor::walking_data()
{
    QTest::addColumn<QList<int>>("inserted");
    QTest::addColumn<QList<int>>("ordered");
    QTest::newRow("one row") << QList<int>{7} << QList<int>{7};
    QTest::newRow("rows inserted out of order")
        << QList<int>{20, 3, 15, 0, 9} << QList<int>{0, 3, 9, 15, 20};
}

void TestTableCursor::walking()
{
    QFETCH(QList<int>, inserted);
    QFETCH(QList<int>, ordered);
    Store s;
    s.addDays(inserted);
    auto cursor = s.days();
    QVERIFY(!cursor->bof() && !cursor->eof());
    QCOMPARE(offsetOf(*cursor), ordered.first());
    QCOMPARE(walk(*cursor), ordered);
    QVERIFY(cursor->eof() && !cursor->bof());

    cursor->moveLast();
    QCOMPARE(offsetOf(*cursor), ordered.last());
    cursor->moveNext();
    QVERIFY(cursor->eof() && !cursor->bof());
    cursor->movePrevious();
    QVERIFY(!cursor->eof());
    QCOMPARE(offsetOf(*cursor), ordered.last());

    cursor->moveFirst();
    cursor->movePrevious();
    QVERIFY(cursor->bof() && !cursor->eof());
    cursor->moveNext();
    QVERIFY(!cursor->bof());
    QCOMPARE(offsetOf(*cursor), ordered.first());
}

void TestTableCursor::seek_data()
{
    // Rows stand at offsets 10, 20 and 30; -1 stands for end- or begin-of-file.
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("hit in the middle") << 20 << true << 30 << 10;
    QTest::newRow("miss between rows") << 25 << false << 30 << 20;
    QTest::newRow("miss before the first row") << 5 << false << 10 << -1;
    QTest::newRow("miss after the last row") << 35 << false << -1 << 30;
}

void TestTableCursor::seek()
{
    QFETCH(int, key);
    QFETCH(bool, found);
    QFETCH(int, next);
    QFETCH(int, previous);
    Store s;
    s.addDays({30, 10, 20});
    auto cursor = s.days();

    cursor->seek(kMay1 + key);
    QCOMPARE(cursor->noMatch(), !found);
    if (found) {
        QCOMPARE(cursor->value(QStringLiteral("NOTA")).toString(), QString::number(key));
        QCOMPARE(cursor->value(QStringLiteral("color")).toInt(), 5);
    } else {
        QVERIFY_THROWS_EXCEPTION(StoreError, cursor->value(QStringLiteral("nota")));
    }
    cursor->moveNext();
    QCOMPARE(cursor->eof(), next < 0);
    if (next >= 0)
        QCOMPARE(offsetOf(*cursor), next);
    QCOMPARE(cursor->noMatch(), !found);

    cursor->seek(kMay1 + key);
    cursor->movePrevious();
    QCOMPARE(cursor->bof(), previous < 0);
    if (previous >= 0)
        QCOMPARE(offsetOf(*cursor), previous);
    QCOMPARE(cursor->noMatch(), !found);
}

void TestTableCursor::addNewKeepsCurrentRow()
{
    Store s;
    s.addDays({10, 30});
    auto cursor = s.days();
    cursor->moveLast();
    cursor->addNew();
    cursor->setValue(QStringLiteral("fecha"), kMay1 + 20);
    cursor->setValue(QStringLiteral("nota"), QStringLiteral("nuevo"));
    cursor->update();
    QCOMPARE(offsetOf(*cursor), 30);
    cursor->movePrevious();
    QCOMPARE(offsetOf(*cursor), 20);
    QCOMPARE(cursor->value(QStringLiteral("nota")).toString(), QStringLiteral("nuevo"));
    QCOMPARE(walk(*cursor), (QList<int>{10, 20, 30}));
}

void TestTableCursor::editWritesRow()
{
    Store s;
    s.addDays({10, 20});
    auto cursor = s.days();
    cursor->edit();
    cursor->setValue(QStringLiteral("Nota"), QStringLiteral("editado"));
    cursor->setValue(QStringLiteral("festivo"), 1);
    cursor->update();
    QCOMPARE(offsetOf(*cursor), 10);
    QCOMPARE(cursor->value(QStringLiteral("nota")).toString(), QStringLiteral("editado"));

    auto other = s.days();
    QCOMPARE(other->value(QStringLiteral("nota")).toString(), QStringLiteral("editado"));
    QCOMPARE(other->value(QStringLiteral("festivo")).toInt(), 1);
}

void TestTableCursor::editDroppedByMove_data()
{
    QTest::addColumn<int>("move");
    QTest::newRow("moveNext before update") << 0;
    QTest::newRow("seek before update") << 1;
}

void TestTableCursor::editDroppedByMove()
{
    QFETCH(int, move);
    Store s;
    s.addDays({10, 20});
    auto cursor = s.days();
    cursor->edit();
    cursor->setValue(QStringLiteral("nota"), QStringLiteral("perdido"));
    if (move == 0)
        cursor->moveNext();
    else
        cursor->seek(kMay1 + 20);
    QVERIFY(!cursor->isEditing());
    QVERIFY_THROWS_EXCEPTION(StoreError, cursor->update());
    cursor->seek(kMay1 + 10);
    QCOMPARE(cursor->value(QStringLiteral("nota")).toString(), QStringLiteral("10"));
}

void TestTableCursor::setValueNeedsAddNewOrEdit()
{
    Store s;
    s.addDays({10});
    auto cursor = s.days();
    QVERIFY_THROWS_EXCEPTION(StoreError, cursor->setValue(QStringLiteral("nota"), "x"));
    QCOMPARE(cursor->value(QStringLiteral("nota")).toString(), QStringLiteral("10"));
}

void TestTableCursor::deleteCurrent_data()
{
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("next"); // -1: end-of-file
    QTest::newRow("first row") << 10 << 20;
    QTest::newRow("middle row") << 20 << 30;
    QTest::newRow("last row") << 30 << -1;
}

void TestTableCursor::deleteCurrent()
{
    QFETCH(int, deleted);
    QFETCH(int, next);
    Store s;
    s.addDays({10, 20, 30});
    auto cursor = s.days();
    cursor->seek(kMay1 + deleted);
    cursor->deleteCurrent();
    QVERIFY(!cursor->bof() && !cursor->eof());
    QVERIFY(!cursor->hasCurrent());
    QVERIFY_THROWS_EXCEPTION(StoreError, cursor->value(QStringLiteral("nota")));
    cursor->moveNext();
    QCOMPARE(cursor->eof(), next < 0);
    if (next >= 0)
        QCOMPARE(offsetOf(*cursor), next);
    QList<int> left{10, 20, 30};
    left.removeOne(deleted);
    QCOMPARE(walk(*cursor), left);
}

void TestTableCursor::twoCursorsSeeEachOther()
{
    Store s;
    s.addDays({10, 20, 30});
    auto a = s.days();
    auto b = s.days();
    a->seek(kMay1 + 20);
    b->seek(kMay1 + 20);
    QCOMPARE(a->value(QStringLiteral("nota")).toString(), QStringLiteral("20"));

    b->edit();
    b->setValue(QStringLiteral("nota"), QStringLiteral("desde b"));
    b->update();
    QCOMPARE(a->value(QStringLiteral("nota")).toString(), QStringLiteral("desde b"));

    b->deleteCurrent();
    QVERIFY_THROWS_EXCEPTION(StoreError, a->value(QStringLiteral("nota")));
    a->moveNext();
    QCOMPARE(offsetOf(*a), 30);
}

// A walk reads rows ahead of the one it stands on; what another handle writes meanwhile must
// still be what the next steps show, in both directions and deep into a long walk.
void TestTableCursor::walkSeesWritesMadeOnTheWay_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("steps"); // moves made before the other handle writes
    QTest::newRow("forwards, first step") << 1 << 1;
    QTest::newRow("forwards, deep in the walk") << 1 << 40;
    QTest::newRow("backwards, first step") << -1 << 1;
    QTest::newRow("backwards, deep in the walk") << -1 << 40;
}

void TestTableCursor::walkSeesWritesMadeOnTheWay()
{
    QFETCH(int, direction);
    QFETCH(int, steps);
    Store s;
    QList<int> offsets;
    for (int i = 0; i < 100; ++i)
        offsets << i * 2;
    s.db().execute(QStringLiteral("BEGIN"));
    s.addDays(offsets);
    s.db().execute(QStringLiteral("COMMIT"));

    auto a = s.days();
    auto b = s.days();
    const auto step = [&](TableCursor& c) { direction > 0 ? c.moveNext() : c.movePrevious(); };
    direction > 0 ? a->moveFirst() : a->moveLast();
    for (int i = 0; i < steps; ++i)
        step(*a);
    const int here = offsetOf(*a);

    // Through b: the next day changes its note, the one after goes, and a new day comes
    // between them.
    const int next = here + 2 * direction;
    const int gone = here + 4 * direction;
    b->seek(kMay1 + next);
    b->edit();
    b->setValue(QStringLiteral("nota"), QStringLiteral("cambiada"));
    b->update();
    b->seek(kMay1 + gone);
    b->deleteCurrent();
    s.addDay(kMay1 + next + direction, QStringLiteral("nueva"));

    step(*a);
    QCOMPARE(offsetOf(*a), next);
    QCOMPARE(a->value(QStringLiteral("nota")).toString(), QStringLiteral("cambiada"));
    step(*a);
    QCOMPARE(a->value(QStringLiteral("nota")).toString(), QStringLiteral("nueva"));
    step(*a);
    QCOMPARE(offsetOf(*a), here + 6 * direction);
}

void TestTableCursor::seekFullDates_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("otherCentury"); // the year a two-digit reading could confuse it with
    QTest::newRow("1900") << 1900 << 2000;
    QTest::newRow("1930") << 1930 << 2030;
    QTest::newRow("2029") << 2029 << 1929;
    QTest::newRow("2030") << 2030 << 1930;
    QTest::newRow("9999") << 9999 << 1999;
}

void TestTableCursor::seekFullDates()
{
    QFETCH(int, year);
    QFETCH(int, otherCentury);
    const double key = DatePattern::build(year, 6, 15);
    const double otherKey = DatePattern::fromDate(QDate(otherCentury, 6, 15));
    QCOMPARE(DatePattern::fromDate(QDate(year, 6, 15)), key);
    Store s;
    s.addDay(key, QStringLiteral("año %1").arg(year));
    auto cursor = s.days();

    cursor->seek(otherKey);
    QVERIFY(cursor->noMatch());
    cursor->seek(key);
    QVERIFY(!cursor->noMatch());
    QCOMPARE(cursor->value(QStringLiteral("nota")).toString(), QStringLiteral("año %1").arg(year));

    s.addDay(otherKey, QStringLiteral("año %1").arg(otherCentury));
    cursor->seek(otherKey);
    QCOMPARE(cursor->value(QStringLiteral("nota")).toString(),
             QStringLiteral("año %1").arg(otherCentury));
    cursor->seek(key);
    QCOMPARE(cursor->value(QStringLiteral("nota")).toString(), QStringLiteral("año %1").arg(year));
    QCOMPARE(DatePattern::year(cursor->value(QStringLiteral("fecha")).toDouble()), year);
}

void TestTableCursor::notaInTableOrder()
{
    Store s;
    TableCursor notes(s.db(), QStringLiteral("Nota"));
    QList<qint64> ids;
    for (const char* text : {"primera", "segunda", "tercera"}) {
        notes.addNew();
        notes.setValue(QStringLiteral("nota"), QString::fromUtf8(text));
        ids << notes.update();
    }
    QVERIFY(ids[0] < ids[1] && ids[1] < ids[2]);
    QVERIFY_THROWS_EXCEPTION(StoreError, notes.seek(ids[0]));

    notes.moveLast();
    QCOMPARE(notes.value(QStringLiteral("nota")).toString(), QStringLiteral("tercera"));
    QCOMPARE(notes.value(QStringLiteral("INDICE")).toLongLong(), ids[2]);
    notes.deleteCurrent();
    notes.addNew();
    notes.setValue(QStringLiteral("nota"), QStringLiteral("cuarta"));
    const qint64 fourth = notes.update();
    QVERIFY2(fourth > ids[2], "a deleted indice is never given out again");

    QStringList order;
    for (notes.moveFirst(); !notes.eof(); notes.moveNext())
        order << notes.value(QStringLiteral("nota")).toString();
    QCOMPARE(order, (QStringList{"primera", "segunda", "cuarta"}));
    notes.moveLast();
    QCOMPARE(notes.value(QStringLiteral("indice")).toLongLong(), fourth);
}

QTEST_GUILESS_MAIN(TestTableCursor)
#include "tst_tablecursor.moc"
