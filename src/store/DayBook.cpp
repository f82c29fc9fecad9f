#include "store/DayBook.h"

#include "store/Database.h"
#include "store/DatePattern.h"

#include <QRegularExpression>

#include <sqlite3.h>

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
    if (value.isNull() || !number || !std::isfinite(time))
        return std::nullopt;
    const QTime result(DatePattern::hour(time), DatePattern::minute(time),
                       DatePattern::second(time));
    return result.isValid() ? std::optional<QTime>(result) : std::nullopt;
}

double keyOf(const QDate& date)
{
    return DatePattern::fromDate(date);
}

} // namespace

DayBook::DayBook(Database& db) : db_(db) {}

Statement& DayBook::statement(const QString& sql)
{
    auto it = statements_.find(sql);
    if (it == statements_.end()) {
        // Another program may have given the table a field called rowid; the row number is
        // then reached by another of its names.
        QString text = sql;
        text.replace(QRegularExpression(QStringLiteral("\\browid\\b")),
                     db_.rowidName(QStringLiteral("calendar")));
        it = statements_.emplace(sql, db_.prepare(text)).first;
    }
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
    commitStaged(date);
    // Of two rows for one day (a store edited by another program), the older one is the day.
    Statement& select = statement(QStringLiteral("SELECT %1 FROM calendar WHERE fecha = ?1 "
                                                 "ORDER BY rowid LIMIT 1")
                                      .arg(kFields));
    select.bind(1, keyOf(date));
    if (!select.step())
        return std::nullopt;
    Day day = dayOf(select);
    select.reset();
    return day;
}

std::vector<Day> DayBook::between(const QDate& first, const QDate& last)
{
    std::vector<Day> days;
    if (!first.isValid() || !last.isValid())
        return days;
    commitStagedBetween(first, last);
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
        days.push_back(std::move(day));
    }
    return days;
}

void DayBook::save(const Day& day)
{
    if (!day.date.isValid())
        return;
    commitStaged(day.date);

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
    db_.noteWrite();
    if (sqlite3_changes(db_.handle()) > 0)
        return;

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
    db_.noteWrite();
}

void DayBook::add(const Day& day)
{
    if (!day.date.isValid())
        return;
    commitStaged(day.date);
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
    db_.noteWrite();
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
    commitAllStaged();
    // A Null in any of the four fields is not "empty": such a row is kept. A row without a
    // date is no day, and not one of the latest.
    Statement& prune = statement(
        QStringLiteral("DELETE FROM calendar WHERE rowid IN (SELECT rowid FROM calendar "
                       "WHERE fecha IS NOT NULL ORDER BY fecha DESC, rowid DESC LIMIT ?1) "
                       "AND length(nota) = 0 AND alarma = 0 AND festivo = 0 AND Color = ?2"));
    prune.bind(1, kPruneWindow);
    prune.bind(2, DayColours::code(DayColours::kNeutral));
    prune.execute();
    const int deleted = sqlite3_changes(db_.handle());
    if (deleted > 0)
        db_.noteWrite();
    return deleted;
}

void DayBook::stageNote(const QDate& date, const QString& note)
{
    if (date.isValid())
        staged_[date] = note;
}

std::optional<QString> DayBook::stagedNote(const QDate& date) const
{
    const auto it = staged_.find(date);
    return it == staged_.end() ? std::nullopt : std::optional<QString>(it->second);
}

bool DayBook::commitStaged(const QDate& date)
{
    const auto it = staged_.find(date);
    if (it == staged_.end())
        return true;
    // Copied before the entry goes: date may be the entry's own key.
    const QDate day = it->first;
    const QString note = it->second;
    // Taken off first: a failing write is reported once, not again by every later read.
    staged_.erase(it);
    Statement& update =
        statement(QStringLiteral("UPDATE calendar SET nota = ?2 WHERE rowid = (SELECT rowid "
                                 "FROM calendar WHERE fecha = ?1 ORDER BY rowid LIMIT 1)"));
    update.bind(1, keyOf(day));
    update.bind(2, note);
    update.execute();
    db_.noteWrite();
    return sqlite3_changes(db_.handle()) > 0;
}

void DayBook::commitStagedBetween(const QDate& first, const QDate& last)
{
    while (!staged_.empty()) {
        const auto it = staged_.lower_bound(first);
        if (it == staged_.end() || it->first > last)
            return;
        commitStaged(it->first);
    }
}

void DayBook::commitAllStaged()
{
    while (!staged_.empty())
        commitStaged(staged_.begin()->first);
}
