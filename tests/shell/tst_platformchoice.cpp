#include "shell/TarveloApplication.h"

#include <QtTest>

// The windowing platform: a Wayland session with XWayland at hand runs the program on X11,
// where the notitas' places can be read and restored; anything else is Qt's own choice, and
// a platform the user chose always stays.
class TestPlatformChoice : public QObject
{
    Q_OBJECT

private slots:
    void platform_data();
    void platform();
};

void TestPlatformChoice::platform_data()
{
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<QByteArray>("sessionType");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("platform"); // empty: Qt's own choice

    QTest::newRow("Wayland with XWayland: X11")
        << QByteArray() << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray(":0")
        << QByteArray("xcb");
    QTest::newRow("Wayland socket alone names the session")
        << QByteArray() << QByteArray() << QByteArray("wayland-1") << QByteArray(":1")
        << QByteArray("xcb");
    QTest::newRow("session type alone names it")
        << QByteArray() << QByteArray("Wayland") << QByteArray() << QByteArray(":0")
        << QByteArray("xcb");
    QTest::newRow("Wayland without XWayland: Wayland")
        << QByteArray() << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray()
        << QByteArray();
    QTest::newRow("the user's choice stays")
        << QByteArray("wayland") << QByteArray("wayland") << QByteArray("wayland-0")
        << QByteArray(":0") << QByteArray();
    QTest::newRow("an X11 session: Qt's choice")
        << QByteArray() << QByteArray("x11") << QByteArray() << QByteArray(":0") << QByteArray();
}

void TestPlatformChoice::platform()
{
    QFETCH(QByteArray, chosen);
    QFETCH(QByteArray, sessionType);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, platform);
    QCOMPARE(TarveloApplication::platformFor(chosen, sessionType, waylandDisplay, display)
                 .value_or(QByteArray()),
             platform);
}

QTEST_GUILESS_MAIN(TestPlatformChoice)
#include "tst_platformchoice.moc"
