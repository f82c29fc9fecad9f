// Timings of what a user waits for on a large store (100k and 1M days, two in three with a
// note): laying out a month (the day lookups and the button updates, without painting) against
// the same 31 lookups done with a bare SQLite statement; "Ver notas" from query to caption, when
// the day book already keeps the noted days and when it must read them, against a bare
// SELECT count(*) with the same condition; and one "Aplicar" (save, relist, redraw).

#include "BenchApplication.h"
#include "BenchSupport.h"
#include "listings/NotesPanel.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "store/CalendarStore.h"
#include "store/domain/Day.h"
#include "store/jet/DatePattern.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace {

const QDate kShown(1997, 3, 5);

// n days from 1 January 1800, two in three with a note, holidays and alarms here and there;
// the month view, the notes panel and the day editor on them, wired as the main window wires
// them.
struct Fixture : BenchStore
{
    explicit Fixture(int rows)
    {
        fillDays(rows, QDate(1800, 1, 1),
                 QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                                "VALUES (?1, ?2, ?3, ?4, 0.375, ?5)"),
                 [](Statement& insert, int i) {
                     insert.bind(2,
                                 i % 3 == 2 ? QString() : QStringLiteral("Nota del día %1").arg(i));
                     insert.bind(3, i % 11 == 0 ? 1 : 0);
                     insert.bind(4, i % 7 == 0 ? 1 : 0);
                     insert.bind(5, 1 + 4 * (i % 4));
                 });

        month = std::make_unique<MonthView>(store->days(), store->searchPoint(), clock,
                                            benchGuard(), &client);
        notes = std::make_unique<NotesPanel>(*store, benchGuard(), &client);
        editor = std::make_unique<DayEditor>(store->days(), store->searchPoint(), clock, boxes,
                                             benchGuard(), &client);
        // As the main window wires them: a saved day lists every note, then the month.
        QObject::connect(editor.get(), &DayEditor::saved, notes.get(),
                         &NotesPanel::mVerNotas_Click);
        QObject::connect(editor.get(), &DayEditor::saved, month.get(), &MonthView::MostrarMes);
        QObject::connect(editor.get(), &DayEditor::windowHeightRequested, editor.get(),
                         &DayEditor::setWindowHeight);
        note = control<QPlainTextEdit>(*editor, "txtNota1");
        caption = control<QLabel>(*notes, "caption");
    }

    sqlite3* openReader() const
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(CalendarStore::pathIn(dir.path())).constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr);
        return db;
    }

    FixedClock clock;
    SilentBoxes boxes;
    QWidget client;
    std::unique_ptr<MonthView> month;
    std::unique_ptr<NotesPanel> notes;
    std::unique_ptr<DayEditor> editor;
    QPlainTextEdit* note = nullptr;
    QLabel* caption = nullptr;
};

SizedFixtures<Fixture> g_fixtures;

// The same store, synced with a calendar that holds three weekly classes of another program's
// from 1996 through 1998 (468 days shown beside the notes).
struct SeriesFixture : Fixture
{
    explicit SeriesFixture(int rows) : Fixture(rows)
    {
        seedSeries(*store, QDate(1996, 1, 2), 156, 3);
    }
};
SizedFixtures<SeriesFixture> g_seriesFixtures;

void BM_MostrarMes(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    f.month->setFechaActual(kShown);
    for (auto _ : state)
        f.month->MostrarMes();
}

void BM_MostrarMesWithSeries(benchmark::State& state)
{
    Fixture& f = g_seriesFixtures.get(int(state.range(0)));
    f.month->setFechaActual(kShown);
    for (auto _ : state)
        f.month->MostrarMes();
}

void BM_Bare31Lookups(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    sqlite3* db = f.openReader();
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

// The day book already keeps the noted days (every "Ver notas" after the first, every save).
void BM_VerNotas(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    f.notes->mVerNotas_Click();
    for (auto _ : state)
        f.notes->mVerNotas_Click();
    state.counters["rows"] = f.notes->recordCount();
}

void BM_VerNotasWithSeries(benchmark::State& state)
{
    Fixture& f = g_seriesFixtures.get(int(state.range(0)));
    f.notes->mVerNotas_Click();
    for (auto _ : state)
        f.notes->mVerNotas_Click();
    state.counters["rows"] = f.notes->recordCount();
}

// The first "Ver notas", or one after another program wrote the days: every day is read.
void BM_VerNotasFirst(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    // The memory one "Ver notas" holds on to: measured on the fixture's first listing.
    f.store->database().noteWrite();
    const double before = residentMegabytes();
    f.notes->mVerNotas_Click();
    state.counters["MB_more"] = residentMegabytes() - before;
    for (auto _ : state) {
        state.PauseTiming();
        f.store->database().noteWrite(); // what the day book keeps is to be read again
        state.ResumeTiming();
        f.notes->mVerNotas_Click();
    }
    state.counters["rows"] = f.notes->recordCount();
}

void BM_BareCountNotes(benchmark::State& state)
{
    g_fixtures.get(int(state.range(0)))
        .timeBareCount(state, "SELECT count(*) FROM calendar WHERE length(nota) > 0", {});
}

void BM_Aplicar(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    f.month->setFechaActual(kShown);
    f.month->MostrarMes();
    f.notes->mVerNotas_Click();
    int serial = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.editor->SScmdDia_Click(kShown, false);
        // A note added to a day without one, then taken away: the listing changes every time.
        f.note->setPlainText(++serial % 2 ? QStringLiteral("Cambio %1").arg(serial) : QString());
        state.ResumeTiming();
        if (!f.editor->SSCmdAplicar_Click())
            state.SkipWithError("nothing was saved");
    }
    state.counters["rows"] = f.notes->recordCount();
}

// A day whose note another program wrote a megabyte long, opened in the day editor and drawn.
void BM_OpenDayWithLongNote(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    const QDate day(1997, 3, 6);
    Day longNote;
    longNote.date = day;
    longNote.note = QStringLiteral("nota muy larga ").repeated(70000); // 1 050 000 characters
    f.store->days().save(longNote);
    f.month->setFechaActual(kShown);
    f.client.show();
    for (auto _ : state) {
        f.editor->SScmdDia_Click(day, false);
        f.editor->repaint();
        state.PauseTiming();
        f.editor->SScmdCerrar_Click();
        f.editor->SScmdDia_Click(kShown, false); // another day, so that the next press opens
        state.ResumeTiming();
    }
    f.client.hide();
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_MostrarMes)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MostrarMesWithSeries)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Bare31Lookups)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VerNotas)->Apply(sizes);
BENCHMARK(BM_VerNotasWithSeries)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerNotasFirst)->Apply(sizes);
BENCHMARK(BM_BareCountNotes)->Apply(sizes);
BENCHMARK(BM_Aplicar)->Apply(sizes);
BENCHMARK(BM_OpenDayWithLongNote)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWithApplication(argc, argv, [] {
        g_fixtures.reset();
        g_seriesFixtures.reset();
    });
}
