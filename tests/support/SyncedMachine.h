#pragma once

#include "MemoryCalendar.h"
#include "TestStore.h"
#include "store/domain/DayBook.h"
#include "store/domain/NotitaBook.h"
#include "sync/CalendarSync.h"
#include "sync/NotitaContent.h"
#include "sync/SyncItem.h"

#include <QUrl>

#include <limits>
#include <map>

// One machine with Tarvelo syncing with an in-memory calendar: a store of its own in a temporary
// folder, set up on the calendar as a set-up would leave it, without a server to ask.
struct SyncedMachine
{
    explicit SyncedMachine(MemoryCalendar& on, bool journals = true) : calendar(on)
    {
        setUp(journals);
    }

    // As a set-up does; fresh: the calendar was made now (nothing recorded holds).
    void setUp(bool journals = true, bool fresh = true)
    {
        const QUrl server(QStringLiteral("https://memoria/"));
        const QUrl url(QStringLiteral("https://memoria/cal/"));
        CalendarSync::keep(*store.store, {server, QStringLiteral("usuario"), url},
                           {url, CalendarSync::kCalendarName, calendar.listsChanges(), journals},
                           fresh);
    }
    SyncReport sync(CalendarSync::WhenEmptied whenEmptied = CalendarSync::WhenEmptied::Refuse)
    {
        return CalendarSync(*store.store, calendar).run(whenEmptied);
    }

    DayBook& days() { return store.store->days(); }
    NotitaBook& notitaBook() { return store.store->notitas(); }

    Day day(const QDate& date)
    {
        Day day = days().find(date).value_or(Day{});
        day.date = date;
        return day;
    }
    QString note(const QDate& date) { return day(date).note; }
    // The day with this note, its marks kept; an empty note empties the day.
    void write(const QDate& date, const QString& note)
    {
        Day d = day(date);
        d.note = note;
        if (note.isEmpty()) {
            d.holiday = false;
            d.alarmOn = false;
            d.colour = DayColours::kNeutral;
        }
        days().save(d);
    }

    // A new notita with text; returns its identity.
    QString addNotita(const QString& text)
    {
        const qint64 row = notitaBook().add();
        notitaBook().saveText(row, text);
        return notitaBook().identities().at(row);
    }
    // The notita's text changed; an empty text deletes it. False when it is not here.
    bool writeNotita(const QString& uid, const QString& text)
    {
        for (const auto& [row, id] : notitaBook().identities()) {
            if (id != uid)
                continue;
            return text.isEmpty() ? notitaBook().remove(row) : notitaBook().saveText(row, text);
        }
        return false;
    }
    // The notitas' texts by identity.
    std::map<QString, QString> notitas()
    {
        std::map<QString, QString> texts;
        const std::map<qint64, QString> uids = notitaBook().identities();
        for (const Notita& notita : notitaBook().first(std::numeric_limits<int>::max()))
            texts.emplace(uids.at(notita.row), notita.text);
        return texts;
    }

    // Everything here that a sync carries, as the server keeps it: what two machines in step
    // hold alike.
    std::map<SyncItem::Key, SyncItem> items(bool withNotitas = true)
    {
        std::map<SyncItem::Key, SyncItem> all;
        const std::optional<QDate> first = days().first();
        const std::optional<QDate> last = days().last();
        if (first && last) {
            for (const Day& d : days().between(*first, *last)) {
                const SyncItem item = SyncItem::ofDay(d);
                if (item.present())
                    all.emplace(item.key, item);
            }
        }
        if (withNotitas) {
            for (const auto& [uid, text] : notitas()) {
                const SyncItem item = SyncItem::ofNotita(uid, text);
                if (item.present())
                    all.emplace(item.key, item);
            }
        }
        return all;
    }

    MemoryCalendar& calendar;
    TestStore store;
};

// What another program (the phone) writes to the calendar: a day's own event, another
// program's all-day event over days days, a notita's journal entry.
namespace Phone {

inline QString ownName(const QDate& date)
{
    return QStringLiteral("/cal/") + SyncItem::fileNameOf({SyncItem::Kind::Day, date, {}});
}
inline QByteArray ownEvent(const QDate& date, const QString& note, bool holiday = false)
{
    Day day;
    day.date = date;
    day.note = note;
    day.holiday = holiday;
    return SyncItem::ofDay(day).body();
}
inline QByteArray foreignEvent(const QString& uid, const QDate& date, const QString& summary,
                               int days = 1)
{
    const QString format = QStringLiteral("yyyyMMdd");
    return QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Movil//ES\r\n"
                          "BEGIN:VEVENT\r\nUID:%1\r\nDTSTAMP:20270101T000000Z\r\n"
                          "DTSTART;VALUE=DATE:%2\r\nDTEND;VALUE=DATE:%3\r\nSUMMARY:%4\r\n"
                          "END:VEVENT\r\nEND:VCALENDAR\r\n")
        .arg(uid, date.toString(format), date.addDays(days).toString(format), summary)
        .toUtf8();
}
inline QString journalName(const QString& uid)
{
    return QStringLiteral("/cal/") + NotitaContent::fileName(uid);
}
inline QByteArray journal(const QString& uid, const QString& text)
{
    return NotitaContent::body(uid, text);
}

} // namespace Phone
