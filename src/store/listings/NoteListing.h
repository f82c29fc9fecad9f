#pragma once

#include "store/domain/CalendarOccurrence.h"
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
//
// Beside the days, a listing holds the occurrences of other programs' repeating events on the
// calendar server that fall among them (SeriesBook::listed), each a row of its own after its
// day's rows, its note the text the calendar shows marked as the calendar's; they are read
// whole when the listing runs, and never written. Without any, the rows are the days alone.
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
    // The text the listing ran by; empty before a listing has run. It lists the days: the
    // occurrences are listed beside them.
    QString query() const { return query_; }
    int recordCount() const { return count_ + int(occurrences_.size()); }
    // The row is an occurrence of another program's repeating event: shown, never edited.
    bool fromCalendar(int row) const;
    // Every day of the listing is known; until then gatherSome() gathers more of them.
    bool gathered() const;
    // Gathers the days of up to rows more rows; true once every day is known.
    bool gatherSome(int rows = kSliceRows);

    // The day and the note of a row (0-based); an invalid date and an empty note outside the
    // listing. A row whose day has gone from the store since the listing ran shows no note; an
    // occurrence's note is CalendarOccurrence::shown().
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
    // The days of the day rows up to (not with) pastDay are known.
    void need(int pastDay) const;
    // The notes of the days firstDay up to (not with) pastDay, each to take with its day's
    // index.
    void readDays(std::size_t firstDay, std::size_t pastDay,
                  const std::function<void(std::size_t day, const QString& note)>& take) const;
    // Where a row stands: an occurrence (its index) or a day (its index among the days).
    struct Place
    {
        bool occurrence = false;
        std::size_t index = 0;
    };
    Place placeOf(int row) const;
    // How many rows come before the day rows from day on: the occurrences before its date.
    std::size_t rowOfDay(std::size_t day) const;
    // Every day gathered, the occurrences are put among them.
    void placeOccurrences(std::vector<CalendarOccurrence> occurrences);
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
    int count_ = 0; // the days'
    std::vector<CalendarOccurrence> occurrences_;
    std::vector<int> occurrenceRows_;              // the row each occurrence stands on, ascending
    mutable std::shared_ptr<Gathering> gathering_; // null once every day is known
    mutable std::map<int, Page> pages_;
    mutable quint64 uses_ = 0;
};
