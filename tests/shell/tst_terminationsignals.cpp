#include "shell/TerminationSignals.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>

class TestTerminationSignals : public QObject
{
    Q_OBJECT

private slots:
    void signalBecomesAnEvent_data();
    void signalBecomesAnEvent();
    void burstOfSignalsIsNotLost();
};

void TestTerminationSignals::signalBecomesAnEvent_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("SIGTERM: logout or shutdown") << int(SIGTERM);
    QTest::newRow("SIGHUP: the terminal went") << int(SIGHUP);
    QTest::newRow("SIGINT: Ctrl+C") << int(SIGINT);
}

void TestTerminationSignals::signalBecomesAnEvent()
{
    QFETCH(int, number);
    TerminationSignals termination;
    QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
    QCOMPARE(::raise(number), 0); // the process goes on: the signal is only noted
    QVERIFY(spy.wait(2000));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().first().toInt(), number);
}

void TestTerminationSignals::burstOfSignalsIsNotLost()
{
    TerminationSignals termination;
    QSignalSpy spy(&termination, &TerminationSignals::terminationRequested);
    for (int i = 0; i < 3; ++i)
        ::raise(SIGTERM);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 3, 2000);
}

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
