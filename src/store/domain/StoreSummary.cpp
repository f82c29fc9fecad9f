#include "store/domain/StoreSummary.h"

#include "store/sqlite/Database.h"

#include <QStringList>

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
    // The whole check: every index is compared with its table as well, which the quick check
    // leaves out (a day another program wrote past the index is only found this way).
    Statement check = db.prepare(QStringLiteral("PRAGMA integrity_check"));
    QStringList problems;
    while (check.step())
        problems << check.column(0).toString();
    check.reset();
    summary.verdict = problems.join(QLatin1Char('\n'));
    summary.days = count(db, QStringLiteral("SELECT count(*) FROM calendar"));
    summary.notedDays =
        count(db, QStringLiteral("SELECT count(*) FROM calendar WHERE len(nota) > 0"));
    summary.notitas = count(db, QStringLiteral("SELECT count(*) FROM Nota"));
    return summary;
}
