#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

class Database;

// The result of one listing query, held whole so that its row count is exact from the start:
// a snapshot of the rows at the moment of the query, walked with begin- and end-of-file flags.
class Listing
{
public:
    Listing() = default; // no query run yet: no rows, both flags set

    // Runs a query text unchanged. Only a single statement that reads is accepted: a text that
    // would change the store is refused with a StoreError and never runs.
    static Listing run(const Database& db, const QString& query);

    QString query() const { return query_; }
    int recordCount() const { return int(rows_.size()); }
    int columnCount() const { return int(columns_.size()); }
    QString columnName(int column) const { return columns_.value(column); }
    int columnIndex(const QString& name) const; // without regard to case; -1 when absent

    bool bof() const { return rows_.empty() || position_ < 0; }
    bool eof() const { return rows_.empty() || position_ >= recordCount(); }
    int position() const { return position_; }
    void moveFirst() { position_ = rows_.empty() ? -1 : 0; }
    void moveLast() { position_ = rows_.empty() ? -1 : recordCount() - 1; }
    void moveNext();     // errors at end-of-file
    void movePrevious(); // errors at begin-of-file
    void moveTo(int row);

    // Fields of the current row; reading with no current row is an error.
    QVariant value(const QString& field) const;
    QVariant value(int column) const;

    const QVariant& at(int row, int column) const
    {
        return rows_[std::size_t(row)][std::size_t(column)];
    }

    // A notes listing's day and note of a row (its "fecha" and "nota"); an invalid date and an
    // empty note where the listing has no such column or value.
    QDate dateAt(int row) const;
    QString noteAt(int row) const;
    // Keeps the snapshot in step after the note of a row's day has been written.
    void noteWritten(int row, const QString& note);

private:
    QString query_;
    QStringList columns_;
    std::vector<std::vector<QVariant>> rows_;
    int position_ = -1;
};
