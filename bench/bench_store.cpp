// Timings of the day book against bare SQLite statements on the same file: reading one day
// by its date, and one committed save of a day.
//
// Every store is built once per row count and kept for the whole run, so that building it is
// never timed. The bare baselines open their own connection to the same file.

#include "store/CalendarStore.h"
#include "store/domain/DayBook.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The write benchmarks take their texts from two banks of this many: one pass over the days
// writes from one bank and the next pass from the other, so that every write changes the note
// it overwrites. (SQLite leaves a page clean when a row is rewritten with the same bytes, and
// such a "write" commits nothing and never reaches the disk.)
constexpr std::size_t kBankSize = 32;

struct ConnectionCloser
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using PreparedStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

[[noreturn]] void fail(sqlite3* db, const std::string& what)
{
    throw std::runtime_error(what + ": " + (db ? sqlite3_errmsg(db) : "sin conexión"));
}

void check(int rc, int expected, sqlite3* db, const char* what)
{
    if (rc != expected)
        fail(db, what);
}

void execute(sqlite3* db, const char* sql)
{
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK, db, sql);
}

PreparedStatement prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* raw = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &raw, nullptr), SQLITE_OK, db, sql);
    return PreparedStatement(raw);
}

Connection openBare(const QString& path, int flags)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    Connection db(raw);
    check(rc, SQLITE_OK, raw, "sqlite3_open_v2");
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, 10000);
    return db;
}

// A note of about forty characters, different for every day.
std::string dayNote(int day)
{
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "Cita en la consulta del dia %06d, sala B", day);
    return std::string(text, std::size_t(length));
}

std::string editNote(std::size_t serial)
{
    char text[64];
    const int length = std::snprintf(
        text, sizeof text, "Nota cambiada %04u en la prueba de escritura", unsigned(serial));
    return std::string(text, std::size_t(length));
}

std::vector<std::string> editNotes()
{
    std::vector<std::string> notes;
    for (std::size_t i = 0; i < 2 * kBankSize; ++i)
        notes.push_back(editNote(i));
    return notes;
}

// One store with n consecutive days from 1 January 1990, each with a note.
struct StoreFixture
{
    explicit StoreFixture(int n);

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/tarvelo-bench-XXXXXX")};
    std::unique_ptr<CalendarStore> store; // closed before dir goes away
    QString path;
    std::vector<double> shuffledKeys; // every day once, in a fixed pseudo-random order
    // Writes done so far by either write benchmark: the next write goes to the day at
    // writes % n in shuffledKeys, with a text from bank (writes / n) % 2.
    std::size_t writes = 0;

    double writeKey() const { return shuffledKeys[writes % shuffledKeys.size()]; }
    std::size_t writeText() const
    {
        const std::size_t n = shuffledKeys.size();
        return (writes / n) % 2 * kBankSize + writes % n % kBankSize;
    }
};

StoreFixture::StoreFixture(int n)
{
    if (!dir.isValid())
        throw std::runtime_error("no se puede crear la carpeta temporal");
    path = CalendarStore::pathIn(dir.path());
    Database::create(path);
    store = CalendarStore::open(dir.path());

    const double firstDay = DatePattern::fromDate(QDate(1990, 1, 1));
    sqlite3* db = store->database().handle();
    execute(db, "BEGIN");
    {
        PreparedStatement insert =
            prepare(db, "INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                        "VALUES (?1, ?2, 0, 0, NULL, 5)");
        for (int i = 0; i < n; ++i) {
            const std::string note = dayNote(i);
            sqlite3_bind_double(insert.get(), 1, firstDay + i);
            sqlite3_bind_text(insert.get(), 2, note.data(), int(note.size()), SQLITE_TRANSIENT);
            check(sqlite3_step(insert.get()), SQLITE_DONE, db, "INSERT INTO calendar");
            sqlite3_reset(insert.get());
        }
    }
    execute(db, "COMMIT");
    store->database().noteWrite();

    shuffledKeys.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i)
        shuffledKeys.push_back(firstDay + i);
    std::mt19937 generator(20240611u);
    std::shuffle(shuffledKeys.begin(), shuffledKeys.end(), generator);
}

StoreFixture& fixture(int n)
{
    static std::map<int, std::unique_ptr<StoreFixture>> cache;
    auto& entry = cache[n];
    if (!entry)
        entry = std::make_unique<StoreFixture>(n);
    return *entry;
}

// The fixture for the benchmark's row count, or null after reporting why there is none.
StoreFixture* fixtureFor(benchmark::State& state)
{
    try {
        return &fixture(int(state.range(0)));
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
}

void BM_SeekDay(benchmark::State& state)
{
    StoreFixture* f = fixtureFor(state);
    if (!f)
        return;
    DayBook& days = f->store->days();
    std::vector<QDate> keys;
    for (const double key : f->shuffledKeys)
        keys.push_back(DatePattern::toDate(key));
    std::size_t next = 0;
    try {
        for (auto _ : state) {
            const std::optional<Day> day = days.find(keys[next]);
            if (!day)
                throw std::runtime_error("la búsqueda no encuentra el día");
            benchmark::DoNotOptimize(day->note);
            if (++next == keys.size())
                next = 0;
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_BareSeekDay(benchmark::State& state)
{
    StoreFixture* f = fixtureFor(state);
    if (!f)
        return;
    Connection db;
    PreparedStatement seek;
    int noteColumn = -1;
    try {
        db = openBare(f->path, SQLITE_OPEN_READONLY);
        seek = prepare(db.get(), "SELECT rowid, fecha, * FROM calendar WHERE fecha = ?1 "
                                 "ORDER BY rowid LIMIT 1");
        for (int c = 0; c < sqlite3_column_count(seek.get()); ++c) {
            if (sqlite3_stricmp(sqlite3_column_name(seek.get(), c), "nota") == 0) {
                noteColumn = c;
                break;
            }
        }
        if (noteColumn < 0)
            throw std::runtime_error("la consulta no devuelve el campo nota");
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }

    sqlite3_stmt* statement = seek.get();
    const std::vector<double>& keys = f->shuffledKeys;
    std::size_t next = 0;
    for (auto _ : state) {
        sqlite3_bind_double(statement, 1, keys[next]);
        if (sqlite3_step(statement) != SQLITE_ROW) {
            state.SkipWithError("la búsqueda no encuentra el día");
            break;
        }
        const unsigned char* text = sqlite3_column_text(statement, noteColumn);
        const int bytes = sqlite3_column_bytes(statement, noteColumn);
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(bytes);
        sqlite3_reset(statement);
        if (++next == keys.size())
            next = 0;
    }
    if (!state.error_occurred())
        state.SetItemsProcessed(state.iterations());
}

void BM_CommitOneRow(benchmark::State& state)
{
    StoreFixture* f = fixtureFor(state);
    if (!f)
        return;
    DayBook& days = f->store->days();
    QStringList texts;
    for (const std::string& note : editNotes())
        texts << QString::fromStdString(note);

    try {
        for (auto _ : state) {
            Day day;
            day.date = DatePattern::toDate(f->writeKey());
            day.note = texts[qsizetype(f->writeText())];
            day.colour = DayColours::kNeutral;
            days.save(day);
            ++f->writes;
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_BareCommitOneRow(benchmark::State& state)
{
    StoreFixture* f = fixtureFor(state);
    if (!f)
        return;
    Connection db;
    PreparedStatement update;
    try {
        db = openBare(f->path, SQLITE_OPEN_READWRITE);
        execute(db.get(), "PRAGMA journal_mode=WAL");
        execute(db.get(), "PRAGMA synchronous=FULL");
        update = prepare(db.get(), "UPDATE calendar SET nota=?1 WHERE fecha=?2");
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    const std::vector<std::string> texts = editNotes();

    sqlite3_stmt* statement = update.get();
    for (auto _ : state) {
        const std::string& note = texts[f->writeText()];
        sqlite3_bind_text(statement, 1, note.data(), int(note.size()), SQLITE_STATIC);
        sqlite3_bind_double(statement, 2, f->writeKey());
        const int rc = sqlite3_step(statement);
        sqlite3_reset(statement);
        if (rc != SQLITE_DONE || sqlite3_changes(db.get()) != 1) {
            state.SkipWithError("la escritura no cambia exactamente un día");
            break;
        }
        ++f->writes;
    }
    if (!state.error_occurred())
        state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_SeekDay)->Arg(1000)->Arg(100000);
BENCHMARK(BM_BareSeekDay)->Arg(1000)->Arg(100000);
// A commit waits on the disk (synchronous=FULL): wall-clock time is the measure that counts.
BENCHMARK(BM_CommitOneRow)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareCommitOneRow)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

BENCHMARK_MAIN();
