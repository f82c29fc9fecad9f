#include "FakeMessageBoxes.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "shell/Session.h"
#include "shell/TarveloApplication.h"
#include "store/domain/StoreGuard.h"
#include "store/sqlite/StoreError.h"

#include <QTimer>
#include <QtTest>

// A store failure inside any event handler is reported with the store's message and ends the
// event loop with the failure's exit code, instead of going on as if the change was saved.
class TestStoreFailure : public QObject
{
    Q_OBJECT

private slots:
    void failureInHandlerEndsProgram_data();
    void failureInHandlerEndsProgram();
};

void TestStoreFailure::failureInHandlerEndsProgram_data()
{
    QTest::addColumn<QString>("unsaved"); // what the handler was writing
    QTest::addColumn<QString>("expected");

    const QString cause = QStringLiteral("disk I/O error en calendar.mdb");
    const QString ending =
        QStringLiteral("\n\nTarvelo se cerrará. Lo guardado antes sigue guardado.");
    QTest::newRow("nothing being written: the cause and the ending") << QString() << cause + ending;
    QTest::newRow("a day being written: also what was not saved")
        << QStringLiteral("el día 05/03/1997")
        << cause + QStringLiteral("\n\nNo se ha podido guardar el día 05/03/1997.") + ending;
}

void TestStoreFailure::failureInHandlerEndsProgram()
{
    QFETCH(QString, unsaved);
    QFETCH(QString, expected);

    TestStore store;
    TestSeams doubles;
    const std::unique_ptr<Session> session = Session::start(doubles.seams(), store.folder());
    QVERIFY(session);
    const StoreGuard& guard = session->guard();

    // The timers go with the test, so that none is left to fire in a later one.
    QObject scope;
    bool ranAfter = false;
    QTimer::singleShot(0, &scope, [&] {
        guard.run([] { throw StoreError(QStringLiteral("disk I/O error en calendar.mdb"), 10); },
                  unsaved);
    });
    QTimer::singleShot(5000, &scope, [&ranAfter] {
        ranAfter = true;
        QCoreApplication::exit(0);
    });

    const int code = QCoreApplication::exec();
    QCOMPARE(code, Session::kStoreFailureExit);
    QCOMPARE(code, 2);
    QVERIFY(!ranAfter);
    QVERIFY(guard.failed());
    QCOMPARE(doubles.boxes.calls().size(), 1);
    QCOMPARE(doubles.boxes.calls().first().prompt, expected);
    QCOMPARE(doubles.boxes.calls().first().style & 0x70, int(MessageBoxes::Critical));

    // The program is ending: no later command touches the store or tells the user again.
    bool ranLater = false;
    QVERIFY(!guard.run([&ranLater] { ranLater = true; }));
    QVERIFY(!ranLater);
    QCOMPARE(doubles.boxes.calls().size(), 1);
}

int main(int argc, char** argv)
{
    TarveloApplication app(argc, argv);
    TestStoreFailure test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storefailure.moc"
