#include "TestSeams.h"
#include "shell/TrayIcon.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QAction>
#include <QSignalSpy>
#include <QTemporaryDir>
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

struct Started
{
    Started(bool tray)
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        window = std::make_unique<frmCalendar>(doubles.seams(), dir.path());
        window->setTrayAvailable(tray);
        window->Form_Load();
        window->show();
    }
    QTemporaryDir dir;
    TestSeams doubles;
    std::unique_ptr<frmCalendar> window;
};

} // namespace

void TestTray::hiddenWindowComesBackFromTray()
{
    Started s(true);
    s.window->mCerrarCalendario_Click();
    QVERIFY(!s.window->isVisible());
    QVERIFY(s.window->trayIcon()->isShown());

    s.window->trayIcon()->mostrarCalendario()->trigger();
    QVERIFY(s.window->isVisible());
    QVERIFY(!s.window->trayIcon()->isShown());
}

void TestTray::salirFromTrayEndsProgram()
{
    Started s(true);
    s.window->mCerrarCalendario_Click();
    QSignalSpy ended(s.window.get(), &frmCalendar::ended);
    s.window->trayIcon()->salir()->trigger();
    QCOMPARE(ended.size(), 1);
}

void TestTray::withoutTrayOnlyHides()
{
    Started s(false);
    s.window->mCerrarCalendario_Click();
    QVERIFY(!s.window->isVisible());
    QVERIFY(!s.window->trayIcon()->isShown());
}

void TestTray::alarmRingsWhileHidden()
{
    Started s(false);
    s.doubles.clock.set(QDateTime(QDate(1997, 3, 5), QTime(9, 5, 30)));
    s.window->store()->dbCalendar->execute(
        QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, hora, Color) "
                       "VALUES (%1, 'dentista', 0, 1, %2, 5)")
            .arg(DatePattern::fromDate(QDate(1997, 3, 5)))
            .arg(DatePattern::fromTime(9, 5)));
    s.window->store()->dbCalendar->noteWrite();
    s.window->mCerrarCalendario_Click();
    QVERIFY(!s.window->isVisible());

    s.window->Timer1_Timer();
    QCOMPARE(s.doubles.sound.played.size(), 1);
    QCOMPARE(s.doubles.boxes.calls().last().prompt,
             QStringLiteral("A sonado la ALARMA a las 09:05"));
}

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
