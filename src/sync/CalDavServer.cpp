#include "sync/CalDavServer.h"

#include "sync/Multistatus.h"
#include "sync/SyncError.h"

#include <QSet>

namespace {

const QByteArray kNamespaces = R"(xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav")";

QByteArray escaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

DavRequest propfind(const QUrl& url, const QByteArray& depth, const QByteArray& props)
{
    DavRequest request{"PROPFIND",
                       url,
                       "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind " + kNamespaces +
                           "><d:prop>" + props + "</d:prop></d:propfind>",
                       {{"Depth", depth}}};
    return request;
}

QString shown(const QUrl& url)
{
    return url.toString(QUrl::RemoveUserInfo);
}

[[noreturn]] void unexpected(const QString& host, const QByteArray& verb, const QUrl& url,
                             int status)
{
    throw SyncError(QStringLiteral("El servidor «%1» no es un servidor de calendarios, o no como "
                                   "se esperaba: a %2 de «%3» responde HTTP %4.")
                        .arg(host, QString::fromLatin1(verb), shown(url))
                        .arg(status),
                    SyncError::Kind::NotACalendar)
        .about(host, status);
}

// A folder's path ends in a slash, so that the names inside it resolve under it.
QUrl asFolder(QUrl url)
{
    if (!url.path().endsWith(u'/'))
        url.setPath(url.path() + u'/');
    return url;
}

} // namespace

QUrl CalDavServer::at(const QUrl& calendar, const QString& href) const
{
    QUrl url = calendar;
    url.setPath(href, QUrl::DecodedMode);
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

QUrl CalDavServer::followed(const QUrl& from, const QUrl& to)
{
    if (client_.sameServer(to))
        return to;
    if (!DavClient::mayFollow(client_.server(), to)) {
        throw SyncError(
            QStringLiteral("El servidor «%1» dice que los calendarios del usuario están "
                           "en «%2», otro servidor: no se le envía la contraseña, "
                           "porque no es del mismo dominio por https.")
                .arg(client_.host(), to.toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery)),
            SyncError::Kind::Refused)
            .about(client_.host());
    }
    Q_UNUSED(from);
    client_.allow(to);
    return to;
}

QUrl CalDavServer::principal(const QUrl& url)
{
    const DavRequest request = propfind(url, "0", "<d:current-user-principal/>");
    const DavReply reply = client_.send(request);
    if (reply.status != 207)
        return {};
    const Multistatus answer = Multistatus::read(reply.body, reply.url, client_.host());
    for (const Multistatus::Response& r : answer.responses) {
        if (!r.principal.isEmpty())
            return followed(reply.url, QUrl(r.principal, QUrl::StrictMode));
    }
    return {};
}

QUrl CalDavServer::home(const QUrl& start)
{
    QUrl principalUrl = principal(start);
    if (principalUrl.isEmpty())
        principalUrl = principal(start.resolved(QUrl(QStringLiteral("/.well-known/caldav"))));
    if (principalUrl.isEmpty()) {
        throw SyncError(QStringLiteral("«%1» no es un servidor de calendarios (CalDAV): no dice "
                                       "qué usuario es, ni en su dirección ni en "
                                       "/.well-known/caldav.")
                            .arg(shown(start)));
    }
    const DavRequest request = propfind(principalUrl, "0", "<c:calendar-home-set/>");
    const DavReply reply = client_.send(request);
    if (reply.status != 207)
        unexpected(client_.host(), request.verb, principalUrl, reply.status);
    const Multistatus answer = Multistatus::read(reply.body, reply.url, client_.host());
    for (const Multistatus::Response& r : answer.responses) {
        if (!r.home.isEmpty())
            return asFolder(followed(reply.url, QUrl(r.home, QUrl::StrictMode)));
    }
    throw SyncError(QStringLiteral("El servidor «%1» no dice dónde están los calendarios del "
                                   "usuario (calendar-home-set).")
                        .arg(client_.host()));
}

std::vector<CalDavServer::Calendar> CalDavServer::calendars(const QUrl& home)
{
    const DavRequest request = propfind(
        home, "1", "<d:resourcetype/><d:displayname/><c:supported-calendar-component-set/>");
    const DavReply reply = client_.send(request);
    if (reply.status != 207)
        unexpected(client_.host(), request.verb, home, reply.status);
    std::vector<Calendar> out;
    for (const Multistatus::Response& r :
         Multistatus::read(reply.body, reply.url, client_.host()).responses) {
        if (r.isCalendar)
            out.push_back(
                {asFolder(at(home, r.href)), r.displayName, r.takesEvents, r.takesJournals});
    }
    return out;
}

QUrl CalDavServer::create(const QUrl& home, const QString& name)
{
    return createAt(asFolder(home.resolved(QUrl(name.toLower() + u'/'))), name);
}

QUrl CalDavServer::createAt(const QUrl& url, const QString& name)
{
    const QUrl home = url.resolved(QUrl(QStringLiteral("..")));
    DavRequest request{"MKCALENDAR",
                       url,
                       "<?xml version=\"1.0\" encoding=\"utf-8\"?><c:mkcalendar " + kNamespaces +
                           "><d:set><d:prop><d:displayname>" + escaped(name) +
                           "</d:displayname><c:supported-calendar-component-set><c:comp "
                           "name=\"VEVENT\"/><c:comp name=\"VJOURNAL\"/>"
                           "</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>",
                       {}};
    const DavReply reply = client_.send(request);
    if (reply.status == 201)
        return url;
    // Already there: taken if it is a calendar.
    if (reply.status == 405 || reply.status == 409) {
        for (const Calendar& calendar : calendars(home)) {
            if (calendar.url.path() == url.path())
                return url;
        }
    }
    throw SyncError(QStringLiteral("El servidor «%1» no ha creado el calendario «%2» (HTTP %3).")
                        .arg(client_.host(), name)
                        .arg(reply.status));
}

bool CalDavServer::offersSyncCollection(const QUrl& calendar)
{
    const DavReply reply = client_.send(propfind(calendar, "0", "<d:supported-report-set/>"));
    if (reply.status != 207)
        return false;
    for (const Multistatus::Response& r :
         Multistatus::read(reply.body, reply.url, client_.host()).responses) {
        if (r.syncCollection)
            return true;
    }
    return false;
}

bool CalDavServer::takesJournals(const QUrl& calendar)
{
    const DavReply reply =
        client_.send(propfind(calendar, "0", "<c:supported-calendar-component-set/>"));
    if (reply.status != 207)
        return false;
    // Depth 0: the one answer is the calendar's own.
    const Multistatus answer = Multistatus::read(reply.body, reply.url, client_.host());
    return !answer.responses.empty() && answer.responses.front().takesJournals;
}

RemoteCalendar::Listing CalDavServer::list(const QUrl& calendar, const QString& token,
                                           bool syncCollection)
{
    RemoteCalendar::Listing listing;
    const QString own = calendar.path(QUrl::FullyDecoded);
    const auto isEvent = [&own](const QString& href) {
        return href != own && !href.endsWith(u'/');
    };
    const auto gone = [&] {
        return SyncError(QStringLiteral("El calendario «%1» ya no está en el servidor «%2».")
                             .arg(shown(calendar), client_.host()),
                         SyncError::Kind::CalendarGone)
            .about(client_.host(), 404);
    };
    if (syncCollection) {
        const DavRequest request{"REPORT",
                                 calendar,
                                 "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:sync-collection " +
                                     kNamespaces + "><d:sync-token>" + escaped(token) +
                                     "</d:sync-token><d:sync-level>1</d:sync-level><d:prop>"
                                     "<d:getetag/></d:prop></d:sync-collection>",
                                 {}};
        DavReply reply;
        try {
            reply = client_.send(request);
        } catch (const SyncError& error) {
            // A server that fails on a token it no longer knows, without saying why (500).
            if (token.isEmpty() || error.kind() != SyncError::Kind::Refused || error.status < 500)
                throw;
            listing.tokenRefused = true;
            return listing;
        }
        if (reply.status == 404)
            throw gone();
        if (reply.status != 207) {
            // A token the server no longer knows (403 valid-sync-token, and the like).
            if (!token.isEmpty()) {
                listing.tokenRefused = true;
                return listing;
            }
            unexpected(client_.host(), request.verb, calendar, reply.status);
        }
        const Multistatus answer = Multistatus::read(reply.body, reply.url, client_.host());
        for (const Multistatus::Response& r : answer.responses) {
            if (!isEvent(r.href))
                continue;
            if (r.status == 404)
                listing.removed.push_back(r.href);
            else if (!r.etag.isEmpty())
                listing.present.push_back({r.href, r.etag});
        }
        listing.truncated = answer.truncated;
        if (answer.syncToken.isEmpty() && !answer.truncated) {
            throw SyncError(QStringLiteral("El servidor «%1» no ha dado la marca de "
                                           "sincronización (sync-token).")
                                .arg(client_.host()))
                .about(client_.host(), reply.status);
        }
        listing.token = answer.syncToken;
        return listing;
    }
    const DavRequest request = propfind(calendar, "1", "<d:getetag/>");
    const DavReply reply = client_.send(request);
    if (reply.status == 404)
        throw gone();
    if (reply.status != 207)
        unexpected(client_.host(), request.verb, calendar, reply.status);
    const Multistatus answer = Multistatus::read(reply.body, reply.url, client_.host());
    for (const Multistatus::Response& r : answer.responses) {
        // Some servers answer for a calendar that is gone with its own name, not found.
        if (!isEvent(r.href) && r.status == 404)
            throw gone();
        if (isEvent(r.href) && !r.etag.isEmpty())
            listing.present.push_back({r.href, r.etag});
    }
    listing.truncated = answer.truncated;
    return listing;
}

std::vector<CalDavServer::Event> CalDavServer::fetch(const QUrl& calendar,
                                                     const std::vector<QString>& hrefs)
{
    // A server builds each answer whole before it sends a byte: batches small enough to come
    // back well within the silence a request may keep.
    constexpr std::size_t kBatch = 200;
    std::vector<DavRequest> requests;
    for (std::size_t first = 0; first < hrefs.size(); first += kBatch) {
        QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?><c:calendar-multiget " +
                          kNamespaces + "><d:prop><d:getetag/><c:calendar-data/></d:prop>";
        for (std::size_t i = first; i < std::min(hrefs.size(), first + kBatch); ++i)
            body +=
                "<d:href>" + escaped(at(calendar, hrefs[i]).path(QUrl::FullyEncoded)) + "</d:href>";
        body += "</c:calendar-multiget>";
        requests.push_back({"REPORT", calendar, body, {{"Depth", "1"}}});
    }
    const QSet<QString> asked(hrefs.begin(), hrefs.end());
    std::vector<Event> events;
    client_.sendAll(requests, [&](std::size_t index, const DavReply& reply) {
        if (reply.status != 207)
            unexpected(client_.host(), requests[index].verb, calendar, reply.status);
        for (const Multistatus::Response& r :
             Multistatus::read(reply.body, reply.url, client_.host()).responses) {
            if (r.status == 404 || r.calendarData.isEmpty() || !asked.contains(r.href))
                continue;
            events.push_back({r.href, r.etag, r.calendarData.toUtf8()});
        }
    });
    return events;
}

std::optional<CalDavServer::Event> CalDavServer::get(const QUrl& calendar, const QString& href)
{
    const DavRequest request{"GET", at(calendar, href), {}, {}};
    const DavReply reply = client_.send(request);
    if (reply.status == 404 || reply.status == 410)
        return std::nullopt;
    if (reply.status != 200)
        unexpected(client_.host(), request.verb, request.url, reply.status);
    return Event{href, reply.etag, reply.body};
}
