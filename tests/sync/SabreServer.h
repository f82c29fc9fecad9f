#pragma once

#include <QProcess>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <csignal>
#include <sys/prctl.h>

#ifndef SYNC_TEST_DIR
#error "SYNC_TEST_DIR names this folder (the server's script); the CMakeLists defines it"
#endif

// A calendar server without sync-collection for the tests: Debian's sabre/dav 1.8 (the engine
// of older Baïkal and ownCloud) under PHP's own web server on 127.0.0.1, on a free port, with
// its SQLite store in a folder of its own. Users uN (password claveN, N < kUsers) each have a
// principal at /principals/uN/ and an empty calendar home at /calendars/uN/. Authentication is
// Basic, or Digest (realm "SabreDAV", qop "auth", MD5) as Baïkal's default is.
class SabreServer
{
public:
    static constexpr int kUsers = 40;
    enum class Auth
    {
        Basic,
        Digest
    };

    ~SabreServer() { stop(); }

    static bool available()
    {
        return QProcess::execute(QStringLiteral("/usr/bin/php"),
                                 {QStringLiteral("-r"),
                                  QStringLiteral("require 'Sabre/autoload.php'; "
                                                 "exit(class_exists('Sabre\\DAV\\Server') && "
                                                 "extension_loaded('pdo_sqlite') ? 0 : 1);")}) == 0;
    }

    // Started again after stop(), it keeps its port and its users' calendars; the
    // authentication may change.
    bool start(Auth auth = Auth::Basic)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SABRE_FOLDER"), dir_.path());
        env.insert(QStringLiteral("SABRE_AUTH"),
                   auth == Auth::Digest ? QStringLiteral("digest") : QStringLiteral("basic"));
        process_.setProcessEnvironment(env);
        // PHP's server notes every connection on its standard error: kept beside the store.
        process_.setStandardOutputFile(log(), QIODevice::Append);
        process_.setStandardErrorFile(log(), QIODevice::Append);
        // A port found free may be taken before PHP listens on it: then another.
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (port_ == 0 || attempt > 0) {
                QTcpServer probe;
                if (!probe.listen(QHostAddress::LocalHost, 0))
                    return false;
                port_ = probe.serverPort();
            }
            // A test that crashes takes its server with it, rather than leaving it holding the
            // output that ctest waits on.
            process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
            process_.start(QStringLiteral("/usr/bin/php"),
                           {QStringLiteral("-S"), QStringLiteral("127.0.0.1:%1").arg(port_),
                            QStringLiteral(SYNC_TEST_DIR "/sabre_server.php")});
            if (!process_.waitForStarted())
                return false;
            // Up in well under a second; minutes allowed for a loaded machine.
            for (int tries = 0; tries < 1200 && process_.state() == QProcess::Running; ++tries) {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, port_);
                if (socket.waitForConnected(100))
                    return true;
                QTest::qWait(100);
            }
            stop();
        }
        return false;
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished();
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_)); }
    static QString user(int n) { return QStringLiteral("u%1").arg(n); }
    static QString password(int n) { return QStringLiteral("clave%1").arg(n); }
    // Where the user's calendars are made (calendar-home-set).
    QUrl calendarHome(int n) const
    {
        return url().resolved(QUrl(QStringLiteral("/calendars/%1/").arg(user(n))));
    }
    // PHP's and sabre/dav's messages.
    QString log() const { return dir_.filePath(QStringLiteral("php.log")); }

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};
