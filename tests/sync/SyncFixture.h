#pragma once

#include "RadicaleServer.h"
#include "TestStore.h"
#include "store/domain/NotitaBook.h"
#include "store/domain/SyncBook.h"
#include "sync/CalDavServer.h"
#include "sync/CalendarSync.h"
#include "sync/DavClient.h"

#include <QProcess>
#include <QTest>

#include <memory>

#ifndef SYNC_TEST_DIR
#error "SYNC_TEST_DIR names this folder (the phone's script); the CMakeLists defines it"
#endif

// One machine with Tarvelo: a store of its own, synced as user n (uN, password claveN, as every
// test server has them) of a shared server.
struct Machine
{
    template <typename Server> Machine(const Server& on, int n) : url(on.url()), user(n) {}

    DavClient client() const
    {
        return DavClient(url, RadicaleServer::user(user), RadicaleServer::password(user));
    }
    void setUp()
    {
        DavClient c = client();
        CalendarSync::setUp(*store.store, c, url, RadicaleServer::user(user));
    }
    SyncReport sync(CalendarSync::WhenEmptied whenEmptied = CalendarSync::WhenEmptied::Refuse)
    {
        DavClient c = client();
        return CalendarSync(*store.store, c).run(whenEmptied);
    }
    // The calendar this machine syncs with, as the set-up found it.
    QUrl calendar() { return CalendarSync::account(*store.store)->calendar; }
    // How many events and entries the server's calendar holds.
    int onServer()
    {
        DavClient c = client();
        return int(CalDavServer(c).list(calendar(), QString(), false).present.size());
    }
    // Another program deletes the calendar on the server and makes it again, empty.
    void remakeCalendar()
    {
        DavClient c = client();
        const QUrl at = calendar();
        QVERIFY(c.send({"DELETE", at, {}, {}}).status / 100 == 2);
        CalDavServer dav(c);
        const QUrl home = at.resolved(QUrl(QStringLiteral("..")));
        QCOMPARE(dav.create(home, CalendarSync::kCalendarName).path(), at.path());
    }
    // The day with this note and nothing else; an empty note empties it.
    void write(const QDate& date, const QString& note)
    {
        Day day = store.store->days().find(date).value_or(Day{});
        day.date = date;
        day.note = note;
        if (note.isEmpty()) {
            day.holiday = false;
            day.alarmOn = false;
            day.colour = DayColours::kNeutral;
        }
        store.store->days().save(day);
    }
    QString note(const QDate& date)
    {
        const std::optional<Day> day = store.store->days().find(date);
        return day ? day->note : QString();
    }

    // The notitas' texts, in table order.
    QStringList notitas()
    {
        QStringList texts;
        for (const Notita& notita : store.store->notitas().first(100))
            texts << notita.text;
        return texts;
    }
    void addNotita(const QString& text)
    {
        NotitaBook& book = store.store->notitas();
        book.saveText(book.add(), text);
    }
    // The first notita's text changed; an empty text deletes it.
    void writeNotita(const QString& text)
    {
        NotitaBook& book = store.store->notitas();
        const qint64 row = book.first(1).at(0).row;
        if (text.isEmpty())
            book.remove(row);
        else
            book.saveText(row, text);
    }
    QString firstNotitaUid() { return store.store->notitas().identities().begin()->second; }

    QUrl url;
    int user;
    TestStore store;
};

// The phone: Python's caldav on the same calendar. Skips the test where it is missing.
inline QString phone(const RadicaleServer& server, int user, const QStringList& command)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
                  QStringList{QStringLiteral(SYNC_TEST_DIR "/phone.py"), server.url().toString(),
                              RadicaleServer::user(user), RadicaleServer::password(user),
                              server.url().toString() + RadicaleServer::user(user) +
                                  QStringLiteral("/tarvelo/")} +
                      command);
    if (!process.waitForFinished(300000) || process.exitCode() != 0) {
        qWarning() << "phone" << command << process.readAllStandardError();
        return QStringLiteral("<falló>");
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Both machines set up on one calendar, with these settings of the sync's (key, value), and
// synced in turn, the first first.
inline void setUpAndSync(Machine& a, Machine& b,
                         const QList<QPair<QString, QString>>& settings = {})
{
    for (Machine* m : {&a, &b}) {
        m->setUp();
        for (const auto& [key, value] : settings)
            SyncBook(m->store.db()).setSetting(key, value);
    }
    a.sync();
    b.sync();
}
