#include "TestSeams.h"
#include "listings/NotesPanel.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "shell/StoreFailure.h"
#include "shell/TarveloApplication.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
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

QString noteOf(const QString& folder, const QDate& day)
{
    auto store = CalendarStore::open(folder);
    TableCursor& days = store->rsCalendar;
    days.seek(DatePattern::fromDate(day));
    return days.noMatch() ? QStringLiteral("<sin fila>")
                          : days.value(QStringLiteral("nota")).toString();
}

// Presses day `day` of the shown month (March 1997, whose 1st is a Saturday) and saves `note`.
void saveDay(frmCalendar& window, int day, const QString& note)
{
    window.dayEditor()->SScmdDia_Click(5 + day - 1);
    window.dayEditor()->txtNota1->setPlainText(note);
    window.dayEditor()->SSCmdAplicar_Click();
}

} // namespace

void TestRobustness::failingWriteEndsAndKeepsWhatWasSaved_data()
{
    QTest::addColumn<QString>("pragma");
    QTest::addColumn<QString>("expected");
    // The store stops taking writes the way a file made read-only under the program would.
    QTest::newRow("store turned read-only")
        << QStringLiteral("PRAGMA query_only = 1") << QStringLiteral("readonly");
}

void TestRobustness::failingWriteEndsAndKeepsWhatWasSaved()
{
    QFETCH(QString, pragma);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    Database::create(CalendarStore::pathIn(dir.path()));
    TestSeams doubles;
    StoreFailure::setMessageBoxes(&doubles.boxes);
    {
        frmCalendar window(doubles.seams(), dir.path());
        QVERIFY(window.Form_Load());
        saveDay(window, 5, QStringLiteral("guardada antes"));

        QTimer::singleShot(0, &window, [&] {
            window.store()->dbCalendar->execute(pragma);
            saveDay(window, 6, QStringLiteral("no llega a guardarse"));
        });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), StoreFailure::kExitCode);
    }
    StoreFailure::setMessageBoxes(nullptr);

    QCOMPARE(doubles.boxes.calls().size(), 1);
    QVERIFY2(doubles.boxes.calls().first().prompt.contains(expected, Qt::CaseInsensitive),
             qPrintable(doubles.boxes.calls().first().prompt));
    QCOMPARE(noteOf(dir.path(), QDate(1997, 3, 5)), QStringLiteral("guardada antes"));
    QCOMPARE(noteOf(dir.path(), QDate(1997, 3, 6)), QStringLiteral("<sin fila>"));
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
    frmCalendar window(doubles.seams(), dir.path());
    QVERIFY(!window.Form_Load());
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
