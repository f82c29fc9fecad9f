// The desktop's keyring answering late, as one does that first asks the user for a new
// keyring's password: Tarvelo stops waiting, goes on, and the answer that comes later lands
// on nothing destroyed. Run inside a desktop session of its own, with GNOME's keyring.
#include "sync/PasswordKeyring.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const char kInside[] = "TARVELO_PRUEBA_EN_SU_LLAVERO";

// Each call waits a millisecond, so that the keyring answers after Tarvelo has stopped waiting.
void answerLate(bool late)
{
    if (late)
        qputenv("TARVELO_ESPERA_LLAVERO_MS", "1");
    else
        qunsetenv("TARVELO_ESPERA_LLAVERO_MS");
}

} // namespace

class TestPasswordKeyring : public QObject
{
    Q_OBJECT

private slots:
    // Each step done with an answer that comes late, then the keyring read as it stands once
    // it has answered everything asked before.
    void lateAnswers_data()
    {
        QTest::addColumn<QStringList>("steps"); // "store TEXT", "forget", "read"
        QTest::addColumn<QString>("kept");      // what the keyring holds at the end; "" none

        QTest::newRow("stored") << QStringList{u"store clave1"_s} << u"clave1"_s;
        QTest::newRow("stored, then stored again")
            << QStringList{u"store clave1"_s, u"store clave2"_s} << u"clave2"_s;
        QTest::newRow("stored, then forgotten")
            << QStringList{u"store clave1"_s, u"forget"_s} << QString();
        QTest::newRow("read while being stored")
            << QStringList{u"store clave3"_s, u"read"_s, u"read"_s} << u"clave3"_s;
    }
    void lateAnswers()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, kept);
        const QString entry =
            PasswordKeyring::entry(u"u0"_s, QString::fromLatin1(QTest::currentDataTag()));
        answerLate(true);
        for (const QString& step : steps) {
            QString failure;
            if (step.startsWith(u"store "_s))
                PasswordKeyring::store(entry, step.mid(6), failure);
            else if (step == u"forget"_s)
                PasswordKeyring::forget(entry);
            else
                PasswordKeyring::read(entry);
        }
        // Waited for in full, a call is answered after every late one before it, on the same
        // connection to the keyring: those answers land meanwhile.
        answerLate(false);
        QCOMPARE(PasswordKeyring::read(entry).value_or(QString()), kept);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kInside)) {
        TestPasswordKeyring test;
        return QTest::qExec(&test, argc, argv);
    }
    // The keyring of a session of its own, unlocked as a login unlocks it, in a home of its own.
    if (QStandardPaths::findExecutable(u"gnome-keyring-daemon"_s).isEmpty() ||
        QStandardPaths::findExecutable(u"dbus-run-session"_s).isEmpty()) {
        std::puts("SKIP: gnome-keyring-daemon or dbus-run-session is not installed");
        return 0;
    }
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kInside), u"1"_s);
    env.remove(u"TARVELO_SIN_LLAVERO"_s);
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"run"_s));
    QProcess inside;
    inside.setProcessEnvironment(env);
    inside.setProcessChannelMode(QProcess::ForwardedChannels);
    QStringList args{u"--"_s,
                     u"sh"_s,
                     u"-c"_s,
                     u"mkdir -p -m 700 \"$XDG_RUNTIME_DIR\" && printf llave | "
                     "gnome-keyring-daemon --unlock --components=secrets >/dev/null && "
                     "exec \"$@\""_s,
                     u"sh"_s,
                     QCoreApplication::applicationFilePath()};
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    inside.start(u"dbus-run-session"_s, args);
    if (!inside.waitForFinished(600000) || inside.exitStatus() != QProcess::NormalExit)
        return 1;
    return inside.exitCode();
}

#include "tst_passwordkeyring.moc"
