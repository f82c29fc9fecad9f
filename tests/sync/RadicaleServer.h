#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <csignal>
#include <sys/prctl.h>

// A real calendar server for the tests: Debian's Radicale on 127.0.0.1, on a free port, with
// its own storage folder and kUsers accounts (user uN, password claveN), each with calendars
// only it sees, so that every case has a server of its own without starting one.
class RadicaleServer
{
public:
    static constexpr int kUsers = 40;

    ~RadicaleServer() { stop(); }

    static bool available()
    {
        return QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                 {QStringLiteral("-c"), QStringLiteral("import radicale")}) == 0;
    }

    bool start()
    {
        if (port_ == 0) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, 0))
                return false;
            port_ = probe.serverPort();
        }
        QFile users(dir_.filePath(QStringLiteral("users")));
        if (!users.open(QIODevice::WriteOnly))
            return false;
        for (int n = 0; n < kUsers; ++n)
            users.write(QStringLiteral("u%1:clave%1\n").arg(n).toUtf8());
        users.close();
        QFile config(dir_.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n[auth]\ntype = htpasswd\n"
                                    "htpasswd_filename = %2\nhtpasswd_encryption = plain\n"
                                    "delay = 0\n[storage]\nfilesystem_folder = %3\n"
                                    "[logging]\nlevel = warning\n")
                         .arg(port_)
                         .arg(users.fileName(), storage())
                         .toUtf8());
        config.close();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A test that crashes takes its server with it, rather than leaving it holding the
        // output that ctest waits on.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral("-m"), QStringLiteral("radicale"),
                        QStringLiteral("--config"), config.fileName()});
        if (!process_.waitForStarted())
            return false;
        for (int tries = 0; tries < 200; ++tries) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port_);
            if (socket.waitForConnected(100))
                return true;
            QTest::qWait(50);
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
    QString storage() const { return dir_.filePath(QStringLiteral("collections")); }
    static QString user(int n) { return QStringLiteral("u%1").arg(n); }
    static QString password(int n) { return QStringLiteral("clave%1").arg(n); }
    // Where the user's calendars are made (calendar-home-set): the principal itself.
    QUrl calendarHome(int n) const { return url().resolved(QUrl(u'/' + user(n) + u'/')); }
    // The events a user's calendar folder holds on disk.
    int eventFiles(int user, const QString& calendar = QStringLiteral("tarvelo")) const
    {
        return int(QDir(QStringLiteral("%1/collection-root/%2/%3")
                            .arg(storage(), RadicaleServer::user(user), calendar))
                       .entryList({QStringLiteral("*.ics")}, QDir::Files)
                       .size());
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};
