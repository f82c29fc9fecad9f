#include "store/domain/FirstStartMark.h"

#include "store/sqlite/Database.h"
#include "store/sqlite/Statement.h"
#include "store/sqlite/Transaction.h"

namespace {

const QString kTable = QStringLiteral("PrimerInicio");

bool marked(Database& db)
{
    Statement look = db.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = '%1'")
            .arg(kTable));
    return look.step();
}

} // namespace

void FirstStartMark::set(Database& db)
{
    Transaction transaction(db);
    db.execute(
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (ofrecer TEXT PRIMARY KEY)").arg(kTable));
    db.execute(QStringLiteral("INSERT OR IGNORE INTO %1 (ofrecer) VALUES ('calendario anterior')")
                   .arg(kTable));
    transaction.commit();
}

bool FirstStartMark::take(Database& db)
{
    if (!marked(db))
        return false;
    Transaction transaction(db);
    db.execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(kTable));
    transaction.commit();
    return true;
}
