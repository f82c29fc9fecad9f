// Timings of what a user waits for on a large store: laying out a month (the day lookups and
// the button updates, without painting) against the same 31 lookups done with a bare SQLite
// statement, "Ver notas" from query to caption, and one "Aplicar" (save, relist, redraw).

#include "BenchApplication.h"
#include "BenchSupport.h"
#include "listings/NotesPanel.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace {

constexpr int kRows = 100000;

// 100k days from 1 January 1800, every one with a note, holidays and alarms here and there.
struct Fixture : BenchStore
{
    Fixture()
    {
        fillDays(kRows, QDate(1800, 1, 1),
                 QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                                "VALUES (?1, 'Nota del día ' || ?1, ?2, ?3, 0.375, ?4)"),
                 [](Statement& insert, int i) {
                     insert.bind(2, i % 11 == 0 ? 1 : 0);
                     insert.bind(3, i % 7 == 0 ? 1 : 0);
                     insert.bind(4, 1 + 4 * (i % 4));
                 });

        month = std::make_unique<MonthView>(store->days(), store->searchPoint(), clock,
                                            benchGuard(), &client);
        month->setFechaActual(QDate(1997, 3, 5));
        notes = std::make_unique<NotesPanel>(*store, benchGuard(), &client);
        editor = std::make_unique<DayEditor>(store->days(), store->searchPoint(), clock, boxes,
                                             benchGuard(), &client);
        // As the main window wires them: a saved day lists every note, then the month.
        QObject::connect(editor.get(), &DayEditor::saved, notes.get(),
                         &NotesPanel::mVerNotas_Click);
        QObject::connect(editor.get(), &DayEditor::saved, month.get(), &MonthView::MostrarMes);
        note = control<QPlainTextEdit>(*editor, "txtNota1");
    }

    FixedClock clock;
    SilentBoxes boxes;
    QWidget client;
    std::unique_ptr<MonthView> month;
    std::unique_ptr<NotesPanel> notes;
    std::unique_ptr<DayEditor> editor;
    QPlainTextEdit* note = nullptr;
};

LazyFixture<Fixture> g_fixture;

Fixture& fixture()
{
    return g_fixture.get();
}

void BM_MostrarMes(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
        f.month->MostrarMes();
}
BENCHMARK(BM_MostrarMes)->Unit(benchmark::kMicrosecond);

void BM_Bare31Lookups(benchmark::State& state)
{
    Fixture& f = fixture();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(CalendarStore::pathIn(f.dir.path())).constData(), &db,
                    SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* seek = nullptr;
    sqlite3_prepare_v2(db, "SELECT nota, alarma, Color, festivo FROM calendar WHERE fecha = ?1", -1,
                       &seek, nullptr);
    const double first = DatePattern::fromDate(QDate(1997, 3, 1));
    for (auto _ : state) {
        for (int d = 0; d < 31; ++d) {
            sqlite3_bind_double(seek, 1, first + d);
            if (sqlite3_step(seek) == SQLITE_ROW) {
                benchmark::DoNotOptimize(sqlite3_column_text(seek, 0));
                benchmark::DoNotOptimize(sqlite3_column_int(seek, 1));
                benchmark::DoNotOptimize(sqlite3_column_int(seek, 2));
                benchmark::DoNotOptimize(sqlite3_column_int(seek, 3));
            }
            sqlite3_reset(seek);
        }
    }
    sqlite3_finalize(seek);
    sqlite3_close_v2(db);
}
BENCHMARK(BM_Bare31Lookups)->Unit(benchmark::kMicrosecond);

void BM_VerNotas(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state)
        f.notes->mVerNotas_Click();
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_VerNotas)->Unit(benchmark::kMillisecond);

void BM_Aplicar(benchmark::State& state)
{
    Fixture& f = fixture();
    int serial = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.editor->SScmdDia_Click(QDate(1997, 3, 5), false);
        f.note->setPlainText(QStringLiteral("Cambio %1").arg(++serial));
        state.ResumeTiming();
        f.editor->SSCmdAplicar_Click();
    }
}
BENCHMARK(BM_Aplicar)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWithApplication(argc, argv, [] { g_fixture.reset(); });
}
