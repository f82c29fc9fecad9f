#pragma once

#include "store/domain/Day.h"
#include "store/sqlite/Statement.h"

#include <QDate>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class Database;

// The days of the calendar by date: reading one day or a run of days, saving a day, the first
// and last stored day, and the start-up tidy-up. Notes typed into the notes list wait here
// until the user leaves their row; any read or write of such a day writes its note first, so
// that whatever the user typed last is what the store ends up with.
class DayBook
{
public:
    // How many of the latest days start-up looks at for rows that carry nothing.
    static constexpr int kPruneWindow = 60;

    explicit DayBook(Database& db);

    std::optional<Day> find(const QDate& date);
    // The stored days from first to last, both included, in date order.
    std::vector<Day> between(const QDate& first, const QDate& last);
    // Writes the day, adding it when it has no row. Its alarm time is written only while its
    // alarm is on, and its colour only when it has one; otherwise the stored ones stay.
    void save(const Day& day);
    // Adds a day the caller knows has no row (an import that has read the days around it),
    // written as save() would write it, without first looking for its row: many new days at
    // once cost one INSERT each. A day that has a row would get a second one (a store made by
    // tarvelo-db refuses it: its index is unique).
    void add(const Day& day);
    // The days that have a note, earliest first: the days of "Ver notas". Read once and then
    // kept in step with the book's own writes; read again when anything else wrote the days.
    std::shared_ptr<const std::vector<double>> noteDays();
    // A note counts as one when the store's len() of it is more than 0.
    static bool isNote(const QString& note) { return !note.isEmpty() && note.at(0) != QChar(0); }

    std::optional<QDate> first();
    std::optional<QDate> last();
    // Deletes, among the latest kPruneWindow days, those that carry nothing; returns how many.
    int pruneEmpty();

    // A note edited in the notes list and not yet written. listed: the note the list showed
    // when the user began; when another program has written the day since, the note written is
    // both, the user's and the other's (OutsideWrites::joined).
    void stageNote(const QDate& date, const QString& note,
                   const std::optional<QString>& listed = std::nullopt);
    std::optional<QString> stagedNote(const QDate& date) const;
    bool hasStagedNotes() const { return !staged_.empty(); }
    // Writes the staged note of date (if any); false when the day has no row any more. A note
    // that another program's lock holds off stays staged.
    bool commitStaged(const QDate& date);
    void commitAllStaged();

private:
    struct Staged
    {
        QString note;
        std::optional<QString> listed;
    };

    Day dayOf(const Statement& row) const;
    // A read writes the staged note first; when another program's lock holds the write off,
    // the read goes on and shows the staged note.
    void commitStagedForRead(const QDate& date);
    void commitStagedBetween(const QDate& first, const QDate& last);
    Statement& statement(const QString& sql);
    // A day's note was written by the book: the days with a note follow.
    void noteWritten(double key, bool isNote);
    qint64 dataVersion();

    Database& db_;
    std::map<QString, Statement> statements_; // by SQL text: each compiles once
    std::map<QDate, Staged> staged_;
    std::shared_ptr<std::vector<double>> noteDays_; // shared with listings: copied to change
    quint64 noteDaysGeneration_ = 0;                // the database's count of outside writes
    qint64 noteDaysVersion_ = 0;                    // SQLite's count of other connections' ones
};
