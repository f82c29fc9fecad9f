#include "TestSeams.h"
#include "shell/TrayIcon.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"

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

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
