#include "sync/CalendarSync.h"

#include "store/CalendarStore.h"
#include "store/domain/SyncBook.h"
#include "store/sqlite/Transaction.h"
#include "sync/CalDavCalendar.h"
#include "sync/CalDavServer.h"
#include "sync/DavClient.h"
#include "sync/DayContent.h"
#include "sync/ForeignSeries.h"
#include "sync/NotitaContent.h"
#include "sync/SyncError.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <limits>

const QString CalendarSync::kCalendarName = QStringLiteral("Tarvelo");

namespace {

const QString kServer = QStringLiteral("servidor");
const QString kUser = QStringLiteral("usuario");
const QString kCalendar = QStringLiteral("calendario");
const QString kName = QStringLiteral("nombre");
const QString kToken = QStringLiteral("marca");
// The names written or read since the token was taken, one a line: the next listing since
// that token must show each, or it was deleted since (a name made after the token and gone
// again is in no listing since it), or the calendar was made again under the same token.
const QString kWritten = QStringLiteral("escrito");
// Past this many names written since the token, the token is let go: a whole listing next time
// costs less than keeping the names (a first upload writes them all).
constexpr int kWrittenAtMost = 256;
const QString kSyncCollection = QStringLiteral("sync-collection");
const QString kJournals = QStringLiteral("diario");
// Other programs' events recorded as read have been read again since repeating ones are kept
// as the other program's: those read before (whose days a phone's series never showed) once.
const QString kSeriesRead = QStringLiteral("repeticiones");

// Where a notita made on another machine first stands here: one beside the other, from the
// top left, until the user moves it (in twips).
constexpr double kNewNotitaPlace = 720;
constexpr double kNewNotitaStep = 360;
// Pages of a listing the server cuts short, at most.
constexpr int kMaxPages = 100000;

// Every record of the book, days, notitas and promises alike.
SyncPlan::Records recordsOf(SyncBook& book)
{
    SyncPlan::Records records;
    for (SyncBook::Event& event : book.events()) {
        SyncRecord record;
        record.href = event.href;
        record.etag = event.etag.toUtf8();
        if (event.date.isValid()) {
            event.base.date = event.date;
            record.base = SyncItem::ofDay(event.base);
        } else {
            record.holds = SyncRecord::Holds::Foreign;
        }
        records.push_back(std::move(record));
    }
    for (const SyncBook::Journal& journal : book.journals())
        records.push_back({journal.href, journal.etag.toUtf8(), SyncRecord::Holds::Item,
                           SyncItem::ofNotita(journal.uid, journal.text)});
    for (const SyncBook::Promise& promise : book.promises()) {
        SyncRecord record;
        record.href = promise.href;
        record.etag = promise.etag.toUtf8();
        if (promise.action == SyncBook::Promise::Action::Rewrite) {
            record.holds = SyncRecord::Holds::Moved;
            record.base = SyncItem::emptyOf(
                promise.uid.isEmpty() ? SyncItem::Key{SyncItem::Kind::Day, promise.date, {}}
                                      : SyncItem::Key{SyncItem::Kind::Notita, {}, promise.uid});
        } else {
            record.holds = SyncRecord::Holds::Brought;
        }
        records.push_back(std::move(record));
    }
    return records;
}

void recordIn(SyncBook& book, const SyncRecord& record)
{
    book.forgetHref(record.href);
    const QString etag = QString::fromUtf8(record.etag);
    switch (record.holds) {
    case SyncRecord::Holds::Item:
        if (record.base.key.kind == SyncItem::Kind::Day)
            book.record(SyncBook::Event{record.href, etag, record.base.key.date, record.base.day});
        else
            book.record(
                SyncBook::Journal{record.href, etag, record.base.key.uid, record.base.text});
        break;
    case SyncRecord::Holds::Foreign:
        book.record(SyncBook::Event{record.href, etag, QDate(), Day{}});
        break;
    case SyncRecord::Holds::Brought:
        book.record(
            SyncBook::Promise{record.href, etag, SyncBook::Promise::Action::Delete, {}, {}});
        break;
    case SyncRecord::Holds::Moved:
        book.record(SyncBook::Promise{record.href, etag, SyncBook::Promise::Action::Rewrite,
                                      record.base.key.date, record.base.key.uid});
        break;
    }
}

// The store's notitas by identity: their rows.
std::map<QString, qint64> notitaRows(CalendarStore& store)
{
    std::map<QString, qint64> rows;
    for (const auto& [row, uid] : store.notitas().identities())
        rows.emplace(uid, row);
    return rows;
}

// Every item here, as the server would keep it.
SyncPlan::Local localItems(CalendarStore& store)
{
    SyncPlan::Local items;
    DayBook& days = store.days();
    const std::optional<QDate> first = days.first();
    const std::optional<QDate> last = days.last();
    if (first && last) {
        for (const Day& day : days.between(*first, *last)) {
            SyncItem item = SyncItem::ofDay(day);
            items.emplace(item.key, std::move(item));
        }
    }
    NotitaBook& notitas = store.notitas();
    const std::vector<Notita> all = notitas.first(std::numeric_limits<int>::max());
    if (all.empty())
        return items;
    const std::map<qint64, QString> uids = notitas.identities();
    for (const Notita& notita : all) {
        const auto uid = uids.find(notita.row);
        if (uid == uids.end())
            continue;
        SyncItem item = SyncItem::ofNotita(uid->second, notita.text);
        items.emplace(item.key, std::move(item));
    }
    return items;
}

QString shownUrl(const QUrl& url)
{
    return url.toString(QUrl::RemoveUserInfo);
}

} // namespace

// What one run keeps while it goes: the book, the calendar, the report, the settings read.
struct CalendarSync::Run
{
    CalendarStore& store;
    SyncBook book;
    RemoteCalendar& remote;
    SyncReport report;
    bool journals = true;
    bool journalsKnown = false;
    bool seriesRead = false;
    QString calendarName;
    // The notitas' rows by identity, read once a transaction and kept up to date in it.
    std::map<QString, qint64> notitas;

    Run(CalendarStore& s, RemoteCalendar& r) : store(s), book(s.database()), remote(r) {}

    // The item as it stands here now.
    SyncItem now(const SyncItem::Key& key)
    {
        if (key.kind == SyncItem::Kind::Day) {
            const std::optional<Day> day = store.days().find(key.date);
            if (day)
                return SyncItem::ofDay(*day);
            return SyncItem::emptyOf(key);
        }
        const auto row = notitas.find(key.uid);
        if (row == notitas.end())
            return SyncItem::emptyOf(key);
        const std::optional<Notita> notita = store.notitas().read(row->second);
        return notita ? SyncItem::ofNotita(key.uid, notita->text) : SyncItem::emptyOf(key);
    }

    // Writes item here, over what the item held (inside the caller's transaction); the parts
    // the server does not carry (an alarm's time while it is off) stay as they were.
    void write(const SyncItem& item, bool removedThere)
    {
        if (item.key.kind == SyncItem::Kind::Day) {
            Day day = store.days().find(item.key.date).value_or(Day{});
            const bool had = day.date.isValid() && SyncItem::ofDay(day).present();
            day.date = item.key.date;
            day.note = item.day.note;
            day.holiday = item.day.holiday;
            day.alarmOn = item.day.alarmOn;
            if (item.day.alarmOn)
                day.alarmTime = item.day.alarmTime;
            day.colour = item.day.colour;
            store.days().save(day);
            if (removedThere && had && !item.present())
                ++report.deletedHere;
            else
                ++report.received;
            return;
        }
        NotitaBook& rows = store.notitas();
        const auto row = notitas.find(item.key.uid);
        if (!item.present()) {
            if (row != notitas.end()) {
                rows.remove(row->second);
                notitas.erase(row);
                ++(removedThere ? report.notitasDeletedHere : report.notitasReceived);
            }
            return;
        }
        if (row != notitas.end()) {
            rows.saveText(row->second, item.text);
        } else {
            const double place = kNewNotitaPlace + kNewNotitaStep * double(notitas.size() % 10);
            notitas.emplace(item.key.uid, rows.addKnown(item.key.uid, item.text, place, place));
        }
        ++report.notitasReceived;
    }

    // Merges the server's content into the item as it stands now, and stores what changed.
    // Returns what the item holds afterwards.
    SyncItem mergeNow(const std::optional<SyncItem>& base, const SyncItem& there)
    {
        const SyncItem here = now(there.key);
        bool joined = false;
        const SyncItem merged = SyncItem::merge(base, here, there, &joined);
        if (joined)
            ++(there.key.kind == SyncItem::Kind::Day ? report.joined : report.notitasJoined);
        if (!merged.sameAs(here))
            write(merged, false);
        return merged;
    }

    QString shown(const SyncPlan::Upload& upload) const
    {
        return upload.key.shown(upload.sent.present() ? upload.sent.text
                                                      : upload.base.value_or(SyncItem{}).text);
    }
};

// --- The account ---------------------------------------------------------------------------

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

void CalendarSync::keep(CalendarStore& store, const Account& account, const Calendar& calendar,
                        bool fresh)
{
    SyncBook book(store.database());
    Transaction transaction(store.database());
    const QString address = shownUrl(calendar.url);
    if (fresh || book.setting(kCalendar).value_or(QString()) != address) {
        book.forgetAll();
        book.removeSetting(kToken);
        book.removeSetting(kWritten);
    }
    book.setSetting(kServer, shownUrl(account.server));
    book.setSetting(kUser, account.user);
    book.setSetting(kCalendar, address);
    book.setSetting(kName, calendar.name);
    book.setSetting(kSyncCollection,
                    calendar.listsChanges ? QStringLiteral("1") : QStringLiteral("0"));
    book.setSetting(kJournals, calendar.journals ? QStringLiteral("1") : QStringLiteral("0"));
    transaction.commit();
}

bool CalendarSync::samePlace(const QUrl& a, const QUrl& b)
{
    const auto folder = [](const QUrl& url) {
        QString path = url.path(QUrl::FullyDecoded);
        if (!path.endsWith(u'/'))
            path += u'/';
        return path;
    };
    return folder(a) == folder(b);
}

CalendarSync::Calendar CalendarSync::choose(DavClient& client, const QUrl& server,
                                            const QUrl& chosen)
{
    CalDavServer dav(client);
    const QUrl home = dav.home(server);
    const std::vector<CalDavServer::Calendar> calendars = dav.calendars(home);
    const auto take = [](const CalDavServer::Calendar& c) {
        Calendar calendar;
        calendar.url = c.url;
        calendar.name = c.name;
        return calendar;
    };
    for (const CalDavServer::Calendar& c : calendars) {
        if (c.takesEvents && !chosen.isEmpty() && samePlace(c.url, chosen))
            return take(c);
    }
    if (!chosen.isEmpty()) {
        throw SyncError(QStringLiteral("El servidor «%1» ya no tiene el calendario «%2», o no "
                                       "admite eventos en él.")
                            .arg(client.host(), shownUrl(chosen)),
                        SyncError::Kind::CalendarGone)
            .about(client.host());
    }
    for (const CalDavServer::Calendar& c : calendars) {
        if (c.takesEvents && samePlace(c.url, server))
            return take(c);
    }
    for (const CalDavServer::Calendar& c : calendars) {
        if (c.takesEvents && c.name.compare(kCalendarName, Qt::CaseInsensitive) == 0)
            return take(c);
    }
    Calendar none;
    none.url = QUrl();
    none.name = kCalendarName;
    return none;
}

QUrl CalendarSync::setUp(CalendarStore& store, DavClient& client, const QUrl& server,
                         const QString& user, const QUrl& chosen)
{
    Calendar calendar = choose(client, server, chosen);
    CalDavServer dav(client);
    // A calendar made now holds nothing of what any record says.
    const bool made = calendar.url.isEmpty();
    if (made)
        calendar.url = dav.create(dav.home(server), kCalendarName);
    calendar.listsChanges = dav.offersSyncCollection(calendar.url);
    calendar.journals = dav.takesJournals(calendar.url);
    keep(store, {server, user, calendar.url}, calendar, made);
    return calendar.url;
}

int CalendarSync::pending(CalendarStore& store)
{
    if (!SyncBook::exists(store.database()))
        return 0;
    SyncBook book(store.database());
    if (!book.setting(kCalendar))
        return 0;
    return int(SyncPlan::uploads(recordsOf(book), localItems(store), QString(),
                                 book.setting(kJournals) != QLatin1String("0"))
                   .size());
}

int CalendarSync::othersEvents(DavClient& client, const QUrl& calendar)
{
    if (DavClient::mayFollow(client.server(), calendar))
        client.allow(calendar);
    CalDavServer dav(client);
    const RemoteCalendar::Listing listing = dav.list(calendar, QString(), false);
    std::vector<QString> hrefs;
    hrefs.reserve(listing.present.size());
    for (const RemoteCalendar::Entry& entry : listing.present)
        hrefs.push_back(entry.href);
    int others = 0;
    for (const CalDavServer::Event& event : dav.fetch(calendar, hrefs)) {
        const DayContent::Read read = DayContent::read(event.body, event.href);
        if (!read.ours && !read.dates.empty() && (!read.text.isEmpty() || read.holiday) &&
            !ForeignSeries::repeats(event.body))
            ++others;
    }
    return others;
}

// --- A run ---------------------------------------------------------------------------------

CalendarSync::CalendarSync(CalendarStore& store, DavClient& client)
    : store_(store), client_(&client)
{
}

CalendarSync::CalendarSync(CalendarStore& store, RemoteCalendar& remote)
    : store_(store), remote_(&remote)
{
}

CalendarSync::~CalendarSync() = default;

SyncReport CalendarSync::run(WhenEmptied whenEmptied, bool makeAgain)
{
    RemoteCalendar* remote = remote_;
    {
        SyncBook book(store_.database());
        const std::optional<QString> calendarText = book.setting(kCalendar);
        if (!calendarText) {
            throw SyncError(QStringLiteral("Este calendario aún no tiene servidor: configúrelo "
                                           "primero (tarvelo-db sync-setup)."),
                            SyncError::Kind::Setup);
        }
        if (!remote) {
            const QUrl calendar(*calendarText);
            // Calendars the server named on another host of its domain, as iCloud's are.
            if (DavClient::mayFollow(client_->server(), calendar))
                client_->allow(calendar);
            if (!client_->sameServer(calendar)) {
                throw SyncError(QStringLiteral("El calendario «%1» no está en el servidor «%2».")
                                    .arg(calendar.toString(), client_->host()),
                                SyncError::Kind::Setup)
                    .about(client_->host());
            }
            own_ = std::make_unique<CalDavCalendar>(
                *client_, calendar, book.setting(kSyncCollection) == QLatin1String("1"));
            remote = own_.get();
        }
    }
    Run run(store_, *remote);
    const std::optional<QString> journals = run.book.setting(kJournals);
    run.journalsKnown = journals.has_value();
    run.seriesRead = run.book.setting(kSeriesRead) == QLatin1String("1");
    run.journals = journals.value_or(QStringLiteral("1")) == QLatin1String("1");
    run.calendarName = run.book.setting(kName).value_or(QString());
    if (run.calendarName.isEmpty()) {
        const QString calendar = run.book.setting(kCalendar).value_or(QString());
        run.calendarName = calendar.section(u'/', -2, -2, QString::SectionSkipEmpty);
    }

    if (whenEmptied == WhenEmptied::SendAgain) {
        // As to a calendar made anew: nothing recorded, everything sent and merged with what
        // it holds by now, which another machine may have sent since the user was asked.
        Transaction transaction(store_.database());
        run.book.forgetAll();
        run.book.removeSetting(kToken);
        run.book.removeSetting(kWritten);
        transaction.commit();
    }

    // Gather: the server's listing, read whole before anything is stored.
    SyncPlan::Listing listing;
    SyncPlan::Records records;
    try {
        listing = gather(run);
    } catch (const SyncError& error) {
        if (error.kind() != SyncError::Kind::CalendarGone)
            throw;
        if (!makeAgain || !client_) {
            SyncError gone(QStringLiteral("El calendario «%1» ya no está en el servidor «%2».")
                               .arg(run.calendarName, run.remote.host()),
                           SyncError::Kind::CalendarGone);
            gone.about(run.remote.host(), error.status);
            gone.calendar = run.calendarName;
            throw gone;
        }
        // Made again where it was, and everything here sent to it, as to a calendar made anew.
        const std::optional<Account> account = CalendarSync::account(store_);
        Calendar calendar;
        calendar.name = run.calendarName.isEmpty() ? kCalendarName : run.calendarName;
        calendar.url = CalDavServer(*client_).createAt(account->calendar, calendar.name);
        calendar.listsChanges = run.remote.listsChanges();
        calendar.journals = true;
        keep(store_, *account, calendar, true);
        run.journalsKnown = true;
        run.journals = true;
        listing = gather(run);
    }
    records = recordsOf(run.book);
    if (const std::optional<SyncPlan::Emptied> lost = SyncPlan::emptied(records, listing)) {
        if (whenEmptied == WhenEmptied::Refuse) {
            const auto count = [](int n, const char* one, const char* many) {
                return n == 1 ? QStringLiteral("1 ") + QString::fromUtf8(one)
                              : QString::number(n) + u' ' + QString::fromUtf8(many);
            };
            SyncError error(QStringLiteral("El calendario «%1» del servidor está vacío, pero este "
                                           "equipo tiene %2 y %3 sincronizados con él.")
                                .arg(run.calendarName, count(lost->days, "día", "días"),
                                     count(lost->notitas, "notita", "notitas")),
                            SyncError::Kind::CalendarEmptied);
            error.about(run.remote.host());
            error.calendar = run.calendarName;
            error.days = lost->days;
            error.notitas = lost->notitas;
            throw error;
        }
    }
    const SyncPlan::Recorded recorded(records, listing);
    const std::vector<SyncPlan::Fetched> fetched = fetchChanged(run, recorded, listing);

    // Decide and apply.
    const SyncPlan::Decision decision =
        SyncPlan::decide(recorded, listing, fetched, run.remote.folder());
    apply(run, decision, listing);

    // Upload what changed here, then resolve what the server refused as stale.
    std::vector<SyncPlan::Upload> uploads = SyncPlan::uploads(
        recordsOf(run.book), localItems(store_), run.remote.folder(), run.journals);
    resolve(run, upload(run, std::move(uploads)));
    return run.report;
}

SyncPlan::Listing CalendarSync::gather(Run& run)
{
    const QString stored = run.book.setting(kToken).value_or(QString());
    const QStringList written =
        run.book.setting(kWritten).value_or(QString()).split(u'\n', Qt::SkipEmptyParts);
    const auto listFrom = [&](const QString& token) {
        SyncPlan::Listing listing;
        RemoteCalendar::Listing answer = run.remote.list(token);
        if (answer.tokenRefused)
            return std::optional<SyncPlan::Listing>();
        listing.take(answer);
        // A server that stops before the end gives the rest since the token it stopped at.
        QString at = token;
        for (int page = 0; answer.truncated && page < kMaxPages; ++page) {
            if (answer.token.isEmpty() || answer.token == at) {
                listing.token.clear();
                return std::optional(listing); // cut short for good: not complete
            }
            at = answer.token;
            answer = run.remote.list(at);
            if (answer.tokenRefused) {
                listing.token.clear();
                return std::optional(listing);
            }
            listing.take(answer);
        }
        // A calendar that lists changes ends a whole listing with its token: one that gives
        // none was cut short without saying so.
        listing.complete = token.isEmpty() && !answer.truncated &&
                           (!answer.token.isEmpty() || !run.remote.listsChanges());
        if (answer.truncated)
            listing.token.clear();
        return std::optional(listing);
    };

    if (!stored.isEmpty()) {
        std::optional<SyncPlan::Listing> since = listFrom(stored);
        // The calendar made again under a token it gives anew (the token of an empty calendar
        // is the same on some servers), or one of ours written since and deleted again: what
        // was written since is not there, and only the whole listing says what is.
        if (since && std::any_of(written.begin(), written.end(), [&](const QString& href) {
                return !since->present.count(href) && !since->removed.count(href);
            }))
            since.reset();
        if (since)
            return *since;
    }
    // Everything, once: a token refused is not asked again.
    std::optional<SyncPlan::Listing> all = listFrom(QString());
    if (!all) {
        throw SyncError(QStringLiteral("El servidor «%1» no da la lista de eventos del calendario "
                                       "«%2».")
                            .arg(run.remote.host(), run.calendarName),
                        SyncError::Kind::NotACalendar)
            .about(run.remote.host());
    }
    if (!run.remote.listsChanges())
        all->complete = all->token.isEmpty() && all->complete;
    return *all;
}

std::vector<SyncPlan::Fetched> CalendarSync::fetchChanged(Run& run,
                                                          const SyncPlan::Recorded& recorded,
                                                          const SyncPlan::Listing& listing)
{
    std::vector<QString> hrefs = SyncPlan::toFetch(recorded, listing);
    if (!run.seriesRead) {
        for (const SyncRecord& record : recorded.all()) {
            if (record.holds == SyncRecord::Holds::Foreign && !listing.removed.count(record.href) &&
                (!listing.complete || listing.present.count(record.href)))
                hrefs.push_back(record.href);
        }
        std::sort(hrefs.begin(), hrefs.end());
        hrefs.erase(std::unique(hrefs.begin(), hrefs.end()), hrefs.end());
    }
    std::vector<SyncPlan::Fetched> fetched;
    for (RemoteCalendar::Event& event : run.remote.fetch(hrefs)) {
        SyncPlan::Fetched f{event.href, event.etag, {}};
        try {
            f.read = SyncItem::read(event.body, event.href);
        } catch (const SyncError&) {
            // Another program's body that is no calendar text: left as it is, read once.
            f.read.what = SyncItem::Read::What::Other;
        }
        fetched.push_back(std::move(f));
    }
    return fetched;
}

void CalendarSync::apply(Run& run, const SyncPlan::Decision& decision,
                         const SyncPlan::Listing& listing)
{
    // The notitas' identities first: making one that is missing is a write of its own.
    run.notitas = notitaRows(store_);
    Transaction transaction(store_.database());
    for (const SyncPlan::Incoming& in : decision.incoming) {
        if (!in.bringIn) {
            run.mergeNow(in.base, in.remote);
            continue;
        }
        if (in.key.kind == SyncItem::Kind::Notita && !run.journals)
            continue;
        const SyncItem here = run.now(in.key);
        const SyncItem brought = SyncItem::bringInto(here, in.text, in.holiday,
                                                     in.remote.day.colour, in.remote.day.alarmTime);
        if (!brought.sameAs(here))
            run.write(brought, false);
    }
    run.report.broughtIn += decision.broughtIn;
    for (const SyncItem& base : decision.removals) {
        // Gone there and unchanged here: it goes here too. Changed here since: it stays, and
        // goes up again as new.
        if (run.now(base.key).sameAs(base))
            run.write(SyncItem::emptyOf(base.key), true);
    }
    for (const QString& href : decision.forget)
        run.book.forgetHref(href);
    for (const SyncRecord& record : decision.record)
        recordIn(run.book, record);
    for (const auto& [href, body] : decision.series)
        ForeignSeries::keep(store_.database(), href, body, QDate::currentDate());
    ForeignSeries::moveOn(store_.database(), QDate::currentDate());
    if (!listing.token.isEmpty()) {
        run.book.setSetting(kToken, listing.token);
        run.book.removeSetting(kWritten);
    } else if (run.remote.listsChanges() && !decision.record.empty()) {
        // A listing cut short leaves the token as it was: what it brought is known since the
        // token, as what is written is, and looked for likewise.
        QStringList written =
            run.book.setting(kWritten).value_or(QString()).split(u'\n', Qt::SkipEmptyParts);
        QSet<QString> known(written.begin(), written.end());
        for (const SyncRecord& record : decision.record) {
            if (written.size() > kWrittenAtMost)
                break;
            if (!known.contains(record.href)) {
                known.insert(record.href);
                written.append(record.href);
            }
        }
        if (written.size() > kWrittenAtMost) {
            run.book.removeSetting(kToken);
            run.book.removeSetting(kWritten);
        } else {
            run.book.setSetting(kWritten, written.join(u'\n'));
        }
    }
    if (!run.seriesRead)
        run.book.setSetting(kSeriesRead, QStringLiteral("1"));
    if (!run.journalsKnown)
        run.book.setSetting(kJournals, run.journals ? QStringLiteral("1") : QStringLiteral("0"));
    transaction.commit();
}

std::vector<SyncPlan::Upload> CalendarSync::upload(Run& run, std::vector<SyncPlan::Upload> uploads)
{
    const int total = int(uploads.size());
    int answeredSoFar = 0;
    if (progress_)
        progress_(0, total);

    // Answers wait here until a batch of them is written in one transaction.
    std::vector<SyncRecord> toRecord;
    std::vector<QString> toForget;
    QStringList written =
        run.book.setting(kWritten).value_or(QString()).split(u'\n', Qt::SkipEmptyParts);
    QSet<QString> writtenSet(written.begin(), written.end());
    bool writtenMore = false;
    bool tokenLetGo = false;
    bool journalsRefused = false;
    std::vector<SyncPlan::Upload> stale;
    const auto flush = [&] {
        if (toRecord.empty() && toForget.empty() && !journalsRefused && !writtenMore)
            return;
        Transaction transaction(store_.database());
        if (journalsRefused)
            run.book.setSetting(kJournals, QStringLiteral("0"));
        for (const QString& href : toForget)
            run.book.forgetHref(href);
        for (const SyncRecord& record : toRecord)
            recordIn(run.book, record);
        if (writtenMore && written.size() > kWrittenAtMost) {
            run.book.removeSetting(kToken);
            run.book.removeSetting(kWritten);
            tokenLetGo = true;
        } else if (writtenMore) {
            run.book.setSetting(kWritten, written.join(u'\n'));
        }
        transaction.commit();
        toRecord.clear();
        toForget.clear();
        writtenMore = false;
    };
    const auto answered = [&](const SyncPlan::Upload& upload,
                              const RemoteCalendar::Answer& answer) {
        const int status = answer.status;
        if (status == 412) {
            stale.push_back(upload);
            return;
        }
        const bool notita = upload.key.kind == SyncItem::Kind::Notita;
        if (!upload.deletion() && notita && upload.write.etag.isEmpty() &&
            (status == 403 || status == 415 || status == 501)) {
            // A calendar that said nothing of journal entries and refuses them: the notitas
            // stay each machine's own, and the days go on.
            journalsRefused = true;
            return;
        }
        if (!upload.deletion()) {
            if (status != 200 && status != 201 && status != 204) {
                throw SyncError(QStringLiteral("El servidor «%1» no ha guardado %2 (HTTP %3).")
                                    .arg(run.remote.host(), run.shown(upload))
                                    .arg(status),
                                SyncError::Kind::Refused)
                    .about(run.remote.host(), status);
            }
            toRecord.push_back(
                {upload.write.href, answer.etag, SyncRecord::Holds::Item, upload.sent});
            ++(notita ? run.report.notitasSent : run.report.sent);
        } else {
            if (status != 200 && status != 204 && status != 404) {
                throw SyncError(QStringLiteral("El servidor «%1» no ha borrado «%2» (HTTP %3).")
                                    .arg(run.remote.host(), upload.write.href)
                                    .arg(status),
                                SyncError::Kind::Refused)
                    .about(run.remote.host(), status);
            }
            toForget.push_back(upload.write.href);
            if (upload.holds == SyncRecord::Holds::Item && upload.base && upload.base->present())
                ++(notita ? run.report.notitasDeletedThere : run.report.deletedThere);
        }
        if (run.remote.listsChanges() && !tokenLetGo && !writtenSet.contains(upload.write.href)) {
            writtenSet.insert(upload.write.href);
            written.append(upload.write.href);
            writtenMore = true;
        }
        if (int(toRecord.size() + toForget.size()) >= kRecordBatch)
            flush();
    };

    std::vector<RemoteCalendar::Write> writes;
    writes.reserve(uploads.size());
    for (const SyncPlan::Upload& upload : uploads)
        writes.push_back(upload.write);
    try {
        run.remote.write(writes, [&](std::size_t index, const RemoteCalendar::Answer& answer) {
            answered(uploads[index], answer);
            if (progress_)
                progress_(++answeredSoFar, total);
        });
    } catch (...) {
        // What the server did answer is kept: the next sync goes on from there.
        flush();
        throw;
    }
    flush();
    return stale;
}

void CalendarSync::resolve(Run& run, std::vector<SyncPlan::Upload> stale)
{
    for (int round = 0; round < kConflictRounds && !stale.empty(); ++round) {
        std::vector<QString> hrefs;
        for (const SyncPlan::Upload& upload : stale)
            hrefs.push_back(upload.write.href);
        std::map<QString, RemoteCalendar::Event> current;
        for (RemoteCalendar::Event& event : run.remote.fetch(hrefs))
            current.emplace(event.href, std::move(event));

        std::vector<SyncPlan::Upload> again;
        {
            run.notitas = notitaRows(store_);
            Transaction transaction(store_.database());
            for (SyncPlan::Upload& upload : stale) {
                const auto found = current.find(upload.write.href);
                if (found == current.end()) {
                    // Gone meanwhile: a deletion is done; anything else is written anew.
                    run.book.forgetHref(upload.write.href);
                    if (!upload.deletion() && upload.holds == SyncRecord::Holds::Item) {
                        upload.write.etag.clear();
                        upload.base.reset();
                        again.push_back(upload);
                    }
                    continue;
                }
                const RemoteCalendar::Event& event = found->second;
                SyncItem::Read read;
                try {
                    read = SyncItem::read(event.body, event.href);
                } catch (const SyncError&) {
                    read.what = SyncItem::Read::What::Other;
                }
                if (upload.holds == SyncRecord::Holds::Brought) {
                    // Another program's event changed before its deletion landed: brought in
                    // again, and the promise kept with its new ETag; made to repeat meanwhile,
                    // it stays the other program's.
                    if (read.what == SyncItem::Read::What::Foreign && read.recurring) {
                        recordIn(run.book,
                                 {event.href, event.etag, SyncRecord::Holds::Foreign, SyncItem{}});
                        ForeignSeries::keep(store_.database(), event.href, event.body,
                                            QDate::currentDate());
                        continue;
                    }
                    if (read.what == SyncItem::Read::What::Foreign) {
                        for (const QDate& date : read.dates) {
                            const SyncItem::Key key{SyncItem::Kind::Day, date, {}};
                            const SyncItem here = run.now(key);
                            const SyncItem brought =
                                SyncItem::bringInto(here, read.text, read.holiday);
                            if (!brought.sameAs(here))
                                run.write(brought, false);
                        }
                    } else if (read.what == SyncItem::Read::What::Item) {
                        const SyncItem here = run.now(read.item.key);
                        const SyncItem brought = SyncItem::bringInto(
                            here,
                            read.item.key.kind == SyncItem::Kind::Day ? read.item.day.note
                                                                      : read.item.text,
                            read.item.day.holiday);
                        if (!brought.sameAs(here))
                            run.write(brought, false);
                    } else {
                        recordIn(run.book,
                                 {event.href, event.etag, SyncRecord::Holds::Foreign, SyncItem{}});
                        continue;
                    }
                    recordIn(run.book,
                             {event.href, event.etag, SyncRecord::Holds::Brought, SyncItem{}});
                    upload.write.etag = event.etag;
                    again.push_back(upload);
                    continue;
                }
                if (read.what != SyncItem::Read::What::Item) {
                    throw SyncError(QStringLiteral("En el servidor «%1», «%2» no es el de %3.")
                                        .arg(run.remote.host(), event.href, run.shown(upload)),
                                    SyncError::Kind::Refused)
                        .about(run.remote.host());
                }
                SyncItem there = read.item;
                if (!(there.key == upload.key)) {
                    // The name now holds another item: moved meanwhile. Its content goes there,
                    // and the item whose name it is is written back as it stands here.
                    const SyncItem here = run.now(there.key);
                    const SyncItem brought = SyncItem::bringInto(
                        here, there.key.kind == SyncItem::Kind::Day ? there.day.note : there.text,
                        there.day.holiday);
                    if (!brought.sameAs(here))
                        run.write(brought, false);
                    recordIn(run.book, {event.href, event.etag, SyncRecord::Holds::Moved,
                                        SyncItem::emptyOf(upload.key)});
                    const SyncItem mine = run.now(upload.key);
                    upload.write = {event.href, mine.present() ? mine.body() : QByteArray(),
                                    event.etag};
                    upload.sent = mine;
                    upload.holds = SyncRecord::Holds::Item;
                    again.push_back(upload);
                    continue;
                }
                // Written meanwhile on the server: merged with the item as it stands now.
                const SyncItem merged = run.mergeNow(upload.base, there);
                recordIn(run.book, {event.href, event.etag, SyncRecord::Holds::Item, there});
                if (merged.sameAs(there))
                    continue;
                upload.write = {event.href, merged.present() ? merged.body() : QByteArray(),
                                event.etag};
                upload.sent = merged;
                upload.base = there;
                upload.holds = SyncRecord::Holds::Item;
                again.push_back(upload);
            }
            transaction.commit();
        }
        stale = upload(run, std::move(again));
    }
    if (!stale.empty()) {
        throw SyncError(QStringLiteral("El servidor «%1» cambia %2 cada vez que se le escribe: "
                                       "se intentará en la próxima sincronización.")
                            .arg(run.remote.host(), run.shown(stale.front())),
                        SyncError::Kind::Conflict)
            .about(run.remote.host(), 412);
    }
}
