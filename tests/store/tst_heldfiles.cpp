#include "TestStore.h"
#include "access/JetSignature.h"
#include "ical/IcsError.h"
#include "ical/IcsExporter.h"
#include "ical/IcsImporter.h"
#include "store/domain/StoreSummary.h"
#include "store/sqlite/HeldFiles.h"
#include "store/sqlite/StoreError.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

// Every way the program looks at a file by its name, done while a connection has the store
// open, must leave that connection's locks in place: on POSIX systems closing any descriptor of
// a file drops all the process's locks on it, and another program then takes the store for
// unused, checkpoints and unlinks its journal, and corrupts it with its own write.
class tst_HeldFiles : public QObject
{
    Q_OBJECT

private:
    using Look = std::function<void(const TestStore&)>;

    // Whether this process holds a lock on the store file, as the system's table of locks
    // says (a process never sees its own locks through F_GETLK).
    static bool lockedByUs(const QString& path)
    {
        struct stat info;
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            return false;
        QFile table(QStringLiteral("/proc/locks"));
        if (!table.open(QIODevice::ReadOnly))
            return false;
        const QByteArray file = ':' + QByteArray::number(qulonglong(info.st_ino)) + ' ';
        const QByteArray self = ' ' + QByteArray::number(::getpid()) + ' ';
        for (const QByteArray& line : table.readAll().split('\n')) {
            if (line.contains(self) && line.contains(file))
                return true;
        }
        return false;
    }

    static QString sqlite3(const QString& path, const QString& sql)
    {
        QProcess cli;
        cli.start(QStringLiteral("sqlite3"), {path, sql});
        if (!cli.waitForFinished(120000) || cli.exitCode() != 0)
            return QStringLiteral("falló: ") + QString::fromUtf8(cli.readAllStandardError());
        return QString::fromUtf8(cli.readAllStandardOutput()).trimmed();
    }

private slots:
    void initTestCase()
    {
        if (QProcess::execute(QStringLiteral("sqlite3"), {QStringLiteral("-version")}) != 0)
            QSKIP("the sqlite3 program is not installed");
    }

    void looksKeepTheLocks_data()
    {
        QTest::addColumn<Look>("look");
        QTest::newRow("a second connection, as the sync's") << Look([](const TestStore& s) {
            CalendarStore::open(s.folder())->days().find(QDate(2027, 1, 4));
        });
        QTest::newRow("a read-only connection, as the store tool's check")
            << Look([](const TestStore& s) {
                   const auto db = Database::open(s.path(), Database::Access::ReadOnly);
                   QCOMPARE(StoreSummary::of(*db).verdict, QStringLiteral("ok"));
               });
        QTest::newRow("the Access signature, as the start and the menu look")
            << Look([](const TestStore& s) {
                   QCOMPARE(JetSignature::of(s.path()), JetSignature::Kind::NotAccess);
               });
        QTest::newRow("the store chosen as a calendar to import") << Look([](const TestStore& s) {
            QVERIFY_THROWS_EXCEPTION(IcsError, IcsImporter::readFile(s.path()));
        });
        QTest::newRow("its shared memory chosen as a calendar to import")
            << Look([](const TestStore& s) {
                   QVERIFY_THROWS_EXCEPTION(
                       IcsError, IcsImporter::readFile(s.path() + QStringLiteral("-shm")));
               });
        QTest::newRow("the store chosen as the file to export to") << Look([](const TestStore& s) {
            QVERIFY_THROWS_EXCEPTION(IcsError, IcsExporter::exportFile(*s.store, s.path()));
            QVERIFY(HeldFiles::isHeld(s.path() + QStringLiteral("-wal")));
        });
    }

    void looksKeepTheLocks()
    {
        QFETCH(Look, look);
        TestStore store;
        store.addNote(QDate(2027, 1, 4), QStringLiteral("de Tarvelo"));
        QVERIFY(lockedByUs(store.path()));

        look(store);
        QVERIFY2(lockedByUs(store.path()), "the look dropped the connection's locks");

        // Another program reads, then writes; the connection writes after both.
        QCOMPARE(sqlite3(store.path(), QStringLiteral("SELECT count(*) FROM calendar")),
                 QStringLiteral("1"));
        QVERIFY(QFileInfo::exists(store.path() + QStringLiteral("-wal")));
        QCOMPARE(sqlite3(store.path(),
                         QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, "
                                        "Color) VALUES (46392, 'de otro programa', 0, 0, 5)")),
                 QString());
        store.addNote(QDate(2027, 1, 6), QStringLiteral("después"));
        store.store.reset();

        QCOMPARE(sqlite3(store.path(), QStringLiteral("PRAGMA integrity_check")),
                 QStringLiteral("ok"));
        QCOMPARE(
            sqlite3(store.path(), QStringLiteral("SELECT group_concat(nota, '|') FROM "
                                                 "(SELECT nota FROM calendar ORDER BY fecha)")),
            QStringLiteral("de Tarvelo|de otro programa|después"));
    }

    // What reading a file by its name finds, for what is not a plain file too: a pipe is never
    // waited on.
    void readsWithoutBlocking_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<int>("kind");
        QTest::newRow("a plain file") << "file" << int(HeldFiles::Reading::Kind::File);
        QTest::newRow("nothing there") << "" << int(HeldFiles::Reading::Kind::Missing);
        QTest::newRow("a folder") << "folder" << int(HeldFiles::Reading::Kind::Folder);
        QTest::newRow("a named pipe") << "fifo" << int(HeldFiles::Reading::Kind::Pipe);
        QTest::newRow("a device") << "device" << int(HeldFiles::Reading::Kind::Device);
    }

    void readsWithoutBlocking()
    {
        QFETCH(QString, make);
        QFETCH(int, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("calendar.mdb"));
        if (make == QLatin1String("file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("SQLite format 3");
        } else if (make == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("calendar.mdb")));
        } else if (make == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (make == QLatin1String("device")) {
            path = QStringLiteral("/dev/null");
        }
        const HeldFiles::Reading reading = HeldFiles::read(path, 100);
        QCOMPARE(int(reading.kind), kind);
        QCOMPARE(reading.bytes,
                 make == QLatin1String("file") ? QByteArray("SQLite format 3") : QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_HeldFiles)
#include "tst_heldfiles.moc"
