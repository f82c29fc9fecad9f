// The window's side of the sync, on a real server (Radicale) with Python's caldav as the phone:
// the account set up through "Servidor de calendarios…", the first upload run away from the
// window, what the phone adds shown in the month, and the state line when the server fails.
#include "Controls.h"
#include "SyncFixture.h"
#include "TestSeams.h"
#include "month/DayButton.h"
#include "month/DayMarkPictures.h"
#include "month/MonthView.h"
#include "shell/Session.h"
#include "shell/SyncSchedule.h"
#include "shell/frmCalendar.h"
#include "sync/ui/ServerDialog.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
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
    void othersEventsAskedFirst();

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
    std::vector<std::pair<QDate, TestDayRow>> days;
    for (int d = 0; d < kSeededDays; ++d)
        days.emplace_back(QDate(1996, 7, 1).addDays(d), TestDayRow{.nota = QStringLiteral("Día")});
    store_->addDays(days);
    startWindow();
    QCOMPARE(stateLine(),
             QStringLiteral("Sin servidor de calendarios (Archivo → Servidor de calendarios…)"));

    ServerDialog* dialog =
        probe(server.url().toString(), RadicaleServer::user(user), RadicaleServer::password(user));
    QTRY_VERIFY_WITH_TIMEOUT(probed(dialog), kSlowMs);
    auto* calendars = child<QComboBox>(dialog, "cboCalendario");
    QCOMPARE(calendars->itemText(0), QStringLiteral("Crear un calendario «Tarvelo»"));
    QCOMPARE(calendars->currentIndex(), 0);

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
    QTRY_VERIFY_WITH_TIMEOUT(stateLine().startsWith(QLatin1String("Sincronizado")), kSlowMs);
    ticks.stop();
    disconnect(told);
    QCOMPARE(stateLine(), QStringLiteral("Sincronizado a las 09:07"));
    QVERIFY2(lines.contains(QStringLiteral("Subiendo 0 de 200 días…")),
             qPrintable(lines.join(QLatin1Char('|'))));
    QVERIFY2(longestWait < 1000, qPrintable(QString::number(longestWait)));
    QCOMPARE(server.eventFiles(user), kSeededDays);
    QVERIFY(doubles_->boxes.calls().isEmpty());

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

    // The server down: the state says what waits to go up.
    server.stop();
    Day changed = *session_->store().days().find(kPhoneDay);
    changed.note = QStringLiteral("Dentista 10h");
    session_->store().days().save(changed);
    trigger("mSincronizarAhora");
    QTRY_COMPARE_WITH_TIMEOUT(stateLine(), QStringLiteral("Sin conexión: 1 cambio pendiente"),
                              kSlowMs);
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

void TestSyncWindow::othersEventsAskedFirst()
{
    const int user = freshUser();
    {
        Machine other(server, user); // makes the calendar «Tarvelo»
        other.setUp();
    }
    QCOMPARE(phone(server, user, {"add", kPhoneDay.toString(Qt::ISODate), "17:30", "Tenis"}),
             QString());
    startWindow();
    QPointer<ServerDialog> dialog =
        probe(server.url().toString(), RadicaleServer::user(user), RadicaleServer::password(user));
    QTRY_VERIFY_WITH_TIMEOUT(probed(dialog), kSlowMs);
    auto* calendars = child<QComboBox>(dialog, "cboCalendario");
    QCOMPARE(calendars->currentText(), QStringLiteral("Tarvelo"));

    doubles_->boxes.answerNext(MessageBoxes::No);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdAceptar"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(doubles_->boxes.calls().size(), 1, kSlowMs);
    QVERIFY2(doubles_->boxes.calls()[0].prompt.contains(
                 QStringLiteral("El calendario «Tarvelo» ya tiene 1 evento de otros programas")),
             qPrintable(doubles_->boxes.calls()[0].prompt));
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(store_->storedNote(kPhoneDay), QStringLiteral("<no row>"));

    doubles_->boxes.answerNext(MessageBoxes::Yes);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdAceptar"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog || !dialog->isVisible(), kSlowMs);
    QTRY_COMPARE_WITH_TIMEOUT(store_->storedNote(kPhoneDay), QStringLiteral("17:30 Tenis"),
                              kSlowMs);
    QTRY_VERIFY_WITH_TIMEOUT(stateLine().startsWith(QLatin1String("Sincronizado")), kSlowMs);
}

QTEST_MAIN(TestSyncWindow)
#include "tst_syncwindow.moc"
