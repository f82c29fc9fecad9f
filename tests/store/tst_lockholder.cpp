#include "store/sqlite/LockHolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// The name the lock table gives a file: its device in hexadecimal and its inode.
QByteArray tableName(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return "??:??:0";
    return QByteArray::number(major(info.st_dev), 16).rightJustified(2, '0') + ':' +
           QByteArray::number(minor(info.st_dev), 16).rightJustified(2, '0') + ':' +
           QByteArray::number(qulonglong(info.st_ino));
}

QByteArray line(int n, const char* access, qint64 pid, const QByteArray& file,
                const char* waiting = "")
{
    return QByteArray::number(n) + ": " + waiting + "POSIX  ADVISORY  " + access + ' ' +
           QByteArray::number(pid) + ' ' + file + " 120 120\n";
}

} // namespace

class TestLockHolder : public QObject
{
    Q_OBJECT

private slots:
    void holdersFromTheLockTable_data();
    void holdersFromTheLockTable();
    void lockFileOwner_data();
    void lockFileOwner();
    void describe_data();
    void describe();

private:
    QTemporaryDir dir_;
};

void TestLockHolder::holdersFromTheLockTable_data()
{
    QTest::addColumn<QByteArray>("table"); // "S" stands for the store, "M" for its -shm
    QTest::addColumn<QList<qint64>>("expected");

    const qint64 self = QCoreApplication::applicationPid();
    QTest::newRow("nobody") << QByteArray() << QList<qint64>{};
    QTest::newRow("a writer on the shared memory file")
        << line(1, "WRITE", 41, "M") << QList<qint64>{41};
    QTest::newRow("writers before readers")
        << line(1, "READ", 40, "S") + line(2, "WRITE", 41, "M") + line(3, "READ", 41, "S")
        << QList<qint64>{41, 40};
    QTest::newRow("this process is no holder")
        << line(1, "WRITE", self, "S") + line(2, "READ", 42, "S") << QList<qint64>{42};
    QTest::newRow("a process waiting holds nothing")
        << line(1, "WRITE", 43, "S", "-> ") << QList<qint64>{};
    QTest::newRow("another file") << line(1, "WRITE", 44, "O") << QList<qint64>{};
    QTest::newRow("lines of another form")
        << QByteArray("basura\n1: FLOCK ADVISORY WRITE x S 0 EOF\n") << QList<qint64>{};
}

void TestLockHolder::holdersFromTheLockTable()
{
    QFETCH(QByteArray, table);
    QFETCH(QList<qint64>, expected);
    const QString store = dir_.filePath(QStringLiteral("calendar.mdb"));
    const QString other = dir_.filePath(QStringLiteral("otro"));
    for (const QString& path : {store, store + QStringLiteral("-shm"), other}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    table.replace(" S ", " " + tableName(store) + ' ');
    table.replace(" M ", " " + tableName(store + QStringLiteral("-shm")) + ' ');
    table.replace(" O ", " " + tableName(other) + ' ');
    QCOMPARE(LockHolder::holders({store, store + QStringLiteral("-shm")}, table), expected);
}

void TestLockHolder::lockFileOwner_data()
{
    QTest::addColumn<QString>("who"); // "running", "gone", "self", "garbage"
    QTest::addColumn<bool>("named");
    QTest::newRow("a copy that runs") << "running" << true;
    QTest::newRow("a copy that was killed") << "gone" << false;
    QTest::newRow("this very copy") << "self" << false;
    QTest::newRow("not a lock file") << "garbage" << false;
}

void TestLockHolder::lockFileOwner()
{
    QFETCH(QString, who);
    QFETCH(bool, named);

    QProcess sleeper;
    qint64 pid = 0;
    if (who == QLatin1String("running") || who == QLatin1String("gone")) {
        sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(sleeper.waitForStarted());
        pid = sleeper.processId();
        if (who == QLatin1String("gone")) {
            sleeper.kill();
            QVERIFY(sleeper.waitForFinished());
        }
    } else if (who == QLatin1String("self")) {
        pid = QCoreApplication::applicationPid();
    }
    const QString path = dir_.filePath(QStringLiteral(".tarvelo.lock"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(pid ? QByteArray::number(pid) + "\ntarvelo\nequipo\n" : QByteArray("x\n"));
    file.close();

    QCOMPARE(LockHolder::lockFileOwner(path), named ? pid : 0);
    if (sleeper.state() != QProcess::NotRunning) {
        sleeper.kill();
        sleeper.waitForFinished();
    }
}

void TestLockHolder::describe_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected");
    QTest::newRow("another copy") << "tarvelo"
                                  << "otra copia de Tarvelo (proceso 7)";
    QTest::newRow("the store tool") << "tarvelo-db"
                                    << "la herramienta tarvelo-db (proceso 7)";
    QTest::newRow("another program") << "sqlitebrowser"
                                     << "el programa sqlitebrowser (proceso 7)";
    QTest::newRow("a process without a name") << ""
                                              << "el proceso 7";
}

void TestLockHolder::describe()
{
    QFETCH(QString, command);
    QFETCH(QString, expected);
    QCOMPARE(LockHolder::describe(7, command), expected);
}

QTEST_GUILESS_MAIN(TestLockHolder)
#include "tst_lockholder.moc"
