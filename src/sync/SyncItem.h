#pragma once

#include "store/domain/Day.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>
#include <vector>

// One thing a sync keeps the same here and on the server: a day, known by its date and kept as
// the day's own all-day event; or a notita, known by its identity and kept as a journal entry
// with its text only. Each kind has its name on the server, its body, its reading and its
// merge; the sync itself knows only items.
struct SyncItem
{
    enum class Kind
    {
        Day,
        Notita
    };

    // Which item: its kind and, for a day, its date, for a notita, its identity.
    struct Key
    {
        Kind kind = Kind::Day;
        QDate date;
        QString uid;

        bool operator==(const Key&) const = default;
        bool operator<(const Key& other) const;
        // "el día 05/03/1997", "la notita «…»" (with text, the notita's first line).
        QString shown(const QString& text = {}) const;
    };

    Key key;
    Day day;      // a day's content, as the server keeps it (DayContent::canonical)
    QString text; // a notita's, likewise (NotitaContent::canonical)

    static SyncItem ofDay(const Day& day);
    static SyncItem ofNotita(const QString& uid, const QString& text);
    // The item with nothing in it: a day emptied, a notita deleted.
    static SyncItem emptyOf(const Key& key);

    // Whether it is on the server at all: a day with something to export, a notita with text.
    bool present() const;
    // Same content (the key aside).
    bool sameAs(const SyncItem& other) const;

    // Its name in the calendar's folder: "dia-19970305.ics", "notita-<uuid>.ics".
    QString fileName() const;
    static QString fileNameOf(const Key& key);
    // The calendar text sent for it. Throws SyncError when it cannot be written.
    QByteArray body() const;

    // Put together from both sides' changes since base (none: both new); an emptied item is a
    // deletion, which an edit on the other side beats. joined: both changed the same part and
    // both versions stand (the notes' texts), or a mark both changed took the server's.
    static SyncItem merge(const std::optional<SyncItem>& base, const SyncItem& local,
                          const SyncItem& remote, bool* joined = nullptr);
    // Another program's content brought into an item: its text joins the note unless the note
    // holds it, and a mark it sets is set.
    static SyncItem bringInto(const SyncItem& local, const QString& text, bool holiday,
                              const std::optional<DayColour>& colour = {},
                              const std::optional<QTime>& alarm = {});

    // What a body on the server is.
    struct Read;
    // Throws SyncError naming where when the body is no calendar text.
    static Read read(const QByteArray& body, const QString& where);
};

struct SyncItem::Read
{
    enum class What
    {
        Item,    // one of ours: item says which and what it holds
        Foreign, // another program's event: dates, text, holiday, recurring say what
        Other    // nothing a sync takes (a task, another program's journal entry, an event
                 // without a day or a text)
    } what = What::Other;
    SyncItem item;
    std::vector<QDate> dates;
    QString text;
    bool holiday = false;
    bool recurring = false;
    QByteArray body; // a recurring one's, from which its occurrences are read (ForeignSeries)
};
