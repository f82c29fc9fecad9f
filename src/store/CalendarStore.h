#pragma once

#include "store/Database.h"
#include "store/Listing.h"
#include "store/TableCursor.h"

#include <QString>

#include <memory>

// The open store and the handles every part of the program shares, held from start-up until
// the program ends: the database, the day cursor, the listing and the notita cursor.
class CalendarStore
{
public:
    static constexpr const char* kFileName = "calendar.mdb";
    // The query of the notes panel before any listing has run: every day with a note.
    static QString allNotesQuery();

    // Opens calendar.mdb in folder; never creates it. Throws StoreError.
    static std::unique_ptr<CalendarStore> open(const QString& folder);
    static QString pathIn(const QString& folder);

    // Replaces rsLista by the result of a query text.
    void runListing(const QString& query);

    // Writes a day's note from the notes list, without moving rsCalendar (a search goes on
    // from where it stood). Returns false when the day has no row any more.
    bool writeNote(double fecha, const QString& nota);

    std::unique_ptr<Database> dbCalendar;
    TableCursor rsCalendar; // index "Fecha": one row per day, in day order
    Listing rsLista;
    TableCursor rsNota; // table order: a new notita comes last

private:
    explicit CalendarStore(std::unique_ptr<Database> db);
};
