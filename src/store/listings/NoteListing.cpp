#include "store/listings/NoteListing.h"

#include "store/domain/SeriesBook.h"
#include "store/jet/DatePattern.h"
#include "store/listings/NoteQueries.h"
#include "store/sqlite/Database.h"
#include "store/sqlite/DayGathering.h"
#include "store/sqlite/StoreError.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Stands for a day a listing counted but could not gather: no note, no date.
constexpr double kNoDay = std::numeric_limits<double>::infinity();

} // namespace

// The reading of a long listing's days: the listing's query walked in date order on the
// lister connection, inside the read transaction its count was made in, a slice at a time.
class NoteListing::Gathering
{
public:
    Gathering(Database& owner, Database& lister, std::shared_ptr<std::vector<double>> days,
              std::size_t expected, Statement walk)
        : owner_(owner), lister_(&lister), days_(std::move(days)), expected_(expected),
          walk_(std::move(walk))
    {
    }
    ~Gathering() { drop(); }
    bool done() const { return !lister_; }
    Gathering(const Gathering&) = delete;
    Gathering& operator=(const Gathering&) = delete;

    // Gathers until upTo days are known or the walk ends; true once every day is known.
    bool gather(std::size_t upTo)
    {
        if (!lister_)
            return true;
        std::vector<double>& days = *days_;
        const std::size_t until = std::min(upTo, expected_);
        bool ended = false;
        while (days.size() < until) {
            if (!walk_.step()) {
                ended = true;
                break;
            }
            if (!walk_.columnIsNull(0))
                days.push_back(walk_.columnDouble(0));
        }
        if (days.size() < expected_ && !ended)
            return false;
        // Within one reading the walk gives what the count counted; should it give fewer, the
        // rows counted stay, without a day.
        days.resize(expected_, kNoDay);
        drop();
        return true;
    }

    // Ends the reading, whatever is gathered.
    void drop() noexcept
    {
        if (!lister_)
            return;
        walk_ = Statement();
        // The end of a reading: it wrote nothing, so nothing can be lost here.
        sqlite3_exec(lister_->handle(), "COMMIT", nullptr, nullptr, nullptr);
        lister_ = nullptr;
        owner_.listerDone();
    }

private:
    Database& owner_;
    Database* lister_ = nullptr;
    std::shared_ptr<std::vector<double>> days_;
    std::size_t expected_;
    Statement walk_;
};

NoteListing NoteListing::runOverSpan(Database& db, const ListingRequest& request)
{
    // The lister keeps the way to this listing's reading after this call: a cell of its own.
    auto holder = std::make_shared<std::weak_ptr<Gathering>>();
    Database* lister = db.lister([holder](bool finish) {
        if (const auto gathering = holder->lock()) {
            if (finish)
                gathering->gather(std::numeric_limits<std::size_t>::max());
            else
                gathering->drop();
        }
    });
    if (!lister)
        return {};

    NoteListing listing;
    listing.db_ = &db;
    listing.request_ = request;
    listing.query_ = NoteQueries::text(request);
    const QString& query = listing.query_;
    bool reading = false;
    try {
        // The days are counted without their order: the order costs an index walk with a
        // look at every row.
        Statement count(
            lister->handle(),
            QStringLiteral("SELECT count(*) FROM (%1)").arg(NoteQueries::unordered(request)));
        if (!sqlite3_stmt_readonly(count.handle())) {
            throw StoreError(
                QStringLiteral("La consulta «%1» no es una selección: no se ejecuta.").arg(query),
                SQLITE_AUTH);
        }
        Statement walk(lister->handle(), QStringLiteral("SELECT fecha FROM (%1)").arg(query));
        lister->execute(QStringLiteral("BEGIN"));
        reading = true;
        listing.count_ = count.step() ? int(count.columnInt64(0)) : 0;
        count.reset();
        auto days = std::make_shared<std::vector<double>>();
        days->reserve(std::size_t(listing.count_));
        listing.days_ = days;
        auto gathering = std::make_shared<Gathering>(db, *lister, std::move(days),
                                                     std::size_t(listing.count_), std::move(walk));
        reading = false; // the gathering ends it
        *holder = gathering;
        if (!gathering->gather(kEagerRows))
            listing.gathering_ = std::move(gathering);
    } catch (...) {
        if (reading)
            sqlite3_exec(lister->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        db.listerDone();
        throw;
    }
    return listing;
}

NoteListing NoteListing::run(Database& db, const ListingRequest& request, Days days)
{
    // What the calendar's repeating events show among the days; a store that keeps none is
    // looked at once.
    std::vector<CalendarOccurrence> occurrences = SeriesBook(db).listed(request);
    // Every stored day over a range is counted from the index of dates alone, much faster than
    // its days can be gathered; they are gathered afterwards, where a second reading can be
    // had. (A listing that also looks into the days costs as much to count as to gather, and
    // one with occurrences puts them among its days at once.)
    if (!days && request.wholeRange() && occurrences.empty()) {
        if (NoteListing listing = runOverSpan(db, request); listing.db_)
            return listing;
    }
    NoteListing listing;
    listing.db_ = &db;
    listing.request_ = request;
    listing.query_ = NoteQueries::text(request);
    if (!days) {
        // The query is read inside another, without its order (sorting the days afterwards
        // is cheaper than walking the index of dates): a text of more than one statement, or
        // one that would write, does not even compile there, and never runs.
        Statement gather = db.prepare(QStringLiteral("SELECT tarvelo_days(?1, fecha) FROM (%1)")
                                          .arg(NoteQueries::unordered(request)));
        if (!sqlite3_stmt_readonly(gather.handle())) {
            throw StoreError(QStringLiteral("La consulta «%1» no es una selección: no se ejecuta.")
                                 .arg(listing.query_),
                             SQLITE_AUTH);
        }
        auto read = std::make_shared<std::vector<double>>();
        DayGathering::bind(gather.handle(), 1, read.get());
        gather.execute();
        read->shrink_to_fit();
        if (!std::is_sorted(read->begin(), read->end()))
            std::stable_sort(read->begin(), read->end());
        days = std::move(read);
    }
    listing.days_ = std::move(days);
    listing.count_ = int(listing.days_->size());
    listing.placeOccurrences(std::move(occurrences));
    return listing;
}

void NoteListing::placeOccurrences(std::vector<CalendarOccurrence> occurrences)
{
    occurrences_ = std::move(occurrences);
    occurrenceRows_.clear();
    occurrenceRows_.reserve(occurrences_.size());
    const std::vector<double>& days = *days_;
    // After every day up to its own: the day's own rows come first.
    for (std::size_t k = 0; k < occurrences_.size(); ++k) {
        const double key = DatePattern::fromDate(occurrences_[k].date);
        const auto after = std::upper_bound(days.begin(), days.end(), key);
        occurrenceRows_.push_back(int(k + std::size_t(after - days.begin())));
    }
}

NoteListing::Place NoteListing::placeOf(int row) const
{
    if (occurrenceRows_.empty())
        return {false, std::size_t(row)};
    const auto at = std::lower_bound(occurrenceRows_.begin(), occurrenceRows_.end(), row);
    const std::size_t before = std::size_t(at - occurrenceRows_.begin());
    if (at != occurrenceRows_.end() && *at == row)
        return {true, before};
    return {false, std::size_t(row) - before};
}

std::size_t NoteListing::rowOfDay(std::size_t day) const
{
    const double key = (*days_)[day];
    const auto before = std::lower_bound(
        occurrences_.begin(), occurrences_.end(), key,
        [](const CalendarOccurrence& o, double k) { return DatePattern::fromDate(o.date) < k; });
    return day + std::size_t(before - occurrences_.begin());
}

bool NoteListing::fromCalendar(int row) const
{
    return row >= 0 && row < recordCount() && placeOf(row).occurrence;
}

bool NoteListing::gathered() const
{
    return !gathering_ || gathering_->done();
}

bool NoteListing::gatherSome(int rows)
{
    if (!gathered())
        need(int(std::min<qint64>(qint64(days_->size()) + std::max(rows, 1), count_)));
    return gathered();
}

void NoteListing::need(int pastDay) const
{
    if (gathering_ && std::size_t(pastDay) > days_->size() &&
        gathering_->gather(std::size_t(pastDay)))
        gathering_.reset();
    else if (gathering_ && gathering_->done())
        gathering_.reset();
}

QDate NoteListing::dateAt(int row) const
{
    if (row < 0 || row >= recordCount())
        return {};
    const Place place = placeOf(row);
    if (place.occurrence)
        return occurrences_[place.index].date;
    need(int(place.index) + 1);
    if (place.index >= days_->size())
        return {}; // the store closed before the day was gathered
    const double day = (*days_)[place.index];
    return std::isfinite(day) ? DatePattern::toDate(day) : QDate();
}

const NoteListing::Page& NoteListing::page(int number) const
{
    auto it = pages_.find(number);
    if (it != pages_.end()) {
        it->second.used = ++uses_;
        return it->second;
    }
    if (pages_.size() >= kPagesKept) {
        const auto oldest =
            std::min_element(pages_.begin(), pages_.end(), [](const auto& a, const auto& b) {
                return a.second.used < b.second.used;
            });
        pages_.erase(oldest);
    }

    const int first = number * kPageRows;
    Page fresh;
    fresh.notes.resize(std::size_t(std::min(recordCount(), first + kPageRows) - first));
    readRows(first, first + int(fresh.notes.size()),
             [&](int row, const QString& note) { fresh.notes[std::size_t(row - first)] = note; });
    fresh.used = ++uses_;
    return pages_.emplace(number, std::move(fresh)).first->second;
}

void NoteListing::readRows(int firstRow, int pastRow,
                           const std::function<void(int row, const QString& note)>& take) const
{
    if (firstRow < 0 || pastRow > recordCount() || firstRow >= pastRow)
        return;
    if (occurrenceRows_.empty()) {
        readDays(std::size_t(firstRow), std::size_t(pastRow),
                 [&](std::size_t day, const QString& note) { take(int(day), note); });
        return;
    }
    const auto occurrencesBefore = [this](int row) {
        return std::size_t(std::lower_bound(occurrenceRows_.begin(), occurrenceRows_.end(), row) -
                           occurrenceRows_.begin());
    };
    const std::size_t firstOccurrence = occurrencesBefore(firstRow);
    const std::size_t pastOccurrence = occurrencesBefore(pastRow);
    readDays(std::size_t(firstRow) - firstOccurrence, std::size_t(pastRow) - pastOccurrence,
             [&](std::size_t day, const QString& note) { take(int(rowOfDay(day)), note); });
    for (std::size_t k = firstOccurrence; k < pastOccurrence; ++k)
        take(occurrenceRows_[k], occurrences_[k].shown());
}

void NoteListing::readDays(
    std::size_t first, std::size_t last,
    const std::function<void(std::size_t day, const QString& note)>& take) const
{
    if (first >= last)
        return;
    need(int(last));
    const std::vector<double>& days = *days_;
    last = std::min(last, days.size());
    if (first >= last)
        return;
    // The notes are read by their days, not by the listing's own condition: a note changed
    // since the listing ran (typed into the list) still shows on its row.
    Statement& read =
        db_->cached(QStringLiteral("SELECT fecha, nota FROM calendar WHERE fecha BETWEEN ?1 AND ?2 "
                                   "ORDER BY fecha, %1")
                        .arg(db_->rowidName(QStringLiteral("calendar"))));
    read.bind(1, days[first]);
    read.bind(2, days[last - 1]);
    // Rows of the page's first day that belong to the page before it (a day stored twice by
    // another program) are passed by.
    std::size_t skip =
        first - std::size_t(std::lower_bound(days.begin(), days.end(), days[first]) - days.begin());
    std::size_t next = first;
    while (next < last && read.step()) {
        const double day = read.columnDouble(0);
        while (next < last && days[next] < day)
            ++next; // a day of the listing no longer stored: no note
        if (next == last)
            break;
        if (day != days[next])
            continue; // a day stored but not in the listing
        if (skip > 0) {
            --skip;
            continue;
        }
        take(next, read.column(1).toString());
        ++next;
    }
    read.reset();
}

QString NoteListing::noteAt(int row) const
{
    if (row < 0 || row >= recordCount())
        return {};
    return page(row / kPageRows).notes[std::size_t(row % kPageRows)];
}

void NoteListing::noteWritten(int row, const QString& note)
{
    if (row < 0 || row >= recordCount())
        return;
    const auto it = pages_.find(row / kPageRows);
    if (it != pages_.end())
        it->second.notes[std::size_t(row % kPageRows)] = note;
}
