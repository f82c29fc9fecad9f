#include "store/NoteListing.h"

#include "store/Database.h"
#include "store/DatePattern.h"
#include "store/StoreError.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace {

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
    {
        // Compiled first: a text of more than one statement, or one that would write, never
        // runs (Statement refuses the first, this the second).
        const Statement statement = db.prepare(query);
        if (!sqlite3_stmt_readonly(statement.handle())) {
            throw StoreError(
                QStringLiteral("La consulta «%1» no es una selección: no se ejecuta.").arg(query),
                SQLITE_AUTH);
        }
    }
    NoteListing listing;
    listing.db_ = &db;
    listing.query_ = query;
    if (!days) {
        auto read = std::make_shared<std::vector<double>>();
        Statement keys = db.prepare(QStringLiteral("SELECT fecha FROM (%1) WHERE fecha IS NOT "
                                                   "NULL")
                                        .arg(withoutOrder(query)));
        while (keys.step())
            read->push_back(keys.columnDouble(0));
        if (!std::is_sorted(read->begin(), read->end()))
            std::stable_sort(read->begin(), read->end());
        days = std::move(read);
    }
    listing.days_ = std::move(days);
    return listing;
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

    const std::vector<double>& days = *days_;
    const std::size_t first = std::size_t(number) * kPageRows;
    const std::size_t last = std::min(days.size(), first + kPageRows); // past the page
    Page fresh;
    fresh.notes.resize(last - first);
    // The notes are read by their days, not by the listing's own condition: a note changed
    // since the listing ran (typed into the list) still shows on its row.
    Statement read = db_->prepare(
        QStringLiteral("SELECT fecha, nota FROM calendar WHERE fecha BETWEEN ?1 AND ?2 "
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
        fresh.notes[next - first] = read.column(1).toString();
        ++next;
    }
    read.reset();
    fresh.used = ++uses_;
    return pages_.emplace(number, std::move(fresh)).first->second;
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
