// What one keystroke in a notita costs on a table of ten notitas: the save alone (count, walk,
// update, commit), the same with the text box's own work, and, for scale, one bare SQLite
// UPDATE of a notita on a connection of its own with the store's journal and sync settings.

#include "BenchApplication.h"
#include "BenchSupport.h"
#include "notitas/frmNota.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace {

constexpr int kNotitas = 10;
constexpr int kBoundRow = 5;
constexpr int kBareRow = 6;

void exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string why = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(why);
    }
}

// Ten notitas, window 1 bound to one of them, and a second connection on the same file.
struct Fixture : BenchStore
{
    Fixture()
    {
        for (int k = 1; k <= kNotitas; ++k) {
            Statement insert = store->database().prepare(
                QStringLiteral("INSERT INTO Nota (nota, \"Top\", \"Left\") VALUES (?1, ?2, ?3)"));
            insert.bind(1, QStringLiteral("Notita %1").arg(k));
            insert.bind(2, 150.0 * k);
            insert.bind(3, 450.0 * k);
            insert.execute();
        }
        store->database().noteWrite();

        notita = std::make_unique<frmNota>(1, store->notitas(), boxes, benchGuard());
        notita->Form_Load();
        notita->bind(Notita{kBoundRow, QStringLiteral("Notita %1").arg(kBoundRow),
                            150.0 * kBoundRow, 450.0 * kBoundRow});
        text = control<QPlainTextEdit>(*notita, "txtNota");

        const QByteArray path = QFile::encodeName(CalendarStore::pathIn(dir.path()));
        if (sqlite3_open_v2(path.constData(), &bare, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("no second connection");
        exec(bare, "PRAGMA journal_mode=WAL");
        exec(bare, "PRAGMA synchronous=FULL");
        sqlite3_prepare_v2(bare, "UPDATE Nota SET nota=?1, \"Top\"=?2, \"Left\"=?3 WHERE indice=?4",
                           -1, &update, nullptr);
        if (!update)
            throw std::runtime_error(sqlite3_errmsg(bare));
    }

    ~Fixture()
    {
        sqlite3_finalize(update);
        sqlite3_close_v2(bare);
    }

    SilentBoxes boxes;
    std::unique_ptr<frmNota> notita;
    QPlainTextEdit* text = nullptr;
    sqlite3* bare = nullptr;
    sqlite3_stmt* update = nullptr;
    int serial = 0; // every write carries a text of its own, so that every write rewrites
};

LazyFixture<Fixture> g_fixture;

Fixture& fixture()
{
    return g_fixture.get();
}

void BM_GuardarNotita(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        {
            const QSignalBlocker quiet(f.text);
            f.text->setPlainText(QStringLiteral("Texto %1").arg(++f.serial));
        }
        state.ResumeTiming();
        f.notita->GuardarNotita();
    }
}
BENCHMARK(BM_GuardarNotita)->Unit(benchmark::kMicrosecond);

void BM_NotitaKeystroke(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
        f.text->setPlainText(QStringLiteral("Texto %1").arg(++f.serial));
}
BENCHMARK(BM_NotitaKeystroke)->Unit(benchmark::kMicrosecond);

void BM_BareUpdate(benchmark::State& state)
{
    Fixture& f = fixture();
    QByteArray text;
    for (auto _ : state) {
        state.PauseTiming();
        text = QStringLiteral("Texto %1").arg(++f.serial).toUtf8();
        state.ResumeTiming();
        sqlite3_bind_text(f.update, 1, text.constData(), int(text.size()), SQLITE_STATIC);
        sqlite3_bind_double(f.update, 2, 150.0 * kBareRow);
        sqlite3_bind_double(f.update, 3, 450.0 * kBareRow);
        sqlite3_bind_int(f.update, 4, kBareRow);
        if (sqlite3_step(f.update) != SQLITE_DONE)
            state.SkipWithError(sqlite3_errmsg(f.bare));
        sqlite3_reset(f.update);
    }
}
BENCHMARK(BM_BareUpdate)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return runWithApplication(argc, argv, [] { g_fixture.reset(); });
}
