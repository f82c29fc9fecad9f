#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The desktop's keyring (Secret Service, KWallet) as the one place a server's password is
// kept: never a file, and never a file in its stead when no keyring answers.
class PasswordKeyring
{
public:
    PasswordKeyring() = delete;

    // How long a keyring that does not answer is waited for.
    static constexpr int kWaitMs = 5000;

    // False where TARVELO_SIN_LLAVERO is set: tests, and a machine whose keyring should not
    // be asked, go without one.
    static bool wanted();

    // The entry of user on the server at host[:port].
    static QString entry(const QString& user, const QString& server);
    static QString entry(const QString& user, const QUrl& server);
    // True when the keyring took it; why not, in Spanish, in failure.
    static bool store(const QString& entry, const QString& password, QString& failure);
    // None when the keyring has none or does not answer.
    static std::optional<QString> read(const QString& entry);
    // The password is no longer to be remembered; an entry that is not there is no failure.
    static void forget(const QString& entry);
};
