#include "store/CalendarStore.h"
#include "store/EmptyDayPruner.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <memory>

namespace {

constexpr double kFirstDay = 35431; // 1 January 1997

const char* const kCalendarTable = "CREATE TABLE calendar (fecha REAL NOT NULL, nota TEXT, "
                                   "festivo INTEGER, alarma INTEGER, hora REAL, Color INTEGER);";
const char* const kFechaIndex = "CREATE UNIQUE INDEX Fecha ON calendar (fecha);";
const char* const kNotaTable = "CREATE TABLE Nota (indice INTEGER PRIMARY KEY AUTOINCREMENT, "
                               "nota TEXT, \"Top\" REAL, \"Left\" REAL);";
const char* const kOneDay = "INSERT INTO calendar VALUES (35431, 'uno', 0, 0, 0, 5);";

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A database made with SQLite alone, in its default rollback journal.
void makeRawDatabase(const QString& path, const QByteArray& sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

template <typename F> QString errorOf(F&& f)
{
    try {
        f();
    } catch (const StoreError& error) {
        return error.message();
    }
    return QString();
}

std::unique_ptr<CalendarStore> newStore(const QTemporaryDir& dir)
{
    Database::create(CalendarStore::pathIn(dir.path()));
    return CalendarStore::open(dir.path());
}

void addDay(Database& db, double fecha, const QVariant& nota, const QVariant& alarma = 0,
            const QVariant& color = 5, const QVariant& festivo = 0)
{
    Statement insert = db.prepare(
        QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                       "VALUES (?1, ?2, ?3, ?4, 0, ?5)"));
    insert.bind(1, fecha);
    insert.bind(2, nota);
    insert.bind(3, festivo);
    insert.bind(4, alarma);
    insert.bind(5, color);
    insert.execute();
    db.noteWrite();
}

// Days left in the table, as offsets from kFirstDay, in day order.
QList<int> daysLeft(const Database& db)
{
    QList<int> days;
    Statement select = db.prepare(QStringLiteral("SELECT fecha FROM calendar ORDER BY fecha"));
    while (select.step())
        days << int(select.columnDouble(0) - kFirstDay);
    return days;
}

} // namespace

class TestCalendarStore : public QObject
{
    Q_OBJECT

private slots:
    void openRefuses_data();
    void openRefuses();
    void createRefusesExistingFile();
    void newStoreIsWalWithUniqueIndex();
    void pruneWindow_data();
    void pruneWindow();
    void pruneKeeps_data();
    void pruneKeeps();
    void failedUpdateSurfaces();
    void writesOutliveTheStore();
};

void TestCalendarStore::openRefuses_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes"); // the file as it is, when sql is empty
    QTest::addColumn<QByteArray>("sql");   // a database made with these statements
    QTest::addColumn<QStringList>("mentions");

    QByteArray noise(4096, '\0');
    QRandomGenerator random(1997);
    for (char& byte : noise)
        byte = char(random.bounded(256));

    QTest::newRow("missing file") << false << QByteArray() << QByteArray()
                                  << QStringList{"tarvelo-db create"};
    QTest::newRow("random bytes") << true << noise << QByteArray() << QStringList{};
    QTest::newRow("text file") << true << QByteArray("fecha;nota\n01/05/1997;hola\n")
                               << QByteArray() << QStringList{};
    QTest::newRow("empty file") << true << QByteArray() << QByteArray() << QStringList{};
    QTest::newRow("no table Nota")
        << true << QByteArray() << QByteArray(kCalendarTable) + kFechaIndex + kOneDay
        << QStringList{"«Nota»"};
    QTest::newRow("no field hora")
        << true << QByteArray()
        << QByteArray("CREATE TABLE calendar (fecha REAL NOT NULL, nota TEXT, festivo INTEGER, "
                      "alarma INTEGER, Color INTEGER);") +
               kFechaIndex + kNotaTable
        << QStringList{"«hora»"};
    QTest::newRow("no index Fecha")
        << true << QByteArray() << QByteArray(kCalendarTable) + kNotaTable + kOneDay
        << QStringList{"«Fecha»"};
    QTest::newRow("index Fecha on another field")
        << true << QByteArray()
        << QByteArray(kCalendarTable) + "CREATE INDEX Fecha ON calendar (nota);" + kNotaTable
        << QStringList{"«Fecha»"};
}

void TestCalendarStore::openRefuses()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, sql);
    QFETCH(QStringList, mentions);
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    if (!sql.isEmpty())
        makeRawDatabase(path, sql);
    else if (exists)
        writeBytes(path, bytes);
    if (QTest::currentTestFailed())
        return;
    const QByteArray before = bytesOf(path);

    const QString message = errorOf([&] { CalendarStore::open(dir.path()); });
    QVERIFY2(!message.isNull(), "the store opened");
    QVERIFY2(message.contains(QFileInfo(path).absoluteFilePath()), qPrintable(message));
    for (const QString& mention : mentions)
        QVERIFY2(message.contains(mention), qPrintable(message));

    QCOMPARE(QFileInfo::exists(path), exists);
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             exists ? QStringList{"calendar.mdb"} : QStringList{});
}

void TestCalendarStore::createRefusesExistingFile()
{
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    writeBytes(path, "no tocar");
    QVERIFY_THROWS_EXCEPTION(StoreError, Database::create(path));
    QCOMPARE(bytesOf(path), QByteArray("no tocar"));
}

void TestCalendarStore::newStoreIsWalWithUniqueIndex()
{
    QTemporaryDir dir;
    auto store = newStore(dir);
    Statement mode = store->dbCalendar->prepare(QStringLiteral("PRAGMA journal_mode"));
    QVERIFY(mode.step());
    QCOMPARE(mode.column(0).toString(), QStringLiteral("wal"));
    mode.reset();
    Statement index = store->dbCalendar->prepare(
        QStringLiteral("SELECT l.\"unique\", i.name FROM pragma_index_list('calendar') AS l "
                       "JOIN pragma_index_info(l.name) AS i WHERE l.name = 'Fecha'"));
    QVERIFY(index.step());
    QCOMPARE(index.columnInt64(0), 1);
    QCOMPARE(index.column(1).toString(), QStringLiteral("fecha"));
    index.reset();
    QVERIFY(store->rsCalendar.bof() && store->rsCalendar.eof());
    QVERIFY(store->rsNota.bof() && store->rsNota.eof());
}

void TestCalendarStore::pruneWindow_data()
{
    // Days 0..rows-1, one row each; the empty ones carry '' / 0 / 5 / 0.
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("empty");
    QTest::addColumn<QList<int>>("deleted");
    QTest::newRow("empty table") << 0 << QList<int>{} << QList<int>{};
    QTest::newRow("100 rows: only the latest 60 examined")
        << 100 << QList<int>{0, 5, 39, 40, 41, 70, 99} << QList<int>{40, 41, 70, 99};
    QTest::newRow("30 rows: all examined") << 30 << QList<int>{0, 15, 29} << QList<int>{0, 15, 29};
    QTest::newRow("60 rows: the oldest examined") << 60 << QList<int>{0, 59} << QList<int>{0, 59};
    QTest::newRow("61 rows: the oldest not examined")
        << 61 << QList<int>{0, 1, 60} << QList<int>{1, 60};
}

void TestCalendarStore::pruneWindow()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, empty);
    QFETCH(QList<int>, deleted);
    QTemporaryDir dir;
    auto store = newStore(dir);
    Database& db = *store->dbCalendar;
    db.execute(QStringLiteral("BEGIN"));
    for (int day = rows - 1; day >= 0; --day) // newest first: table order is not day order
        addDay(db, kFirstDay + day, empty.contains(day) ? QString("") : QString::number(day));
    db.execute(QStringLiteral("COMMIT"));
    store->rsCalendar.setIndex(QStringLiteral("Fecha"));

    QCOMPARE(EmptyDayPruner::prune(store->rsCalendar), deleted.size());
    QList<int> survivors;
    for (int day = 0; day < rows; ++day) {
        if (!deleted.contains(day))
            survivors << day;
    }
    QCOMPARE(daysLeft(db), survivors);
}

void TestCalendarStore::pruneKeeps_data()
{
    QTest::addColumn<QVariant>("nota");
    QTest::addColumn<QVariant>("alarma");
    QTest::addColumn<QVariant>("color");
    QTest::addColumn<QVariant>("festivo");
    QTest::addColumn<bool>("kept");
    const QVariant none;
    const QVariant blank = QString("");
    QTest::newRow("empty day deleted")
        << blank << QVariant(0) << QVariant(5) << QVariant(0) << false;
    QTest::newRow("Null nota kept") << none << QVariant(0) << QVariant(5) << QVariant(0) << true;
    QTest::newRow("Null alarma kept") << blank << none << QVariant(5) << QVariant(0) << true;
    QTest::newRow("Null Color kept") << blank << QVariant(0) << none << QVariant(0) << true;
    QTest::newRow("Null festivo kept") << blank << QVariant(0) << QVariant(5) << none << true;
    QTest::newRow("Color 9 kept") << blank << QVariant(0) << QVariant(9) << QVariant(0) << true;
    QTest::newRow("holiday kept") << blank << QVariant(0) << QVariant(5) << QVariant(1) << true;
    QTest::newRow("alarm kept") << blank << QVariant(1) << QVariant(5) << QVariant(0) << true;
    QTest::newRow("note kept") << QVariant(QString("cita")) << QVariant(0) << QVariant(5)
                               << QVariant(0) << true;
}

void TestCalendarStore::pruneKeeps()
{
    QFETCH(QVariant, nota);
    QFETCH(QVariant, alarma);
    QFETCH(QVariant, color);
    QFETCH(QVariant, festivo);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    auto store = newStore(dir);
    addDay(*store->dbCalendar, kFirstDay, QString("antes"));
    addDay(*store->dbCalendar, kFirstDay + 1, nota, alarma, color, festivo);
    addDay(*store->dbCalendar, kFirstDay + 2, QString("después"));
    store->rsCalendar.setIndex(QStringLiteral("Fecha"));
    EmptyDayPruner::prune(store->rsCalendar);
    QCOMPARE(daysLeft(*store->dbCalendar), kept ? (QList<int>{0, 1, 2}) : (QList<int>{0, 2}));
}

void TestCalendarStore::failedUpdateSurfaces()
{
    QTemporaryDir dir;
    {
        auto store = newStore(dir);
        TableCursor& a = store->rsCalendar;
        for (int day : {0, 1}) {
            a.addNew();
            a.setValue(QStringLiteral("fecha"), kFirstDay + day);
            a.setValue(QStringLiteral("nota"), QStringLiteral("día %1").arg(day));
            a.update();
        }
        a.seek(kFirstDay + 1);
        a.edit();
        a.setValue(QStringLiteral("nota"), QStringLiteral("nunca"));

        TableCursor b(*store->dbCalendar, QStringLiteral("calendar"));
        b.setIndex(QStringLiteral("Fecha"));
        b.seek(kFirstDay + 1);
        b.deleteCurrent();
        QVERIFY_THROWS_EXCEPTION(StoreError, a.update());
    }
    auto store = CalendarStore::open(dir.path());
    QCOMPARE(daysLeft(*store->dbCalendar), QList<int>{0});
    QCOMPARE(store->rsCalendar.value(QStringLiteral("nota")).toString(), QStringLiteral("día 0"));
}

void TestCalendarStore::writesOutliveTheStore()
{
    QTemporaryDir dir;
    {
        auto store = newStore(dir);
        TableCursor& day = store->rsCalendar;
        day.addNew();
        day.setValue(QStringLiteral("fecha"), kFirstDay + 120);
        day.setValue(QStringLiteral("nota"), QStringLiteral("Día del Trabajo"));
        day.setValue(QStringLiteral("festivo"), 1);
        day.setValue(QStringLiteral("alarma"), 1);
        day.setValue(QStringLiteral("hora"), 0.375);
        day.setValue(QStringLiteral("Color"), 2);
        day.update();

        TableCursor& note = store->rsNota;
        note.addNew();
        note.setValue(QStringLiteral("nota"), QStringLiteral("comprar pan"));
        note.setValue(QStringLiteral("Top"), 120);
        note.setValue(QStringLiteral("Left"), 300);
        note.update();
    }
    auto store = CalendarStore::open(dir.path());
    TableCursor& day = store->rsCalendar;
    day.seek(kFirstDay + 120);
    QVERIFY(!day.noMatch());
    QCOMPARE(day.value(QStringLiteral("nota")).toString(), QStringLiteral("Día del Trabajo"));
    QCOMPARE(day.value(QStringLiteral("festivo")).toInt(), 1);
    QCOMPARE(day.value(QStringLiteral("alarma")).toInt(), 1);
    QCOMPARE(day.value(QStringLiteral("hora")).toDouble(), 0.375);
    QCOMPARE(day.value(QStringLiteral("Color")).toInt(), 2);
    TableCursor& note = store->rsNota;
    QVERIFY(!note.eof());
    QCOMPARE(note.value(QStringLiteral("nota")).toString(), QStringLiteral("comprar pan"));
    QCOMPARE(note.value(QStringLiteral("Top")).toDouble(), 120.0);
    QCOMPARE(note.value(QStringLiteral("Left")).toDouble(), 300.0);
}

QTEST_GUILESS_MAIN(TestCalendarStore)
#include "tst_calendarstore.moc"
