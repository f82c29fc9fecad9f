#pragma once

#include <QFileInfo>
#include <QProcess>

#include <QTemporaryDir>
#include <QUrl>
#include <csignal>
#include <sys/prctl.h>

#ifndef SYNC_TEST_DIR
#error "SYNC_TEST_DIR names this folder (the server's front); the CMakeLists defines it"
#endif

// A second real calendar server for the tests: Debian's Xandikos on 127.0.0.1, on a free port,
// behind a small front of ours that asks for Basic authentication (Xandikos has none) and gives
// each user (uN, password claveN) a Xandikos of their own, started at the user's first request,
// with its principal at /uN/, its calendar home at /uN/calendars/ and a calendar named
// "calendar" there, as Xandikos makes for a new user. No user sees another's calendars.
class XandikosServer
{
public:
    static constexpr int kUsers = 40; // any uN answers; the number the tests may count on

    ~XandikosServer() { stop(); }

    static bool available()
    {
        return QFileInfo(QStringLiteral("/usr/bin/xandikos")).isExecutable();
    }

    // Started again after stop(), it keeps its port and its users' calendars.
    bool start()
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The front ends, with every Xandikos it started, when this pipe closes.
        // A test that crashes takes its server with it, rather than leaving it holding the
        // output that ctest waits on.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(SYNC_TEST_DIR "/xandikos_front.py"), dir_.path(),
                        QString::number(port_)});
        if (!process_.waitForStarted())
            return false;
        // The front prints its port once it listens; a loaded machine may take a while.
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(180000))
                return false;
        }
        port_ = quint16(process_.readLine().trimmed().toUInt());
        return port_ != 0;
    }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(60000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_)); }
    static QString user(int n) { return QStringLiteral("u%1").arg(n); }
    static QString password(int n) { return QStringLiteral("clave%1").arg(n); }
    // Where the user's calendars are made (calendar-home-set).
    QUrl calendarHome(int n) const
    {
        return url().resolved(QUrl(QStringLiteral("/%1/calendars/").arg(user(n))));
    }
    // Xandikos's own messages for user n, beside its data.
    QString log(int n) const { return dir_.filePath(user(n) + QStringLiteral(".log")); }

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};
