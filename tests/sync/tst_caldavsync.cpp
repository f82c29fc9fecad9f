// Two machines and a phone on one calendar of a real CalDAV server (Radicale): what each side
// changes reaches the others, and nothing typed anywhere is lost.
#include "SyncFixture.h"
#include "VdirPhone.h"
#include "sync/SyncError.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

#ifndef TARVELO_DB
#error "TARVELO_DB names the store tool; the CMakeLists defines it"
#endif

namespace {

const QDate kDay(2026, 3, 5);
const QString kUid = QStringLiteral("dia-20260305@tarvelo");
// A day that stays on every side, so that deleting the day under test leaves the calendar
// holding something: one left empty is asked about, not synced.
const QDate kKept(2026, 1, 1);

struct Run
{
    int code;
    QString out;
};

// The store tool, with the password in the environment and no keyring asked; or, given a
// keyring's home, in a desktop session of its own whose keyring (GNOME's, unlocked as a login
// unlocks it) keeps its secrets in that home.
QProcess* startTool(const QStringList& args, const QString& password,
                    const QString& keyringHome = {})
{
    auto* tool = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (password.isNull())
        env.remove(QStringLiteral("TARVELO_CONTRASENA"));
    else
        env.insert(QStringLiteral("TARVELO_CONTRASENA"), password);
    if (keyringHome.isEmpty()) {
        env.insert(QStringLiteral("TARVELO_SIN_LLAVERO"), QStringLiteral("1"));
        tool->setProcessEnvironment(env);
        tool->start(QStringLiteral(TARVELO_DB), args);
    } else {
        env.remove(QStringLiteral("TARVELO_SIN_LLAVERO"));
        env.insert(QStringLiteral("HOME"), keyringHome);
        env.insert(QStringLiteral("XDG_DATA_HOME"), keyringHome + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), keyringHome + QStringLiteral("/run"));
        tool->setProcessEnvironment(env);
        tool->start(QStringLiteral("dbus-run-session"),
                    QStringList{u"--"_s, u"sh"_s, u"-c"_s,
                                u"mkdir -p -m 700 \"$XDG_RUNTIME_DIR\" && printf llave | "
                                "gnome-keyring-daemon --unlock --components=secrets "
                                ">/dev/null && exec \"$@\""_s,
                                u"sh"_s, QStringLiteral(TARVELO_DB)} +
                        args);
    }
    tool->closeWriteChannel();
    return tool;
}

Run tool(const QStringList& args, const QString& password, const QString& keyringHome = {})
{
    std::unique_ptr<QProcess> process(startTool(args, password, keyringHome));
    process->waitForFinished(900000);
    return {process->exitCode(),
            QString::fromUtf8(process->readAllStandardOutput() + process->readAllStandardError())};
}

} // namespace

class TestCalDavSync : public QObject
{
    Q_OBJECT

    RadicaleServer server;
    int nextUser = 0;

    int freshUser()
    {
        if (nextUser >= RadicaleServer::kUsers)
            qFatal("more cases than the server has users");
        return nextUser++;
    }

private slots:
    void initTestCase()
    {
        if (!RadicaleServer::available())
            QSKIP("Radicale is not installed");
        QVERIFY(server.start());
    }

    // A day written on one machine, then changed on either machine or on the phone (or on
    // several), and every side synced: where both machines stand afterwards, and what the
    // server holds.
    void changes_data()
    {
        QTest::addColumn<QString>("here");  // the first machine's new note; "-" untouched
        QTest::addColumn<QString>("there"); // the second machine's
        QTest::addColumn<QStringList>("onPhone");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("events");
        // The first machine's next listing misses what the phone did, so that its write is
        // refused as stale (412) and must be read, merged and written again.
        QTest::addColumn<bool>("stale");
        // The machines list the calendar by ETags, as with a server without sync-collection.
        QTest::addColumn<bool>("byEtags");

        const QString untouched = QStringLiteral("-");
        const QStringList none;
        QTest::newRow("edited here")
            << "Dentista 10h" << untouched << none << "Dentista 10h" << 1 << false << false;
        QTest::newRow("edited on the other machine")
            << untouched << "Dentista 11h" << none << "Dentista 11h" << 1 << false << false;
        QTest::newRow("edited on both machines: both texts kept")
            << "Cena"
            << "Cine" << none << "Cine · Cena" << 1 << false << false;
        QTest::newRow("deleted here") << "" << untouched << none << "" << 0 << false << false;
        QTest::newRow("deleted on the other machine")
            << untouched << "" << none << "" << 0 << false << false;
        QTest::newRow("edited from the phone")
            << untouched << untouched << QStringList{"edit", kUid, "Médico"} << "Médico" << 1
            << false << false;
        QTest::newRow("deleted from the phone")
            << untouched << untouched << QStringList{"delete", kUid} << "" << 0 << false << false;
        QTest::newRow("edited here, deleted from the phone: the edit")
            << "Dentista 10h" << untouched << QStringList{"delete", kUid} << "Dentista 10h" << 1
            << false << false;
        QTest::newRow("deleted here, edited from the phone: the edit")
            << "" << untouched << QStringList{"edit", kUid, "Médico"} << "Médico" << 1 << false
            << false;
        QTest::newRow("edited here and from the phone: both texts kept")
            << "Dentista 10h" << untouched << QStringList{"edit", kUid, "Médico"}
            << "Dentista 10h · Médico" << 1 << false << false;
        QTest::newRow("an event added from the phone joins its day and goes")
            << untouched << untouched << QStringList{"add", "2026-03-05", "17:30", "Tenis"}
            << "Dentista · 17:30 Tenis" << 1 << false << false;
        QTest::newRow("a multi-day event from the phone joins each of its days and goes")
            << untouched << untouched
            << QStringList{"add", "2026-03-04", "Congreso", "DTEND;VALUE=DATE:20260306"}
            << "Dentista · Congreso" << 2 << false << false;
        QTest::newRow("a weekly event from the phone stays the phone's: no note changes")
            << untouched << untouched
            << QStringList{"add", "2026-03-05", "Yoga", "RRULE:FREQ=WEEKLY;COUNT=3"} << "Dentista"
            << 2 << false << false;
        QTest::newRow("a stale write read, merged and written again")
            << "Dentista 10h" << untouched << QStringList{"edit", kUid, "Médico"}
            << "Dentista 10h · Médico" << 1 << true << false;
        QTest::newRow("listed by ETags: edited on both machines")
            << "Cena"
            << "Cine" << none << "Cine · Cena" << 1 << false << true;
        QTest::newRow("listed by ETags: deleted from the phone")
            << untouched << untouched << QStringList{"delete", kUid} << "" << 0 << false << true;
        QTest::newRow("listed by ETags: an event added from the phone")
            << untouched << untouched << QStringList{"add", "2026-03-05", "Feria"}
            << "Dentista · Feria" << 1 << false << true;
    }
    void changes()
    {
        QFETCH(QString, here);
        QFETCH(QString, there);
        QFETCH(QStringList, onPhone);
        QFETCH(QString, expected);
        QFETCH(int, events);
        QFETCH(bool, stale);
        QFETCH(bool, byEtags);
        const int user = freshUser();
        Machine a(server, user);
        Machine b(server, user);
        a.write(kDay, QStringLiteral("Dentista"));
        a.write(kKept, QStringLiteral("Año nuevo"));
        setUpAndSync(a, b,
                     byEtags ? QList{qMakePair(u"sync-collection"_s, u"0"_s)}
                             : QList<QPair<QString, QString>>{});
        QCOMPARE(b.note(kDay), QStringLiteral("Dentista"));

        if (here != QLatin1String("-"))
            a.write(kDay, here);
        if (there != QLatin1String("-"))
            b.write(kDay, there);
        if (!onPhone.isEmpty())
            QVERIFY(!phone(server, user, onPhone).startsWith(QLatin1String("<falló>")));
        if (stale) {
            // The second machine's listing, taken after the phone's change, given to the first.
            b.sync();
            SyncBook(a.store.db())
                .setSetting(QStringLiteral("marca"),
                            *SyncBook(b.store.db()).setting(QStringLiteral("marca")));
        }
        a.sync();
        b.sync();
        a.sync();

        QCOMPARE(a.note(kDay), expected);
        QCOMPARE(b.note(kDay), expected);
        QCOMPARE(server.eventFiles(user) - 1, events);
        const QStringList listed =
            phone(server, user, {QStringLiteral("list")}).split(u'\n', Qt::SkipEmptyParts);
        const auto day = std::find_if(listed.begin(), listed.end(), [](const QString& line) {
            return line.startsWith(kUid + u'\t');
        });
        if (events == 1)
            QVERIFY(day != listed.end() && day->section(u'\t', 1, 1) == expected);
        // A further sync finds nothing to do on either machine.
        const SyncReport quiet = b.sync();
        QCOMPARE(quiet.sent + quiet.received + quiet.deletedHere + quiet.deletedThere +
                     quiet.broughtIn,
                 0);
    }

    // A notita written on one machine, then changed on either machine or on the phone, and
    // every side synced: the notitas on both machines afterwards, and the server's entries.
    void notitas_data()
    {
        QTest::addColumn<QString>("here");  // the first notita's new text on the first machine,
                                            // "" deletes it, "-" leaves it
        QTest::addColumn<QString>("there"); // likewise on the second; "+…" adds a notita
        QTest::addColumn<QStringList>("onPhone"); // {uid} stands for the notita's identity
        QTest::addColumn<QStringList>("atFirst");
        QTest::addColumn<QStringList>("atSecond");
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("journals"); // the calendar keeps journal entries

        const QString untouched = QStringLiteral("-");
        const QStringList none;
        const QStringList bread{QStringLiteral("Comprar pan")};
        const auto both = [](const QString& name, const QString& here, const QString& there,
                             const QStringList& onPhone, const QStringList& texts, int entries) {
            QTest::newRow(qPrintable(name))
                << here << there << onPhone << texts << texts << entries << true;
        };
        both(u"edited here"_s, u"Pan y leche"_s, untouched, none, {u"Pan y leche"_s}, 1);
        both(u"edited on the other machine"_s, untouched, u"Pan integral"_s, none,
             {u"Pan integral"_s}, 1);
        both(u"edited on both machines: both texts kept"_s, u"Pan"_s, u"Leche"_s, none,
             {u"Leche · Pan"_s}, 1);
        both(u"deleted here"_s, u""_s, untouched, none, {}, 0);
        both(u"deleted on the other machine"_s, untouched, u""_s, none, {}, 0);
        both(u"a notita added on the other machine"_s, untouched, u"+Llamar a Ana"_s, none,
             {u"Comprar pan"_s, u"Llamar a Ana"_s}, 2);
        both(u"edited from the phone"_s, untouched, untouched,
             {u"note"_s, u"{uid}"_s, u"Churros"_s}, {u"Churros"_s}, 1);
        both(u"deleted from the phone"_s, untouched, untouched, {u"unnote"_s, u"{uid}"_s}, {}, 0);
        both(u"deleted here, edited from the phone: the edit"_s, u""_s, untouched,
             {u"note"_s, u"{uid}"_s, u"Churros"_s}, {u"Churros"_s}, 1);
        both(u"edited here, deleted from the phone: the edit"_s, u"Pan y leche"_s, untouched,
             {u"unnote"_s, u"{uid}"_s}, {u"Pan y leche"_s}, 1);
        QTest::newRow("a calendar without journal entries: each machine keeps its own")
            << untouched << u"+Llamar a Ana"_s << none << bread << QStringList{u"Llamar a Ana"_s}
            << 0 << false;
    }
    void notitas()
    {
        QFETCH(QString, here);
        QFETCH(QString, there);
        QFETCH(QStringList, onPhone);
        QFETCH(QStringList, atFirst);
        QFETCH(QStringList, atSecond);
        QFETCH(int, entries);
        QFETCH(bool, journals);
        const int user = freshUser();
        Machine a(server, user);
        Machine b(server, user);
        a.addNotita(u"Comprar pan"_s);
        a.write(kKept, QStringLiteral("Año nuevo"));
        setUpAndSync(a, b,
                     journals ? QList<QPair<QString, QString>>{}
                              : QList{qMakePair(u"diario"_s, u"0"_s)});
        QCOMPARE(b.notitas(), journals ? QStringList{u"Comprar pan"_s} : QStringList{});
        const QString uid = a.firstNotitaUid();

        if (here != QLatin1String("-"))
            a.writeNotita(here);
        if (there.startsWith(u'+'))
            b.addNotita(there.mid(1));
        else if (there != QLatin1String("-"))
            b.writeNotita(there);
        if (!onPhone.isEmpty()) {
            onPhone.replaceInStrings(u"{uid}"_s, uid);
            QVERIFY(!phone(server, user, onPhone).startsWith(QLatin1String("<falló>")));
        }
        a.sync();
        b.sync();
        a.sync();

        QCOMPARE(a.notitas(), atFirst);
        QCOMPARE(b.notitas(), atSecond);
        QCOMPARE(server.eventFiles(user) - 1, entries);
        if (entries > 0) {
            const QStringList listed =
                phone(server, user, {u"notes"_s}).split(u'\n', Qt::SkipEmptyParts);
            QCOMPARE(listed.size(), entries);
            QVERIFY2(atFirst.contains(listed.first().section(u'\t', 1)),
                     qPrintable(listed.first()));
        }
        const SyncReport quiet = b.sync();
        QCOMPARE(quiet.notitasSent + quiet.notitasReceived + quiet.notitasDeletedHere +
                     quiet.notitasDeletedThere,
                 0);
    }

    // Each machine's own days reach the other, a day both had is joined, and marks travel.
    void firstSyncBothWays()
    {
        const int user = freshUser();
        Machine a(server, user);
        Machine b(server, user);
        a.write(QDate(2026, 1, 1), QStringLiteral("Año nuevo"));
        a.write(kDay, QStringLiteral("Cena"));
        Day holiday;
        holiday.date = QDate(2026, 5, 1);
        holiday.holiday = true;
        holiday.colour = DayColour::Azul;
        holiday.alarmOn = true;
        holiday.alarmTime = QTime(8, 30);
        a.store.store->days().save(holiday);
        b.write(QDate(2026, 12, 24), QStringLiteral("Nochebuena"));
        b.write(kDay, QStringLiteral("Cine"));
        a.setUp();
        b.setUp();
        QCOMPARE(a.sync().sent, 3);
        const SyncReport second = b.sync();
        QCOMPARE(second.received, 3);
        QCOMPARE(second.joined, 1);
        a.sync();
        for (Machine* m : {&a, &b}) {
            QCOMPARE(m->note(QDate(2026, 1, 1)), QStringLiteral("Año nuevo"));
            QCOMPARE(m->note(QDate(2026, 12, 24)), QStringLiteral("Nochebuena"));
            QCOMPARE(m->note(kDay), QStringLiteral("Cine · Cena"));
            const Day mayDay = m->store.store->days().find(holiday.date).value();
            QVERIFY(mayDay.holiday);
            QCOMPARE(mayDay.colour, std::optional(DayColour::Azul));
            QVERIFY(mayDay.alarmOn);
            QCOMPARE(mayDay.alarmTime, std::optional(QTime(8, 30)));
        }
        QCOMPARE(server.eventFiles(user), 4);
    }

    // A weekly class added, renamed and deleted on a phone (vdirsyncer and khal): Tarvelo shows
    // it on its days as the phone has it, and the phone shows each class once.
    void weeklyClassOnThePhone()
    {
        if (!VdirPhone::available())
            QSKIP("vdirsyncer or khal is not installed");
        const int user = freshUser();
        Machine a(server, user);
        const QDate tuesday(2027, 1, 12);
        a.write(tuesday, u"Dentista"_s);
        a.setUp();
        a.sync();
        VdirPhone phone(a.calendar(), RadicaleServer::user(user), RadicaleServer::password(user));
        const auto shownHere = [&a] {
            QStringList out;
            for (const CalendarOccurrence& o :
                 a.store.store->days().fromCalendar(QDate(2027, 1, 1), QDate(2027, 1, 31)))
                out << o.date.toString(Qt::ISODate) + u' ' + o.text;
            return out;
        };
        const auto classes = [&](const QString& name) {
            QStringList out;
            for (int week = 0; week < 3; ++week)
                out << tuesday.addDays(7 * week).toString(Qt::ISODate) + u' ' + name;
            return out;
        };
        const QString uid =
            phone.add(tuesday, u"18:00"_s, u"Clase de yoga"_s, {u"RRULE:FREQ=WEEKLY;COUNT=3"_s});
        QVERIFY(!VdirPhone::failed(uid));
        for (const QString& name : {u"Clase de yoga"_s, u"Clase de pilates"_s, QString()}) {
            if (name == u"Clase de pilates"_s)
                QVERIFY(phone.rename(uid, name));
            else if (name.isEmpty())
                QVERIFY(phone.remove(uid));
            a.sync();
            QCOMPARE(shownHere(), name.isEmpty() ? QStringList{} : classes(u"18:00 "_s + name));
            QCOMPARE(a.note(tuesday), u"Dentista"_s);
            QCOMPARE(server.eventFiles(user), name.isEmpty() ? 1 : 2);
            QStringList onPhone{u"2027-01-12\t\tDentista"_s};
            for (int week = 0; !name.isEmpty() && week < 3; ++week)
                onPhone << tuesday.addDays(7 * week).toString(Qt::ISODate) + u"\t18:00\t"_s + name;
            onPhone.sort();
            QStringList shown = phone.shown(QDate(2027, 1, 1), QDate(2027, 1, 31));
            shown.sort();
            QCOMPARE(shown, onPhone);
        }
    }

    // A wrong password is said as such, and changes nothing stored.
    void wrongPassword()
    {
        const int user = freshUser();
        Machine a(server, user);
        a.write(kDay, QStringLiteral("Cena"));
        a.setUp();
        const QByteArray before = a.store.dayRow(kDay).value(4).toByteArray();
        DavClient wrong(server.url(), RadicaleServer::user(user), QStringLiteral("otra"));
        try {
            CalendarSync(*a.store.store, wrong).run();
            QFAIL("a wrong password synced");
        } catch (const SyncError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("no acepta el usuario o la "
                                                             "contraseña")),
                     qPrintable(error.message()));
        }
        QCOMPARE(SyncBook(a.store.db()).events().size(), std::size_t(0));
        QCOMPARE(server.eventFiles(user), 0);
        QCOMPARE(a.store.dayRow(kDay).value(4).toByteArray(), before);
    }

    // The store tool sets up and syncs, says what it did, fails in Spanish with a non-zero
    // exit, and never writes the password into the store.
    void storeTool_data()
    {
        QTest::addColumn<QStringList>("command"); // after the data folder
        QTest::addColumn<QString>("password");    // null: none given
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("keyring");        // in a desktop session with a keyring
        QTest::addColumn<QStringList>("onPhone"); // done first

        const QString good = QStringLiteral("<buena>");
        const QStringList none;
        QTest::newRow("sync-setup")
            << QStringList{"sync-setup", "<url>", "--usuario", "<user>"} << good << 0
            << "Calendario en el servidor: «Tarvelo», <url><user>/tarvelo/" << false << none;
        QTest::newRow("sync sends the days")
            << QStringList{"sync"} << good << 0 << "Días subidos al servidor: 2\n"
            << false << none;
        QTest::newRow("sync again: nothing to do")
            << QStringList{"sync"} << good << 0 << "Días subidos al servidor: 0\n"
            << false << none;
        // Another folder, as another machine, meets a calendar with a phone's event.
        QTest::newRow("a calendar with a phone's event is not taken without saying so")
            << QStringList{"sync-setup@otra", "<url><user>/tarvelo", "--usuario", "<user>"} << good
            << 1 << "ya tiene 1 evento de otros programas" << false
            << QStringList{"add", "2026-03-07", "10:00", "Médico"};
        QTest::newRow("... and is, when the user says so")
            << QStringList{"sync-setup@otra", "<url><user>/tarvelo", "--usuario", "<user>",
                           "--con-eventos-ajenos"}
            << good << 0 << "«Tarvelo», <url><user>/tarvelo/" << false << none;
        QTest::newRow("a wrong password")
            << QStringList{"sync"} << "otra" << 1 << "no acepta el usuario o la contraseña" << false
            << none;
        QTest::newRow("no password") << QStringList{"sync"} << QString() << 1
                                     << "No hay contraseña para «<user>»" << false << none;
        QTest::newRow("set up with a wrong password")
            << QStringList{"sync-setup", "<url>", "--usuario", "<user>"} << "otra" << 1
            << "no acepta el usuario o la contraseña" << false << none;
        QTest::newRow("set up, the password kept in the desktop's keyring")
            << QStringList{"sync-setup", "<url>", "--usuario", "<user>"} << good << 0
            << "La contraseña queda guardada en el llavero del escritorio." << true << none;
        QTest::newRow("sync with the keyring's password alone")
            << QStringList{"sync"} << QString() << 0
            << "Eventos de otros programas traídos a su día: 1\n"
            << true << none;
        QTest::newRow("plain http to another machine")
            << QStringList{"sync-setup", "http://192.0.2.1/", "--usuario", "<user>"} << good << 1
            << "solo se admiten direcciones https" << false << none;
    }
    void storeTool()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, password);
        QFETCH(int, code);
        QFETCH(QString, said);
        QFETCH(bool, keyring);
        QFETCH(QStringList, onPhone);
        if (keyring && QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s).isEmpty())
            QSKIP("GNOME's keyring is not installed");
        static QTemporaryDir keyringHome;
        static int user = -1;
        static std::unique_ptr<TestStore> store;
        if (!store) {
            user = freshUser();
            store = std::make_unique<TestStore>();
            store->addNote(kDay, QStringLiteral("Dentista"));
            store->addNote(kDay.addDays(1), QStringLiteral("Cine"));
            store->store.reset(); // the tool opens the store on its own
        }
        const auto fill = [&](QString text) {
            return text.replace(QStringLiteral("<url>"), server.url().toString())
                .replace(QStringLiteral("<user>"), RadicaleServer::user(user))
                .replace(QStringLiteral("<buena>"), RadicaleServer::password(user));
        };
        static TestStore other; // "@otra": another machine's folder
        other.store.reset();
        const bool elsewhere = command.first().endsWith(QLatin1String("@otra"));
        QStringList args{command.first().section(u'@', 0, 0),
                         elsewhere ? other.folder() : store->folder()};
        for (const QString& arg : command.mid(1))
            args << fill(arg);
        if (!onPhone.isEmpty())
            QVERIFY(!phone(server, user, onPhone).startsWith(QLatin1String("<falló>")));
        const Run run = tool(args, password.isNull() ? QString() : fill(password),
                             keyring ? keyringHome.path() : QString());
        QVERIFY2(run.out.contains(fill(said)), qPrintable(run.out));
        QCOMPARE(run.code, code);
        const QByteArray secret = RadicaleServer::password(user).toUtf8();
        for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
            QFile file(store->path() + suffix);
            if (file.open(QIODevice::ReadOnly))
                QVERIFY(!file.readAll().contains(secret));
        }
        if (QTest::currentDataTag() == QLatin1String("plain http to another machine"))
            store.reset();
    }

    // The address of one of the user's calendars, as servers show it to copy, sets that
    // calendar up, not «Tarvelo».
    void calendarAddressSelectsIt()
    {
        const int user = freshUser();
        {
            DavClient client(server.url(), RadicaleServer::user(user),
                             RadicaleServer::password(user));
            CalDavServer dav(client);
            dav.create(dav.home(server.url()), u"Personal"_s);
        }
        TestStore store;
        store.store.reset();
        const QString address =
            server.url().toString() + RadicaleServer::user(user) + u"/personal"_s;
        const Run run = tool(
            {u"sync-setup"_s, store.folder(), address, u"--usuario"_s, RadicaleServer::user(user)},
            RadicaleServer::password(user));
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.contains(u"«Personal», "_s + address + u'/'), qPrintable(run.out));
    }

    // The first upload of a large calendar killed halfway: the next sync sends the rest, and
    // the server ends with every day once.
    void killDuringFirstUpload()
    {
        constexpr int kDays = 2000;
        const int user = freshUser();
        Machine a(server, user);
        std::vector<std::pair<QDate, TestDayRow>> rows;
        for (int i = 0; i < kDays; ++i)
            rows.push_back({QDate(2024, 1, 1).addDays(i), TestDayRow{.nota = QString::number(i)}});
        a.store.addDays(rows);
        a.setUp();
        a.store.store.reset();
        std::unique_ptr<QProcess> first(
            startTool({QStringLiteral("sync"), a.store.folder()}, RadicaleServer::password(user)));
        QTRY_VERIFY_WITH_TIMEOUT(server.eventFiles(user) >= kDays / 4, 600000);
        first->kill();
        first->waitForFinished();
        QVERIFY(server.eventFiles(user) < kDays);
        const Run second =
            tool({QStringLiteral("sync"), a.store.folder()}, RadicaleServer::password(user));
        QCOMPARE(second.code, 0);
        QCOMPARE(server.eventFiles(user), kDays);
        const QStringList listed =
            phone(server, user, {QStringLiteral("list")}).split(u'\n', Qt::SkipEmptyParts);
        QSet<QString> uids;
        for (const QString& line : listed)
            uids.insert(line.section(u'\t', 0, 0));
        QCOMPARE(listed.size(), kDays);
        QCOMPARE(uids.size(), kDays);
        Machine b(server, user);
        b.setUp();
        QCOMPARE(b.sync().received, kDays);
        QCOMPARE(b.store.dayCount(), kDays);
    }

    // The server gone in the middle of an upload: the sync fails with a clear message, and the
    // next one, with the server back, ends with every day once on the server.
    void serverStoppedMidSync()
    {
        const int user = freshUser();
        Machine a(server, user);
        std::vector<std::pair<QDate, TestDayRow>> rows;
        for (int i = 0; i < 150; ++i)
            rows.push_back({QDate(2025, 1, 1).addDays(i), TestDayRow{.nota = QString::number(i)}});
        a.store.addDays(rows);
        a.setUp();
        bool stopped = false;
        QTimer::singleShot(700, [&] {
            server.stop();
            stopped = true;
        });
        try {
            a.sync();
        } catch (const SyncError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("127.0.0.1")),
                     qPrintable(error.message()));
        }
        QVERIFY(stopped);
        QVERIFY(server.start());
        a.sync();
        QCOMPARE(server.eventFiles(user), 150);
        Machine b(server, user);
        b.setUp();
        QCOMPARE(b.sync().received, 150);
        QCOMPARE(b.note(QDate(2025, 1, 1).addDays(149)), QStringLiteral("149"));
    }
};

QTEST_GUILESS_MAIN(TestCalDavSync)
#include "tst_caldavsync.moc"
