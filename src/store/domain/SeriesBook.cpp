#include "store/domain/SeriesBook.h"

#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"

namespace {

const QString kFields = QStringLiteral("fecha, texto, festivo");

double keyOf(const QDate& date)
{
    return DatePattern::fromDate(date);
}

} // namespace

SeriesBook::SeriesBook(Database& db) : db_(db) {}

bool SeriesBook::present()
{
    if (present_)
        return true;
    // The sync may make the tables on a connection of its own at any time: until they are
    // there, every reading looks again.
    Statement& look = db_.cached(QStringLiteral(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'SincroRepeticion'"));
    look.step();
    present_ = look.columnInt64(0) > 0;
    look.reset();
    return present_;
}

void SeriesBook::make()
{
    if (present_)
        return;
    // IF NOT EXISTS: another copy of the program may have made them meanwhile.
    db_.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS SincroSerie (href TEXT PRIMARY KEY, "
                               "cuerpo TEXT, hasta REAL)"));
    db_.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS SincroRepeticion (href TEXT, "
                               "fecha REAL, texto TEXT, festivo INTEGER)"));
    db_.execute(QStringLiteral(
        "CREATE INDEX IF NOT EXISTS SincroRepeticionFecha ON SincroRepeticion (fecha)"));
    db_.execute(QStringLiteral(
        "CREATE INDEX IF NOT EXISTS SincroRepeticionHref ON SincroRepeticion (href)"));
    present_ = true;
}

std::vector<CalendarOccurrence> SeriesBook::read(const QString& sql,
                                                 const std::vector<QVariant>& values)
{
    std::vector<CalendarOccurrence> occurrences;
    if (!present())
        return occurrences;
    Statement& select = db_.cached(sql);
    for (std::size_t k = 0; k < values.size(); ++k)
        select.bind(int(k) + 1, values[k]);
    while (select.step()) {
        occurrences.push_back({DatePattern::toDate(select.columnDouble(0)),
                               select.column(1).toString(), select.columnInt64(2) != 0});
    }
    return occurrences;
}

std::vector<CalendarOccurrence> SeriesBook::between(const QDate& first, const QDate& last)
{
    if (!first.isValid() || !last.isValid())
        return {};
    return read(QStringLiteral("SELECT %1 FROM SincroRepeticion WHERE fecha BETWEEN ?1 AND ?2 "
                               "ORDER BY fecha, rowid")
                    .arg(kFields),
                {keyOf(first), keyOf(last)});
}

std::vector<CalendarOccurrence> SeriesBook::listed(const ListingRequest& request)
{
    const QString select = QStringLiteral("SELECT %1 FROM SincroRepeticion ").arg(kFields);
    const QString order = QStringLiteral(" ORDER BY fecha, rowid");
    switch (request.kind()) {
    case ListingRequest::Kind::AllNotes:
        return read(select + QStringLiteral("WHERE texto <> ''") + order);
    case ListingRequest::Kind::Period:
        return read(select + QStringLiteral("WHERE fecha BETWEEN ?1 AND ?2 AND texto <> ''") +
                        order,
                    {keyOf(request.first()), keyOf(request.last())});
    case ListingRequest::Kind::Selection:
        break;
    }
    const SelectionCriteria& criteria = request.criteria();
    if (criteria.colour)
        return {};
    QString where = QStringLiteral("WHERE fecha BETWEEN ?1 AND ?2");
    std::vector<QVariant> values{double(criteria.desde), double(criteria.hasta)};
    if (criteria.holidaysOnly())
        where += QStringLiteral(" AND festivo <> 0");
    else if (criteria.workdaysOnly())
        where += QStringLiteral(" AND festivo = 0");
    if (!criteria.word.isEmpty()) {
        // The same pattern the notes are matched with, by the same function (Jet's LIKE).
        where += QStringLiteral(" AND texto LIKE ?3");
        values.push_back(QStringLiteral("*%1*").arg(criteria.word.trimmed()));
    }
    return read(select + where + order, values);
}

void SeriesBook::replace(const Series& series, const std::vector<CalendarOccurrence>& occurrences)
{
    make();
    remove(series.href);
    Statement& keep = db_.cached(
        QStringLiteral("INSERT INTO SincroSerie (href, cuerpo, hasta) VALUES (?1, ?2, ?3)"));
    keep.bind(1, series.href);
    keep.bind(2, QString::fromUtf8(series.body));
    keep.bind(3, series.through.isValid() ? QVariant(keyOf(series.through)) : QVariant());
    keep.execute();
    Statement& add = db_.cached(QStringLiteral(
        "INSERT INTO SincroRepeticion (href, fecha, texto, festivo) VALUES (?1, ?2, ?3, ?4)"));
    for (const CalendarOccurrence& occurrence : occurrences) {
        if (!occurrence.date.isValid())
            continue;
        add.bind(1, series.href);
        add.bind(2, keyOf(occurrence.date));
        add.bind(3, occurrence.text);
        add.bind(4, occurrence.holiday ? 1 : 0);
        add.execute();
    }
}

void SeriesBook::remove(const QString& href)
{
    if (!present())
        return;
    for (const char* table : {"SincroSerie", "SincroRepeticion"}) {
        Statement& drop =
            db_.cached(QStringLiteral("DELETE FROM %1 WHERE href = ?1").arg(QLatin1String(table)));
        drop.bind(1, href);
        drop.execute();
    }
}

void SeriesBook::removeAll()
{
    if (!present())
        return;
    db_.cached(QStringLiteral("DELETE FROM SincroSerie")).execute();
    db_.cached(QStringLiteral("DELETE FROM SincroRepeticion")).execute();
}

std::vector<SeriesBook::Series> SeriesBook::keptBefore(const QDate& through)
{
    std::vector<Series> kept;
    if (!present() || !through.isValid())
        return kept;
    // A series without a day it was read through is read again at once.
    Statement& select = db_.cached(QStringLiteral(
        "SELECT href, cuerpo, hasta FROM SincroSerie WHERE hasta IS NULL OR hasta < ?1 "
        "ORDER BY href"));
    select.bind(1, keyOf(through));
    while (select.step()) {
        kept.push_back(
            {select.column(0).toString(), select.column(1).toString().toUtf8(),
             select.columnIsNull(2) ? QDate() : DatePattern::toDate(select.columnDouble(2))});
    }
    return kept;
}
