#include "sync/DavClient.h"

#include "sync/SyncError.h"

#include "platform/core/Network.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include <arpa/inet.h>

#include <algorithm>
#include <deque>
#include <exception>
#include <list>

namespace {

constexpr int kMaxRedirects = 5;
// Answers to one request's authentication challenges: Basic to Digest, then a stale nonce.
constexpr int kMaxChallenges = 3;

bool isLoopback(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    if (::inet_pton(AF_INET, text.constData(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (::inet_pton(AF_INET6, text.constData(), &v6) != 1)
        return false;
    if (IN6_IS_ADDR_LOOPBACK(&v6))
        return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
}

bool isNumber(const QString& host)
{
    const QByteArray text = host.toLatin1();
    in_addr v4{};
    in6_addr v6{};
    return ::inet_pton(AF_INET, text.constData(), &v4) == 1 ||
           ::inet_pton(AF_INET6, text.constData(), &v6) == 1;
}

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / (1024 * 1024));
}

// Retry-After: a number of seconds, or an HTTP date.
std::optional<int> retryAfterOf(const QByteArray& value)
{
    bool number = false;
    const int seconds = value.trimmed().toInt(&number);
    if (number)
        return seconds >= 0 ? std::optional(seconds) : std::nullopt;
    const QDateTime when =
        QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
    if (!when.isValid())
        return std::nullopt;
    return int(std::max<qint64>(0, QDateTime::currentDateTimeUtc().secsTo(when)));
}

} // namespace

DavClient::DavClient(const QUrl& server, const QString& user, const QString& password)
    : DavClient(server, user, password, Limits{})
{
}

DavClient::DavClient(const QUrl& server, const QString& user, const QString& password,
                     Limits limits)
    : DavClient(server, user, password, limits, Network::module())
{
}

DavClient::DavClient(const QUrl& server, const QString& user, const QString& password,
                     Limits limits, const TarveloNetworkModule* network)
    : server_(server), auth_(user, password), limits_(limits), network_(network)
{
    checkAddress(server);
    // Why the module did not load is on stderr: the loader's own words are English.
    if (!network_) {
        throw SyncError(QStringLiteral("No se puede hablar con el servidor «%1»: falta "
                                       "libtarvelo-network.so o no se puede cargar. Instale "
                                       "Tarvelo de nuevo.")
                            .arg(server.host()),
                        SyncError::Kind::Setup);
    }
    // The password goes to the server alone, never through a proxy the environment names.
    access_.reset(network_->newAccess(isLoopback(server.host())));
}

DavClient::~DavClient() = default;

QUrl DavClient::addressFrom(const QString& typed)
{
    const QString text = typed.trimmed();
    if (text.contains(QLatin1String("://")))
        return QUrl(text, QUrl::TolerantMode);
    QUrl url = QUrl::fromUserInput(text);
    if (!isLoopback(url.host()))
        url.setScheme(QStringLiteral("https"));
    return url;
}

void DavClient::interrupt()
{
    interrupted_ = true;
    // The replies live on the client's thread, which waits for them in its event loop.
    QMetaObject::invokeMethod(
        access_.get(), [network = network_, access = access_.get()] { network->abortAll(access); },
        Qt::QueuedConnection);
}

void DavClient::checkAddress(const QUrl& url)
{
    const QString shown = url.toString(QUrl::RemoveUserInfo);
    if (!url.isValid() || url.host().isEmpty()) {
        throw SyncError(
            QStringLiteral("«%1» no es la dirección de un servidor (falta el nombre del servidor).")
                .arg(shown),
            SyncError::Kind::Address);
    }
    if (!url.userInfo().isEmpty()) {
        throw SyncError(QStringLiteral("La dirección «%1» lleva un usuario o una contraseña: "
                                       "el usuario se da aparte y la contraseña nunca va en la "
                                       "dirección.")
                            .arg(shown),
                        SyncError::Kind::Address);
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return;
    if (scheme == QLatin1String("http") && isLoopback(url.host()))
        return;
    throw SyncError(QStringLiteral("«%1»: solo se admiten direcciones https (http únicamente "
                                   "para un servidor en este mismo equipo), para que la "
                                   "contraseña y los días no viajen sin cifrar.")
                        .arg(shown),
                    SyncError::Kind::Address);
}

namespace {

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(b.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

// The domain a host is under: the host without its first label, unless that leaves a suffix
// anyone may register under (a top-level domain, or a country's "co.uk", "com.ar"...).
QString domainOf(const QString& host)
{
    const QStringList labels = host.toLower().split(u'.');
    if (labels.size() < 3)
        return labels.size() == 2 ? host.toLower() : QString();
    const QStringList parent = labels.mid(1);
    static const QStringList kShared{
        QStringLiteral("co"),  QStringLiteral("com"), QStringLiteral("org"), QStringLiteral("net"),
        QStringLiteral("gov"), QStringLiteral("gob"), QStringLiteral("edu"), QStringLiteral("ac"),
        QStringLiteral("or"),  QStringLiteral("ne"),  QStringLiteral("nom")};
    if (parent.size() == 2 && parent.last().size() == 2 && kShared.contains(parent.first()))
        return host.toLower();
    return parent.join(u'.');
}

} // namespace

bool DavClient::sameServer(const QUrl& url) const
{
    if (sameOrigin(url, server_))
        return true;
    return std::any_of(allowed_.begin(), allowed_.end(),
                       [&](const QUrl& other) { return sameOrigin(url, other); });
}

bool DavClient::mayFollow(const QUrl& server, const QUrl& other)
{
    if (!other.isValid() || other.host().isEmpty() || !other.userInfo().isEmpty())
        return false;
    if (isLoopback(server.host()) && isLoopback(other.host()))
        return other.scheme() == QLatin1String("http") || other.scheme() == QLatin1String("https");
    if (server.scheme() != QLatin1String("https") || other.scheme() != QLatin1String("https"))
        return false;
    // Numbers are no domain.
    if (isNumber(other.host()) || isNumber(server.host()))
        return false;
    const QString domain = domainOf(server.host());
    const QString host = other.host().toLower();
    return !domain.isEmpty() && (host == domain || host.endsWith(u'.' + domain));
}

void DavClient::allow(const QUrl& url)
{
    if (!sameServer(url))
        allowed_.append(url);
}

DavReply DavClient::send(const DavRequest& request)
{
    DavReply answer;
    sendAll({request}, [&answer](std::size_t, const DavReply& reply) { answer = reply; });
    return answer;
}

namespace {

struct Flight
{
    std::size_t index = 0;
    DavRequest request;
    QObject* reply = nullptr; // the module's exchange
    QByteArray body;
    int redirects = 0;
    QByteArray authorization; // as sent, to tell a refused password from a new nonce
    int authorized = 0;       // times sent again with a new answer to the server's challenge
    bool challenged = false;  // to be sent again with the answer to a challenge
    bool tooBig = false;
    bool silent = false;
    bool tooLong = false;
    QStringList sslErrors;
    // Children of the reply: a timer may be what ends the flight (its timeout aborts the reply,
    // which lands the flight at once), so it lives on with the reply, stopped.
    QTimer* idle = nullptr;
    QTimer* whole = nullptr;
};

} // namespace

void DavClient::sendAll(const std::vector<DavRequest>& requests,
                        const std::function<void(std::size_t, const DavReply&)>& done)
{
    QEventLoop loop;
    std::deque<std::pair<std::size_t, DavRequest>> waiting;
    for (std::size_t i = 0; i < requests.size(); ++i)
        waiting.emplace_back(i, requests[i]);
    std::list<Flight> flying;
    std::exception_ptr failure;
    const QString host = server_.host();

    std::function<void(Flight&)> launch;
    std::function<void(std::list<Flight>::iterator)> landed;

    const auto startNext = [&] {
        while (!failure && !waiting.empty() && int(flying.size()) < std::max(1, limits_.parallel)) {
            Flight& flight = flying.emplace_back();
            flight.index = waiting.front().first;
            flight.request = std::move(waiting.front().second);
            waiting.pop_front();
            try {
                launch(flight);
            } catch (...) {
                flying.pop_back();
                throw;
            }
        }
        if (flying.empty())
            loop.quit();
    };

    const auto interrupted = [&] {
        return SyncError(QStringLiteral("Se ha interrumpido la conversación con el servidor «%1».")
                             .arg(host),
                         SyncError::Kind::Unreachable)
            .about(host);
    };

    launch = [&](Flight& flight) {
        if (interrupted_)
            throw interrupted();
        if (!sameServer(flight.request.url)) {
            throw SyncError(QStringLiteral("El servidor «%1» remite a otro («%2»): no se le envía "
                                           "nada.")
                                .arg(host, flight.request.url.host()))
                .about(host);
        }
        flight.authorization = auth_.header(flight.request.verb, flight.request.url);
        QList<QPair<QByteArray, QByteArray>> headers{{"Authorization", flight.authorization},
                                                     {"User-Agent", "Tarvelo"}};
        bool typed = false;
        for (const auto& header : flight.request.headers) {
            headers << header;
            typed = typed || header.first.compare("Content-Type", Qt::CaseInsensitive) == 0;
        }
        if (!flight.request.body.isEmpty() && !typed)
            headers << qMakePair(QByteArray("Content-Type"),
                                 QByteArray("application/xml; charset=utf-8"));
        flight.body.clear();
        Flight* f = &flight;
        TarveloExchangeEvents events;
        events.alive = [f] { f->idle->start(); };
        events.head = [this, f] {
            f->idle->start();
            if (network_->length(f->reply) > limits_.maxBody) {
                f->tooBig = true;
                network_->abort(f->reply);
            }
        };
        events.readable = [this, f] {
            f->idle->start();
            // Only what is there: read(n) would set aside n bytes first.
            f->body += network_->read(f->reply, std::min(network_->available(f->reply),
                                                         limits_.maxBody + 1 - f->body.size()));
            if (f->body.size() > limits_.maxBody) {
                f->tooBig = true;
                network_->abort(f->reply);
            }
        };
        events.untrusted = [f](const QStringList& causes) { f->sslErrors << causes; };
        events.finished = [&, f] {
            for (auto it = flying.begin(); it != flying.end(); ++it) {
                if (&*it == f) {
                    landed(it);
                    return;
                }
            }
        };
        flight.reply = network_->send(access_.get(), flight.request.url, flight.request.verb,
                                      headers, flight.request.body, std::move(events));
        QObject* reply = flight.reply;
        flight.idle = new QTimer(reply);
        flight.idle->setSingleShot(true);
        flight.idle->setInterval(limits_.idleMs);
        flight.whole = new QTimer(reply);
        flight.whole->setSingleShot(true);
        flight.whole->setInterval(limits_.wholeMs);
        QObject::connect(f->idle, &QTimer::timeout, reply, [this, f] {
            f->silent = true;
            network_->abort(f->reply);
        });
        QObject::connect(f->whole, &QTimer::timeout, reply, [this, f] {
            f->tooLong = true;
            network_->abort(f->reply);
        });
        flight.idle->start();
        flight.whole->start();
    };

    // What came back, as an answer or as the reason nothing more is asked.
    const auto verdict = [&](Flight& f) -> std::optional<DavReply> {
        QObject* reply = f.reply;
        if (interrupted_)
            throw interrupted();
        const auto failed = [&](const QString& message, SyncError::Kind kind, int status = 0) {
            return SyncError(message, kind).about(host, status);
        };
        if (f.tooBig) {
            throw failed(QStringLiteral("La respuesta de «%1» pasa de %2 MB: no se lee.")
                             .arg(host, megabytes(limits_.maxBody)),
                         SyncError::Kind::Limit);
        }
        if (f.silent) {
            throw failed(QStringLiteral("El servidor «%1» no ha respondido en %2 segundos.")
                             .arg(host)
                             .arg(limits_.idleMs / 1000),
                         SyncError::Kind::Unreachable);
        }
        if (f.tooLong) {
            throw failed(QStringLiteral("El servidor «%1» no ha terminado de responder en %2 "
                                        "segundos.")
                             .arg(host)
                             .arg(limits_.wholeMs / 1000),
                         SyncError::Kind::Limit);
        }
        // A plain http address to a server that answers only over https gets no HTTP back.
        const bool plain =
            f.request.url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
        const QString httpsHint =
            plain ? QStringLiteral(" Si el servidor solo atiende por https, escriba la dirección "
                                   "empezando por https://.")
                  : QString();
        const int status = network_->status(reply);
        QString cause;
        const TarveloExchangeFailure ended = network_->failure(reply, &cause);
        if (status == 0) {
            if (!f.sslErrors.isEmpty()) {
                f.sslErrors.removeDuplicates();
                throw failed(QStringLiteral("El certificado de «%1» no es de confianza: %2.")
                                 .arg(host, f.sslErrors.join(QStringLiteral("; "))),
                             SyncError::Kind::Certificate);
            }
            if (ended == TarveloExchangeFailure::Certificate) {
                // No certificate was ever shown: what answered does not speak https at all.
                throw failed(QStringLiteral("El servidor «%1» no responde por https: la conexión "
                                            "segura no se ha podido establecer. Si solo atiende "
                                            "por http, Tarvelo no puede usarlo salvo en este "
                                            "mismo equipo (escriba entonces http://).")
                                 .arg(host),
                             SyncError::Kind::Refused);
            }
            if (ended == TarveloExchangeFailure::HostNotFound) {
                throw failed(QStringLiteral("No se encuentra el servidor «%1».").arg(host),
                             SyncError::Kind::Unreachable);
            }
            if (ended == TarveloExchangeFailure::Refused) {
                throw failed(QStringLiteral("El servidor «%1» no acepta conexiones (¿está en "
                                            "marcha?).")
                                 .arg(host),
                             SyncError::Kind::Unreachable);
            }
            if (ended == TarveloExchangeFailure::Cut) {
                throw failed(QStringLiteral("El servidor «%1» ha cortado la conexión sin "
                                            "responder.")
                                     .arg(host) +
                                 httpsHint,
                             SyncError::Kind::Unreachable);
            }
            if (ended == TarveloExchangeFailure::Protocol) {
                throw failed(
                    QStringLiteral("El servidor «%1» no responde como un servidor web.").arg(host) +
                        httpsHint,
                    SyncError::Kind::Refused);
            }
            throw failed(
                QStringLiteral("No se puede hablar con el servidor «%1»: %2.").arg(host, cause),
                SyncError::Kind::Unreachable);
        }
        if (ended == TarveloExchangeFailure::Cut) {
            // The head came, the body did not: a cut connection, not a bad answer.
            throw failed(QStringLiteral("El servidor «%1» ha cortado la conexión a media "
                                        "respuesta.")
                             .arg(host),
                         SyncError::Kind::Unreachable, status);
        }
        if (status == 401) {
            if (f.authorized < kMaxChallenges &&
                auth_.answer(f.authorization, network_->header(reply, "WWW-Authenticate"))) {
                f.challenged = true;
                return std::nullopt;
            }
            if (!auth_.unknownSchemes().isEmpty()) {
                throw failed(QStringLiteral("El servidor «%1» pide identificarse de una forma que "
                                            "Tarvelo no conoce (%2); Tarvelo sabe hacerlo con "
                                            "Basic y con Digest.")
                                 .arg(host, auth_.unknownSchemes()),
                             SyncError::Kind::Refused, status);
            }
            throw failed(
                QStringLiteral("El servidor «%1» no acepta el usuario o la contraseña.").arg(host),
                SyncError::Kind::WrongPassword, status);
        }
        if (status == 503 || status == 429) {
            SyncError busy = failed(QStringLiteral("El servidor «%1» está ocupado (HTTP %2): se "
                                                   "volverá a intentar más tarde.")
                                        .arg(host)
                                        .arg(status),
                                    SyncError::Kind::RetryLater, status);
            busy.retryAfter = retryAfterOf(network_->header(reply, "Retry-After"));
            throw busy;
        }
        if (status >= 500) {
            throw failed(
                QStringLiteral("El servidor «%1» ha fallado (HTTP %2).").arg(host).arg(status),
                SyncError::Kind::Refused, status);
        }
        if (status >= 300 && status < 400 && status != 304) {
            const QUrl location = f.request.url.resolved(
                QUrl::fromEncoded(network_->header(reply, "Location"), QUrl::StrictMode));
            if (!location.isValid() || location.isEmpty() || !sameServer(location)) {
                throw failed(
                    QStringLiteral("El servidor «%1» remite a otro («%2»): no se le "
                                   "envía nada.")
                        .arg(host, location.toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery)),
                    SyncError::Kind::Refused, status);
            }
            if (f.redirects >= kMaxRedirects) {
                throw failed(
                    QStringLiteral("El servidor «%1» remite de una dirección a otra sin fin.")
                        .arg(host),
                    SyncError::Kind::Refused, status);
            }
            return std::nullopt;
        }
        DavReply answer;
        answer.status = status;
        answer.body = f.body + network_->read(reply, std::min(network_->available(reply),
                                                              limits_.maxBody + 1 - f.body.size()));
        if (answer.body.size() > limits_.maxBody) {
            throw failed(QStringLiteral("La respuesta de «%1» pasa de %2 MB: no se lee.")
                             .arg(host, megabytes(limits_.maxBody)),
                         SyncError::Kind::Limit, status);
        }
        answer.etag = network_->header(reply, "ETag");
        answer.url = f.request.url;
        return answer;
    };

    // Whatever is in flight ends now; its answers are not looked at. Aborting lands a
    // request at once, which takes it off flying: the replies are gathered first.
    const auto fail = [&](const Flight* current) {
        if (!failure)
            failure = std::current_exception();
        std::vector<QObject*> running;
        for (Flight& other : flying) {
            if (&other != current && other.reply && network_->running(other.reply))
                running.push_back(other.reply);
        }
        for (QObject* reply : running)
            network_->abort(reply);
    };

    landed = [&](std::list<Flight>::iterator it) {
        Flight& f = *it;
        f.idle->stop();
        f.whole->stop();
        QObject* reply = f.reply;
        try {
            if (!failure) {
                const std::optional<DavReply> answer = verdict(f);
                if (!answer && f.challenged) {
                    f.challenged = false;
                    ++f.authorized;
                    reply->deleteLater();
                    launch(f);
                    return;
                }
                if (!answer) {
                    f.request.url = f.request.url.resolved(
                        QUrl::fromEncoded(network_->header(reply, "Location"), QUrl::StrictMode));
                    ++f.redirects;
                    reply->deleteLater();
                    launch(f);
                    return;
                }
                done(f.index, *answer);
            }
        } catch (...) {
            fail(&f);
        }
        reply->deleteLater();
        flying.erase(it);
        try {
            startNext();
        } catch (...) {
            fail(nullptr);
            if (flying.empty())
                loop.quit();
        }
    };

    try {
        startNext();
    } catch (...) {
        fail(nullptr);
    }
    if (!flying.empty())
        loop.exec();
    if (failure)
        std::rethrow_exception(failure);
}
