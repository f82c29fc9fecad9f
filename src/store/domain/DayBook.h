#pragma once

#include "store/domain/CalendarOccurrence.h"
#include "store/domain/Day.h"
#include "store/sqlite/Statement.h"

#include <QDate>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class Database;
class SeriesBook;

// The days of the calendar by date: reading one day or a run of days, saving a day, the first
// and last stored day, and the start-up tidy-up. Notes typed into the notes list wait there
// until the user leaves their row; any read or write of such a day has the list write its note
// first, so that whatever the user typed last is what the store ends up with.
class DayBook
{
public:
    // What holds notes typed and not yet written (the notes list): asked to write, through
    // writeNote(), those of the days from first to last (every day when both are invalid).
    class PendingNotes
    {
    public:
        virtual void writePending(const QDate& first, const QDate& last) = 0;
        // The note of date still waiting (another program's lock held its write off), if any.
        virtual std::optional<QString> pendingNote(const QDate& date) const = 0;

    protected:
        ~PendingNotes() = default;
    };

    // How many of the latest days start-up looks at for rows that carry nothing.
    static constexpr int kPruneWindow = 60;

    // series: other programs' repeating events, shown beside the days.
    DayBook(Database& db, SeriesBook& series);

    std::optional<Day> find(const QDate& date);
    // The stored days from first to last, both included, in date order.
    std::vector<Day> between(const QDate& first, const QDate& last);
    // What other programs' repeating events on the calendar server put on the days from first
    // to last, in date order: shown beside the days, never part of them (SeriesBook).
    std::vector<CalendarOccurrence> fromCalendar(const QDate& first, const QDate& last);
    // The book that keeps them: the search finds in them too.
    SeriesBook& series() { return series_; }
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

    // The one holder of notes not yet written, or none; a holder that goes takes itself away.
    void setPendingNotes(PendingNotes* holder) { pending_ = holder; }
    PendingNotes* pendingNotes() const { return pending_; }
    // Has the holder write its notes of the days from first to last (every day when both are
    // invalid): before anything else reads or writes them. A note another program's lock holds
    // off stays with its holder, and the read goes on with the day as stored.
    void writePending(const QDate& first = {}, const QDate& last = {});
    // Writes a note typed into the notes list into its day's row; false when the day has no
    // row any more (a note of the list never makes a day). listed: the note the list showed
    // when the user began; when another program has written the day since, the note written is
    // both, the user's and the other's (OutsideWrites::joined).
    bool writeNote(const QDate& date, const QString& note,
                   const std::optional<QString>& listed = std::nullopt);

private:
    Day dayOf(const Statement& row) const;
    std::optional<QString> stagedNote(const QDate& date) const;
    Statement& statement(const QString& sql);
    // A day's note was written by the book: the days with a note follow.
    void noteWritten(double key, bool isNote);
    qint64 dataVersion();

    Database& db_;
    SeriesBook& series_;
    std::map<QString, Statement> statements_; // by SQL text: each compiles once
    PendingNotes* pending_ = nullptr;
    std::shared_ptr<std::vector<double>> noteDays_; // shared with listings: copied to change
    quint64 noteDaysGeneration_ = 0;                // the database's count of outside writes
    qint64 noteDaysVersion_ = 0;                    // SQLite's count of other connections' ones
};
