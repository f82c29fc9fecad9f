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

QString PasswordKeyring::entry(const QString& user, const QString& server)
{
    return user + u'@' + server;
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
    if (job.error() != QKeychain::NoError) {
        failure = job.errorString();
        return false;
    }
    return true;
}

std::optional<QString> PasswordKeyring::read(const QString& entry)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(entry);
    if (!finished(job) || job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.textData();
}
