#include "shell/SingleInstance.h"

#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// One copy per data folder: a second start is refused and wakes the first instead.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void secondStartOnSameFolderHandsOver_data();
    void secondStartOnSameFolderHandsOver();
    void otherFolderIsIndependent();
    void claimReturnsAfterFirstEnds();
    void lockLeftByKilledCopyIsTaken();
    void startAtTheSameInstant_data();
    void startAtTheSameInstant();
};

void TestSingleInstance::secondStartOnSameFolderHandsOver_data()
{
    QTest::addColumn<bool>("aside");
    QTest::addColumn<bool>("socketLeft");
    QTest::addColumn<QByteArray>("strangerSays"); // before the second copy asks; null: no one
    QTest::newRow("folder claimed at once") << false << false << QByteArray();
    QTest::newRow("lock taken aside while the application starts") << true << false << QByteArray();
    QTest::newRow("socket left by a copy that was killed") << false << true << QByteArray();
    QTest::newRow("another program connected and silent") << false << false << QByteArray("");
    QTest::newRow("another program pouring out bytes") << false << false << QByteArray(4096, 'x');
}

namespace {

// A connection of another program to the running copy's socket, left open.
int connectStranger(const QString& path, const QByteArray& says)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return -1;
    if (!says.isEmpty())
        ::send(fd, says.constData(), std::size_t(says.size()), MSG_NOSIGNAL);
    return fd;
}

} // namespace

void TestSingleInstance::secondStartOnSameFolderHandsOver()
{
    QFETCH(bool, aside);
    QFETCH(bool, socketLeft);
    QFETCH(QByteArray, strangerSays);
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    if (socketLeft) {
        QFile left(first.socketPath());
        QVERIFY(left.open(QIODevice::WriteOnly));
    }
    if (aside)
        first.claimAside();
    QVERIFY(first.claim());
    QSignalSpy woken(&first, &SingleInstance::activationRequested);
    // Nothing another program sends, or fails to send, keeps the copy from answering the next.
    int stranger = -1;
    if (!strangerSays.isNull()) {
        stranger = connectStranger(first.socketPath(), strangerSays);
        QVERIFY(stranger >= 0);
        QTest::qWait(50);
        QCOMPARE(woken.count(), 0);
    }
    const auto hangUp = qScopeGuard([stranger] {
        if (stranger >= 0)
            ::close(stranger);
    });

    SingleInstance second(dir.path());
    if (aside)
        second.claimAside();
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

void TestSingleInstance::lockLeftByKilledCopyIsTaken()
{
    QTemporaryDir dir;
    SingleInstance probe(dir.path());
    // A lock file as a copy that was killed leaves it: a process number that no longer runs.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    QVERIFY(gone.waitForFinished());
    const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999999;
    QFile file(probe.lockPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(deadPid) + "\ntarvelo\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    file.close();

    SingleInstance next(dir.path());
    QVERIFY(next.claim());
}

void TestSingleInstance::startAtTheSameInstant_data()
{
    QTest::addColumn<bool>("firstAnswers");
    QTest::addColumn<int>("outcome");
    // The first copy has taken the folder's lock and is not listening yet.
    QTest::newRow("first still starting: waited for, then handed over")
        << true << int(SingleInstance::Start::HandedOver);
    QTest::newRow("first ended before answering: the folder is taken")
        << false << int(SingleInstance::Start::First);
}

void TestSingleInstance::startAtTheSameInstant()
{
    QFETCH(bool, firstAnswers);
    QFETCH(int, outcome);
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    auto starting = std::make_unique<QLockFile>(first.lockPath());
    QVERIFY(starting->tryLock(0));
    QSignalSpy woken(&first, &SingleInstance::activationRequested);

    std::atomic<int> got = -1;
    // The second copy lives on a thread of its own, as it would in a process of its own.
    std::unique_ptr<QThread> start(QThread::create([&] {
        SingleInstance second(dir.path());
        got = int(second.claimOrHandOver());
    }));
    start->start();
    QTest::qWait(300); // the second has found the lock taken and nobody answering
    QCOMPARE(got.load(), -1);
    starting.reset();
    if (firstAnswers)
        QVERIFY(first.claim());
    QTRY_VERIFY(got.load() != -1);
    start->wait();
    QCOMPARE(got.load(), outcome);
    QCOMPARE(woken.count(), firstAnswers ? 1 : 0);
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
