// The conversion of an older calendar of 100k days (tarvelo-db import-mdb) beside the bare
// baseline in the same run: mdbtools' own export of the same table as SQL, piped into sqlite3
// inside one transaction. Both read the file with libmdb in a process of their own and write a
// new SQLite file; the conversion also reads the notitas, keeps Null apart from the empty text,
// mends and reports, and flushes its file before naming it.
//
// The timing file stays beside the repository (../shared/jet); both are skipped without it.

#include "access/ConversionFiles.h"
#include "access/JetSignature.h"
#include "access/MdbImport.h"
#include "store/CalendarStore.h"
#include "store/sqlite/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString kFile = QStringLiteral(TARVELO_JET_TIMING_FILE);

bool present(benchmark::State& state)
{
    if (QFileInfo::exists(kFile))
        return true;
    state.SkipWithError("calendar-jet4-100k.mdb is not in ../shared/jet");
    return false;
}

void BM_ImportMdb100k(benchmark::State& state)
{
    if (!present(state))
        return;
    for (auto _ : state) {
        QTemporaryDir dir;
        const ConversionReport report =
            MdbImport::importInto(kFile, QDir(dir.path()).filePath(QStringLiteral("nueva")));
        benchmark::DoNotOptimize(report.days);
    }
}
BENCHMARK(BM_ImportMdb100k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BaselineMdbExportIntoSqlite3(benchmark::State& state)
{
    if (!present(state))
        return;
    const QString script = QStringLiteral(
        "{ echo 'BEGIN;'; echo 'CREATE TABLE calendar (fecha REAL, nota TEXT, festivo INTEGER, "
        "alarma INTEGER, hora REAL, Color INTEGER);'; mdb-export -I sqlite \"$1\" calendar; "
        "echo 'COMMIT;'; } | sqlite3 \"$2\"");
    for (auto _ : state) {
        QTemporaryDir dir;
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), script, QStringLiteral("sh"), kFile,
                     QDir(dir.path()).filePath(QStringLiteral("calendar.mdb"))});
        if (!shell.waitForFinished(120000) || shell.exitCode() != 0) {
            state.SkipWithError("mdb-export | sqlite3 failed");
            return;
        }
    }
}
BENCHMARK(BM_BaselineMdbExportIntoSqlite3)->Unit(benchmark::kMillisecond)->UseRealTime();

// What start-up adds on a folder whose calendar.mdb is a store: the look for a conversion cut
// short and the look at the store's first bytes.
void BM_StartupJetCheckOnStore(benchmark::State& state)
{
    QTemporaryDir dir;
    Database::create(CalendarStore::pathIn(dir.path()));
    for (auto _ : state) {
        ConversionFiles::recover(dir.path());
        benchmark::DoNotOptimize(JetSignature::of(CalendarStore::pathIn(dir.path())));
    }
}
BENCHMARK(BM_StartupJetCheckOnStore)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
