#include "sync/CalendarSync.h"

#include "store/CalendarStore.h"
#include "store/domain/SyncBook.h"
#include "store/sqlite/Transaction.h"
#include "sync/CalDavServer.h"
#include "sync/DavClient.h"
#include "sync/DayContent.h"
#include "sync/NotitaContent.h"
#include "sync/SyncError.h"
#include "sync/ThreeWayMerge.h"

#include <QSet>

#include <limits>
#include <map>

namespace {

const QString kServer = QStringLiteral("servidor");
const QString kUser = QStringLiteral("usuario");
const QString kCalendar = QStringLiteral("calendario");
const QString kToken = QStringLiteral("marca");
const QString kSyncCollection = QStringLiteral("sync-collection");
const QString kJournals = QStringLiteral("diario");
const QString kCalendarName = QStringLiteral("Tarvelo");

// How often one write is read, merged and tried again before the sync gives up on the server.
constexpr int kConflictRounds = 3;

Day emptyDay(const QDate& date)
{
    Day day;
    day.date = date;
    return DayContent::canonical(day);
}

QString dayShown(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// The days of the store, as the server would keep them, by date.
std::map<QDate, Day> storedDays(CalendarStore& store)
{
    std::map<QDate, Day> days;
    DayBook& book = store.days();
    const std::optional<QDate> first = book.first();
    const std::optional<QDate> last = book.last();
    if (!first || !last)
        return days;
    for (const Day& day : book.between(*first, *last))
        days.emplace(day.date, day);
    return days;
}

// A day as the server would keep it, empty when nothing is stored.
Day localIn(const std::map<QDate, Day>& days, const QDate& date)
{
    const auto it = days.find(date);
    return it == days.end() ? emptyDay(date) : DayContent::canonical(it->second);
}

// The stored day, or a day with no row.
Day storedIn(const std::map<QDate, Day>& days, const QDate& date)
{
    const auto it = days.find(date);
    if (it != days.end())
        return it->second;
    Day day;
    day.date = date;
    return day;
}

// Writes a merged day over the stored one: the parts the server does not carry (an alarm's
// time while it is off) stay as they were.
Day saveDay(CalendarStore& store, const Day& stored, const Day& merged)
{
    Day day = stored;
    day.date = merged.date;
    day.note = merged.note;
    day.holiday = merged.holiday;
    day.alarmOn = merged.alarmOn;
    if (merged.alarmOn)
        day.alarmTime = merged.alarmTime;
    day.colour = merged.colour;
    store.days().save(day);
    return day;
}

// One write planned for the upload.
struct Write
{
    enum Kind
    {
        Put,
        Delete,
        DeleteForeign,
        PutNotita,
        DeleteNotita
    } kind;
    QString href;
    QByteArray etag; // empty: a new event (If-None-Match: *)
    QDate date;
    Day content; // Put: the day sent
    Day stored;  // the stored day it came from
    std::optional<Day> base;
    // A notita's entry: its identity, the text sent and the text last sent or read.
    QString uid;
    QString text;
    std::optional<QString> baseText;

    bool notita() const { return kind == PutNotita || kind == DeleteNotita; }
};

// The notitas here by identity, with their texts as the server would keep them.
struct LocalNotita
{
    qint64 row = 0;
    QString text;
};
std::map<QString, LocalNotita> notitasByUid(CalendarStore& store)
{
    NotitaBook& book = store.notitas();
    std::vector<Notita> notitas = book.first(std::numeric_limits<int>::max());
    std::map<QString, LocalNotita> byUid;
    if (notitas.empty())
        return byUid;
    const std::map<qint64, QString> uids = book.identities();
    for (const Notita& notita : notitas) {
        const auto uid = uids.find(notita.row);
        if (uid != uids.end())
            byUid.emplace(uid->second,
                          LocalNotita{notita.row, NotitaContent::canonical(notita.text)});
    }
    return byUid;
}

// The writes that bring the server's entries up to the notitas here: each one new, changed or
// emptied since it was last sent or read, and each one deleted here.
std::vector<Write> plannedNotitas(const std::map<QString, LocalNotita>& notitas,
                                  const std::vector<SyncBook::Journal>& records,
                                  const QString& folder)
{
    std::vector<Write> writes;
    std::map<QString, const SyncBook::Journal*> byUid;
    for (const SyncBook::Journal& record : records)
        byUid.emplace(record.uid, &record);
    const auto write = [](Write::Kind kind, const QString& href, const QString& etag,
                          const QString& uid, const QString& text, std::optional<QString> base) {
        Write w{kind, href, etag.toUtf8(), {}, {}, {}, std::nullopt, uid, text, std::move(base)};
        return w;
    };
    for (const auto& [uid, notita] : notitas) {
        const auto record = byUid.find(uid);
        if (record == byUid.end()) {
            if (!notita.text.isEmpty()) {
                writes.push_back(write(Write::PutNotita, folder + NotitaContent::fileName(uid), {},
                                       uid, notita.text, std::nullopt));
            }
        } else if (notita.text != record->second->text) {
            writes.push_back(write(notita.text.isEmpty() ? Write::DeleteNotita : Write::PutNotita,
                                   record->second->href, record->second->etag, uid, notita.text,
                                   record->second->text));
        }
    }
    for (const SyncBook::Journal& record : records) {
        if (!notitas.count(record.uid)) {
            writes.push_back(
                write(Write::DeleteNotita, record.href, record.etag, record.uid, {}, record.text));
        }
    }
    return writes;
}

// Where a notita made on another machine first stands here: one beside the other, from the
// top left, until the user moves it (in twips).
constexpr double kNewNotitaPlace = 720;
constexpr double kNewNotitaStep = 360;

// What was last sent or read, by the day it carries.
std::map<QDate, SyncBook::Event> recordsByDate(SyncBook& book)
{
    std::map<QDate, SyncBook::Event> byDate;
    for (SyncBook::Event& event : book.events()) {
        if (event.date.isValid())
            byDate.emplace(event.date, std::move(event));
    }
    return byDate;
}

// The writes that bring the server up to the days here: each day new since it was last sent
// or read, changed, or emptied.
std::vector<Write> planned(const std::map<QDate, Day>& days,
                           const std::map<QDate, SyncBook::Event>& byDate, const QString& folder)
{
    std::vector<Write> writes;
    const auto plan = [&](const QDate& date) {
        const Day local = localIn(days, date);
        const auto record = byDate.find(date);
        if (record == byDate.end()) {
            if (DayContent::isEvent(local)) {
                writes.push_back({Write::Put,
                                  folder + DayContent::fileName(date),
                                  {},
                                  date,
                                  local,
                                  storedIn(days, date),
                                  std::nullopt,
                                  {},
                                  {},
                                  std::nullopt});
            }
            return;
        }
        const SyncBook::Event& event = record->second;
        if (local == event.base)
            return;
        writes.push_back({DayContent::isEvent(local) ? Write::Put : Write::Delete,
                          event.href,
                          event.etag.toUtf8(),
                          date,
                          local,
                          storedIn(days, date),
                          event.base,
                          {},
                          {},
                          std::nullopt});
    };
    for (const auto& [date, day] : days)
        plan(date);
    for (const auto& [date, event] : byDate) {
        if (!days.count(date))
            plan(date);
    }
    return writes;
}

} // namespace

std::optional<CalendarSync::Account> CalendarSync::account(CalendarStore& store)
{
    if (!SyncBook::exists(store.database()))
        return std::nullopt;
    SyncBook book(store.database());
    const std::optional<QString> server = book.setting(kServer);
    const std::optional<QString> calendar = book.setting(kCalendar);
    if (!server || !calendar)
        return std::nullopt;
    return Account{QUrl(*server), book.setting(kUser).value_or(QString()), QUrl(*calendar)};
}

QUrl CalendarSync::setUp(CalendarStore& store, DavClient& client, const QUrl& server,
                         const QString& user, const QUrl& chosen)
{
    CalDavServer dav(client);
    const QUrl home = dav.home(server);
    QUrl calendar;
    for (const CalDavServer::Calendar& c : dav.calendars(home)) {
        const bool wanted = chosen.isEmpty()
                                ? c.name.compare(kCalendarName, Qt::CaseInsensitive) == 0
                                : c.url.path() == chosen.path();
        if (wanted && c.takesEvents) {
            calendar = c.url;
            break;
        }
    }
    if (calendar.isEmpty() && !chosen.isEmpty()) {
        throw SyncError(QStringLiteral("El servidor «%1» ya no tiene el calendario «%2», o no "
                                       "admite eventos en él.")
                            .arg(client.host(), chosen.toString(QUrl::RemoveUserInfo)));
    }
    if (calendar.isEmpty())
        calendar = dav.create(home, kCalendarName);
    const bool syncCollection = dav.offersSyncCollection(calendar);
    const bool journals = dav.takesJournals(calendar);

    SyncBook book(store.database());
    Transaction transaction(store.database());
    const QString address = calendar.toString(QUrl::RemoveUserInfo);
    if (book.setting(kCalendar).value_or(QString()) != address) {
        book.forgetAll();
        book.removeSetting(kToken);
    }
    book.setSetting(kServer, server.toString(QUrl::RemoveUserInfo));
    book.setSetting(kUser, user);
    book.setSetting(kCalendar, address);
    book.setSetting(kSyncCollection, syncCollection ? QStringLiteral("1") : QStringLiteral("0"));
    book.setSetting(kJournals, journals ? QStringLiteral("1") : QStringLiteral("0"));
    transaction.commit();
    return calendar;
}

int CalendarSync::pending(CalendarStore& store)
{
    if (!SyncBook::exists(store.database()))
        return 0;
    SyncBook book(store.database());
    if (!book.setting(kCalendar))
        return 0;
    const int days = int(planned(storedDays(store), recordsByDate(book), QString()).size());
    if (book.setting(kJournals) == QLatin1String("0"))
        return days;
    return days + int(plannedNotitas(notitasByUid(store), book.journals(), QString()).size());
}

int CalendarSync::othersEvents(DavClient& client, const QUrl& calendar)
{
    CalDavServer dav(client);
    const CalDavServer::Listing listing = dav.list(calendar, QString(), false);
    std::vector<QString> hrefs;
    hrefs.reserve(listing.present.size());
    for (const CalDavServer::Listing::Entry& entry : listing.present)
        hrefs.push_back(entry.href);
    int others = 0;
    for (const CalDavServer::Event& event : dav.fetch(calendar, hrefs)) {
        const DayContent::Read read = DayContent::read(event.body, event.href);
        if (!read.ours && !read.dates.empty() && (!read.text.isEmpty() || read.holiday))
            ++others;
    }
    return others;
}

SyncReport CalendarSync::run()
{
    SyncReport report;
    Database& db = store_.database();
    SyncBook book(db);
    const std::optional<QString> calendarText = book.setting(kCalendar);
    if (!calendarText) {
        throw SyncError(QStringLiteral("Este calendario aún no tiene servidor: configúrelo "
                                       "primero (tarvelo-db sync-setup)."));
    }
    const QUrl calendar(*calendarText);
    if (!client_.sameServer(calendar)) {
        throw SyncError(QStringLiteral("El calendario «%1» no está en el servidor «%2».")
                            .arg(calendar.toString(), client_.host()));
    }
    CalDavServer dav(client_);

    // What changed on the server, read whole before anything is stored.
    const QString token = book.setting(kToken).value_or(QString());
    const bool syncCollection = book.setting(kSyncCollection) == QLatin1String("1");
    // Set up before notitas travelled: asked once.
    const std::optional<QString> journalsSetting = book.setting(kJournals);
    const bool journals =
        journalsSetting ? *journalsSetting == QLatin1String("1") : dav.takesJournals(calendar);
    const CalDavServer::Listing listing = dav.list(calendar, token, syncCollection);

    std::map<QString, SyncBook::Event> records;
    for (SyncBook::Event& event : book.events())
        records.emplace(event.href, std::move(event));
    std::map<QString, SyncBook::Journal> journalRecords;
    for (SyncBook::Journal& journal : book.journals())
        journalRecords.emplace(journal.href, std::move(journal));
    const auto recordedEtag = [&](const QString& href) -> std::optional<QString> {
        if (const auto it = records.find(href); it != records.end())
            return it->second.etag;
        if (const auto it = journalRecords.find(href); it != journalRecords.end())
            return it->second.etag;
        return std::nullopt;
    };
    std::vector<QString> changed;
    QSet<QString> present;
    for (const CalDavServer::Listing::Entry& entry : listing.present) {
        present.insert(entry.href);
        const std::optional<QString> etag = recordedEtag(entry.href);
        if (!etag || etag->toUtf8() != entry.etag)
            changed.push_back(entry.href);
    }
    std::vector<QString> removed = listing.removed;
    if (listing.complete) {
        for (const auto& [href, record] : records) {
            if (!present.contains(href))
                removed.push_back(href);
        }
        for (const auto& [href, record] : journalRecords) {
            if (!present.contains(href))
                removed.push_back(href);
        }
    }
    const std::vector<CalDavServer::Event> fetched = dav.fetch(calendar, changed);
    struct Fetched
    {
        const CalDavServer::Event* event;
        DayContent::Read day;
        std::optional<NotitaContent::Read> notita;
    };
    std::vector<Fetched> reads;
    for (const CalDavServer::Event& event : fetched) {
        Fetched read{&event, DayContent::read(event.body, event.href), std::nullopt};
        if (!read.day.ours && read.day.dates.empty())
            read.notita = NotitaContent::read(event.body, event.href);
        reads.push_back(std::move(read));
    }

    std::map<QDate, Day> days = storedDays(store_);
    const auto localOf = [&days](const QDate& date) { return localIn(days, date); };
    const auto storedOf = [&days](const QDate& date) { return storedIn(days, date); };
    // Every notita has its identity before the server's entries are matched with them.
    std::map<QString, LocalNotita> notitas = notitasByUid(store_);
    NotitaBook& notitaBook = store_.notitas();

    std::vector<Write> foreign;
    {
        Transaction transaction(db);
        for (const Fetched& fetchedRead : reads) {
            const CalDavServer::Event* event = fetchedRead.event;
            const DayContent::Read& read = fetchedRead.day;
            if (read.ours) {
                const QDate date = read.day.date;
                const auto record = records.find(event->href);
                std::optional<Day> base;
                if (record != records.end())
                    base = record->second.base;
                const Day local = localOf(date);
                const ThreeWayMerge::Result merged = ThreeWayMerge::merge(base, local, read.day);
                if (merged.day != local) {
                    days[date] = saveDay(store_, storedOf(date), merged.day);
                    ++report.received;
                }
                report.joined += merged.joined ? 1 : 0;
                book.record({event->href, QString::fromUtf8(event->etag), date, read.day});
            } else if (!read.dates.empty() && (!read.text.isEmpty() || read.holiday)) {
                // Another program's event in this calendar: its days take it in, and the days'
                // own events replace it. One that repeats beyond them stays, recorded as read.
                for (const QDate& date : read.dates) {
                    Day day = storedOf(date);
                    day.note = ThreeWayMerge::join(day.note, read.text);
                    day.holiday = day.holiday || read.holiday;
                    if (!day.colour)
                        day.colour = DayColours::kNeutral;
                    store_.days().save(day);
                    days[date] = day;
                }
                ++report.broughtIn;
                if (read.recurring) {
                    book.record({event->href, QString::fromUtf8(event->etag), QDate(), Day{}});
                } else {
                    foreign.push_back({Write::DeleteForeign,
                                       event->href,
                                       event->etag,
                                       read.dates.front(),
                                       {},
                                       {},
                                       std::nullopt,
                                       {},
                                       {},
                                       std::nullopt});
                }
            } else if (fetchedRead.notita) {
                // A notita's entry, changed on the server or made on another machine.
                const NotitaContent::Read& entry = *fetchedRead.notita;
                const auto record = journalRecords.find(event->href);
                const std::optional<QString> base = record != journalRecords.end()
                                                        ? std::optional(record->second.text)
                                                        : std::nullopt;
                const auto local = notitas.find(entry.uid);
                if (local != notitas.end()) {
                    const ThreeWayMerge::TextResult merged =
                        ThreeWayMerge::mergeText(base, local->second.text, entry.text);
                    if (merged.text != local->second.text) {
                        notitaBook.saveText(local->second.row, merged.text);
                        local->second.text = merged.text;
                        ++report.notitasReceived;
                    }
                    report.notitasJoined += merged.joined ? 1 : 0;
                } else if (!entry.text.isEmpty()) {
                    // New here, or deleted here and edited there since: the edit stands.
                    const double place =
                        kNewNotitaPlace + kNewNotitaStep * double(notitas.size() % 10);
                    const qint64 row = notitaBook.addKnown(entry.uid, entry.text, place, place);
                    notitas.emplace(entry.uid, LocalNotita{row, entry.text});
                    ++report.notitasReceived;
                }
                const SyncBook::Journal journal{event->href, QString::fromUtf8(event->etag),
                                                entry.uid, entry.text};
                book.record(journal);
                journalRecords[event->href] = journal;
            }
        }
        for (const QString& href : removed) {
            if (const auto journal = journalRecords.find(href); journal != journalRecords.end()) {
                const auto local = notitas.find(journal->second.uid);
                if (local != notitas.end() && local->second.text == journal->second.text) {
                    // Deleted on the server and unchanged here: it goes here too.
                    notitaBook.remove(local->second.row);
                    notitas.erase(local);
                    ++report.notitasDeletedHere;
                }
                // Changed here since: the edit goes up again as a new entry.
                book.forgetJournal(href);
                journalRecords.erase(journal);
                continue;
            }
            const auto record = records.find(href);
            if (record == records.end())
                continue;
            const QDate date = record->second.date;
            if (date.isValid() && localOf(date) == record->second.base &&
                DayContent::isEvent(record->second.base)) {
                // Deleted on the server and unchanged here: the day is emptied.
                days[date] = saveDay(store_, storedOf(date), emptyDay(date));
                ++report.deletedHere;
            }
            // Changed here since: the edit goes up again as a new event.
            book.forget(href);
        }
        if (!listing.token.isEmpty())
            book.setSetting(kToken, listing.token);
        if (!journalsSetting)
            book.setSetting(kJournals, journals ? QStringLiteral("1") : QStringLiteral("0"));
        transaction.commit();
    }

    // What changed here since it was last sent or read.
    const QString folder = calendar.path(QUrl::FullyDecoded);
    std::vector<Write> writes = planned(days, recordsByDate(book), folder);
    writes.insert(writes.end(), foreign.begin(), foreign.end());
    if (journals) {
        const std::vector<Write> notitaWrites = plannedNotitas(notitas, book.journals(), folder);
        writes.insert(writes.end(), notitaWrites.begin(), notitaWrites.end());
    }
    const int total = int(writes.size());
    int answeredSoFar = 0;
    if (progress_)
        progress_(0, total);

    const auto requestOf = [&](const Write& write) {
        DavRequest request;
        request.url = dav.at(calendar, write.href);
        if (write.kind == Write::Put || write.kind == Write::PutNotita) {
            request.verb = "PUT";
            request.body = write.kind == Write::Put ? DayContent::body(write.stored)
                                                    : NotitaContent::body(write.uid, write.text);
            request.headers.append(
                qMakePair(QByteArray("Content-Type"), QByteArray("text/calendar; charset=utf-8")));
        } else {
            request.verb = "DELETE";
        }
        if (write.etag.isEmpty())
            request.headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
        else
            request.headers.append(qMakePair(QByteArray("If-Match"), write.etag));
        return request;
    };

    // Answers wait here until a batch of them is written in one transaction.
    std::vector<SyncBook::Event> toRecord;
    std::vector<QString> toForget;
    std::vector<SyncBook::Journal> journalsToRecord;
    std::vector<QString> journalsToForget;
    // A calendar that refused journal entries is not sent them again.
    bool journalsRefused = false;
    const auto flush = [&] {
        if (toRecord.empty() && toForget.empty() && journalsToRecord.empty() &&
            journalsToForget.empty() && !journalsRefused)
            return;
        Transaction transaction(db);
        if (journalsRefused)
            book.setSetting(kJournals, QStringLiteral("0"));
        for (const SyncBook::Event& event : toRecord)
            book.record(event);
        for (const QString& href : toForget)
            book.forget(href);
        for (const SyncBook::Journal& journal : journalsToRecord)
            book.record(journal);
        for (const QString& href : journalsToForget)
            book.forgetJournal(href);
        transaction.commit();
        toRecord.clear();
        toForget.clear();
        journalsToRecord.clear();
        journalsToForget.clear();
    };
    const auto what = [](const Write& write) {
        const QString text = write.text.isEmpty() ? write.baseText.value_or(QString()) : write.text;
        return write.notita() ? QStringLiteral("la notita «%1»").arg(text.section(u'\n', 0, 0))
                              : QStringLiteral("el día %1").arg(dayShown(write.date));
    };
    std::vector<Write> stale;
    const auto answered = [&](const Write& write, const DavReply& reply) {
        const int status = reply.status;
        if (status == 412) {
            stale.push_back(write);
            return;
        }
        if (write.kind == Write::PutNotita && write.etag.isEmpty() &&
            (status == 403 || status == 415 || status == 501)) {
            // A calendar that said nothing of journal entries and refuses them: the notitas
            // stay each machine's own, and the days go on.
            journalsRefused = true;
            return;
        }
        if (write.kind == Write::Put || write.kind == Write::PutNotita) {
            if (status != 200 && status != 201 && status != 204) {
                throw SyncError(QStringLiteral("El servidor «%1» no ha guardado %2 (HTTP %3).")
                                    .arg(client_.host(), what(write))
                                    .arg(status));
            }
            if (write.notita()) {
                journalsToRecord.push_back(
                    {write.href, QString::fromUtf8(reply.etag), write.uid, write.text});
                ++report.notitasSent;
            } else {
                toRecord.push_back(
                    {write.href, QString::fromUtf8(reply.etag), write.date, write.content});
                ++report.sent;
            }
        } else {
            if (status != 200 && status != 204 && status != 404) {
                throw SyncError(QStringLiteral("El servidor «%1» no ha borrado «%2» (HTTP %3).")
                                    .arg(client_.host(), write.href)
                                    .arg(status));
            }
            if (write.notita()) {
                journalsToForget.push_back(write.href);
                ++report.notitasDeletedThere;
            } else {
                toForget.push_back(write.href);
                report.deletedThere += write.kind == Write::Delete ? 1 : 0;
            }
        }
        if (int(toRecord.size() + toForget.size() + journalsToRecord.size() +
                journalsToForget.size()) >= kRecordBatch)
            flush();
    };
    const auto answeredFirst = [&](const Write& write, const DavReply& reply) {
        answered(write, reply);
        if (progress_)
            progress_(++answeredSoFar, total);
    };

    std::vector<DavRequest> requests;
    requests.reserve(writes.size());
    for (const Write& write : writes)
        requests.push_back(requestOf(write));
    try {
        client_.sendAll(requests, [&](std::size_t index, const DavReply& reply) {
            answeredFirst(writes[index], reply);
        });
    } catch (...) {
        // What the server did answer is kept: the next sync goes on from there.
        flush();
        throw;
    }
    flush();

    // A notita's entry written meanwhile on the server: read, merged, and the write to make
    // after it, if any.
    const auto restaleNotita = [&](const Write& write,
                                   const CalDavServer::Event& current) -> std::optional<Write> {
        const std::optional<NotitaContent::Read> read =
            NotitaContent::read(current.body, write.href);
        if (!read || read->uid != write.uid) {
            throw SyncError(QStringLiteral("En el servidor «%1», «%2» no es la entrada de %3.")
                                .arg(client_.host(), write.href, what(write)));
        }
        const std::map<QString, LocalNotita> now = notitasByUid(store_);
        const auto local = now.find(write.uid);
        const QString localText = local != now.end() ? local->second.text : QString();
        const ThreeWayMerge::TextResult merged =
            ThreeWayMerge::mergeText(write.baseText, localText, read->text);
        report.notitasJoined += merged.joined ? 1 : 0;
        {
            Transaction transaction(db);
            if (merged.text != localText) {
                if (local != now.end()) {
                    notitaBook.saveText(local->second.row, merged.text);
                } else {
                    notitaBook.addKnown(write.uid, merged.text, kNewNotitaPlace, kNewNotitaPlace);
                }
                ++report.notitasReceived;
            }
            book.record(SyncBook::Journal{write.href, QString::fromUtf8(current.etag), write.uid,
                                          read->text});
            transaction.commit();
        }
        if (merged.text == read->text)
            return std::nullopt;
        Write retry = write;
        retry.kind = merged.text.isEmpty() ? Write::DeleteNotita : Write::PutNotita;
        retry.etag = current.etag;
        retry.text = merged.text;
        retry.baseText = read->text;
        return retry;
    };

    // Written meanwhile on the server: read, merged and written again, one at a time.
    for (int round = 0; round < kConflictRounds && !stale.empty(); ++round) {
        std::vector<Write> again;
        for (const Write& write : stale) {
            const std::optional<CalDavServer::Event> current = dav.get(calendar, write.href);
            if (write.kind == Write::DeleteForeign) {
                // Changed since it was read: the next sync brings it in again.
                continue;
            }
            if (!current) {
                Write retry = write;
                retry.etag.clear();
                if (retry.kind == Write::Put || retry.kind == Write::PutNotita)
                    again.push_back(retry);
                else if (retry.notita())
                    journalsToForget.push_back(write.href);
                else
                    toForget.push_back(write.href);
                continue;
            }
            if (write.notita()) {
                if (const std::optional<Write> retry = restaleNotita(write, *current))
                    again.push_back(*retry);
                continue;
            }
            const DayContent::Read read = DayContent::read(current->body, write.href);
            if (!read.ours || read.day.date != write.date) {
                throw SyncError(QStringLiteral("En el servidor «%1», «%2» no es el evento del día "
                                               "%3.")
                                    .arg(client_.host(), write.href, dayShown(write.date)));
            }
            const Day local = DayContent::canonical(
                store_.days().find(write.date).value_or(storedOf(write.date)));
            const ThreeWayMerge::Result merged = ThreeWayMerge::merge(write.base, local, read.day);
            report.joined += merged.joined ? 1 : 0;
            const Day stored = store_.days().find(write.date).value_or(storedOf(write.date));
            {
                Transaction transaction(db);
                if (merged.day != local) {
                    saveDay(store_, stored, merged.day);
                    ++report.received;
                }
                book.record({write.href, QString::fromUtf8(current->etag), write.date, read.day});
                transaction.commit();
            }
            if (merged.day == read.day)
                continue;
            Write retry = write;
            retry.kind = DayContent::isEvent(merged.day) ? Write::Put : Write::Delete;
            retry.etag = current->etag;
            retry.content = merged.day;
            retry.stored = store_.days().find(write.date).value_or(storedOf(write.date));
            retry.base = read.day;
            again.push_back(retry);
        }
        stale.clear();
        for (const Write& write : again)
            answered(write, client_.send(requestOf(write)));
        flush();
    }
    if (!stale.empty()) {
        throw SyncError(QStringLiteral("El servidor «%1» cambia %2 cada vez que se le escribe: "
                                       "se intentará en la próxima sincronización.")
                            .arg(client_.host(), what(stale.front())));
    }
    return report;
}
