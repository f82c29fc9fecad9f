#include "store/domain/StoreSummary.h"

#include "store/sqlite/Database.h"

namespace {

qint64 count(const Database& db, const QString& sql)
{
    Statement statement = db.prepare(sql);
    statement.step();
    const qint64 n = statement.columnInt64(0);
    statement.reset();
    return n;
}

} // namespace

StoreSummary StoreSummary::of(const Database& db)
{
    StoreSummary summary;
    Statement check = db.prepare(QStringLiteral("PRAGMA quick_check"));
    summary.verdict = check.step() ? check.column(0).toString() : QString();
    check.reset();
    summary.days = count(db, QStringLiteral("SELECT count(*) FROM calendar"));
    summary.notedDays =
        count(db, QStringLiteral("SELECT count(*) FROM calendar WHERE len(nota) > 0"));
    summary.notitas = count(db, QStringLiteral("SELECT count(*) FROM Nota"));
    return summary;
}
