// Timings of the longest search a user can start: "Buscar" backwards over 100k noted days for a
// text found nowhere, so that every day is visited through the shared day cursor; against it,
// the same walk as one bare SQLite statement on a connection of its own, upper-casing in C++ as
// the search does, and the same with SQLite's instr() doing the comparing.

#include "BenchApplication.h"
#include "BenchSupport.h"
#include "listings/frmBuscar.h"
#include "store/CalendarStore.h"
#include "store/jet/DatePattern.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace {

const QString kNowhere = QStringLiteral("Texto que no está en ninguna nota");

// n days from 1 January 1800, every one with a note.
struct Fixture : BenchStore
{
    explicit Fixture(int n) : rows(n)
    {
        fillDays(rows, QDate(1800, 1, 1),
                 QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                                "VALUES (?1, 'Reunión del día ' || ?1 || ' con el médico', 0, 0, "
                                "0.375, 5)"),
                 [](Statement&, int) {});

        form = std::make_unique<frmBuscar>(store->searchPoint(), benchGuard());
        control<QLineEdit>(*form, "txtBuscar")->setText(kNowhere);
        control<QRadioButton>(*form, "SSOptionAtras")->setChecked(true);
        found = control<QPlainTextEdit>(*form, "txtHallado");
    }

    int rows;
    std::unique_ptr<frmBuscar> form;
    QPlainTextEdit* found = nullptr;
};

SizedFixtures<Fixture> g_fixtures;

// The same store, synced with a calendar that holds three weekly classes of another program's
// from 1996 through 1998 (468 days whose text is searched too).
struct SeriesFixture : Fixture
{
    explicit SeriesFixture(int n) : Fixture(n) { seedSeries(*store, QDate(1996, 1, 2), 156, 3); }
};
SizedFixtures<SeriesFixture> g_seriesFixtures;

sqlite3* openReader(const Fixture& f)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(CalendarStore::pathIn(f.dir.path())).constData(), &db,
                    SQLITE_OPEN_READONLY, nullptr);
    return db;
}

void BM_BuscarMissBackwards(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    for (auto _ : state)
        f.form->cmdComenzar_Click();
    if (f.found->toPlainText() != QLatin1String("CADENA NO ENCONTRADA"))
        state.SkipWithError("the text was found");
    state.counters["rows"] = f.rows;
    state.counters["time/row"] =
        benchmark::Counter(double(f.rows) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuscarMissBackwards)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_BuscarMissBackwardsWithSeries(benchmark::State& state)
{
    Fixture& f = g_seriesFixtures.get(int(state.range(0)));
    for (auto _ : state)
        f.form->cmdComenzar_Click();
    if (f.found->toPlainText() != QLatin1String("CADENA NO ENCONTRADA"))
        state.SkipWithError("the text was found");
}
BENCHMARK(BM_BuscarMissBackwardsWithSeries)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_BareScanUpperCase(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    sqlite3* db = openReader(f);
    sqlite3_stmt* scan = nullptr;
    sqlite3_prepare_v2(db, "SELECT nota FROM calendar ORDER BY fecha DESC", -1, &scan, nullptr);
    const QString wanted = kNowhere.toUpper();
    int found = 0;
    for (auto _ : state) {
        while (sqlite3_step(scan) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(scan, 0));
            const QString nota = QString::fromUtf8(text, sqlite3_column_bytes(scan, 0)).toUpper();
            found += nota.indexOf(wanted) >= 0;
        }
        sqlite3_reset(scan);
    }
    if (found)
        state.SkipWithError("the text was found");
    sqlite3_finalize(scan);
    sqlite3_close_v2(db);
}
BENCHMARK(BM_BareScanUpperCase)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_BareScanInstr(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    sqlite3* db = openReader(f);
    sqlite3_stmt* scan = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT fecha FROM calendar WHERE instr(nota, ?1) > 0 "
                       "ORDER BY fecha DESC LIMIT 1",
                       -1, &scan, nullptr);
    const QByteArray wanted = kNowhere.toUtf8();
    sqlite3_bind_text(scan, 1, wanted.constData(), int(wanted.size()), SQLITE_STATIC);
    int found = 0;
    for (auto _ : state) {
        found += sqlite3_step(scan) == SQLITE_ROW;
        sqlite3_reset(scan);
    }
    if (found)
        state.SkipWithError("the text was found");
    sqlite3_finalize(scan);
    sqlite3_close_v2(db);
}
BENCHMARK(BM_BareScanInstr)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWithApplication(argc, argv, [] {
        g_fixtures.reset();
        g_seriesFixtures.reset();
    });
}
