#include "Controls.h"
#include "FakeMessageBoxes.h"
#include "TestStore.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "store/domain/StoreGuard.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

// Nothing typed into a notita is lost when the program is killed: this program runs itself
// again as a child that types into a notita, and kills it between or during keystrokes.

namespace {

// Set in the child's environment: the folder of its store, and whether it waits for a line
// on its input after each keystroke.
constexpr char kChildFolder[] = "TARVELO_NOTITA_CHILD";
constexpr char kChildWaits[] = "TARVELO_NOTITA_CHILD_WAITS";

const QString kTyped = QStringLiteral("comprar pan y leche antes de las ocho de la tarde");
constexpr int kKilledAfter = 5;

// The child: binds the store's one notita to its window, then types into it one key at a
// time, telling after each key that the key is in, and waits to be killed.
int runChild(const QString& folder, bool waits)
{
    auto store = CalendarStore::open(folder);
    FakeMessageBoxes boxes;
    // A failed save is no keystroke in: the parent hears of it on the error channel, and the
    // report it waits for never comes.
    StoreGuard guard([](const StoreError& error, const QString&) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        std::exit(3);
    });
    NotitaSlots notitas(store->notitas(), boxes, guard);
    notitas.MostrarNotitas();
    frmNota* notita = notitas.existingWindow(1);
    if (!notita)
        return 2;
    QPlainTextEdit* txtNota = child<QPlainTextEdit>(notita, "txtNota");
    char line[16];
    for (int k = 0; k < kTyped.size(); ++k) {
        QTest::keyClick(txtNota, kTyped.at(k).toLatin1());
        std::printf("tecla %d\n", k + 1);
        std::fflush(stdout);
        if (waits && !std::fgets(line, sizeof line, stdin))
            return 0;
    }
    while (std::fgets(line, sizeof line, stdin)) {
    }
    return 0;
}

} // namespace

class TestNotitaKill : public QObject
{
    Q_OBJECT

private slots:
    void keystrokesSurviveKill_data();
    void keystrokesSurviveKill();
};

void TestNotitaKill::keystrokesSurviveKill_data()
{
    QTest::addColumn<bool>("waits");

    QTest::newRow("killed between two keystrokes: exactly the keys reported") << true;
    QTest::newRow("killed while typing on: at least the keys reported") << false;
}

void TestNotitaKill::keystrokesSurviveKill()
{
    QFETCH(bool, waits);

    TestStore table;
    table.addNotita(QVariant(), 1500, 3000);
    table.store.reset(); // the child is the one program on the store
    const QString folder = table.folder();

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildFolder), folder);
    if (waits)
        environment.insert(QString::fromLatin1(kChildWaits), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));

    int reported = 0;
    while (reported < kKilledAfter) {
        if (!child.canReadLine())
            QVERIFY2(child.waitForReadyRead(30000), "the child stopped reporting keystrokes");
        while (reported < kKilledAfter && child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            QCOMPARE(line, QByteArray("tecla ") + QByteArray::number(reported + 1));
            ++reported;
            if (waits && reported < kKilledAfter)
                child.write("\n");
        }
    }
    child.kill();
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    auto store = CalendarStore::open(folder);
    Statement check = store->database().prepare(QStringLiteral("PRAGMA integrity_check"));
    QVERIFY(check.step());
    QCOMPARE(check.column(0).toString(), QStringLiteral("ok"));
    check.reset();

    // One notita, as it was, with the keys typed before the kill.
    const std::vector<Notita> notitas = store->notitas().first(NotitaBook::kMaxCount);
    QVERIFY(!notitas.empty());
    const QString stored = notitas.front().text;
    if (waits)
        QCOMPARE(stored, kTyped.left(kKilledAfter));
    else
        QVERIFY2(stored.size() >= kKilledAfter && kTyped.startsWith(stored), qPrintable(stored));
    QCOMPARE(notitas.front().top, 1500.0);
    QCOMPARE(notitas.front().left, 3000.0);
    QCOMPARE(notitas.size(), std::size_t(1));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString childFolder = qEnvironmentVariable(kChildFolder);
    if (!childFolder.isEmpty())
        return runChild(childFolder, qEnvironmentVariableIsSet(kChildWaits));
    TestNotitaKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notitakill.moc"
