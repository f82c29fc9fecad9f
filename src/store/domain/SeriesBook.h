#pragma once

#include "store/domain/CalendarOccurrence.h"
#include "store/domain/ListingRequest.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>
#include <vector>

class Database;

// Other programs' repeating events on the calendar server, as the sync keeps them beside the
// days without ever taking them in: each event's body (so that its days can be read again as
// the years go by without the other program changing it) and the days it occurs on, with what
// it shows there. The sync writes them in its own transaction; the month, the day editor, the
// notes list and the search read them. The tables are made when the sync first meets such an
// event: a store that never syncs, or syncs with a calendar without one, never gets them, and
// reading then costs one look at the store's list of tables.
class SeriesBook
{
public:
    // One repeating event: where it is on the server, its body as last read, and the last day
    // its occurrences were read through.
    struct Series
    {
        QString href;
        QByteArray body;
        QDate through;
    };

    explicit SeriesBook(Database& db);

    // Whether the store keeps occurrences at all; looking makes nothing.
    bool present();

    // The occurrences from first to last, both included, in date order (those of one day in
    // the order they were kept); none without the tables.
    std::vector<CalendarOccurrence> between(const QDate& first, const QDate& last);
    // Those a listing of the notes panel shows beside the days it lists: of every note or a
    // period, the occurrences with a text; of a selection, those in its range that match its
    // holiday mark and its word (a colour asked leaves them all out: they have none).
    std::vector<CalendarOccurrence> listed(const ListingRequest& request);

    // The sync's side, inside its transaction; each throws StoreError.
    // The event and its occurrences in place of whatever was kept of its href; makes the
    // tables when they are not there.
    void replace(const Series& series, const std::vector<CalendarOccurrence>& occurrences);
    // What was kept of href, or of every event (the calendar changed); nothing is made.
    void remove(const QString& href);
    void removeAll();
    // The events whose occurrences were read through a day before through.
    std::vector<Series> keptBefore(const QDate& through);

    // The table of the occurrences, for the search's own query.
    static constexpr const char* kOccurrences = "SincroRepeticion";

private:
    void make();
    std::vector<CalendarOccurrence> read(const QString& sql,
                                         const std::vector<QVariant>& values = {});

    Database& db_;
    bool present_ = false; // once there, the tables stay
};
