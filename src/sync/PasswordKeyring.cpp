#include "sync/PasswordKeyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>

namespace {

const QString kService = QStringLiteral("Tarvelo");

// Runs a keyring job to its end, or until the keyring has been waited for long enough.
bool finished(QKeychain::Job& job)
{
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(PasswordKeyring::kWaitMs, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    // Never a file beside the store when no keyring answers.
    job.setInsecureFallback(false);
    job.start();
    if (!done)
        loop.exec();
    return done;
}

} // namespace

bool PasswordKeyring::wanted()
{
    return !qEnvironmentVariableIsSet("TARVELO_SIN_LLAVERO");
}

QString PasswordKeyring::entry(const QString& user, const QString& server)
{
    return user + u'@' + server;
}

QString PasswordKeyring::entry(const QString& user, const QUrl& server)
{
    return entry(user, server.port() == -1 ? server.host()
                                           : server.host() + u':' + QString::number(server.port()));
}

bool PasswordKeyring::store(const QString& entry, const QString& password, QString& failure)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(entry);
    job.setTextData(password);
    if (!finished(job)) {
        failure = QStringLiteral("el llavero del escritorio no responde");
        return false;
    }
    // The keyring's own words are English: the user is told in Spanish.
    switch (job.error()) {
    case QKeychain::NoError:
        return true;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        failure = QStringLiteral("este escritorio no tiene llavero");
        break;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        failure = QStringLiteral("el llavero no lo ha permitido");
        break;
    default:
        failure = QStringLiteral("el llavero ha fallado");
        break;
    }
    return false;
}

void PasswordKeyring::forget(const QString& entry)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(entry);
    finished(job);
}

std::optional<QString> PasswordKeyring::read(const QString& entry)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(entry);
    if (!finished(job) || job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.textData();
}
