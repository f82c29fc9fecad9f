#include "store/TableCursor.h"

#include "store/Database.h"
#include "store/StoreError.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace {

constexpr int kFirstField = 2; // every positioning query selects rowid, the key, then *
// A walk reads a few rows at first and more as it goes on, so that a single step stays cheap
// and a long walk costs one statement for many rows.
constexpr int kFirstBatch = 8;
constexpr int kLargestBatch = 512;

QString quoted(const QString& name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

[[noreturn]] void noCurrentRow(const char* operation)
{
    throw StoreError(QStringLiteral("No hay registro activo (%1).").arg(QLatin1String(operation)),
                     SQLITE_MISUSE);
}

} // namespace

TableCursor::TableCursor(Database& db, const QString& table)
    : db_(db), table_(table), rowidName_(db.rowidName(table))
{
    Statement probe = db_.prepare(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quoted(table_)));
    for (int c = 0; c < probe.columnCount(); ++c)
        columns_.append(probe.columnName(c).toLower());
    setIndex(QString());
}

void TableCursor::setIndex(const QString& indexName)
{
    QString order = QStringLiteral("rowid");
    if (!indexName.isEmpty()) {
        Statement info = db_.prepare(QStringLiteral(
            "SELECT i.name FROM pragma_index_list(?1) AS l JOIN pragma_index_info(l.name) AS i "
            "WHERE l.name = ?2 COLLATE NOCASE AND i.seqno = 0"));
        info.bind(1, table_);
        info.bind(2, indexName);
        if (!info.step()) {
            throw StoreError(
                QStringLiteral("La tabla «%1» no tiene el índice «%2».").arg(table_, indexName),
                SQLITE_ERROR);
        }
        order = quoted(info.column(0).toString());
        info.reset();
    }
    indexName_ = indexName;
    orderColumn_ = order;
    prepare();
    moveFirst();
}

void TableCursor::prepare()
{
    const QString t = quoted(table_);
    const QString k = orderColumn_;
    const QString select = QStringLiteral("SELECT rowid, %1, * FROM %2 ").arg(k, t);
    const QString up = QStringLiteral(" ORDER BY %1, rowid LIMIT 1").arg(k);
    const QString down = QStringLiteral(" ORDER BY %1 DESC, rowid DESC LIMIT 1").arg(k);
    // A row whose key is Null belongs to no place in the index's order (a day without a date):
    // the walks pass it by, as a comparison with Null would stop them there.
    const QString keyed = QStringLiteral("WHERE %1 IS NOT NULL").arg(k);
    first_ = prepareSql(select + keyed + up);
    last_ = prepareSql(select + keyed + down);

    // The walks read as many rows as ?9 says.
    const QString walkUp = QStringLiteral(" ORDER BY %1, rowid LIMIT ?9").arg(k);
    const QString walkDown = QStringLiteral(" ORDER BY %1 DESC, rowid DESC LIMIT ?9").arg(k);
    const bool tableOrder = indexName_.isEmpty();
    if (tableOrder) {
        next_ = prepareSql(select + QStringLiteral("WHERE rowid > ?2") + walkUp);
        previous_ = prepareSql(select + QStringLiteral("WHERE rowid < ?2") + walkDown);
    } else {
        // Row values keep the walk on the index even where two rows share a key.
        next_ = prepareSql(select + QStringLiteral("WHERE (%1, rowid) > (?1, ?2)").arg(k) + walkUp);
        previous_ =
            prepareSql(select + QStringLiteral("WHERE (%1, rowid) < (?1, ?2)").arg(k) + walkDown);
    }
    nextFromKey_ = prepareSql(select + QStringLiteral("WHERE %1 > ?1").arg(k) + walkUp);
    previousFromKey_ = prepareSql(select + QStringLiteral("WHERE %1 < ?1").arg(k) + walkDown);
    seek_ = prepareSql(select + QStringLiteral("WHERE %1 = ?1 ORDER BY rowid LIMIT 1").arg(k));
    reload_ = prepareSql(select + QStringLiteral("WHERE rowid = ?1"));
}

Statement TableCursor::prepareSql(const QString& sql) const
{
    // Another program may have given the table a field called rowid (always quoted here when
    // it is meant); the row number is then reached by another of its names.
    static const QRegularExpression kRowid(QStringLiteral("(?<!\")\\browid\\b(?!\")"));
    QString text = sql;
    text.replace(kRowid, rowidName_);
    return db_.prepare(text);
}

TableCursor::Row TableCursor::rowOf(const Statement& statement) const
{
    Row row{statement.columnInt64(0), statement.column(1), {}};
    row.fields.resize(columns_.size());
    for (int c = 0; c < columns_.size(); ++c)
        row.fields[c] = statement.column(kFirstField + c);
    return row;
}

void TableCursor::makeCurrent(Row&& row)
{
    rowid_ = row.rowid;
    key_ = std::move(row.key);
    row_ = std::move(row.fields);
}

bool TableCursor::positionFrom(Statement& statement)
{
    if (!statement.step())
        return false;
    makeCurrent(rowOf(statement));
    statement.reset();
    rowGeneration_ = db_.generation();
    state_ = State::OnRow;
    return true;
}

void TableCursor::clearAhead()
{
    ahead_.clear();
    aheadDirection_ = 0;
    aheadExhausted_ = false;
    batch_ = kFirstBatch;
}

bool TableCursor::walkFrom(Statement& statement, int direction)
{
    statement.bind(9, batch_);
    clearAhead();
    if (!statement.step())
        return false;
    makeCurrent(rowOf(statement));
    int read = 1;
    while (read < batch_ && statement.step()) {
        ahead_.push_back(rowOf(statement));
        ++read;
    }
    statement.reset();
    aheadDirection_ = direction;
    aheadGeneration_ = db_.generation();
    aheadExhausted_ = read < batch_;
    batch_ = std::min(batch_ * 4, kLargestBatch);
    rowGeneration_ = db_.generation();
    state_ = State::OnRow;
    return true;
}

TableCursor::Ahead TableCursor::stepAhead(int direction)
{
    if (aheadDirection_ != direction || aheadGeneration_ != db_.generation() ||
        state_ != State::OnRow) {
        ahead_.clear();
        aheadDirection_ = 0;
        return Ahead::Unknown;
    }
    if (ahead_.empty())
        return aheadExhausted_ ? Ahead::RanOff : Ahead::Unknown;
    makeCurrent(std::move(ahead_.front()));
    ahead_.pop_front();
    rowGeneration_ = aheadGeneration_;
    return Ahead::Moved;
}

void TableCursor::moveFirst()
{
    dropEdit();
    clearAhead();
    if (positionFrom(first_)) {
        bof_ = eof_ = false;
    } else {
        state_ = State::None;
        bof_ = eof_ = true;
    }
}

void TableCursor::moveLast()
{
    dropEdit();
    clearAhead();
    if (positionFrom(last_)) {
        bof_ = eof_ = false;
    } else {
        state_ = State::None;
        bof_ = eof_ = true;
    }
}

void TableCursor::moveNext()
{
    if (eof_)
        noCurrentRow("MoveNext");
    dropEdit();
    bool found = false;
    if (bof_ || state_ == State::None) {
        clearAhead();
        found = positionFrom(first_);
    } else if (const Ahead ahead = stepAhead(+1); ahead != Ahead::Unknown) {
        found = ahead == Ahead::Moved;
    } else if (state_ == State::Gap) {
        nextFromKey_.bind(1, key_);
        found = walkFrom(nextFromKey_, +1);
    } else {
        next_.bind(1, key_);
        next_.bind(2, rowid_);
        found = walkFrom(next_, +1);
    }
    if (found) {
        bof_ = false;
    } else {
        clearAhead();
        state_ = State::None;
        eof_ = true;
    }
}

void TableCursor::movePrevious()
{
    if (bof_)
        noCurrentRow("MovePrevious");
    dropEdit();
    bool found = false;
    if (eof_ || state_ == State::None) {
        clearAhead();
        found = positionFrom(last_);
    } else if (const Ahead ahead = stepAhead(-1); ahead != Ahead::Unknown) {
        found = ahead == Ahead::Moved;
    } else if (state_ == State::Gap) {
        previousFromKey_.bind(1, key_);
        found = walkFrom(previousFromKey_, -1);
    } else {
        previous_.bind(1, key_);
        previous_.bind(2, rowid_);
        found = walkFrom(previous_, -1);
    }
    if (found) {
        eof_ = false;
    } else {
        clearAhead();
        state_ = State::None;
        bof_ = true;
    }
}

void TableCursor::seek(const QVariant& key)
{
    if (indexName_.isEmpty()) {
        throw StoreError(
            QStringLiteral("No se puede buscar en «%1» sin un índice activo.").arg(table_),
            SQLITE_MISUSE);
    }
    dropEdit();
    clearAhead();
    seek_.bind(1, key);
    if (positionFrom(seek_)) {
        noMatch_ = false;
    } else {
        seek_.reset();
        noMatch_ = true;
        state_ = State::Gap;
        key_ = key;
    }
    bof_ = eof_ = false;
}

void TableCursor::ensureFresh() const
{
    if (state_ != State::OnRow || rowGeneration_ == db_.generation())
        return;
    auto* self = const_cast<TableCursor*>(this);
    self->reload_.bind(1, rowid_);
    // A rowid can be reused by a later insert: a row whose key changed is another row.
    if (self->reload_.step() && self->reload_.column(1) == key_) {
        for (int c = 0; c < columns_.size(); ++c)
            row_[c] = reload_.column(kFirstField + c);
        self->reload_.reset();
        rowGeneration_ = db_.generation();
    } else {
        self->reload_.reset();
        self->state_ = State::Deleted; // deleted through another handle
    }
}

void TableCursor::requireRow(const char* operation) const
{
    ensureFresh();
    if (state_ != State::OnRow)
        noCurrentRow(operation);
}

int TableCursor::fieldIndex(const QString& field) const
{
    const int index = int(columns_.indexOf(field.toLower()));
    if (index < 0) {
        throw StoreError(QStringLiteral("La tabla «%1» no tiene el campo «%2».").arg(table_, field),
                         SQLITE_ERROR);
    }
    return index;
}

QVariant TableCursor::value(const QString& field) const
{
    const int index = fieldIndex(field);
    requireRow("lectura de campo");
    return row_[index];
}

void TableCursor::addNew()
{
    dropEdit();
    mode_ = Mode::Adding;
}

void TableCursor::edit()
{
    requireRow("Edit");
    dropEdit();
    mode_ = Mode::Editing;
}

void TableCursor::setValue(const QString& field, const QVariant& value)
{
    if (mode_ == Mode::None) {
        throw StoreError(QStringLiteral("Se asigna el campo «%1» sin AddNew ni Edit.").arg(field),
                         SQLITE_MISUSE);
    }
    const int index = fieldIndex(field);
    for (auto& [column, pending] : pending_) {
        if (column == index) {
            pending = value;
            return;
        }
    }
    pending_.emplace_back(index, value);
}

qint64 TableCursor::update()
{
    if (mode_ == Mode::None)
        throw StoreError(QStringLiteral("Update sin AddNew ni Edit."), SQLITE_MISUSE);

    QString sql;
    if (mode_ == Mode::Adding) {
        if (pending_.empty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table_));
        } else {
            QStringList names, marks;
            for (const auto& entry : pending_) {
                names << quoted(columns_[entry.first]);
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(table_), names.join(QLatin1Char(',')),
                           marks.join(QLatin1Char(',')));
        }
    } else {
        requireRow("Update");
        if (pending_.empty()) {
            dropEdit();
            return rowid_;
        }
        QStringList sets;
        for (const auto& entry : pending_)
            sets << quoted(columns_[entry.first]) + QStringLiteral("=?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?")
                  .arg(quoted(table_), sets.join(QLatin1Char(',')));
    }

    auto it = writes_.find(sql);
    if (it == writes_.end())
        it = writes_.emplace(sql, prepareSql(sql)).first;
    Statement& statement = it->second;
    int n = 1;
    for (const auto& entry : pending_)
        statement.bind(n++, entry.second);
    if (mode_ == Mode::Editing)
        statement.bind(n, rowid_);

    const bool adding = mode_ == Mode::Adding;
    dropEdit();
    try {
        statement.execute();
    } catch (...) {
        statement.reset();
        throw;
    }
    statement.reset();
    db_.noteWrite();

    if (adding)
        return sqlite3_last_insert_rowid(db_.handle());
    if (sqlite3_changes(db_.handle()) == 0) {
        state_ = State::Deleted;
        throw StoreError(
            QStringLiteral("El registro que se editaba ya no existe en «%1».").arg(table_),
            SQLITE_NOTFOUND);
    }
    reload_.bind(1, rowid_);
    positionFrom(reload_);
    return rowid_;
}

void TableCursor::cancelUpdate()
{
    dropEdit();
}

void TableCursor::deleteCurrent()
{
    requireRow("Delete");
    dropEdit();
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE rowid=?1").arg(quoted(table_));
    auto it = writes_.find(sql);
    if (it == writes_.end())
        it = writes_.emplace(sql, prepareSql(sql)).first;
    Statement& statement = it->second;
    statement.bind(1, rowid_);
    statement.execute();
    statement.reset();
    db_.noteWrite();
    state_ = State::Deleted;
}
