#include "sync/PasswordKeyring.h"

#include "platform/core/Network.h"

namespace {

const QString kService = QStringLiteral("Tarvelo");

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
    const TarveloNetworkModule* network = Network::module();
    if (!network) {
        failure = QStringLiteral("falta libtarvelo-network.so, que habla con el llavero");
        return false;
    }
    // The keyring's own words are English: the user is told in Spanish.
    switch (network->storePassword(kService, entry, password, kWaitMs)) {
    case TarveloKeyringAnswer::Done:
        return true;
    case TarveloKeyringAnswer::Silent:
        failure = QStringLiteral("el llavero del escritorio no responde");
        break;
    case TarveloKeyringAnswer::NoKeyring:
        failure = QStringLiteral("este escritorio no tiene llavero");
        break;
    case TarveloKeyringAnswer::Denied:
        failure = QStringLiteral("el llavero no lo ha permitido");
        break;
    case TarveloKeyringAnswer::Missing:
    case TarveloKeyringAnswer::Failed:
        failure = QStringLiteral("el llavero ha fallado");
        break;
    }
    return false;
}

void PasswordKeyring::forget(const QString& entry)
{
    if (const TarveloNetworkModule* network = Network::module())
        network->forgetPassword(kService, entry, kWaitMs);
}

std::optional<QString> PasswordKeyring::read(const QString& entry)
{
    const TarveloNetworkModule* network = Network::module();
    QString password;
    if (!network ||
        network->readPassword(kService, entry, &password, kWaitMs) != TarveloKeyringAnswer::Done)
        return std::nullopt;
    return password;
}
