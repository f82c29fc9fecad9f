// The calendar servers and the phone the sync's tests run against, each as its fixture says:
// asked without a password it asks for one (with the scheme it is set up for), the user is found
// from the server's root and the calendar home from the user, a calendar is made, an event goes
// up and comes back with its ETag, and nobody else reads it; the phone (vdirsyncer and khal)
// moves an event and adds, renames and deletes a weekly one, and the server follows.
#include "RadicaleServer.h"
#include "SabreServer.h"
#include "VdirPhone.h"
#include "XandikosServer.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

enum class Kind
{
    Radicale,
    Xandikos,
    SabreBasic,
    SabreDigest
};

// One server of any of the kinds, as the tests use it.
class AnyServer
{
public:
    explicit AnyServer(Kind kind) : kind_(kind) {}

    bool available() const
    {
        switch (kind_) {
        case Kind::Radicale:
            return RadicaleServer::available();
        case Kind::Xandikos:
            return XandikosServer::available();
        default:
            return SabreServer::available();
        }
    }
    bool start()
    {
        switch (kind_) {
        case Kind::Radicale:
            return radicale_.start();
        case Kind::Xandikos:
            return xandikos_.start();
        case Kind::SabreBasic:
            return sabre_.start(SabreServer::Auth::Basic);
        case Kind::SabreDigest:
            return sabre_.start(SabreServer::Auth::Digest);
        }
        return false;
    }
    QUrl url() const
    {
        return kind_ == Kind::Radicale   ? radicale_.url()
               : kind_ == Kind::Xandikos ? xandikos_.url()
                                         : sabre_.url();
    }
    QUrl calendarHome(int n) const
    {
        return kind_ == Kind::Radicale   ? radicale_.calendarHome(n)
               : kind_ == Kind::Xandikos ? xandikos_.calendarHome(n)
                                         : sabre_.calendarHome(n);
    }

private:
    Kind kind_;
    RadicaleServer radicale_;
    XandikosServer xandikos_;
    SabreServer sabre_;
};

struct Answer
{
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QByteArray challenge; // WWW-Authenticate
};

// One request, as user n (whichever scheme the server asks for), or anonymous for n < 0.
Answer ask(const QByteArray& verb, const QUrl& url, int n, const QByteArray& body = {},
           const QList<QPair<QByteArray, QByteArray>>& headers = {})
{
    QNetworkAccessManager network;
    int asked = 0;
    if (n >= 0) {
        QObject::connect(&network, &QNetworkAccessManager::authenticationRequired,
                         [&asked, n](QNetworkReply*, QAuthenticator* authenticator) {
                             // Once: a refused password is an answer, not a loop.
                             if (asked++ > 0)
                                 return;
                             authenticator->setUser(RadicaleServer::user(n));
                             authenticator->setPassword(RadicaleServer::password(n));
                         });
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(300000);
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          verb == "PUT" ? "text/calendar; charset=utf-8"
                                        : "application/xml; charset=utf-8");
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    std::unique_ptr<QNetworkReply> reply(network.sendCustomRequest(request, verb, body));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!reply->isFinished() && !finished.wait(300000))
        return {};
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
            reply->rawHeader("ETag"), reply->rawHeader("WWW-Authenticate")};
}

// The first href inside the property (DAV: or CalDAV) named so, resolved against url.
QUrl hrefIn(const QByteArray& body, const QString& property, const QUrl& url)
{
    QXmlStreamReader xml(body);
    bool inside = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == property)
            inside = true;
        else if (xml.isEndElement() && xml.name() == property)
            inside = false;
        else if (inside && xml.isStartElement() && xml.name() == "href"_L1)
            return url.resolved(QUrl(xml.readElementText().trimmed()));
    }
    return {};
}

QByteArray propfind(const QByteArray& property)
{
    return R"(<?xml version="1.0" encoding="utf-8"?><d:propfind xmlns:d="DAV:" )"
           R"(xmlns:c="urn:ietf:params:xml:ns:caldav"><d:prop>)" +
           property + "</d:prop></d:propfind>";
}

QByteArray dayEvent(const QByteArray& uid, const QByteArray& day, const QByteArray& summary)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Pruebas//ES\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:" + day + "\r\nSUMMARY:" + summary +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// Every event body in the calendar, one after another, as user n reads them.
QByteArray everything(const QUrl& calendar, int n)
{
    const Answer listing = ask("PROPFIND", calendar, n, propfind("<d:getetag/>"), {{"Depth", "1"}});
    QByteArray all;
    QXmlStreamReader xml(listing.body);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != "href"_L1)
            continue;
        const QUrl url = calendar.resolved(QUrl(xml.readElementText().trimmed()));
        if (!url.path().endsWith(u'/'))
            all += ask("GET", url, n).body;
    }
    return all;
}

void addRows(const QList<Kind>& kinds)
{
    const std::map<Kind, const char*> names{{Kind::Radicale, "Radicale"},
                                            {Kind::Xandikos, "Xandikos behind Basic"},
                                            {Kind::SabreBasic, "sabre/dav 1.8, Basic"},
                                            {Kind::SabreDigest, "sabre/dav 1.8, Digest"}};
    for (Kind kind : kinds)
        QTest::newRow(names.at(kind)) << kind;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestServers : public QObject
{
    Q_OBJECT

private slots:
    void promises_data()
    {
        QTest::addColumn<Kind>("kind");
        addRows({Kind::Radicale, Kind::Xandikos, Kind::SabreBasic, Kind::SabreDigest});
    }
    void promises()
    {
        QFETCH(Kind, kind);
        AnyServer server(kind);
        if (!server.available())
            QSKIP("this server is not installed");
        QVERIFY(server.start());

        const Answer anonymous =
            ask("PROPFIND", server.url(), -1, propfind("<d:resourcetype/>"), {{"Depth", "0"}});
        QCOMPARE(anonymous.status, 401);
        QVERIFY2(anonymous.challenge.startsWith(kind == Kind::SabreDigest ? "Digest " : "Basic "),
                 anonymous.challenge);

        const Answer who = ask("PROPFIND", server.url(), 0, propfind("<d:current-user-principal/>"),
                               {{"Depth", "0"}});
        QCOMPARE(who.status, 207);
        const QUrl principal = hrefIn(who.body, u"current-user-principal"_s, server.url());
        QVERIFY2(principal.isValid() && !principal.isEmpty(), who.body);
        const Answer home =
            ask("PROPFIND", principal, 0, propfind("<c:calendar-home-set/>"), {{"Depth", "0"}});
        QCOMPARE(home.status, 207);
        QCOMPARE(hrefIn(home.body, u"calendar-home-set"_s, principal), server.calendarHome(0));

        const QUrl calendar = server.calendarHome(0).resolved(QUrl(u"prueba/"_s));
        QCOMPARE(ask("MKCALENDAR", calendar, 0).status, 201);
        const QUrl item = calendar.resolved(QUrl(u"cena.ics"_s));
        const QByteArray body = dayEvent("cena@pruebas", "20270104", "Cena");
        const Answer put = ask("PUT", item, 0, body, {{"If-None-Match", "*"}});
        QCOMPARE(put.status, 201);
        QVERIFY(!put.etag.isEmpty());
        const Answer got = ask("GET", item, 0);
        QCOMPARE(got.status, 200);
        QCOMPARE(got.etag, put.etag);
        QVERIFY(got.body.contains("UID:cena@pruebas"));
        QCOMPARE(ask("PUT", item, 0, body, {{"If-None-Match", "*"}}).status, 412);
        QCOMPARE(ask("PUT", item, 0, body, {{"If-Match", "\"otra\""}}).status, 412);
        QVERIFY(ask("GET", item, 1).status >= 400);
    }

    void phone_data()
    {
        QTest::addColumn<Kind>("kind");
        addRows({Kind::Radicale, Kind::Xandikos, Kind::SabreBasic});
    }
    void phone()
    {
        QFETCH(Kind, kind);
        AnyServer server(kind);
        if (!server.available() || !VdirPhone::available())
            QSKIP("this server, vdirsyncer or khal is not installed");
        QVERIFY(server.start());
        const QUrl calendar = server.calendarHome(0).resolved(QUrl(u"tarvelo/"_s));
        QCOMPARE(ask("MKCALENDAR", calendar, 0).status, 201);
        QCOMPARE(ask("PUT", calendar.resolved(QUrl(u"cena.ics"_s)), 0,
                     dayEvent("cena@pruebas", "20270104", "Cena"), {{"If-None-Match", "*"}})
                     .status,
                 201);
        VdirPhone phone(calendar, RadicaleServer::user(0), RadicaleServer::password(0));
        const QDate from(2027, 1, 1);
        const QDate to(2027, 1, 31);
        QCOMPARE(phone.shown(from, to), QStringList{u"2027-01-04\t\tCena"_s});

        QVERIFY(phone.move(u"cena@pruebas"_s, QDate(2027, 1, 5)));
        QCOMPARE(phone.shown(from, to), QStringList{u"2027-01-05\t\tCena"_s});
        QVERIFY(everything(calendar, 0).contains("DTSTART;VALUE=DATE:20270105"));

        const QString weekly = phone.add(QDate(2027, 1, 12), u"18:00"_s, u"Clase de yoga"_s,
                                         {u"RRULE:FREQ=WEEKLY;COUNT=3"_s});
        QVERIFY(!VdirPhone::failed(weekly));
        QVERIFY(phone.rename(weekly, u"Clase de pilates"_s));
        QCOMPARE(phone.shown(from, to),
                 (QStringList{u"2027-01-05\t\tCena"_s, u"2027-01-12\t18:00\tClase de pilates"_s,
                              u"2027-01-19\t18:00\tClase de pilates"_s,
                              u"2027-01-26\t18:00\tClase de pilates"_s}));
        const QByteArray renamed = everything(calendar, 0);
        QVERIFY(renamed.contains("SUMMARY:Clase de pilates"));
        QVERIFY(renamed.contains("RRULE:FREQ=WEEKLY;COUNT=3"));
        QVERIFY(!renamed.contains("yoga"));

        QVERIFY(phone.remove(weekly));
        const QByteArray left = everything(calendar, 0);
        QVERIFY(!left.contains("Clase"));
        QVERIFY(left.contains("UID:cena@pruebas"));
    }
};

QTEST_GUILESS_MAIN(TestServers)
#include "tst_servers.moc"
