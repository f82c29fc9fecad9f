#include "store/domain/DayBook.h"

#include "store/domain/SeriesBook.h"
#include "store/domain/TextMerge.h"
#include "store/jet/DatePattern.h"
#include "store/sqlite/Database.h"
#include "store/sqlite/StoreError.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

namespace {

// Every read selects the day's fields in this order.
const QString kFields = QStringLiteral("fecha, nota, festivo, alarma, hora, Color");

enum Column
{
    Fecha,
    Nota,
    Festivo,
    Alarma,
    Hora,
    Color
};

// A yes/no field is true for any number but 0, so that the -1 of older stores counts as yes.
bool isYes(const QVariant& value)
{
    return !value.isNull() && value.toDouble() != 0;
}

std::optional<QTime> timeOf(const QVariant& value)
{
    bool number = false;
    const double time = value.toDouble(&number);
    if (value.isNull() || !number || !std::isfinite(time) || std::fabs(time) >= 1e15)
        return std::nullopt;
    // The time of day is the fraction's size, rounded to the second; one that rounds up to
    // midnight is the next day's 00:00 (as the date texts read it).
    constexpr qint64 kDay = 86400;
    const qint64 seconds = std::llround(std::fabs(time - std::trunc(time)) * kDay) % kDay;
    return QTime::fromMSecsSinceStartOfDay(int(seconds * 1000));
}

double keyOf(const QDate& date)
{
    return DatePattern::fromDate(date);
}

} // namespace

DayBook::DayBook(Database& db, SeriesBook& series) : db_(db), series_(series) {}

std::vector<CalendarOccurrence> DayBook::fromCalendar(const QDate& first, const QDate& last)
{
    return series_.between(first, last);
}

Statement& DayBook::statement(const QString& sql)
{
    auto it = statements_.find(sql);
    if (it == statements_.end())
        it = statements_.emplace(sql, db_.prepareOn(QStringLiteral("calendar"), sql)).first;
    return it->second;
}

Day DayBook::dayOf(const Statement& row) const
{
    Day day;
    day.date = DatePattern::toDate(row.columnDouble(Fecha));
    day.note = row.column(Nota).toString();
    day.holiday = isYes(row.column(Festivo));
    day.alarmOn = isYes(row.column(Alarma));
    day.alarmTime = timeOf(row.column(Hora));
    day.colour = DayColours::fromCode(row.column(Color));
    return day;
}

std::optional<Day> DayBook::find(const QDate& date)
{
    if (!date.isValid())
        return std::nullopt;
    writePending(date, date);
    // Of two rows for one day (a store edited by another program), the older one is the day.
    Statement& select = statement(QStringLiteral("SELECT %1 FROM calendar WHERE fecha = ?1 "
                                                 "ORDER BY rowid LIMIT 1")
                                      .arg(kFields));
    select.bind(1, keyOf(date));
    if (!select.step())
        return std::nullopt;
    Day day = dayOf(select);
    select.reset();
    if (const std::optional<QString> staged = stagedNote(date))
        day.note = *staged;
    return day;
}

std::vector<Day> DayBook::between(const QDate& first, const QDate& last)
{
    std::vector<Day> days;
    if (!first.isValid() || !last.isValid())
        return days;
    writePending(first, last);
    Statement& select = statement(QStringLiteral("SELECT %1 FROM calendar WHERE fecha BETWEEN "
                                                 "?1 AND ?2 ORDER BY fecha, rowid")
                                      .arg(kFields));
    select.bind(1, keyOf(first));
    select.bind(2, keyOf(last));
    while (select.step()) {
        // A day is found by its exact value: a time of day in fecha makes it no day at all.
        const double fecha = select.columnDouble(Fecha);
        if (fecha != std::trunc(fecha))
            continue;
        Day day = dayOf(select);
        if (!days.empty() && days.back().date == day.date)
            continue;
        if (const std::optional<QString> staged = stagedNote(day.date))
            day.note = *staged;
        days.push_back(std::move(day));
    }
    return days;
}

void DayBook::save(const Day& day)
{
    if (!day.date.isValid())
        return;
    db_.awaitWholeFile();
    writePending(day.date, day.date);

    QStringList columns{QStringLiteral("festivo"), QStringLiteral("alarma"),
                        QStringLiteral("nota")};
    QVariantList values{day.holiday ? 1 : 0, day.alarmOn ? 1 : 0, day.note};
    if (day.alarmOn && day.alarmTime) {
        columns << QStringLiteral("hora");
        values << DatePattern::fromTime(day.alarmTime->hour(), day.alarmTime->minute());
    }
    if (day.colour) {
        columns << QStringLiteral("Color");
        values << DayColours::code(*day.colour);
    }

    QStringList sets;
    for (qsizetype c = 0; c < columns.size(); ++c)
        sets << QStringLiteral("%1 = ?%2").arg(columns[c]).arg(c + 2);
    Statement& update =
        statement(QStringLiteral("UPDATE calendar SET %1 WHERE rowid = (SELECT rowid FROM "
                                 "calendar WHERE fecha = ?1 ORDER BY rowid LIMIT 1)")
                      .arg(sets.join(QStringLiteral(", "))));
    update.bind(1, keyOf(day.date));
    for (qsizetype c = 0; c < values.size(); ++c)
        update.bind(int(c) + 2, values[c]);
    update.execute();
    if (sqlite3_changes(db_.handle()) > 0) {
        noteWritten(keyOf(day.date), isNote(day.note));
        return;
    }

    QStringList marks;
    for (qsizetype c = 0; c < columns.size(); ++c)
        marks << QStringLiteral("?%1").arg(c + 2);
    Statement& insert =
        statement(QStringLiteral("INSERT INTO calendar (fecha, %1) VALUES (?1, %2)")
                      .arg(columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    insert.bind(1, keyOf(day.date));
    for (qsizetype c = 0; c < values.size(); ++c)
        insert.bind(int(c) + 2, values[c]);
    insert.execute();
    noteWritten(keyOf(day.date), isNote(day.note));
}

void DayBook::add(const Day& day)
{
    if (!day.date.isValid())
        return;
    db_.awaitWholeFile();
    writePending(day.date, day.date);
    Statement& insert =
        statement(QStringLiteral("INSERT INTO calendar (fecha, festivo, alarma, nota, hora, Color) "
                                 "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    insert.bind(1, keyOf(day.date));
    insert.bind(2, day.holiday ? 1 : 0);
    insert.bind(3, day.alarmOn ? 1 : 0);
    insert.bind(4, day.note);
    insert.bind(
        5, day.alarmOn && day.alarmTime
               ? QVariant(DatePattern::fromTime(day.alarmTime->hour(), day.alarmTime->minute()))
               : QVariant());
    insert.bind(6, day.colour ? QVariant(DayColours::code(*day.colour)) : QVariant());
    insert.execute();
    noteWritten(keyOf(day.date), isNote(day.note));
}

qint64 DayBook::dataVersion()
{
    Statement& version = statement(QStringLiteral("PRAGMA data_version"));
    version.step();
    const qint64 value = version.columnInt64(0);
    version.reset();
    return value;
}

std::shared_ptr<const std::vector<double>> DayBook::noteDays()
{
    writePending();
    const qint64 version = dataVersion();
    if (noteDays_ && noteDaysGeneration_ == db_.generation() && noteDaysVersion_ == version)
        return noteDays_;

    // Read in the table's order and sorted here: cheaper than walking the day index with a look
    // at every row. Which rows have a note is told by the aggregate itself, as len() would.
    auto days = std::make_shared<std::vector<double>>();
    Statement& read =
        statement(QStringLiteral("SELECT tarvelo_noted_days(?1, fecha, nota) FROM calendar"));
    sqlite3_bind_pointer(read.handle(), 1, days.get(), "tarvelo-days", nullptr);
    read.execute();
    days->shrink_to_fit();
    if (!std::is_sorted(days->begin(), days->end()))
        std::sort(days->begin(), days->end());
    noteDays_ = std::move(days);
    noteDaysGeneration_ = db_.generation();
    noteDaysVersion_ = version;
    return noteDays_;
}

void DayBook::noteWritten(double key, bool isNote)
{
    if (!noteDays_)
        return;
    // Inside a transaction the write may still be undone: the days are read again after it.
    // So they are when a day is stored twice (another program's store): which of the two
    // rows was written is not known here.
    const auto at = std::lower_bound(noteDays_->begin(), noteDays_->end(), key);
    const bool listed = at != noteDays_->end() && *at == key;
    const bool twice = listed && at + 1 != noteDays_->end() && *(at + 1) == key;
    if (!sqlite3_get_autocommit(db_.handle()) || twice) {
        noteDays_.reset();
        return;
    }
    if (listed == isNote)
        return;
    const std::size_t index = std::size_t(at - noteDays_->begin());
    if (noteDays_.use_count() > 1) // a listing shows these days: it keeps them as they were
        noteDays_ = std::make_shared<std::vector<double>>(*noteDays_);
    if (isNote)
        noteDays_->insert(noteDays_->begin() + std::ptrdiff_t(index), key);
    else
        noteDays_->erase(noteDays_->begin() + std::ptrdiff_t(index));
}

std::optional<QDate> DayBook::first()
{
    Statement& select = statement(QStringLiteral(
        "SELECT fecha FROM calendar WHERE fecha IS NOT NULL ORDER BY fecha LIMIT 1"));
    if (!select.step())
        return std::nullopt;
    const QDate date = DatePattern::toDate(select.columnDouble(0));
    select.reset();
    return date;
}

std::optional<QDate> DayBook::last()
{
    Statement& select = statement(QStringLiteral(
        "SELECT fecha FROM calendar WHERE fecha IS NOT NULL ORDER BY fecha DESC LIMIT 1"));
    if (!select.step())
        return std::nullopt;
    const QDate date = DatePattern::toDate(select.columnDouble(0));
    select.reset();
    return date;
}

int DayBook::pruneEmpty()
{
    db_.awaitWholeFile();
    writePending();
    // A Null in any of the four fields is not "empty": such a row is kept. A row without a
    // date is no day, and not one of the latest.
    Statement& prune = statement(
        QStringLiteral("DELETE FROM calendar WHERE rowid IN (SELECT rowid FROM calendar "
                       "WHERE fecha IS NOT NULL ORDER BY fecha DESC, rowid DESC LIMIT ?1) "
                       "AND length(nota) = 0 AND alarma = 0 AND festivo = 0 AND Color = ?2"));
    prune.bind(1, kPruneWindow);
    prune.bind(2, DayColours::code(DayColours::kNeutral));
    prune.execute();
    // Only days without a note go: the days with a note stay as they are.
    return sqlite3_changes(db_.handle());
}

std::optional<QString> DayBook::stagedNote(const QDate& date) const
{
    return pending_ ? pending_->pendingNote(date) : std::nullopt;
}

void DayBook::writePending(const QDate& first, const QDate& last)
{
    if (!pending_)
        return;
    try {
        pending_->writePending(first, last);
    } catch (const StoreError& error) {
        if (!error.busy())
            throw;
    }
}

bool DayBook::writeNote(const QDate& date, const QString& typed,
                        const std::optional<QString>& listed)
{
    if (!date.isValid())
        return false;
    db_.awaitWholeFile();
    QString note = typed;
    if (listed) {
        // Another program may have written the day since it was listed: its note is not
        // written over, both are kept.
        Statement& read = statement(
            QStringLiteral("SELECT nota FROM calendar WHERE fecha = ?1 ORDER BY rowid LIMIT 1"));
        read.bind(1, keyOf(date));
        if (read.step()) {
            const QString stored = read.column(0).toString();
            if (stored != *listed && stored != note)
                note = TextMerge::merge(*listed, note, stored).text;
        }
        read.reset();
    }
    Statement& update =
        statement(QStringLiteral("UPDATE calendar SET nota = ?2 WHERE rowid = (SELECT rowid "
                                 "FROM calendar WHERE fecha = ?1 ORDER BY rowid LIMIT 1)"));
    update.bind(1, keyOf(date));
    update.bind(2, note);
    update.execute();
    const bool written = sqlite3_changes(db_.handle()) > 0;
    if (written)
        noteWritten(keyOf(date), isNote(note));
    return written;
}
