#include "FakeMessageBoxes.h"
#include "shell/StoreFailure.h"
#include "shell/TarveloApplication.h"
#include "store/StoreError.h"

#include <QTimer>
#include <QtTest>

// A store failure inside any event handler is reported with the store's message and ends the
// event loop with the failure's exit code, instead of going on as if the change was saved.
class TestStoreFailure : public QObject
{
    Q_OBJECT

private slots:
    void failureInHandlerEndsProgram();
};

void TestStoreFailure::failureInHandlerEndsProgram()
{
    FakeMessageBoxes boxes;
    StoreFailure::setMessageBoxes(&boxes);
    bool ranAfter = false;
    QTimer::singleShot(
        0, qApp, [] { throw StoreError(QStringLiteral("disk I/O error en calendar.mdb"), 10); });
    QTimer::singleShot(5000, qApp, [&ranAfter] {
        ranAfter = true;
        QCoreApplication::exit(0);
    });

    const int code = QCoreApplication::exec();
    QCOMPARE(code, StoreFailure::kExitCode);
    QVERIFY(!ranAfter);
    QCOMPARE(boxes.calls().size(), 1);
    QCOMPARE(boxes.calls().first().prompt, QStringLiteral("disk I/O error en calendar.mdb"));
    QCOMPARE(boxes.calls().first().style & 0x70, int(MessageBoxes::Critical));
    StoreFailure::setMessageBoxes(nullptr);
}

int main(int argc, char** argv)
{
    TarveloApplication app(argc, argv);
    TestStoreFailure test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storefailure.moc"
