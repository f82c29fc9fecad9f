#include "store/sqlite/Transaction.h"

#include "store/sqlite/Database.h"

#include <sqlite3.h>

Transaction::Transaction(Database& db) : db_(db)
{
    db_.awaitWholeFile();
    // IMMEDIATE: the lock is taken (or waited for) now, not halfway through the writes.
    db_.execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    if (open_ && !sqlite3_get_autocommit(db_.handle()))
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    db_.execute(QStringLiteral("COMMIT"));
    open_ = false;
    db_.noteWrite();
}
