#include "sync/CalDavCalendar.h"

#include "sync/CalDavServer.h"
#include "sync/DavClient.h"

CalDavCalendar::CalDavCalendar(DavClient& client, const QUrl& calendar, bool syncCollection)
    : client_(client), calendar_(calendar), syncCollection_(syncCollection)
{
}

QString CalDavCalendar::host() const
{
    return client_.host();
}

QString CalDavCalendar::folder() const
{
    return calendar_.path(QUrl::FullyDecoded);
}

RemoteCalendar::Listing CalDavCalendar::list(const QString& token)
{
    return CalDavServer(client_).list(calendar_, token, syncCollection_);
}

std::vector<RemoteCalendar::Event> CalDavCalendar::fetch(const std::vector<QString>& hrefs)
{
    std::vector<Event> events;
    for (CalDavServer::Event& event : CalDavServer(client_).fetch(calendar_, hrefs))
        events.push_back({event.href, event.etag, std::move(event.body)});
    return events;
}

void CalDavCalendar::write(const std::vector<Write>& writes,
                           const std::function<void(std::size_t, const Answer&)>& answered)
{
    const CalDavServer server(client_);
    std::vector<DavRequest> requests;
    requests.reserve(writes.size());
    for (const Write& write : writes) {
        DavRequest request;
        request.url = server.at(calendar_, write.href);
        if (write.body.isEmpty()) {
            request.verb = "DELETE";
        } else {
            request.verb = "PUT";
            request.body = write.body;
            request.headers.append(
                qMakePair(QByteArray("Content-Type"), QByteArray("text/calendar; charset=utf-8")));
        }
        if (write.etag.isEmpty())
            request.headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
        else
            request.headers.append(qMakePair(QByteArray("If-Match"), write.etag));
        requests.push_back(std::move(request));
    }
    client_.sendAll(requests, [&](std::size_t index, const DavReply& reply) {
        answered(index, Answer{reply.status, reply.etag, std::nullopt});
    });
}
