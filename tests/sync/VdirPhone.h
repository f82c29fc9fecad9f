#pragma once

#include <QDate>
#include <QDebug>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#ifndef SYNC_TEST_DIR
#error "SYNC_TEST_DIR names this folder (the phone's script); the CMakeLists defines it"
#endif

// The phone as a person sets one up on a desktop: Debian's vdirsyncer keeps a folder of .ics
// files in step with one calendar (Basic authentication: vdirsyncer 0.19 cannot do Digest),
// the files change as a phone's calendar changes its events, and khal shows the result. Each
// call syncs first and syncs its change back at once; a failure is said on the test's output
// and answered with "<falló>" (or false).
class VdirPhone
{
public:
    VdirPhone(const QUrl& calendar, const QString& user, const QString& password)
        : calendar_(calendar), user_(user), password_(password)
    {
    }

    static bool available()
    {
        return QFileInfo(QStringLiteral("/usr/bin/vdirsyncer")).isExecutable() &&
               QFileInfo(QStringLiteral("/usr/bin/khal")).isExecutable() &&
               QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                 {QStringLiteral("-c"), QStringLiteral("import icalendar")}) == 0;
    }

    bool sync() { return !failed(run({QStringLiteral("sync")})); }
    // One line per event the phone keeps: UID, SUMMARY, DTSTART, RRULE (tab-separated).
    QStringList events() { return lines(run({QStringLiteral("list")})); }
    // What khal shows from one day to another: a line per occurrence, "date\ttime\ttitle"
    // (time empty for a day's event), the dates as yyyy-MM-dd.
    QStringList shown(const QDate& from, const QDate& to)
    {
        return lines(
            run({QStringLiteral("show"), from.toString(Qt::ISODate), to.toString(Qt::ISODate)}));
    }
    // A new event on that day (time "HH:mm" or empty for the whole day), with further property
    // lines such as "RRULE:FREQ=WEEKLY"; its UID.
    QString add(const QDate& day, const QString& time, const QString& summary,
                const QStringList& lines = {})
    {
        QStringList command{QStringLiteral("add"), day.toString(Qt::ISODate)};
        if (!time.isEmpty())
            command << time;
        return run(command << summary << lines).trimmed();
    }
    // The event (every occurrence of a series) moved to start on that day, keeping its length.
    bool move(const QString& uid, const QDate& day)
    {
        return !failed(run({QStringLiteral("move"), uid, day.toString(Qt::ISODate)}));
    }
    bool rename(const QString& uid, const QString& summary)
    {
        return !failed(run({QStringLiteral("rename"), uid, summary}));
    }
    bool remove(const QString& uid) { return !failed(run({QStringLiteral("delete"), uid})); }

    static bool failed(const QString& answer) { return answer == QLatin1String("<falló>"); }

private:
    QString run(const QStringList& command)
    {
        QProcess process;
        process.start(QStringLiteral("/usr/bin/python3"),
                      QStringList{QStringLiteral(SYNC_TEST_DIR "/vdir_phone.py"), dir_.path(),
                                  calendar_.toString(), user_, password_} +
                          command);
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            qWarning() << "vdir phone" << command << process.readAllStandardError();
            return QStringLiteral("<falló>");
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    static QStringList lines(const QString& text)
    {
        if (failed(text))
            return {text};
        return text.split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir_;
    QUrl calendar_;
    QString user_;
    QString password_;
};
