#pragma once

#include "store/Statement.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <deque>
#include <map>
#include <vector>

class Database;

// A cursor over one table in the manner of a table-type recordset: rows in index order (or
// table order without an index), begin- and end-of-file flags, an equality seek, and a copy
// buffer for adding and editing one row. It keeps no rows of its own beyond the current one,
// so every move sees what any other handle has written.
class TableCursor
{
public:
    TableCursor(Database& db, const QString& table);

    // Orders the rows by the first field of the named index of the table ("" = table order).
    void setIndex(const QString& indexName);
    QString index() const { return indexName_; }

    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    bool noMatch() const { return noMatch_; }
    // True when a row is current and readable (not deleted, not after a failed seek).
    bool hasCurrent() const { return state_ == State::OnRow; }

    void moveFirst();
    void moveLast();
    // Errors (StoreError) when there is no row to move from: at end-of-file, or both flags set.
    void moveNext();
    void movePrevious();

    // Seek "=" on the index: on a match the row becomes current; on a miss noMatch() is true
    // and no row is current, but the next move goes to the neighbour of the sought key.
    void seek(const QVariant& key);

    // Fields of the current row by name, without regard to case; a Null field is an invalid
    // QVariant. Reading with no current row is an error.
    QVariant value(const QString& field) const;

    void addNew();
    void edit();
    void setValue(const QString& field, const QVariant& value);
    // Writes the new or edited row; after an add the row that was current stays current.
    // Returns the rowid of the row written.
    qint64 update();
    void cancelUpdate();
    bool isEditing() const { return mode_ != Mode::None; }

    // Deletes the current row; it stays "current" (unreadable) until a move, and moveNext goes
    // to the row after it.
    void deleteCurrent();

private:
    enum class State
    {
        None,
        OnRow,
        Deleted,
        Gap
    };
    enum class Mode
    {
        None,
        Adding,
        Editing
    };

    enum class Ahead
    {
        Unknown,
        Moved,
        RanOff
    };

    void prepare();
    Statement prepareSql(const QString& sql) const;
    bool positionFrom(Statement& statement); // loads the row the statement yields, if any
    // Walks: the row the statement yields becomes current and the rows after it are kept for
    // the next moves in the same direction, while nothing is written.
    bool walkFrom(Statement& statement, int direction);
    Ahead stepAhead(int direction);
    void clearAhead();
    struct Row;
    Row rowOf(const Statement& statement) const;
    void makeCurrent(Row&& row);
    void ensureFresh() const;
    void requireRow(const char* operation) const;
    int fieldIndex(const QString& field) const;
    void dropEdit()
    {
        mode_ = Mode::None;
        pending_.clear();
    }

    Database& db_;
    QString table_;
    QString rowidName_; // how a query names the row number: "rowid" unless a field has the name
    QString indexName_;
    QString orderColumn_; // "rowid" in table order

    Statement first_, last_, next_, previous_, nextFromKey_, previousFromKey_, seek_, reload_;

    State state_ = State::None;
    bool bof_ = true;
    bool eof_ = true;
    bool noMatch_ = false;
    QVariant key_;     // order key of the current row, or the sought key after a miss
    qint64 rowid_ = 0; // rowid of the current (or deleted) row

    QStringList columns_; // lower-case names, in table order
    mutable std::vector<QVariant> row_;
    mutable quint64 rowGeneration_ = 0;

    std::map<QString, Statement> writes_; // by SQL text: each shape of write compiles once

    struct Row
    {
        qint64 rowid;
        QVariant key;
        std::vector<QVariant> fields;
    };
    std::deque<Row> ahead_;       // the next rows of a walk, read with the current one
    int aheadDirection_ = 0;      // +1 forwards, -1 backwards
    quint64 aheadGeneration_ = 0; // the rows hold while the store's generation is this
    bool aheadExhausted_ = false; // nothing lies beyond the rows held
    int batch_ = 0;               // rows the next walk statement reads

    Mode mode_ = Mode::None;
    std::vector<std::pair<int, QVariant>> pending_;
};
