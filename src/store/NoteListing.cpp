#include "store/NoteListing.h"

#include "store/Database.h"
#include "store/DatePattern.h"
#include "store/StoreError.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace {

constexpr const char* kDaysPointer = "tarvelo-days";

void gatherDay(sqlite3_context* context, int /*argc*/, sqlite3_value** argv)
{
    auto* days = static_cast<std::vector<double>*>(sqlite3_value_pointer(argv[0], kDaysPointer));
    if (!days || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return;
    try {
        days->push_back(sqlite3_value_double(argv[1]));
    } catch (...) {
        sqlite3_result_error_nomem(context);
    }
}

void daysGathered(sqlite3_context* context)
{
    sqlite3_result_null(context);
}

// The listing's days are read without its order: the order costs an index walk with a look
// at every row, and sorting the days afterwards is cheaper.
QString withoutOrder(const QString& query)
{
    static const QRegularExpression kOrder(QStringLiteral("\\s+order\\s+by\\s+fecha\\s*;?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString bare = query;
    bare.remove(kOrder);
    return bare;
}

} // namespace

NoteListing NoteListing::run(Database& db, const QString& query, Days days)
{
    NoteListing listing;
    listing.db_ = &db;
    listing.query_ = query;
    // The query is read inside another: a text of more than one statement, or one that would
    // write, does not even compile there, and never runs.
    Statement gather = db.prepare(
        QStringLiteral("SELECT tarvelo_days(?1, fecha) FROM (%1)").arg(withoutOrder(query)));
    if (!sqlite3_stmt_readonly(gather.handle())) {
        throw StoreError(
            QStringLiteral("La consulta «%1» no es una selección: no se ejecuta.").arg(query),
            SQLITE_AUTH);
    }
    if (!days) {
        auto read = std::make_shared<std::vector<double>>();
        sqlite3_bind_pointer(gather.handle(), 1, read.get(), kDaysPointer, nullptr);
        gather.execute();
        read->shrink_to_fit();
        if (!std::is_sorted(read->begin(), read->end()))
            std::stable_sort(read->begin(), read->end());
        days = std::move(read);
    }
    listing.days_ = std::move(days);
    return listing;
}

int NoteListing::registerOn(sqlite3* db)
{
    return sqlite3_create_function_v2(db, "tarvelo_days", 2, SQLITE_UTF8 | SQLITE_INNOCUOUS,
                                      nullptr, nullptr, gatherDay, daysGathered, nullptr);
}

QDate NoteListing::dateAt(int row) const
{
    if (row < 0 || row >= recordCount())
        return {};
    return DatePattern::toDate((*days_)[std::size_t(row)]);
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
    const std::vector<double>& days = *days_;
    const std::size_t first = std::size_t(firstRow);
    const std::size_t last = std::size_t(pastRow);
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
        take(int(next), read.column(1).toString());
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
