#pragma once

#include "sync/HttpAuth.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QObject;
struct TarveloNetworkModule;

// One request to the calendar server.
struct DavRequest
{
    QByteArray verb; // PROPFIND, REPORT, MKCALENDAR, PUT, DELETE, GET
    QUrl url;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
};

// What the server answered: any status but the ones DavClient turns into a SyncError.
struct DavReply
{
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QUrl url; // where the answer came from, after redirects on the same server
};

// The HTTP side of a sync, made safe against the server: https with the system's certificate
// checks (plain http only to this machine), the password sent only to the server it was given
// for and only in a header, redirects followed only on the same server, and every answer
// bounded in size and time. Requests are made one after another or several at once over kept
// connections, each waited for in an event loop of its own, so that this runs without a
// window.
class DavClient
{
public:
    struct Limits
    {
        qint64 maxBody = 64 * 1024 * 1024; // a listing of 100k events is some 20 MB
        int idleMs = 60000;                // silence that ends a request
        int wholeMs = 300000;              // a request that trickles longer than this ends too
        int parallel = 4;                  // requests in flight at once
    };

    // Throws SyncError when the address may not be used (not https, nor http to this machine),
    // or when the network module cannot be loaded.
    DavClient(const QUrl& server, const QString& user, const QString& password, Limits limits);
    // Over the network module given (the loaded one, or a test's own), null when none loaded.
    DavClient(const QUrl& server, const QString& user, const QString& password, Limits limits,
              const TarveloNetworkModule* network);
    DavClient(const QUrl& server, const QString& user, const QString& password);
    ~DavClient();
    DavClient(const DavClient&) = delete;
    DavClient& operator=(const DavClient&) = delete;

    // Refuses what may not be asked: Spanish message naming the address and why.
    static void checkAddress(const QUrl& url);
    // The server's address as a person types it: "casa.example:5232" is https, as any server
    // but this machine must be; "localhost:5232" is plain http, as a server here usually is.
    static QUrl addressFrom(const QString& typed);
    // Whether url is on the server the password was given for (scheme, host and port), or on
    // one allowed since.
    bool sameServer(const QUrl& url) const;
    // Whether the password given for server may go to another that server names for the
    // user's calendars: both this machine, or both https under the same domain (iCloud's
    // calendars live on numbered hosts: caldav.icloud.com names p42-caldav.icloud.com).
    static bool mayFollow(const QUrl& server, const QUrl& other);
    // The server at url (scheme, host and port) is talked to as this one is; only for what
    // mayFollow allows.
    void allow(const QUrl& url);
    QUrl server() const { return server_; }
    QString host() const { return server_.host(); }

    // Throws SyncError for what no request can go on from: no connection, a certificate not
    // trusted, silence, a body too big, a wrong password (401), a redirect elsewhere, a server
    // failing (5xx).
    DavReply send(const DavRequest& request);
    // Every request, up to Limits::parallel at once; done is called with each answer as it
    // comes, in the order they come. A throw (from the network or from done) stops the rest
    // and leaves this function once the requests in flight are ended.
    void sendAll(const std::vector<DavRequest>& requests,
                 const std::function<void(std::size_t index, const DavReply& reply)>& done);

    // From any thread, while the client is alive: the requests in flight end and none is
    // made any more; what waits for them throws SyncError. The program ending mid-sync.
    void interrupt();

private:
    QUrl server_;
    HttpAuth auth_;
    QList<QUrl> allowed_; // other servers named for the user's calendars
    Limits limits_;
    const TarveloNetworkModule* network_ = nullptr;
    std::unique_ptr<QObject> access_;
    std::atomic<bool> interrupted_{false};
};
