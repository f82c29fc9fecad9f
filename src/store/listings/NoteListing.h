#pragma once

#include "store/domain/ListingRequest.h"

#include <QDate>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class Database;
struct sqlite3;

// The result of one notes listing (its days and notes in date order), as the notes panel
// shows it: the days are counted when the listing runs, but a note is read only when its row is
// looked at, a page of rows at a time, so that a listing costs its count plus what is on screen
// however many days it holds. The days of a long listing over a span of dates are gathered
// after the count, a slice at a time (gatherSome()) or as far as a row looked at needs, from
// the same reading of the file as the count.
class NoteListing
{
public:
    // The days of a listing, earliest first; shared with the day book's days with a note.
    using Days = std::shared_ptr<const std::vector<double>>;

    NoteListing() = default; // no listing run yet: no rows

    // Runs the listing a request asks for, by its query text. days: the listing's days when
    // they are known already (every note, "Ver notas").
    static NoteListing run(Database& db, const ListingRequest& request, Days days = {});

    const ListingRequest& request() const { return request_; }
    // The text the listing ran by; empty before a listing has run.
    QString query() const { return query_; }
    int recordCount() const { return count_; }
    // Every day of the listing is known; until then gatherSome() gathers more of them.
    bool gathered() const;
    // Gathers the days of up to rows more rows; true once every day is known.
    bool gatherSome(int rows = kSliceRows);

    // The day and the note of a row (0-based); an invalid date and an empty note outside the
    // listing. A row whose day has gone from the store since the listing ran shows no note.
    QDate dateAt(int row) const;
    QString noteAt(int row) const;
    // Reads the notes of rows firstRow up to (not with) pastRow with one query, giving each to
    // take: for a printout, which goes through every row once.
    void readRows(int firstRow, int pastRow,
                  const std::function<void(int row, const QString& note)>& take) const;
    // Keeps the note shown in step after the note of a row's day has been written.
    void noteWritten(int row, const QString& note);

    // How many rows are read at once, and how many such pages are kept.
    static constexpr int kPageRows = 128;
    static constexpr std::size_t kPagesKept = 32;
    // A listing over a span of dates gathers this many days at once, with its count (enough
    // for the rows on screen); the rest gathers kSliceRows at a time.
    static constexpr int kEagerRows = 1024;
    static constexpr int kSliceRows = 32768;

private:
    class Gathering;
    // The days of rows up to (not with) pastRow are known.
    void need(int pastRow) const;
    static NoteListing runOverSpan(Database& db, const ListingRequest& request);

    struct Page
    {
        std::vector<QString> notes;
        quint64 used = 0;
    };
    const Page& page(int number) const;

    Database* db_ = nullptr;
    ListingRequest request_;
    QString query_;
    Days days_;
    int count_ = 0;
    mutable std::shared_ptr<Gathering> gathering_; // null once every day is known
    mutable std::map<int, Page> pages_;
    mutable quint64 uses_ = 0;
};
