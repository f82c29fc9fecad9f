// The network module: Qt Network and the keyring's client behind the table of NetworkModule.h.
#include "platform/core/NetworkModule.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslError>
#include <QTimer>

#include <memory>

namespace {

QNetworkReply* exchange(QObject* opaque)
{
    return static_cast<QNetworkReply*>(opaque);
}

const QNetworkReply* exchange(const QObject* opaque)
{
    return static_cast<const QNetworkReply*>(opaque);
}

// Qt's own words for these are English: the user is told in Spanish.
QString networkCause(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("ha cortado la conexión");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("la conexión ha tardado demasiado");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("la red no está disponible");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("el proxy de la red no deja pasar");
    default:
        return QStringLiteral("error de red %1").arg(int(error));
    }
}

QString certificateCause(const QSslError& error)
{
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return QStringLiteral("está firmado por él mismo");
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("lo firma una autoridad que este equipo no conoce");
    case QSslError::CertificateExpired:
        return QStringLiteral("ha caducado");
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("aún no es válido");
    case QSslError::HostNameMismatch:
        return QStringLiteral("es de otro nombre de servidor");
    case QSslError::CertificateRevoked:
        return QStringLiteral("ha sido revocado");
    default:
        return QStringLiteral("no se puede comprobar (error %1)").arg(int(error.error()));
    }
}

QObject* newAccess(bool direct)
{
    auto* access = new QNetworkAccessManager;
    access->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    if (direct)
        access->setProxy(QNetworkProxy::NoProxy);
    access->setAutoDeleteReplies(false);
    return access;
}

QObject* send(QObject* access, const QUrl& url, const QByteArray& verb,
              const QList<QPair<QByteArray, QByteArray>>& headers, const QByteArray& body,
              TarveloExchangeEvents events)
{
    QNetworkRequest request(url);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply =
        static_cast<QNetworkAccessManager*>(access)->sendCustomRequest(request, verb, body);
    QObject::connect(reply, &QNetworkReply::uploadProgress, reply,
                     [alive = std::move(events.alive)] { alive(); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply,
                     [head = std::move(events.head)] { head(); });
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [readable = std::move(events.readable)] { readable(); });
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [untrusted = std::move(events.untrusted)](const QList<QSslError>& errors) {
                         QStringList causes;
                         for (const QSslError& error : errors)
                             causes << certificateCause(error);
                         untrusted(causes);
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [finished = std::move(events.finished)] { finished(); });
    return reply;
}

void abortAll(QObject* access)
{
    for (QNetworkReply* reply : access->findChildren<QNetworkReply*>()) {
        if (reply->isRunning())
            reply->abort();
    }
}

TarveloExchangeFailure failure(const QObject* opaque, QString* cause)
{
    const QNetworkReply::NetworkError error = exchange(opaque)->error();
    if (cause)
        *cause = networkCause(error);
    switch (error) {
    case QNetworkReply::NoError:
        return TarveloExchangeFailure::None;
    case QNetworkReply::SslHandshakeFailedError:
        return TarveloExchangeFailure::Certificate;
    case QNetworkReply::HostNotFoundError:
        return TarveloExchangeFailure::HostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return TarveloExchangeFailure::Refused;
    case QNetworkReply::RemoteHostClosedError:
        return TarveloExchangeFailure::Cut;
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::UnknownNetworkError:
        return TarveloExchangeFailure::Protocol;
    default:
        return TarveloExchangeFailure::Network;
    }
}

// What a keyring job answered, shared between the job and whoever waits for it: a keyring
// that asks the user (a new keyring's password) may answer long after the wait is over, and
// then writes here, never into a waiter gone.
struct KeyringAnswer
{
    bool done = false;
    QKeychain::Error error = QKeychain::NoError;
    QString text;
};

TarveloKeyringAnswer answerOf(const KeyringAnswer& answer)
{
    if (!answer.done)
        return TarveloKeyringAnswer::Silent;
    switch (answer.error) {
    case QKeychain::NoError:
        return TarveloKeyringAnswer::Done;
    case QKeychain::EntryNotFound:
        return TarveloKeyringAnswer::Missing;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return TarveloKeyringAnswer::NoKeyring;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return TarveloKeyringAnswer::Denied;
    default:
        return TarveloKeyringAnswer::Failed;
    }
}

// Runs a keyring job (made on the heap, deleting itself once it answers) to its end, or until
// the keyring has been waited for long enough: the job lives on past the wait.
TarveloKeyringAnswer run(QKeychain::Job* job, int waitMs, QString* text = nullptr)
{
    auto answer = std::make_shared<KeyringAnswer>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    QObject::connect(job, &QKeychain::Job::finished, job, [answer, waiting](QKeychain::Job* ended) {
        answer->done = true;
        answer->error = ended->error();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(ended))
            answer->text = read->textData();
        if (waiting)
            waiting->quit();
    });
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    // Never a file beside the store when no keyring answers.
    job->setInsecureFallback(false);
    job->start();
    if (!answer->done)
        loop.exec();
    if (text && answer->done)
        *text = answer->text;
    return answerOf(*answer);
}

// How long the keyring is waited for: the caller's, or less where tests ask for it to see a
// keyring answering late.
int keyringWait(int waitMs)
{
    bool ok = false;
    const int wanted = qEnvironmentVariableIntValue("TARVELO_ESPERA_LLAVERO_MS", &ok);
    return ok && wanted >= 0 ? wanted : waitMs;
}

const TarveloNetworkModule kModule{
    newAccess,
    send,
    abortAll,
    [](QObject* opaque) { exchange(opaque)->abort(); },
    [](const QObject* opaque) { return exchange(opaque)->isRunning(); },
    [](const QObject* opaque) {
        return exchange(opaque)->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    },
    [](const QObject* opaque) {
        const QVariant length = exchange(opaque)->header(QNetworkRequest::ContentLengthHeader);
        return length.isValid() ? length.toLongLong() : qint64(-1);
    },
    [](const QObject* opaque, const QByteArray& name) { return exchange(opaque)->rawHeader(name); },
    [](const QObject* opaque) { return exchange(opaque)->bytesAvailable(); },
    [](QObject* opaque, qint64 most) { return exchange(opaque)->read(most); },
    failure,
    [](const QString& service, const QString& entry, const QString& password, int waitMs) {
        auto* job = new QKeychain::WritePasswordJob(service);
        job->setKey(entry);
        job->setTextData(password);
        return run(job, keyringWait(waitMs));
    },
    [](const QString& service, const QString& entry, QString* password, int waitMs) {
        auto* job = new QKeychain::ReadPasswordJob(service);
        job->setKey(entry);
        QString text;
        const TarveloKeyringAnswer answer = run(job, keyringWait(waitMs), &text);
        if (answer == TarveloKeyringAnswer::Done)
            *password = text;
        return answer;
    },
    [](const QString& service, const QString& entry, int waitMs) {
        auto* job = new QKeychain::DeletePasswordJob(service);
        job->setKey(entry);
        return run(job, keyringWait(waitMs));
    },
};

} // namespace

extern "C" Q_DECL_EXPORT const TarveloNetworkModule* tarvelo_network_module()
{
    return &kModule;
}
