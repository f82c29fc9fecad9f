#include "FolderSnapshot.h"
#include "FullDisk.h"
#include "LockingProgram.h"
#include "TestStore.h"
#include "store/CalendarStore.h"
#include "store/domain/DayBook.h"
#include "store/sqlite/StoreError.h"
#include "store/sqlite/Transaction.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

#include <memory>

namespace {

const char* const kCalendarTable = "CREATE TABLE calendar (fecha REAL NOT NULL, nota TEXT, "
                                   "festivo INTEGER, alarma INTEGER, hora REAL, Color INTEGER);";
const char* const kFechaIndex = "CREATE UNIQUE INDEX Fecha ON calendar (fecha);";
const char* const kNotaTable = "CREATE TABLE Nota (indice INTEGER PRIMARY KEY AUTOINCREMENT, "
                               "nota TEXT, \"Top\" REAL, \"Left\" REAL);";
const char* const kOneDay = "INSERT INTO calendar VALUES (35431, 'uno', 0, 0, 0, 5);";
const QByteArray kWholeStore = QByteArray(kCalendarTable) + kFechaIndex + kNotaTable + kOneDay;

// How a refused folder is laid out before the store is opened in it.
enum Setup
{
    Nothing,      // no calendar.mdb at all
    Bytes,        // calendar.mdb holds the row's bytes
    Rollback,     // a database made with the row's statements, in SQLite's default journal
    Wal,          // the same, switched to the write-ahead journal and closed (no -wal left)
    ReadOnlyFile, // a whole store whose file nobody may write
    ReadOnlyFolder,
    Unreadable, // a whole store that nobody may read
    ReadOnlyShm,
    Folder, // calendar.mdb is a folder
    Fifo,
    Device,  // calendar.mdb leads to /dev/null
    Damaged, // a whole store in SQLite's default journal, its days' page overwritten
    Copy,    // calendar.mdb is a copy of the test's data file of that name
};

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A database made with SQLite alone, as another program would make it.
void makeRawDatabase(const QString& path, const QByteArray& sql, bool wal = false)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK && wal)
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

// SQLite's own words, which the user is never shown.
bool soundsLikeSqlite(const QString& message)
{
    for (const char* words : {"database", "readonly", "locked", "disk I/O", "no such", "attempt",
                              "malformed", "unable to", "constraint failed", "SQL"}) {
        if (message.contains(QLatin1String(words)))
            return true;
    }
    return false;
}

void setMode(const QString& path, mode_t mode)
{
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

} // namespace

class TestCalendarStore : public QObject
{
    Q_OBJECT

private slots:
    void refusedStoreIsLeftAsItWas_data();
    void refusedStoreIsLeftAsItWas();
    void readOnlyStoreOpensOnceWritable();
    void damagedWalStoreRefusesItsFirstWrite_data();
    void damagedWalStoreRefusesItsFirstWrite();
    void createRefusesExistingFile();
    void newStoreIsWalWithUniqueIndex();
    void storeInUseIsRefusedAtOnce_data();
    void storeInUseIsRefusedAtOnce();
    void saveWaitsForAShortLock();
    void saveMeetsALongLock();
    void fullDisk_data();
    void fullDisk();
    void foreignRuleRefusesASave();
    void writesOutliveTheStore();
};

void TestCalendarStore::refusedStoreIsLeftAsItWas_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<QByteArray>("content"); // bytes or statements, as the setup says
    QTest::addColumn<QStringList>("mentions");

    QByteArray noise(4096, '\0');
    QRandomGenerator random(1997);
    for (char& byte : noise)
        byte = char(random.bounded(256));

    QTest::newRow("missing file") << int(Nothing) << QByteArray()
                                  << QStringList{"No se encuentra", "tarvelo-db create"};
    QTest::newRow("random bytes") << int(Bytes) << noise
                                  << QStringList{"no es un archivo de datos"};
    QTest::newRow("text file") << int(Bytes) << QByteArray("fecha;nota\n01/05/1997;hola\n")
                               << QStringList{"no es un archivo de datos"};
    QTest::newRow("empty file") << int(Bytes) << QByteArray() << QStringList{"está vacío"};
    QTest::newRow("SQLite header and nothing more")
        << int(Bytes) << QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\x7f')
        << QStringList{"no es un archivo de datos de Tarvelo o está dañado"};
    QTest::newRow("no table Nota")
        << int(Rollback) << QByteArray(kCalendarTable) + kFechaIndex + kOneDay
        << QStringList{"le falta la tabla «Nota»"};
    QTest::newRow("no table Nota, write-ahead journal")
        << int(Wal) << QByteArray(kCalendarTable) + kFechaIndex + kOneDay
        << QStringList{"le falta la tabla «Nota»"};
    QTest::newRow("no field hora")
        << int(Rollback)
        << QByteArray("CREATE TABLE calendar (fecha REAL NOT NULL, nota TEXT, festivo INTEGER, "
                      "alarma INTEGER, Color INTEGER);") +
               kFechaIndex + kNotaTable
        << QStringList{"le falta el campo «hora»"};
    QTest::newRow("fecha kept as text")
        << int(Wal)
        << QByteArray("CREATE TABLE calendar (fecha TEXT, nota TEXT, festivo INTEGER, alarma "
                      "INTEGER, hora REAL, Color INTEGER);") +
               kFechaIndex + kNotaTable
        << QStringList{"«fecha»", "no es numérico"};
    QTest::newRow("no index Fecha")
        << int(Rollback) << QByteArray(kCalendarTable) + kNotaTable + kOneDay
        << QStringList{"le falta el índice «Fecha»"};
    QTest::newRow("index Fecha on another field")
        << int(Wal)
        << QByteArray(kCalendarTable) + "CREATE INDEX Fecha ON calendar (nota);" + kNotaTable
        << QStringList{"le falta el índice «Fecha»"};
    QTest::newRow("calendar without row numbers, write-ahead journal")
        << int(Wal)
        << QByteArray("CREATE TABLE calendar (fecha REAL PRIMARY KEY, nota TEXT, festivo "
                      "INTEGER, alarma INTEGER, hora REAL, Color INTEGER) WITHOUT ROWID;") +
               kFechaIndex + kNotaTable + kOneDay
        << QStringList{"WITHOUT ROWID", "no admite"};
    QTest::newRow("Nota without row numbers")
        << int(Rollback)
        << QByteArray(kCalendarTable) + kFechaIndex +
               "CREATE TABLE Nota (indice INTEGER PRIMARY KEY, nota TEXT, \"Top\" REAL, "
               "\"Left\" REAL) WITHOUT ROWID;"
        << QStringList{"la tabla «Nota»", "WITHOUT ROWID"};
    QTest::newRow("calendar is a view")
        << int(Wal)
        << QByteArray("CREATE TABLE dias (fecha REAL, nota TEXT, festivo INTEGER, alarma "
                      "INTEGER, hora REAL, Color INTEGER); CREATE INDEX Fecha ON dias (fecha); "
                      "CREATE VIEW calendar AS SELECT * FROM dias;") +
               kNotaTable
        << QStringList{"«calendar» es una vista"};
    QTest::newRow("every name of the row number taken")
        << int(Rollback)
        << QByteArray("CREATE TABLE calendar (fecha REAL, nota TEXT, festivo INTEGER, alarma "
                      "INTEGER, hora REAL, Color INTEGER, rowid INTEGER, oid INTEGER, _rowid_ "
                      "INTEGER);") +
               kFechaIndex + kNotaTable
        << QStringList{"rowid, _rowid_ y oid"};
    QTest::newRow("read-only file") << int(ReadOnlyFile) << QByteArray()
                                    << QStringList{"es de solo lectura", "permisos del archivo"};
    QTest::newRow("read-only folder")
        << int(ReadOnlyFolder) << QByteArray()
        << QStringList{"La carpeta", "es de solo lectura", "calendar.mdb-shm"};
    QTest::newRow("unreadable file")
        << int(Unreadable) << QByteArray() << QStringList{"no tiene permiso de lectura"};
    QTest::newRow("read-only shared memory file left beside it")
        << int(ReadOnlyShm) << QByteArray() << QStringList{"calendar.mdb-shm", "solo lectura"};
    QTest::newRow("a folder") << int(Folder) << QByteArray() << QStringList{"es una carpeta"};
    QTest::newRow("a named pipe") << int(Fifo) << QByteArray()
                                  << QStringList{"es una tubería con nombre (FIFO)"};
    QTest::newRow("a device") << int(Device) << QByteArray() << QStringList{"es un dispositivo"};
    QTest::newRow("a damaged page among the days")
        << int(Damaged) << QByteArray() << QStringList{"está dañado", "tarvelo-db check"};
    // Found by the fuzzer: every page reads well, but the index lacks a day that the table has.
    QTest::newRow("an index that lacks a day") << int(Copy) << QByteArray("index-misses-a-day.mdb")
                                               << QStringList{"está dañado", "tarvelo-db check"};
}

void TestCalendarStore::refusedStoreIsLeftAsItWas()
{
    QFETCH(int, setup);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, mentions);

    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    const QByteArray file = QFile::encodeName(path);
    switch (Setup(setup)) {
    case Nothing:
        break;
    case Bytes:
        writeBytes(path, content);
        break;
    case Rollback:
    case Wal:
        makeRawDatabase(path, content, setup == Wal);
        break;
    case ReadOnlyFile:
    case ReadOnlyFolder:
    case Unreadable:
        Database::create(path);
        setMode(setup == ReadOnlyFolder ? dir.path() : path, setup == ReadOnlyFolder ? 0555
                                                             : setup == ReadOnlyFile ? 0444
                                                                                     : 0200);
        break;
    case ReadOnlyShm:
        Database::create(path);
        writeBytes(path + QStringLiteral("-shm"), QByteArray(32768, '\0'));
        setMode(path + QStringLiteral("-shm"), 0444);
        break;
    case Folder:
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("calendar.mdb")));
        break;
    case Fifo:
        QCOMPARE(::mkfifo(file.constData(), 0644), 0);
        break;
    case Device:
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
        break;
    case Copy:
        QVERIFY(QFile::copy(QFINDTESTDATA(QString::fromUtf8("data/" + content)), path));
        break;
    case Damaged: {
        makeRawDatabase(path, QByteArray("PRAGMA page_size=512;") + kWholeStore);
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.seek(512); // page 2, the days': the tables' descriptions on page 1 read well
        damaged.write(QByteArray(16, '\xff'));
        break;
    }
    }
    if (QTest::currentTestFailed())
        return;
    const FolderSnapshot before(dir.path());

    QElapsedTimer clock;
    clock.start();
    const QString message = errorOf([&] { CalendarStore::open(dir.path()); });
    const qint64 took = clock.elapsed();
    const FolderSnapshot after(dir.path());
    setMode(dir.path(), 0755);

    QVERIFY2(!message.isNull(), "the store opened");
    QVERIFY2(message.contains(QFileInfo(path).absoluteFilePath()) ||
                 message.contains(QFileInfo(path).absolutePath()),
             qPrintable(message));
    for (const QString& mention : mentions)
        QVERIFY2(message.contains(mention), qPrintable(message));
    QVERIFY2(!soundsLikeSqlite(message), qPrintable(message));
    QVERIFY2(after == before,
             qPrintable(before.describe() + QStringLiteral(" -> ") + after.describe()));
    QVERIFY2(took < 1000, qPrintable(QString::number(took)));
}

void TestCalendarStore::damagedWalStoreRefusesItsFirstWrite_data()
{
    QTest::addColumn<QString>("write");
    QTest::newRow("a day saved") << "day";
    QTest::newRow("a notita typed") << "notita";
    QTest::newRow("an import begun") << "transaction";
    QTest::newRow("start-up's pruning") << "prune";
}

// A store already in the write-ahead journal opens before its every page has been read (the
// window need not wait): a damage found then refuses the first write, and nothing is written.
void TestCalendarStore::damagedWalStoreRefusesItsFirstWrite()
{
    QFETCH(QString, write);
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    makeRawDatabase(path, QByteArray("PRAGMA page_size=512;") + kWholeStore, true);
    {
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        // Page 4, the notitas': what start-up reads (the tables' descriptions, the first day)
        // reads well.
        damaged.seek(3 * 512);
        damaged.write(QByteArray(16, '\xff'));
    }
    const QByteArray before = bytesOf(path);
    const FolderSnapshot folderBefore(dir.path());
    {
        std::unique_ptr<CalendarStore> store = CalendarStore::open(dir.path());
        const QString message = errorOf([&] {
            if (write == QLatin1String("day")) {
                Day day;
                day.date = QDate(1997, 3, 5);
                day.note = QStringLiteral("nueva");
                store->days().save(day);
            } else if (write == QLatin1String("notita")) {
                store->notitas().save(Notita{1, QStringLiteral("x"), 0, 0});
            } else if (write == QLatin1String("transaction")) {
                Transaction transaction(store->database());
            } else {
                store->days().pruneEmpty();
            }
        });
        QVERIFY2(message.contains(QStringLiteral("está dañado")), qPrintable(message));
        // Refused once, refused again: the program is ending.
        QVERIFY(!errorOf([&] { store->database().awaitWholeFile(); }).isEmpty());
    }
    QCOMPARE(bytesOf(path), before);
    QVERIFY(FolderSnapshot(dir.path()) == folderBefore);
}

// Refused for being read-only, the store leaves nothing behind that would keep it refused once
// the user has made it writable again.
void TestCalendarStore::readOnlyStoreOpensOnceWritable()
{
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    {
        TestStore seeded;
        seeded.addNote(QDate(1997, 3, 5), QStringLiteral("antes"));
        seeded.store.reset();
        QVERIFY(QFile::copy(seeded.path(), path));
    }
    setMode(path, 0444);
    for (int attempt = 0; attempt < 2; ++attempt)
        QVERIFY_THROWS_EXCEPTION(StoreError, CalendarStore::open(dir.path()));
    QCOMPARE(FolderSnapshot(dir.path()).names, QStringList{"calendar.mdb"});

    setMode(path, 0644);
    auto store = CalendarStore::open(dir.path());
    QCOMPARE(store->days().find(QDate(1997, 3, 5))->note, QStringLiteral("antes"));
    Day day = *store->days().find(QDate(1997, 3, 5));
    day.note = QStringLiteral("después");
    store->days().save(day);
    QCOMPARE(store->days().find(QDate(1997, 3, 5))->note, QStringLiteral("después"));
}

void TestCalendarStore::createRefusesExistingFile()
{
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    writeBytes(path, "no tocar");
    const QString message = errorOf([&] { Database::create(path); });
    QVERIFY2(message.contains(QStringLiteral("no se sobrescribe")), qPrintable(message));
    QCOMPARE(FolderSnapshot(dir.path()).bytes.value(QStringLiteral("calendar.mdb")),
             QByteArray("no tocar"));
}

void TestCalendarStore::newStoreIsWalWithUniqueIndex()
{
    TestStore t;
    Statement mode = t.db().prepare(QStringLiteral("PRAGMA journal_mode"));
    QVERIFY(mode.step());
    QCOMPARE(mode.column(0).toString(), QStringLiteral("wal"));
    mode.reset();
    Statement index = t.db().prepare(
        QStringLiteral("SELECT l.\"unique\", i.name FROM pragma_index_list('calendar') AS l "
                       "JOIN pragma_index_info(l.name) AS i WHERE l.name = 'Fecha'"));
    QVERIFY(index.step());
    QCOMPARE(index.columnInt64(0), 1);
    QCOMPARE(index.column(1).toString(), QStringLiteral("fecha"));
    index.reset();
}

void TestCalendarStore::storeInUseIsRefusedAtOnce_data()
{
    QTest::addColumn<bool>("wal");
    QTest::addColumn<QByteArray>("transaction");

    QTest::newRow("writing, write-ahead journal") << true << QByteArray("BEGIN IMMEDIATE;");
    QTest::newRow("writing, rollback journal") << false << QByteArray("BEGIN IMMEDIATE;");
    QTest::newRow("holding it whole, rollback journal") << false << QByteArray("BEGIN EXCLUSIVE;");
    QTest::newRow("reading, rollback journal: no switch of journal")
        << false << QByteArray("BEGIN; SELECT count(*) FROM calendar;");
}

void TestCalendarStore::storeInUseIsRefusedAtOnce()
{
    QFETCH(bool, wal);
    QFETCH(QByteArray, transaction);

    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    makeRawDatabase(path, kWholeStore, wal);
    if (QTest::currentTestFailed())
        return;
    LockingProgram other(path, transaction);
    if (!other.holding)
        QSKIP("the sqlite3 program is not there to hold the store");
    const FolderSnapshot before(dir.path());

    QElapsedTimer clock;
    clock.start();
    const QString message = errorOf([&] { CalendarStore::open(dir.path()); });
    const qint64 took = clock.elapsed();

    QVERIFY2(!message.isNull(), "the store opened");
    const QString expected =
        QStringLiteral("No se puede abrir el archivo de datos «%1»: el archivo está en uso por el "
                       "programa sqlite3 (proceso %2). Cierre ese programa y vuelva a abrir "
                       "Tarvelo.")
            .arg(QFileInfo(path).absoluteFilePath())
            .arg(other.pid());
    QCOMPARE(message, expected);
    QVERIFY2(took < 3 * Database::kOpenWaitMs, qPrintable(QString::number(took)));
    QVERIFY(FolderSnapshot(dir.path()) == before);
}

void TestCalendarStore::saveWaitsForAShortLock()
{
    TestStore t;
    LockingProgram tool(t.path(), "BEGIN IMMEDIATE;\nSELECT 'listo';\n.shell sleep 1\nCOMMIT;");
    if (!tool.holding)
        QSKIP("the sqlite3 program is not there to hold the store");
    Day day;
    day.date = QDate(1997, 3, 5);
    day.note = QStringLiteral("escrita mientras otro guardaba");
    t.store->days().save(day);
    QCOMPARE(t.storedNote(day.date), day.note);
}

void TestCalendarStore::saveMeetsALongLock()
{
    TestStore t;
    LockingProgram other(t.path(), "BEGIN IMMEDIATE;");
    if (!other.holding)
        QSKIP("the sqlite3 program is not there to hold the store");
    t.db().setBusyTimeout(200);
    Day day;
    day.date = QDate(1997, 3, 5);
    day.note = QStringLiteral("no cabe");
    const QString message = errorOf([&] { t.store->days().save(day); });
    QCOMPARE(message, QStringLiteral("No se pudo guardar en el archivo de datos «%1»: el archivo "
                                     "está en uso por el programa sqlite3 (proceso %2).")
                          .arg(QFileInfo(t.path()).absoluteFilePath())
                          .arg(other.pid()));
}

void TestCalendarStore::fullDisk_data()
{
    QTest::addColumn<bool>("atStart");
    QTest::newRow("at start, switching the journal") << true;
    QTest::newRow("while saving a day") << false;
}

void TestCalendarStore::fullDisk()
{
    QFETCH(bool, atStart);
    FullDisk disk;
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    QString message;
    if (atStart) {
        // Another program's store in SQLite's own journal: opening it must write its header.
        makeRawDatabase(path, kWholeStore);
        const FolderSnapshot before(dir.path());
        disk.fill();
        message = errorOf([&] { CalendarStore::open(dir.path()); });
        disk.empty();
        QVERIFY2(FolderSnapshot(dir.path()) == before, qPrintable(message));
        QCOMPARE(message, QStringLiteral("No se puede abrir el archivo de datos «%1»: el disco "
                                         "está lleno.")
                              .arg(QFileInfo(path).absoluteFilePath()));
    } else {
        Database::create(path);
        auto store = CalendarStore::open(dir.path());
        Day day;
        day.date = QDate(1997, 3, 5);
        day.note = QStringLiteral("sin sitio");
        disk.fill();
        message = errorOf([&] { store->days().save(day); });
        disk.empty();
        QCOMPARE(message, QStringLiteral("No se pudo guardar en el archivo de datos «%1»: el disco "
                                         "está lleno.")
                              .arg(QFileInfo(path).absoluteFilePath()));
        QVERIFY(!store->days().find(day.date));
        store->days().save(day); // room again: the store goes on
        QCOMPARE(store->days().find(day.date)->note, day.note);
    }
}

void TestCalendarStore::foreignRuleRefusesASave()
{
    TestStore t;
    t.db().execute(QStringLiteral("DROP TABLE calendar"));
    t.db().execute(QStringLiteral(
        "CREATE TABLE calendar (fecha REAL NOT NULL, nota TEXT CHECK (length(nota) < 5), "
        "festivo INTEGER, alarma INTEGER, hora REAL, Color INTEGER)"));
    t.db().execute(QString::fromLatin1(kFechaIndex));
    Day day;
    day.date = QDate(1997, 3, 5);
    day.note = QStringLiteral("demasiado larga");
    const QString message = errorOf([&] { t.store->days().save(day); });
    QVERIFY2(message.startsWith(QStringLiteral("No se pudo guardar en el archivo de datos «%1»: "
                                               "el archivo tiene una regla propia")
                                    .arg(QFileInfo(t.path()).absoluteFilePath())),
             qPrintable(message));
    QVERIFY2(!soundsLikeSqlite(message), qPrintable(message));
}

void TestCalendarStore::writesOutliveTheStore()
{
    QTemporaryDir dir;
    Database::create(CalendarStore::pathIn(dir.path()));
    qint64 row = 0;
    {
        auto store = CalendarStore::open(dir.path());
        Day day;
        day.date = QDate(1997, 5, 1);
        day.note = QStringLiteral("Día del Trabajo");
        day.holiday = true;
        day.alarmOn = true;
        day.alarmTime = QTime(9, 0);
        day.colour = DayColour::Verde;
        store->days().save(day);
        row = store->notitas().add();
        store->notitas().save(Notita{row, QStringLiteral("comprar pan"), 120, 300});
    }
    QCOMPARE(FolderSnapshot(dir.path()).names, QStringList{"calendar.mdb"});
    auto store = CalendarStore::open(dir.path());
    const std::optional<Day> day = store->days().find(QDate(1997, 5, 1));
    QVERIFY(day);
    QCOMPARE(day->note, QStringLiteral("Día del Trabajo"));
    QVERIFY(day->holiday && day->alarmOn);
    QCOMPARE(*day->alarmTime, QTime(9, 0));
    QCOMPARE(*day->colour, DayColour::Verde);
    QCOMPARE(*store->notitas().read(row), (Notita{row, QStringLiteral("comprar pan"), 120, 300}));
}

QTEST_GUILESS_MAIN(TestCalendarStore)
#include "tst_calendarstore.moc"
