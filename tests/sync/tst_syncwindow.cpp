// The window's side of the sync, on a real server (Radicale) with Python's caldav as the phone:
// the account set up through "Servidor de calendarios…", the first upload run away from the
// window, what the phone adds shown in the month, and the state line when the server fails.
#include "Controls.h"
#include "SyncFixture.h"
#include "TestSeams.h"
#include "month/DayButton.h"
#include "month/DayMarkPictures.h"
#include "month/MonthView.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "shell/Session.h"
#include "shell/SyncSchedule.h"
#include "shell/TrayIcon.h"
#include "shell/frmCalendar.h"
#include "sync/CalDavServer.h"
#include "sync/ui/PasswordDialog.h"
#include "sync/ui/ServerDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

namespace {

constexpr int kSlowMs = 60000; // a first upload under the sanitizers on a loaded machine
constexpr int kSeededDays = 200;
const QDate kPhoneDay(1997, 3, 20); // SScmdDia_24 in March 1997, which starts on a Saturday

} // namespace

class TestSyncWindow : public QObject
{
    Q_OBJECT

    RadicaleServer server;
    int nextUser = 0;

private slots:
    void initTestCase()
    {
        qputenv("TARVELO_SIN_LLAVERO", "1");
        if (!RadicaleServer::available())
            QSKIP("Radicale is not installed");
        QVERIFY(server.start());
    }
    void init()
    {
        store_ = std::make_unique<TestStore>();
        doubles_ = std::make_unique<TestSeams>();
    }
    void cleanup()
    {
        window_ = nullptr;
        session_.reset();
        doubles_.reset();
        store_.reset();
    }

    void setUpSyncAndServerDown();
    void probeSaysWhatIsWrong_data();
    void probeSaysWhatIsWrong();
    void calendarChosen_data();
    void calendarChosen();
    void passwordAskedOnceAndSavesSynced();
    void emptiedCalendarAsked_data();
    void emptiedCalendarAsked();
    void quitMidUploadGoesOnNextRun();

private:
    void startWindow()
    {
        session_ = Session::start(doubles_->seams(), store_->folder());
        QVERIFY(session_);
        window_ = &session_->window();
    }
    void trigger(const char* name) { child<QAction>(window_, name)->trigger(); }
    QString stateLine() const { return child<QAction>(window_, "mSincronizarAhora")->statusTip(); }
    // The server's dialog, filled in and "Probar" pressed.
    ServerDialog* probe(const QString& address, const QString& user, const QString& password)
    {
        trigger("mServidorCalendarios");
        auto* dialog = child<ServerDialog>(window_, "ServerDialog");
        child<QLineEdit>(dialog, "txtServidor")->setText(address);
        child<QLineEdit>(dialog, "txtUsuario")->setText(user);
        child<QLineEdit>(dialog, "txtContrasena")->setText(password);
        QTest::mouseClick(child<QPushButton>(dialog, "cmdProbar"), Qt::LeftButton);
        return dialog;
    }
    bool probed(ServerDialog* dialog)
    {
        return child<QPushButton>(dialog, "cmdProbar")->isEnabled();
    }
    // The store set up for user as another copy of the program would have left it.
    void setUpStore(int user)
    {
        DavClient client(server.url(), RadicaleServer::user(user), RadicaleServer::password(user));
        CalendarSync::setUp(*store_->store, client, server.url(), RadicaleServer::user(user));
    }
    // This run has no password (no keyring): the sync asks for it once.
    void typePassword(int user)
    {
        QTRY_VERIFY_WITH_TIMEOUT(window_->findChild<PasswordDialog*>(), kSlowMs);
        auto* prompt = window_->findChild<PasswordDialog*>();
        QVERIFY(prompt->isVisible());
        child<QLineEdit>(prompt, "txtContrasena")->setText(RadicaleServer::password(user));
        prompt->accept();
    }
    void seed(int days)
    {
        std::vector<std::pair<QDate, TestDayRow>> rows;
        for (int d = 0; d < days; ++d)
            rows.emplace_back(QDate(1996, 1, 1).addDays(d),
                              TestDayRow{.nota = QStringLiteral("Día")});
        store_->addDays(rows);
    }
    bool synced() const { return stateLine().startsWith(QLatin1String("Sincronizado")); }
    int freshUser()
    {
        if (nextUser >= RadicaleServer::kUsers)
            qFatal("more cases than the server has users");
        return nextUser++;
    }
    DayButton* dayButton(int index)
    {
        return child<DayButton>(child<MonthView>(window_, "MonthView"),
                                qPrintable(QStringLiteral("SScmdDia_%1").arg(index)));
    }

    std::unique_ptr<TestStore> store_;
    std::unique_ptr<TestSeams> doubles_;
    std::unique_ptr<Session> session_;
    frmCalendar* window_ = nullptr;
};

void TestSyncWindow::setUpSyncAndServerDown()
{
    const int user = freshUser();
    seed(kSeededDays);
    startWindow();
    QCOMPARE(stateLine(),
             QStringLiteral("Sin servidor de calendarios (Archivo → Servidor de calendarios…)"));

    ServerDialog* dialog =
        probe(server.url().toString(), RadicaleServer::user(user), RadicaleServer::password(user));
    QTRY_VERIFY_WITH_TIMEOUT(probed(dialog), kSlowMs);
    auto* calendars = child<QComboBox>(dialog, "cboCalendario");
    QCOMPARE(calendars->itemText(0), QStringLiteral("Crear un calendario «Tarvelo»"));
    QCOMPARE(calendars->currentIndex(), 0);
    // Without a keyring the password is this run's only.
    QVERIFY(!child<QCheckBox>(dialog, "chkRecordar")->isChecked());

    // The first upload: its progress told, the window's event loop never held up meanwhile.
    QStringList lines;
    const QMetaObject::Connection told =
        connect(window_->syncSchedule(), &SyncSchedule::stateChanged, this,
                [&lines](const SyncState& state) { lines << state.line(); });
    QElapsedTimer sinceTick;
    qint64 longestWait = 0;
    QTimer ticks;
    connect(&ticks, &QTimer::timeout, this,
            [&] { longestWait = std::max(longestWait, sinceTick.restart()); });
    sinceTick.start();
    ticks.start(20);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdAceptar"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(synced(), kSlowMs);
    ticks.stop();
    disconnect(told);
    QCOMPARE(stateLine(), QStringLiteral("Sincronizado a las 09:07"));
    QVERIFY2(lines.contains(QStringLiteral("Subiendo 0 de 200 días…")),
             qPrintable(lines.join(QLatin1Char('|'))));
    QVERIFY2(longestWait < 1000, qPrintable(QString::number(longestWait)));
    QCOMPARE(server.eventFiles(user), kSeededDays);
    QVERIFY(doubles_->boxes.calls().isEmpty());
    // The state where the user sees it: beside the item, and on the tray icon while hidden.
    auto* item = child<QAction>(window_, "mSincronizarAhora");
    QCOMPARE(item->text(), QStringLiteral("Sinc&ronizar ahora\tSincronizado a las 09:07"));
    window_->setTrayAvailable(true);
    window_->mCerrarCalendario_Click();
    auto* tray = child<TrayIcon>(window_, "TrayIcon");
    QCOMPARE(tray->toolTip(), QStringLiteral("Tarvelo\nSincronizado a las 09:07"));

    // What the phone adds shows in the month once "Sincronizar ahora" has run, which the menu
    // does not wait for.
    QCOMPARE(phone(server, user, {"add", kPhoneDay.toString(Qt::ISODate), "Dentista"}), QString());
    DayButton* day = dayButton(24);
    QCOMPARE(day->picture(), DayMarkPictures::neutralPicture());
    trigger("mSincronizarAhora");
    QCOMPARE(stateLine(), QStringLiteral("Sincronizando…"));
    QTRY_COMPARE_WITH_TIMEOUT(
        day->picture(), DayMarkPictures::pictureFor(DayColours::kNeutral, false, true), kSlowMs);
    QCOMPARE(store_->storedNote(kPhoneDay), QStringLiteral("Dentista"));

    // A notita made on another machine comes up in a window of its own.
    Machine other(server, user);
    other.addNotita(QStringLiteral("Llamar a Ana"));
    other.setUp();
    other.sync();
    trigger("mSincronizarAhora");
    const auto shown = [this] {
        auto* notitas = child<NotitaSlots>(window_, "notitas");
        for (int k = 1; k <= NotitaSlots::kSlots; ++k) {
            frmNota* notita = notitas->existingWindow(k);
            if (notita && notita->isVisible())
                return child<QPlainTextEdit>(notita, "txtNota")->toPlainText();
        }
        return QString();
    };
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QStringLiteral("Llamar a Ana"), kSlowMs);

    // The server down: the state says what waits to go up.
    server.stop();
    Day changed = *session_->store().days().find(kPhoneDay);
    changed.note = QStringLiteral("Dentista 10h");
    session_->store().days().save(changed);
    trigger("mSincronizarAhora");
    QTRY_COMPARE_WITH_TIMEOUT(stateLine(), QStringLiteral("Sin conexión: 1 cambio pendiente"),
                              kSlowMs);
    QCOMPARE(tray->toolTip(), QStringLiteral("Tarvelo\nSin conexión: 1 cambio pendiente"));
    QVERIFY(server.start());
}

void TestSyncWindow::probeSaysWhatIsWrong_data()
{
    QTest::addColumn<QString>("address"); // "<server>": Radicale's; "<nobody>": a closed port
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("said");

    QTest::newRow("a wrong password") << "<server>"
                                      << "u0"
                                      << "mala"
                                      << "El servidor «127.0.0.1» no acepta el usuario o la "
                                         "contraseña.";
    QTest::newRow("no server there")
        << "<nobody>"
        << "u0"
        << "clave0"
        << "El servidor «127.0.0.1» no acepta conexiones (¿está en marcha?).";
    QTest::newRow("plain http to another machine")
        << "http://192.0.2.1/"
        << "u0"
        << "clave0"
        << "«http://192.0.2.1/»: solo se admiten direcciones https (http únicamente para un "
           "servidor en este mismo equipo), para que la contraseña y los días no viajen sin "
           "cifrar.";
    QTest::newRow("no user") << "<server>"
                             << ""
                             << "clave0"
                             << "Falta el usuario.";
}

void TestSyncWindow::probeSaysWhatIsWrong()
{
    QFETCH(QString, address);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, said);
    if (address == QLatin1String("<server>")) {
        address = server.url().toString();
    } else if (address == QLatin1String("<nobody>")) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        address = QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());
    }
    startWindow();
    ServerDialog* dialog = probe(address, user, password);
    QTRY_VERIFY_WITH_TIMEOUT(probed(dialog), kSlowMs);
    QCOMPARE(child<QLabel>(dialog, "lblEstado")->text(), said);
    QVERIFY(!child<QPushButton>(dialog, "cmdAceptar")->isEnabled());
    QCOMPARE(child<QComboBox>(dialog, "cboCalendario")->count(), 0);
}

void TestSyncWindow::calendarChosen_data()
{
    QTest::addColumn<QString>("calendar");  // on the server before the set-up
    QTest::addColumn<bool>("phoneEvent");   // with an event of another program in it
    QTest::addColumn<QString>("asked");     // what the user is asked first; "" nothing
    QTest::addColumn<QString>("day");       // the phone's day once synced
    QTest::addColumn<bool>("typedAddress"); // the calendar's own address typed for the server

    QTest::newRow("another program's event in «Tarvelo»: asked first, then brought in")
        << "Tarvelo" << true << "El calendario «Tarvelo» ya tiene 1 evento de otros programas"
        << "17:30 Tenis" << false;
    QTest::newRow("an empty calendar of another name: taken at once") << "Trabajo" << false << ""
                                                                      << "<no row>" << false;
    QTest::newRow("its own address typed: that calendar is the one offered")
        << "Trabajo" << false << ""
        << "<no row>" << true;
}

void TestSyncWindow::calendarChosen()
{
    QFETCH(QString, calendar);
    QFETCH(bool, phoneEvent);
    QFETCH(QString, asked);
    QFETCH(QString, day);
    QFETCH(bool, typedAddress);
    const int user = freshUser();
    {
        DavClient client(server.url(), RadicaleServer::user(user), RadicaleServer::password(user));
        CalDavServer dav(client);
        dav.create(dav.home(server.url()), calendar);
    }
    if (phoneEvent) {
        QCOMPARE(phone(server, user, {"add", kPhoneDay.toString(Qt::ISODate), "17:30", "Tenis"}),
                 QString());
    }
    store_->addNote(QDate(1997, 3, 5), QStringLiteral("Reunión"));
    startWindow();
    const QString address =
        server.url().toString() +
        (typedAddress ? RadicaleServer::user(user) + u'/' + calendar.toLower() : QString());
    QPointer<ServerDialog> dialog =
        probe(address, RadicaleServer::user(user), RadicaleServer::password(user));
    QTRY_VERIFY_WITH_TIMEOUT(probed(dialog), kSlowMs);
    auto* calendars = child<QComboBox>(dialog, "cboCalendario");
    QCOMPARE(calendars->count(), 2);
    // Another answer typed: the calendars found are not its calendars until it is tried.
    auto* usuario = child<QLineEdit>(dialog, "txtUsuario");
    QTest::keyClick(usuario, Qt::Key_X);
    QCOMPARE(calendars->count(), 0);
    QVERIFY(!child<QPushButton>(dialog, "cmdAceptar")->isEnabled());
    QTest::keyClick(usuario, Qt::Key_Backspace);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdProbar"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(probed(dialog) && calendars->count() == 2, kSlowMs);
    if (typedAddress)
        QCOMPARE(calendars->currentText(), calendar);
    calendars->setCurrentIndex(calendars->findText(calendar));
    auto* aceptar = child<QPushButton>(dialog, "cmdAceptar");

    if (!asked.isEmpty()) {
        doubles_->boxes.answerNext(MessageBoxes::No);
        QTest::mouseClick(aceptar, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(doubles_->boxes.calls().size(), 1, kSlowMs);
        QVERIFY2(doubles_->boxes.calls()[0].prompt.contains(asked),
                 qPrintable(doubles_->boxes.calls()[0].prompt));
        QVERIFY(dialog && dialog->isVisible());
        doubles_->boxes.answerNext(MessageBoxes::Yes);
    }
    QTest::mouseClick(aceptar, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog || !dialog->isVisible(), kSlowMs);
    QTRY_VERIFY_WITH_TIMEOUT(synced(), kSlowMs);
    QCOMPARE(doubles_->boxes.calls().size(), asked.isEmpty() ? 0 : 2); // No, then Yes
    QCOMPARE(store_->storedNote(kPhoneDay), day);
    QCOMPARE(server.eventFiles(user, calendar.toLower()), phoneEvent ? 2 : 1);
}

void TestSyncWindow::passwordAskedOnceAndSavesSynced()
{
    const int user = freshUser();
    setUpStore(user);
    store_->addNote(QDate(1997, 3, 5), QStringLiteral("Reunión"));
    startWindow();
    QCOMPARE(stateLine(), QStringLiteral("Aún sin sincronizar"));
    typePassword(user); // the sync after start-up asks
    QTRY_VERIFY_WITH_TIMEOUT(synced(), kSlowMs);
    QCOMPARE(server.eventFiles(user), 1);

    // Asked while one runs, a sync comes after it, once, however often it was asked.
    int syncs = 0;
    const QMetaObject::Connection counted =
        connect(window_->syncSchedule(), &SyncSchedule::stateChanged, this,
                [&syncs](const SyncState& state) {
                    syncs += state.kind == SyncState::Kind::Synced ? 1 : 0;
                });
    for (int asked = 0; asked < 3; ++asked)
        trigger("mSincronizarAhora");
    QTRY_COMPARE_WITH_TIMEOUT(syncs, 2, kSlowMs);
    QTest::qWait(500);
    QCOMPARE(syncs, 2);
    disconnect(counted);

    // A save in the window goes up a few seconds later, with the password typed before.
    Day day;
    day.date = kPhoneDay;
    day.note = QStringLiteral("Dentista");
    session_->store().days().save(day);
    QTRY_COMPARE_WITH_TIMEOUT(server.eventFiles(user), 2, kSlowMs);
    QCOMPARE(window_->findChildren<PasswordDialog*>().size(), 0);
}

// Another program empties the calendar on the server, or deletes it: the window asks before
// anything here goes, and does what the user answers.
void TestSyncWindow::emptiedCalendarAsked_data()
{
    QTest::addColumn<bool>("deleted"); // the calendar itself, not only its events
    QTest::addColumn<int>("answer");   // the button pressed
    QTest::addColumn<int>("onServer");
    QTest::addColumn<QString>("noteHere");
    QTest::addColumn<QString>("asked");
    const QString emptied =
        QStringLiteral("El calendario «Tarvelo» del servidor está vacío, pero este equipo tiene 2 "
                       "días y 0 notitas sincronizados con él.\n"
                       "Subirlos de nuevo|Vaciar también este equipo|Cancelar");
    const QString gone =
        QStringLiteral("El calendario «Tarvelo» ya no está en el servidor «127.0.0.1». ¿Desea "
                       "crearlo de nuevo? Se le enviarán otra vez todos los días y las notitas de "
                       "este equipo.\nCrearlo de nuevo|Cancelar");
    QTest::newRow("emptied, Subirlos de nuevo: everything goes up again")
        << false << 0 << 2 << "Reunión" << emptied;
    QTest::newRow("emptied, Vaciar también este equipo: emptied here too")
        << false << 1 << 0 << "" << emptied;
    QTest::newRow("emptied, Cancelar: nothing changes, and the line says so")
        << false << 2 << 0 << "Reunión" << emptied;
    QTest::newRow("deleted, Crearlo de nuevo: made again with everything")
        << true << 0 << 2 << "Reunión" << gone;
    QTest::newRow("deleted, Cancelar: nothing changes") << true << 1 << -1 << "Reunión" << gone;
}

void TestSyncWindow::emptiedCalendarAsked()
{
    QFETCH(bool, deleted);
    QFETCH(int, answer);
    QFETCH(int, onServer);
    QFETCH(QString, noteHere);
    QFETCH(QString, asked);
    const int user = freshUser();
    setUpStore(user);
    store_->addNote(QDate(1997, 3, 5), QStringLiteral("Reunión"));
    store_->addNote(QDate(1997, 3, 6), QStringLiteral("Cena"));
    startWindow();
    typePassword(user);
    QTRY_VERIFY_WITH_TIMEOUT(synced(), kSlowMs);
    QCOMPARE(server.eventFiles(user), 2);

    QDir calendar(server.storage() +
                  QStringLiteral("/collection-root/%1/tarvelo").arg(RadicaleServer::user(user)));
    if (deleted) {
        QVERIFY(calendar.removeRecursively());
    } else {
        for (const QString& file : calendar.entryList({QStringLiteral("*.ics")}, QDir::Files))
            QVERIFY(QFile::remove(calendar.filePath(file)));
    }
    doubles_->boxes.clear();
    doubles_->boxes.answerNext(answer);
    trigger("mSincronizarAhora");
    QTRY_VERIFY_WITH_TIMEOUT(!doubles_->boxes.calls().isEmpty(), kSlowMs);
    QCOMPARE(doubles_->boxes.calls().first().prompt, asked);
    if (asked.endsWith(QLatin1String("|Cancelar")) && answer == int(asked.count(u'|'))) {
        QTRY_VERIFY_WITH_TIMEOUT(stateLine().contains(QLatin1String("No se ha cambiado nada")),
                                 kSlowMs);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(synced(), kSlowMs);
    }
    QTRY_COMPARE_WITH_TIMEOUT(store_->storedNote(QDate(1997, 3, 5)), noteHere, kSlowMs);
    if (onServer >= 0)
        QCOMPARE(server.eventFiles(user), onServer);
    QCOMPARE(doubles_->boxes.calls().size(), 1);
}

void TestSyncWindow::quitMidUploadGoesOnNextRun()
{
    constexpr int kDays = 600;
    const int user = freshUser();
    seed(kDays);
    setUpStore(user);
    startWindow();
    typePassword(user);
    QTRY_VERIFY_WITH_TIMEOUT(stateLine().startsWith(QLatin1String("Subiendo ")) &&
                                 !stateLine().startsWith(QLatin1String("Subiendo 0 ")),
                             kSlowMs);
    // The program ends at once, the upload cut short where it stands.
    QElapsedTimer quitting;
    quitting.start();
    window_ = nullptr;
    session_.reset();
    QVERIFY2(quitting.elapsed() < 5000, qPrintable(QString::number(quitting.elapsed())));
    const int sent = server.eventFiles(user);
    QVERIFY2(sent > 0 && sent < kDays, qPrintable(QString::number(sent)));

    // The next run sends the rest: every day on the server, none twice.
    startWindow();
    typePassword(user);
    QTRY_VERIFY_WITH_TIMEOUT(synced(), kSlowMs);
    QCOMPARE(server.eventFiles(user), kDays);
}

QTEST_MAIN(TestSyncWindow)
#include "tst_syncwindow.moc"
