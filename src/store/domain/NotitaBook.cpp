#include "store/domain/NotitaBook.h"

#include "store/sqlite/Database.h"
#include "store/sqlite/Transaction.h"

#include <QUuid>

#include <sqlite3.h>

#include <algorithm>

namespace {

// "Left" is a keyword of SQL: quoted, like its neighbour for symmetry.
const QString kFields = QStringLiteral("indice, nota, \"Top\", \"Left\"");

// The notitas' identities, beside Nota rather than in it: a new field in Nota would change a
// table other programs read and write.
const QString kIdentities = QStringLiteral("NotaUid");

} // namespace

NotitaBook::NotitaBook(Database& db) : db_(db) {}

Statement& NotitaBook::statement(const QString& sql)
{
    auto it = statements_.find(sql);
    if (it == statements_.end())
        it = statements_.emplace(sql, db_.prepareOn(QStringLiteral("Nota"), sql)).first;
    return it->second;
}

Notita NotitaBook::notitaOf(const Statement& row)
{
    Notita notita;
    notita.row = row.columnInt64(0);
    notita.text = row.column(1).toString();
    notita.top = row.columnDouble(2);
    notita.left = row.columnDouble(3);
    return notita;
}

int NotitaBook::count()
{
    Statement& select = statement(QStringLiteral("SELECT count(*) FROM Nota"));
    select.step();
    const qint64 rows = select.columnInt64(0);
    select.reset();
    return int(std::min<qint64>(rows, kMaxCount));
}

void NotitaBook::numberUnnumbered()
{
    if (sqlite3_db_readonly(db_.handle(), "main") == 1)
        return;
    // Rows that another program added without a number, or with the number of an earlier row,
    // would be shown but never found again to be saved: each gets a number of its own.
    Statement& odd = statement(
        QStringLiteral("SELECT rowid FROM Nota AS n WHERE typeof(indice) <> 'integer' OR EXISTS "
                       "(SELECT 1 FROM Nota AS m WHERE m.indice = n.indice AND m.rowid < n.rowid) "
                       "ORDER BY rowid"));
    std::vector<qint64> rows;
    while (odd.step())
        rows.push_back(odd.columnInt64(0));
    if (rows.empty())
        return;
    Transaction transaction(db_);
    for (const qint64 rowid : rows)
        giveNumber(rowid);
    transaction.commit();
}

qint64 NotitaBook::giveNumber(qint64 rowid)
{
    Statement& number = statement(
        QStringLiteral("UPDATE Nota SET indice = (SELECT coalesce(max(indice), 0) + 1 FROM Nota "
                       "WHERE typeof(indice) = 'integer') WHERE rowid = ?1 RETURNING indice"));
    number.bind(1, rowid);
    number.step();
    const qint64 row = number.columnInt64(0);
    number.reset();
    return row;
}

std::vector<Notita> NotitaBook::first(int limit)
{
    numberUnnumbered();
    std::vector<Notita> notitas;
    Statement& select =
        statement(QStringLiteral("SELECT %1 FROM Nota ORDER BY rowid LIMIT ?1").arg(kFields));
    select.bind(1, std::max(limit, 0));
    while (select.step())
        notitas.push_back(notitaOf(select));
    return notitas;
}

std::optional<Notita> NotitaBook::last()
{
    Statement& select =
        statement(QStringLiteral("SELECT %1 FROM Nota ORDER BY rowid DESC LIMIT 1").arg(kFields));
    if (!select.step())
        return std::nullopt;
    Notita notita = notitaOf(select);
    select.reset();
    return notita;
}

std::optional<Notita> NotitaBook::read(qint64 row)
{
    Statement& select =
        statement(QStringLiteral("SELECT %1 FROM Nota WHERE indice = ?1 ORDER BY rowid LIMIT 1")
                      .arg(kFields));
    select.bind(1, row);
    if (!select.step())
        return std::nullopt;
    Notita notita = notitaOf(select);
    select.reset();
    return notita;
}

qint64 NotitaBook::add()
{
    Transaction transaction(db_);
    const qint64 row = insertRow();
    transaction.commit();
    return row;
}

void NotitaBook::makeIdentityTable()
{
    db_.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (indice INTEGER PRIMARY KEY, "
                               "uid TEXT NOT NULL UNIQUE)")
                    .arg(kIdentities));
}

qint64 NotitaBook::insertRow()
{
    statement(QStringLiteral("INSERT INTO Nota DEFAULT VALUES")).execute();
    const qint64 rowid = sqlite3_last_insert_rowid(db_.handle());
    Statement& counter = statement(QStringLiteral("SELECT indice FROM Nota WHERE rowid = ?1"));
    counter.bind(1, rowid);
    counter.step();
    const bool numbered = !counter.columnIsNull(0);
    const qint64 row = counter.columnInt64(0);
    counter.reset();
    return numbered ? row : giveNumber(rowid);
}

qint64 NotitaBook::addKnown(const QString& uid, const QString& text, double top, double left)
{
    makeIdentityTable();
    const qint64 row = addPlaced(text, top, left);
    Statement& give = statement(
        QStringLiteral("INSERT OR REPLACE INTO %1 (indice, uid) VALUES (?1, ?2)").arg(kIdentities));
    give.bind(1, row);
    give.bind(2, uid);
    give.execute();
    return row;
}

qint64 NotitaBook::addPlaced(const QString& text, double top, double left)
{
    const qint64 row = insertRow();
    save({row, text, top, left});
    return row;
}

bool NotitaBook::save(const Notita& notita)
{
    db_.awaitWholeFile();
    Statement& update = statement(
        QStringLiteral("UPDATE Nota SET nota = ?2, \"Top\" = ?3, \"Left\" = ?4 WHERE rowid = "
                       "(SELECT rowid FROM Nota WHERE indice = ?1 ORDER BY rowid LIMIT 1)"));
    update.bind(1, notita.row);
    update.bind(2, notita.text);
    update.bind(3, notita.top);
    update.bind(4, notita.left);
    update.execute();
    return sqlite3_changes(db_.handle()) > 0;
}

bool NotitaBook::saveText(qint64 row, const QString& text)
{
    db_.awaitWholeFile();
    Statement& update = statement(
        QStringLiteral("UPDATE Nota SET nota = ?2 WHERE rowid = "
                       "(SELECT rowid FROM Nota WHERE indice = ?1 ORDER BY rowid LIMIT 1)"));
    update.bind(1, row);
    update.bind(2, text);
    update.execute();
    return sqlite3_changes(db_.handle()) > 0;
}

bool NotitaBook::remove(qint64 row)
{
    db_.awaitWholeFile();
    // A later notita given the same number must not inherit this one's identity.
    Statement known = db_.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = '%1'")
            .arg(kIdentities));
    if (known.step()) {
        known.reset();
        Statement forget =
            db_.prepare(QStringLiteral("DELETE FROM %1 WHERE indice = ?1").arg(kIdentities));
        forget.bind(1, row);
        forget.execute();
    }
    Statement& remove = statement(
        QStringLiteral("DELETE FROM Nota WHERE rowid = (SELECT rowid FROM Nota WHERE indice = ?1 "
                       "ORDER BY rowid LIMIT 1)"));
    remove.bind(1, row);
    remove.execute();
    return sqlite3_changes(db_.handle()) > 0;
}

std::map<qint64, QString> NotitaBook::identities()
{
    db_.awaitWholeFile();
    if (sqlite3_db_readonly(db_.handle(), "main") == 1)
        return readIdentities();
    // Once every notita has its identity, an export only reads: it neither waits for another
    // program's lock nor tells the other programs of a write.
    Statement unmade = db_.prepare(
        QStringLiteral("SELECT NOT EXISTS (SELECT 1 FROM sqlite_schema WHERE type = 'table' AND "
                       "name = '%1') OR EXISTS (SELECT 1 FROM Nota AS n WHERE typeof(indice) <> "
                       "'integer' OR EXISTS (SELECT 1 FROM Nota AS m WHERE m.indice = n.indice "
                       "AND m.rowid < n.rowid))")
            .arg(kIdentities));
    unmade.step();
    bool mustWrite = unmade.columnInt64(0) != 0;
    unmade.reset();
    if (!mustWrite) {
        Statement changed = db_.prepare(
            QStringLiteral("SELECT EXISTS (SELECT 1 FROM Nota WHERE indice NOT IN (SELECT indice "
                           "FROM %1)) OR EXISTS (SELECT 1 FROM %1 WHERE indice NOT IN (SELECT "
                           "indice FROM Nota))")
                .arg(kIdentities));
        changed.step();
        mustWrite = changed.columnInt64(0) != 0;
        changed.reset();
    }
    if (!mustWrite)
        return readIdentities();
    numberUnnumbered();
    Transaction transaction(db_);
    makeIdentityTable();
    // Notitas deleted by another program leave their identity behind: it goes with them.
    db_.execute(QStringLiteral("DELETE FROM %1 WHERE indice NOT IN (SELECT indice FROM Nota)")
                    .arg(kIdentities));
    Statement missing = db_.prepare(
        QStringLiteral("SELECT indice FROM Nota WHERE indice NOT IN (SELECT indice FROM %1)")
            .arg(kIdentities));
    std::vector<qint64> rows;
    while (missing.step())
        rows.push_back(missing.columnInt64(0));
    Statement give = db_.prepare(
        QStringLiteral("INSERT INTO %1 (indice, uid) VALUES (?1, ?2)").arg(kIdentities));
    for (const qint64 row : rows) {
        give.bind(1, row);
        give.bind(2,
                  QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral("@tarvelo"));
        give.execute();
    }
    std::map<qint64, QString> identities = readIdentities();
    transaction.commit();
    return identities;
}

std::map<qint64, QString> NotitaBook::readIdentities()
{
    std::map<qint64, QString> identities;
    Statement known = db_.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = '%1'")
            .arg(kIdentities));
    if (known.step()) {
        known.reset();
        Statement select =
            db_.prepare(QStringLiteral("SELECT n.indice, u.uid FROM Nota AS n JOIN %1 AS u ON "
                                       "u.indice = n.indice")
                            .arg(kIdentities));
        while (select.step())
            identities.emplace(select.columnInt64(0), select.column(1).toString());
    }
    // A store that may only be read cannot keep an identity: the one given instead follows from
    // the notita's number, so that exporting the same file twice gives the same identities.
    static const QUuid kNamespace(QStringLiteral("6f1c2b0e-7d4a-4c55-9a59-3f0a7e2f8c11"));
    Statement all = db_.prepare(QStringLiteral("SELECT indice FROM Nota"));
    while (all.step()) {
        const qint64 row = all.columnInt64(0);
        if (!identities.contains(row))
            identities.emplace(row, QUuid::createUuidV5(kNamespace, QString::number(row))
                                            .toString(QUuid::WithoutBraces) +
                                        QStringLiteral("@tarvelo"));
    }
    return identities;
}
