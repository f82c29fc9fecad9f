#include "Controls.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "shell/Session.h"
#include "shell/TarveloApplication.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "store/domain/StoreGuard.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

// What the program does when the world fails it: a store that stops taking writes, a second
// copy on the same folder, a store file that cannot be written at all.
class TestRobustness : public QObject
{
    Q_OBJECT

private slots:
    void failingWriteEndsAndKeepsWhatWasSaved_data();
    void failingWriteEndsAndKeepsWhatWasSaved();
    void readOnlyStoreIsRefusedAtStart();
    void secondCopyOnSameFolderEndsAtOnce();
};

namespace {

// Presses day `day` of the shown month (March 1997, whose 1st is a Saturday) and saves `note`.
void saveDay(frmCalendar& window, int day, const QString& note)
{
    const QByteArray button = "SScmdDia_" + QByteArray::number(5 + day - 1);
    child<DayButton>(child<MonthView>(&window, "MonthView"), button.constData())->click();
    auto* editor = child<DayEditor>(&window, "DayEditor");
    child<QPlainTextEdit>(editor, "txtNota1")->setPlainText(note);
    child<QPushButton>(editor, "SScmdAplicar")->click();
}

} // namespace

void TestRobustness::failingWriteEndsAndKeepsWhatWasSaved_data()
{
    QTest::addColumn<QString>("pragma");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("inNotita"); // else "Aplicar" on another day
    QTest::addColumn<QString>("unsaved");
    // The store stops taking writes the way a file made read-only under the program would.
    QTest::newRow("store turned read-only, then Aplicar on another day")
        << QStringLiteral("PRAGMA query_only = 1") << QStringLiteral("solo lectura") << false
        << QStringLiteral("el día 06/03/1997");
    QTest::newRow("store turned read-only, then typing into a notita")
        << QStringLiteral("PRAGMA query_only = 1") << QStringLiteral("solo lectura") << true
        << QStringLiteral("el texto de la notita");
}

void TestRobustness::failingWriteEndsAndKeepsWhatWasSaved()
{
    QFETCH(QString, pragma);
    QFETCH(QString, expected);
    QFETCH(bool, inNotita);
    QFETCH(QString, unsaved);

    TestStore store;
    const qint64 notita = store.addNotita(QStringLiteral("notita guardada"), 150, 450);
    TestSeams doubles;
    {
        const std::unique_ptr<Session> session = Session::start(doubles.seams(), store.folder());
        QVERIFY(session);
        frmCalendar& window = session->window();
        saveDay(window, 5, QStringLiteral("guardada antes"));
        QCOMPARE(store.storedNote(QDate(1997, 3, 5)), QStringLiteral("guardada antes"));

        // The timers go with the session, so that none is left to fire in a later test.
        QTimer::singleShot(0, &window, [&] {
            session->store().database().execute(pragma);
            if (inNotita) {
                QTest::keyClicks(child<QPlainTextEdit>(
                                     child<NotitaSlots>(&window, "notitas")->window(1), "txtNota"),
                                 QStringLiteral(" y mas"));
            } else {
                saveDay(window, 6, QStringLiteral("no llega a guardarse"));
            }
        });
        QTimer::singleShot(5000, &window, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), Session::kStoreFailureExit);
        QVERIFY(session->guard().failed());
    }

    QCOMPARE(doubles.boxes.calls().size(), 1);
    const FakeMessageBoxes::Call& call = doubles.boxes.calls().first();
    QVERIFY2(call.prompt.contains(expected, Qt::CaseInsensitive), qPrintable(call.prompt));
    QVERIFY2(call.prompt.contains(QStringLiteral("No se ha podido guardar %1.").arg(unsaved)),
             qPrintable(call.prompt));
    QCOMPARE(call.style & 0x70, int(MessageBoxes::Critical));
    QCOMPARE(store.storedNote(QDate(1997, 3, 5)), QStringLiteral("guardada antes"));
    QCOMPARE(store.storedNote(QDate(1997, 3, 6)), QStringLiteral("<no row>"));
    QCOMPARE(store.notitaRow(notita),
             TestStore::notitaLine(notita, QStringLiteral("notita guardada"), 150, 450));
}

void TestRobustness::readOnlyStoreIsRefusedAtStart()
{
    if (geteuid() == 0)
        QSKIP("as root every file can be written: a read-only store cannot be made here");
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    Database::create(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    TestSeams doubles;
    const std::unique_ptr<Session> session = Session::start(doubles.seams(), dir.path());
    QVERIFY(!session);
    QVERIFY(doubles.boxes.calls().first().prompt.contains(QStringLiteral("solo lectura")));
}

void TestRobustness::secondCopyOnSameFolderEndsAtOnce()
{
    QTemporaryDir dir;
    Database::create(CalendarStore::pathIn(dir.path()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess first;
    first.setWorkingDirectory(dir.path());
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(TARVELO_PROGRAM), {});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral(".tarvelo.lock"))), 10000);
    QTest::qWait(300);

    QProcess second;
    second.setWorkingDirectory(dir.path());
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TARVELO_PROGRAM), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished();
}

int main(int argc, char** argv)
{
    TarveloApplication app(argc, argv);
    TestRobustness test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_robustness.moc"
