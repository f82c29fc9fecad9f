// Two machines on each real calendar server the tests start (Radicale, Xandikos, sabre/dav
// with Basic and with Digest, as Baïkal has it by default, and listed by ETags): everyday
// syncing agrees, and a calendar deleted and made again on the server empties nothing here,
// whatever the server does with the tokens it gave before.
#include "SabreServer.h"
#include "SyncFixture.h"
#include "VdirPhone.h"
#include "XandikosServer.h"
#include "sync/SyncError.h"

#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDate kFirst(2027, 1, 4);

// A server of the tests, started at its first row and kept for the rest.
struct AnyServer
{
    std::function<bool()> available;
    std::function<bool()> start;
    std::function<QUrl()> url;
    int nextUser = 0;
    bool started = false;
};

} // namespace

class TestEveryServer : public QObject
{
    Q_OBJECT

    RadicaleServer radicale;
    XandikosServer xandikos;
    SabreServer sabreBasic;
    SabreServer sabreDigest;
    std::map<QString, AnyServer> servers{
        {u"Radicale"_s,
         {&RadicaleServer::available, [this] { return radicale.start(); },
          [this] { return radicale.url(); }}},
        {u"Xandikos"_s,
         {&XandikosServer::available, [this] { return xandikos.start(); },
          [this] { return xandikos.url(); }}},
        {u"sabre/dav, Basic"_s,
         {&SabreServer::available, [this] { return sabreBasic.start(SabreServer::Auth::Basic); },
          [this] { return sabreBasic.url(); }}},
        {u"sabre/dav, Digest"_s,
         {&SabreServer::available, [this] { return sabreDigest.start(SabreServer::Auth::Digest); },
          [this] { return sabreDigest.url(); }}},
    };

    // A user of its own on the named server, started if need be; -1 when it cannot be.
    std::optional<std::pair<QUrl, int>> userOn(const QString& name)
    {
        AnyServer& server = servers.at(name);
        if (!server.available())
            return std::nullopt;
        if (!server.started && !(server.started = server.start()))
            return std::nullopt;
        return std::pair(server.url(), server.nextUser++);
    }

    struct At
    {
        QUrl at;
        QUrl url() const { return at; }
    };

    static QStringList notes(Machine& m)
    {
        QStringList out;
        for (int d = 0; d < 3; ++d)
            out << m.note(kFirst.addDays(d));
        return out;
    }

private slots:
    void initTestCase() { qputenv("TARVELO_SIN_LLAVERO", "1"); }

    void scenario_data()
    {
        QTest::addColumn<QString>("server");
        for (const auto& [name, server] : servers)
            QTest::newRow(qPrintable(name)) << name;
    }
    void scenario()
    {
        QFETCH(QString, server);
        const std::optional<std::pair<QUrl, int>> user = userOn(server);
        if (!user)
            QSKIP("this server is not installed, or did not start");
        Machine a(At{user->first}, user->second);
        Machine b(At{user->first}, user->second);
        for (int d = 0; d < 3; ++d)
            a.write(kFirst.addDays(d), u"día %1"_s.arg(d));
        a.addNotita(u"lista"_s);
        a.setUp();
        b.setUp();
        a.sync();
        b.sync();
        QCOMPARE(notes(b), notes(a));
        const int items = a.onServer();
        QVERIFY2(items == 3 || items == 4, qPrintable(QString::number(items)));

        // Everyday: each machine edits a day, and both end with both edits.
        b.write(kFirst, u"día 0 a las 10h"_s);
        a.write(kFirst.addDays(1), u"día 1 · cena"_s);
        a.sync();
        b.sync();
        a.sync();
        QCOMPARE(notes(a), (QStringList{u"día 0 a las 10h"_s, u"día 1 · cena"_s, u"día 2"_s}));
        QCOMPARE(notes(b), notes(a));

        // The calendar deleted and made again by another program: nothing here goes without
        // the user's word, and sent again, everything is back for both machines.
        a.remakeCalendar();
        QCOMPARE(a.onServer(), 0);
        try {
            a.sync();
            QFAIL("an emptied calendar was applied");
        } catch (const SyncError& error) {
            QCOMPARE(int(error.kind()), int(SyncError::Kind::CalendarEmptied));
            QCOMPARE(error.days, 3);
        }
        QCOMPARE(notes(a).join(u'|'), u"día 0 a las 10h|día 1 · cena|día 2"_s);
        a.sync(CalendarSync::WhenEmptied::SendAgain);
        QCOMPARE(a.onServer(), items);
        b.sync();
        QCOMPARE(notes(b), notes(a));
        QCOMPARE(b.notitas(), a.notitas());
        const SyncReport quiet = b.sync();
        QCOMPARE(quiet.sent + quiet.received + quiet.deletedHere + quiet.deletedThere +
                     quiet.notitasSent + quiet.notitasReceived,
                 0);
    }

    // vdirsyncer and khal as the phone (Basic only): a day's event moved to another day takes
    // the note with it, on both sides, and the phone shows the day once.
    void phoneMovesADay_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("Radicale") << u"Radicale"_s;
        QTest::newRow("Xandikos") << u"Xandikos"_s;
    }
    void phoneMovesADay()
    {
        QFETCH(QString, server);
        if (!VdirPhone::available())
            QSKIP("vdirsyncer, khal or Python's icalendar is not installed");
        const std::optional<std::pair<QUrl, int>> user = userOn(server);
        if (!user)
            QSKIP("this server is not installed, or did not start");
        Machine a(At{user->first}, user->second);
        a.write(kFirst, u"Dentista"_s);
        a.write(kFirst.addDays(2), u"Cena"_s);
        a.setUp();
        a.sync();
        VdirPhone phone(a.calendar(), RadicaleServer::user(user->second),
                        RadicaleServer::password(user->second));
        QVERIFY(phone.move(u"dia-20270104@tarvelo"_s, kFirst.addDays(1)));
        a.sync();
        QCOMPARE(notes(a), (QStringList{QString(), u"Dentista"_s, u"Cena"_s}));
        QVERIFY(phone.sync());
        QCOMPARE(phone.shown(kFirst, kFirst.addDays(3)).join(u'|'),
                 u"2027-01-05\t\tDentista|2027-01-06\t\tCena"_s);
        const SyncReport quiet = a.sync();
        QCOMPARE(quiet.sent + quiet.received + quiet.deletedHere + quiet.deletedThere, 0);
    }
};

QTEST_GUILESS_MAIN(TestEveryServer)
#include "tst_everyserver.moc"
