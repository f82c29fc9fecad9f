// Timings of the listings on a large store: "Año actual → Pantalla" (and the month) from query
// to caption, the same year sent to a printer that only counts lines, the year's lines laid out
// as a PDF, and for scale a "Selección" over the whole store, with and without a word to look
// for in every note.

#include "BenchApplication.h"
#include "BenchSupport.h"
#include "listings/NotesPanel.h"
#include "listings/PeriodListings.h"
#include "listings/frmSeleccion.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/Printer.h"
#include "platform/QtPrinter.h"
#include "store/CalendarStore.h"
#include "store/jet/DatePattern.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>

namespace {

// Counts what it is sent, so that the print path is timed without a device.
class CountingPrinter : public Printer
{
public:
    void setDocumentName(const QString&) override {}
    void printLine(const QString& line) override
    {
        characters += line.size();
        ++lines;
    }
    bool endDoc() override { return true; }
    qint64 characters = 0;
    qint64 lines = 0;
};

// 100k days from 1 January 1800, every one with a note; one in ten mentions a "reunion".
struct Fixture : BenchStore
{
    explicit Fixture(int rows)
    {
        fillDays(rows, QDate(1800, 1, 1),
                 QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                                "VALUES (?1, ?2, ?3, 0, 0, ?4)"),
                 [](Statement& insert, int i) {
                     insert.bind(2, i % 10 == 0 ? QStringLiteral("Reunion de equipo %1").arg(i)
                                                : QStringLiteral("Nota del día %1").arg(i));
                     insert.bind(3, i % 11 == 0 ? 1 : 0);
                     insert.bind(4, 1 + 4 * (i % 4));
                 });

        notes = std::make_unique<NotesPanel>(*store, benchGuard(), &client);
        periods = std::make_unique<PeriodListings>(*notes, printer, boxes);
        selection = std::make_unique<frmSeleccion>(*notes, store->searchPoint(), printer, boxes,
                                                   clock, benchGuard());
    }

    FixedClock clock;
    SilentBoxes boxes;
    CountingPrinter printer;
    QWidget client;
    std::unique_ptr<NotesPanel> notes;
    std::unique_ptr<PeriodListings> periods;
    std::unique_ptr<frmSeleccion> selection;
};

SizedFixtures<Fixture> g_fixtures;

// The same store, synced with a calendar that holds three weekly classes of another program's
// from 1996 through 1998 (156 days of 1997 listed beside its notes).
struct SeriesFixture : Fixture
{
    explicit SeriesFixture(int rows) : Fixture(rows)
    {
        seedSeries(*store, QDate(1996, 1, 2), 156, 3);
    }
};
SizedFixtures<SeriesFixture> g_seriesFixtures;

const QDate kReference(1997, 5, 14);

void BM_PantallaAnyo(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    for (auto _ : state)
        f.periods->mPantallaAnyo_Click(kReference);
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_PantallaAnyo)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PantallaAnyoWithSeries(benchmark::State& state)
{
    Fixture& f = g_seriesFixtures.get(int(state.range(0)));
    for (auto _ : state)
        f.periods->mPantallaAnyo_Click(kReference);
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_PantallaAnyoWithSeries)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ImpresoraAnyoWithSeries(benchmark::State& state)
{
    Fixture& f = g_seriesFixtures.get(int(state.range(0)));
    for (auto _ : state)
        f.periods->mImpresoraAnyo_Click(kReference);
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_ImpresoraAnyoWithSeries)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PantallaMes(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    for (auto _ : state)
        f.periods->mPantallaMes_Click(kReference);
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_PantallaMes)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_ImpresoraAnyo(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    for (auto _ : state)
        f.periods->mImpresoraAnyo_Click(kReference);
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_ImpresoraAnyo)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SaveYearPdf(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    f.periods->mPantallaAnyo_Click(kReference);
    const QString path = f.dir.filePath(QStringLiteral("anyo.pdf"));
    SilentBoxes boxes;
    QtPrinter pdf(boxes, {}, [] { return QString(); });
    const NoteListing& rsLista = f.store->listing();
    for (auto _ : state) {
        state.PauseTiming();
        for (int row = 0; row < rsLista.recordCount(); ++row)
            pdf.printLine(ListingPrinter::line(rsLista.dateAt(row), rsLista.noteAt(row)));
        state.ResumeTiming();
        if (!pdf.saveAsPdf(path))
            state.SkipWithError("the PDF could not be written");
    }
    state.counters["lines"] = rsLista.recordCount();
}
BENCHMARK(BM_SaveYearPdf)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SeleccionWord(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    control<QLineEdit>(*f.selection, "MaskDesde")->setText(QStringLiteral("01/01/1800"));
    control<QLineEdit>(*f.selection, "MaskHasta")->setText(QStringLiteral("31/12/4999"));
    control<QLineEdit>(*f.selection, "txtNota")->setText(QStringLiteral("reunion"));
    for (auto _ : state)
        f.selection->cmdPantalla_Click();
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_SeleccionWord)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_SeleccionAll(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    control<QLineEdit>(*f.selection, "MaskDesde")->setText(QStringLiteral("01/01/1800"));
    control<QLineEdit>(*f.selection, "MaskHasta")->setText(QStringLiteral("31/12/4999"));
    control<QLineEdit>(*f.selection, "txtNota")->clear();
    for (auto _ : state)
        f.selection->cmdPantalla_Click();
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_SeleccionAll)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same, on until every day of the listing is gathered (what the event loop does a slice at
// a time after the caption is shown).
void BM_SeleccionAllGathered(benchmark::State& state)
{
    Fixture& f = g_fixtures.get(int(state.range(0)));
    control<QLineEdit>(*f.selection, "MaskDesde")->setText(QStringLiteral("01/01/1800"));
    control<QLineEdit>(*f.selection, "MaskHasta")->setText(QStringLiteral("31/12/4999"));
    control<QLineEdit>(*f.selection, "txtNota")->clear();
    for (auto _ : state) {
        f.selection->cmdPantalla_Click();
        while (!f.store->listing().gatherSome())
            ;
    }
    state.counters["rows"] = f.notes->recordCount();
}
BENCHMARK(BM_SeleccionAllGathered)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The bare baseline of a selection over everything: counting the same days.
void BM_BareCountRange(benchmark::State& state)
{
    g_fixtures.get(int(state.range(0)))
        .timeBareCount(
            state, "SELECT count(*) FROM calendar WHERE fecha BETWEEN ?1 AND ?2",
            {DatePattern::fromDate(QDate(1800, 1, 1)), DatePattern::fromDate(QDate(4999, 12, 31))});
}
BENCHMARK(BM_BareCountRange)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runWithApplication(argc, argv, [] {
        g_fixtures.reset();
        g_seriesFixtures.reset();
    });
}
