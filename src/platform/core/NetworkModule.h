#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QObject;

// What the network module (libtarvelo-network.so) offers: HTTP exchanges with a calendar server
// and the desktop's keyring. Only the module links Qt Network, Kerberos and the keyring's
// client, which would otherwise load with the program and slow every start; they load with the
// first sync or password instead. Qt Core's value types cross (both sides link the same Qt
// Core), nothing of the program's own classes does.

// What happens to one exchange, told on the thread that sent it.
struct TarveloExchangeEvents
{
    std::function<void()> alive;    // some of the request went up
    std::function<void()> head;     // the answer's status and headers came
    std::function<void()> readable; // some of its body came
    std::function<void(const QStringList& causes)> untrusted; // the certificate's, in Spanish
    std::function<void()> finished;
};

// How an exchange ended without an HTTP answer.
enum class TarveloExchangeFailure
{
    None,
    Certificate,
    HostNotFound,
    Refused,
    Cut,      // the server closed the connection before its answer was whole
    Protocol, // what came back was not HTTP (a server that speaks https only, say)
    Network
};

// How the keyring answered.
enum class TarveloKeyringAnswer
{
    Done,
    Silent, // did not answer in time
    NoKeyring,
    Denied,
    Failed,
    Missing // has no such entry
};

struct TarveloNetworkModule
{
    // An access point to the network, on the thread that makes it; direct: never through the
    // environment's proxy. Deleting it ends its exchanges.
    QObject* (*newAccess)(bool direct);
    // One request; the exchange is a child of access, deleted with deleteLater().
    QObject* (*send)(QObject* access, const QUrl& url, const QByteArray& verb,
                     const QList<QPair<QByteArray, QByteArray>>& headers, const QByteArray& body,
                     TarveloExchangeEvents events);
    // Every exchange of access that still runs ends now, each with its finished.
    void (*abortAll)(QObject* access);
    void (*abort)(QObject* exchange);
    bool (*running)(const QObject* exchange);
    int (*status)(const QObject* exchange);    // 0 while there is no HTTP answer
    qint64 (*length)(const QObject* exchange); // the announced body length, -1 when none
    QByteArray (*header)(const QObject* exchange, const QByteArray& name);
    qint64 (*available)(const QObject* exchange);
    QByteArray (*read)(QObject* exchange, qint64 most);
    // Why it ended without an answer; cause says it in Spanish for Network.
    TarveloExchangeFailure (*failure)(const QObject* exchange, QString* cause);

    // The keyring's entry of service, waited for at most waitMs.
    TarveloKeyringAnswer (*storePassword)(const QString& service, const QString& entry,
                                          const QString& password, int waitMs);
    TarveloKeyringAnswer (*readPassword)(const QString& service, const QString& entry,
                                         QString* password, int waitMs);
    TarveloKeyringAnswer (*forgetPassword)(const QString& service, const QString& entry,
                                           int waitMs);
};
using TarveloNetworkEntry = const TarveloNetworkModule* (*)();

// The one symbol the module exports: it returns the table above.
inline constexpr char kTarveloNetworkEntry[] = "tarvelo_network_module";
