#include "shell/SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// One copy per data folder: a second start is refused and wakes the first instead.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartOnSameFolderHandsOver();
    void otherFolderIsIndependent();
    void claimReturnsAfterFirstEnds();
};

void TestSingleInstance::secondStartOnSameFolderHandsOver()
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    QVERIFY(first.claim());
    QSignalSpy woken(&first, &SingleInstance::activationRequested);

    SingleInstance second(dir.path());
    QVERIFY(!second.claim());
    // The running copy answers from its event loop, so the second asks from another thread.
    bool reached = false;
    std::unique_ptr<QThread> asker(QThread::create([&] { reached = second.activateRunning(); }));
    asker->start();
    QVERIFY(woken.wait(5000));
    asker->wait();
    QVERIFY(reached);
}

void TestSingleInstance::otherFolderIsIndependent()
{
    QTemporaryDir a;
    QTemporaryDir b;
    SingleInstance first(a.path());
    SingleInstance other(b.path());
    QVERIFY(first.claim());
    QVERIFY(other.claim());
    QVERIFY(first.serverName() != other.serverName());
}

void TestSingleInstance::claimReturnsAfterFirstEnds()
{
    QTemporaryDir dir;
    {
        SingleInstance first(dir.path());
        QVERIFY(first.claim());
    }
    SingleInstance next(dir.path());
    QVERIFY(next.claim());
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
