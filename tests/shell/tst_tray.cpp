#include "TestSeams.h"
#include "TestStore.h"
#include "shell/Session.h"
#include "shell/TrayIcon.h"
#include "shell/frmCalendar.h"
#include "store/jet/DatePattern.h"

#include <QAction>
#include <QSignalSpy>
#include <QtTest>

// "Cerrar calendario" hides the main window; where the desktop has a tray, an icon there is the
// way back to it and to the end of the program.
class TestTray : public QObject
{
    Q_OBJECT

private slots:
    void hiddenWindowComesBackFromTray();
    void salirFromTrayEndsProgram();
    void withoutTrayOnlyHides();
    void alarmRingsWhileHidden();
};

namespace {

// A session started and its main window shown, as the program starts; the store is seeded
// before start().
struct Started
{
    bool start(bool tray)
    {
        session = Session::start(doubles.seams(), store.folder());
        if (!session)
            return false;
        window = &session->window();
        window->setTrayAvailable(tray);
        window->show();
        return true;
    }
    // The tray icon, made the first time the window is hidden where the desktop has a tray.
    TrayIcon* tray() const { return window->findChild<TrayIcon*>(QStringLiteral("TrayIcon")); }
    bool trayShown() const { return tray() && tray()->isShown(); }
    TestStore store;
    TestSeams doubles;
    std::unique_ptr<Session> session;
    frmCalendar* window = nullptr;
};

} // namespace

void TestTray::hiddenWindowComesBackFromTray()
{
    Started s;
    QVERIFY(s.start(true));
    s.window->mCerrarCalendario_Click();
    QVERIFY(!s.window->isVisible());
    QVERIFY(s.trayShown());

    s.tray()->mostrarCalendario()->trigger();
    QVERIFY(s.window->isVisible());
    QVERIFY(!s.trayShown());
}

void TestTray::salirFromTrayEndsProgram()
{
    Started s;
    QVERIFY(s.start(true));
    s.window->mCerrarCalendario_Click();
    QSignalSpy ended(s.window, &frmCalendar::ended);
    s.tray()->salir()->trigger();
    QCOMPARE(ended.size(), 1);
}

void TestTray::withoutTrayOnlyHides()
{
    Started s;
    QVERIFY(s.start(false));
    s.window->mCerrarCalendario_Click();
    QVERIFY(!s.window->isVisible());
    QVERIFY(!s.trayShown());
}

void TestTray::alarmRingsWhileHidden()
{
    Started s;
    s.store.addDay(QDate(1997, 3, 5), TestDayRow{.nota = QStringLiteral("dentista"),
                                                 .alarma = 1,
                                                 .hora = DatePattern::fromTime(9, 5)});
    QVERIFY(s.start(false));
    s.doubles.clock.set(QDateTime(QDate(1997, 3, 5), QTime(9, 5, 30)));
    s.window->mCerrarCalendario_Click();
    QVERIFY(!s.window->isVisible());

    s.window->Timer1_Timer();
    QCOMPARE(s.doubles.sound.played.size(), 1);
    QCOMPARE(s.doubles.boxes.calls().last().prompt,
             QStringLiteral("A sonado la ALARMA a las 09:05"));
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
