// Export and import of a calendar of 100k days through iCalendar, each beside a bare libical
// baseline in the same run: the same events written with libical alone from values in memory,
// and the exported file parsed by libical alone with each event's start and summary read.
//
// The store is filled once and kept; the import's store is emptied (untimed) before each run.

#include "ical/IcsExporter.h"
#include "ical/IcsImporter.h"
#include "store/CalendarStore.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"
#include "store/sqlite/Statement.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libical/ical.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kDays = 100000;
const QDate kFirst(1900, 1, 1);

// What the bare writer knows of a day: plain values, no store and no Day.
struct PlainDay
{
    int year, month, day;
    std::string note;
    bool holiday;
    bool green;
    int alarmSeconds; // -1: none
};

std::string noteOf(int i)
{
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "Cita en la consulta del día %06d, sala B", i);
    return std::string(text, std::size_t(length));
}

struct Fixture
{
    Fixture()
    {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        QDir(dir.path()).mkdir(QStringLiteral("origen"));
        QDir(dir.path()).mkdir(QStringLiteral("destino"));
        source = open(QStringLiteral("origen"));
        target = open(QStringLiteral("destino"));

        // Every day a note; every seventh a holiday, every fifth green, every eleventh an alarm.
        Database& db = source->database();
        db.execute(QStringLiteral("BEGIN"));
        {
            Statement insert = db.prepare(
                QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                               "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
            for (int i = 0; i < kDays; ++i) {
                const QDate date = kFirst.addDays(i);
                const bool alarm = i % 11 == 0;
                insert.bind(1, DatePattern::fromDate(date));
                insert.bind(2, QString::fromStdString(noteOf(i)));
                insert.bind(3, i % 7 == 0 ? 1 : 0);
                insert.bind(4, alarm ? 1 : 0);
                insert.bind(5, alarm ? QVariant(DatePattern::fromTime(9, 5)) : QVariant());
                insert.bind(6, i % 5 == 0 ? 13 : 5);
                insert.execute();
                plain.push_back({date.year(), date.month(), date.day(), noteOf(i), i % 7 == 0,
                                 i % 5 == 0, alarm ? 9 * 3600 + 5 * 60 : -1});
            }
        }
        db.execute(QStringLiteral("COMMIT"));
        file = dir.filePath(QStringLiteral("calendario.ics"));
        IcsExporter::exportFile(*source, file);
    }

    std::unique_ptr<CalendarStore> open(const QString& name)
    {
        const QString folder = dir.filePath(name);
        Database::create(CalendarStore::pathIn(folder));
        return CalendarStore::open(folder);
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/tarvelo-bench-XXXXXX")};
    std::unique_ptr<CalendarStore> source;
    std::unique_ptr<CalendarStore> target;
    std::vector<PlainDay> plain;
    QString file;
};

Fixture* fixture(benchmark::State& state)
{
    static std::unique_ptr<Fixture> made;
    try {
        if (!made)
            made = std::make_unique<Fixture>();
        return made.get();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
}

void BM_ExportDays(benchmark::State& state)
{
    Fixture* f = fixture(state);
    if (!f)
        return;
    const QString out = f->dir.filePath(QStringLiteral("exportado.ics"));
    try {
        for (auto _ : state) {
            const ExportSummary summary = IcsExporter::exportFile(*f->source, out);
            benchmark::DoNotOptimize(summary.days);
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}

void add(icalcomponent* c, icalproperty* p)
{
    icalcomponent_add_property(c, p);
}

icalproperty* named(icalproperty* p, const char* name)
{
    icalproperty_set_x_name(p, name);
    return p;
}

// The same events, property for property, from plain values in memory.
void BM_BareLibicalWrite(benchmark::State& state)
{
    Fixture* f = fixture(state);
    if (!f)
        return;
    const std::string out =
        QFile::encodeName(f->dir.filePath(QStringLiteral("bare.ics"))).toStdString();
    for (auto _ : state) {
        std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//x//ES\r\n";
        char value[32];
        for (const PlainDay& d : f->plain) {
            icalcomponent* e = icalcomponent_new_vevent();
            std::snprintf(value, sizeof value, "dia-%04d%02d%02d@tarvelo", d.year, d.month, d.day);
            add(e, icalproperty_new_uid(value));
            std::snprintf(value, sizeof value, "%04d%02d%02dT000000Z", d.year, d.month, d.day);
            add(e, icalproperty_new_dtstamp(icaltime_from_string(value)));
            icaltimetype start = icaltime_null_date();
            start.year = d.year;
            start.month = d.month;
            start.day = d.day;
            add(e, icalproperty_new_dtstart(start));
            add(e, icalproperty_new_summary(d.note.c_str()));
            if (d.holiday)
                add(e, icalproperty_new_categories("Festivo"));
            if (d.green) {
                add(e, icalproperty_new_categories("Verde"));
                add(e, icalproperty_new_color("green"));
                add(e, named(icalproperty_new_x("Verde"), "X-TARVELO-COLOR"));
            }
            add(e, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
            if (d.alarmSeconds >= 0) {
                add(e, named(icalproperty_new_x("09:05"), "X-TARVELO-ALARMA"));
                icalcomponent* alarm = icalcomponent_new_valarm();
                add(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
                add(alarm, icalproperty_new_description(d.note.c_str()));
                add(alarm, icalproperty_new_trigger(icaltriggertype_from_int(d.alarmSeconds)));
                icalcomponent_add_component(e, alarm);
            }
            char* written = icalcomponent_as_ical_string_r(e);
            text += written;
            std::free(written);
            icalcomponent_free(e);
        }
        text += "END:VCALENDAR\r\n";
        std::FILE* file = std::fopen(out.c_str(), "wb");
        if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
            state.SkipWithError("cannot write the bare file");
            if (file)
                std::fclose(file);
            return;
        }
        std::fclose(file);
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}

void BM_ImportDays(benchmark::State& state)
{
    Fixture* f = fixture(state);
    if (!f)
        return;
    ImportOptions options;
    options.localZone = QTimeZone::utc();
    try {
        for (auto _ : state) {
            state.PauseTiming();
            f->target->database().execute(QStringLiteral("DELETE FROM calendar"));
            state.ResumeTiming();
            const ImportSummary summary = IcsImporter::importFile(*f->target, f->file, options);
            if (summary.daysWritten != kDays) {
                state.SkipWithError("the import did not write every day");
                return;
            }
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}

// The exported file read and parsed by libical alone, each event's start and summary read.
void BM_BareLibicalParse(benchmark::State& state)
{
    Fixture* f = fixture(state);
    if (!f)
        return;
    for (auto _ : state) {
        QFile file(f->file);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the export");
            return;
        }
        const QByteArray text = file.readAll();
        icalcomponent* root = icalparser_parse_string(text.constData());
        int events = 0;
        for (icalcomponent* e = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
            const icaltimetype start = icalcomponent_get_dtstart(e);
            const char* summary = icalcomponent_get_summary(e);
            benchmark::DoNotOptimize(start);
            benchmark::DoNotOptimize(summary);
            ++events;
        }
        icalcomponent_free(root);
        if (events != kDays) {
            state.SkipWithError("libical did not read every event");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kDays);
}

} // namespace

// Each run takes about a second: one iteration a repetition, medians of five.
BENCHMARK(BM_ExportDays)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_BareLibicalWrite)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_ImportDays)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);
BENCHMARK(BM_BareLibicalParse)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5);

BENCHMARK_MAIN();
