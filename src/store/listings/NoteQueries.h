#pragma once

#include <QDate>
#include <QString>

// The query texts of the notes listings that are not a selection: every note, and the notes
// of a run of days. Together with the selection's they are the only texts that name the
// store's columns outside the books.
class NoteQueries
{
public:
    NoteQueries() = delete;

    // Every day with a note, earliest first.
    static QString allNotes();
    // The days from first to last, both included, that have a note, earliest first.
    static QString period(const QDate& first, const QDate& last);
};
