#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "TestSeams.h"
#include "month/MonthView.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Doubles = TestSeams;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void refusesUnusableStore_data();
    void refusesUnusableStore();
    void setsTodayAsReferenceDay();
    void prunesEmptyLatestDays();
    void looksOnlyInItsOwnFolder();
    void salirEnds();
};

void TestStartup::refusesUnusableStore_data()
{
    QTest::addColumn<QByteArray>("contents"); // empty: no file at all
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing file names the path and the tool")
        << QByteArray() << QStringLiteral("tarvelo-db create");
    QTest::newRow("text file is not a store") << QByteArray("fecha;nota\n05/03/1997;hola\n")
                                              << QStringLiteral("no es un archivo de datos");
    QTest::newRow("random bytes are not a store")
        << QByteArray(4096, '\x5a') << QStringLiteral("no es un archivo de datos");
}

void TestStartup::refusesUnusableStore()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    if (!contents.isEmpty())
        writeFile(path, contents);

    Doubles d;
    frmCalendar window(d.seams(), dir.path());
    QVERIFY(!window.Form_Load());

    QCOMPARE(d.boxes.calls().size(), 1);
    const auto& call = d.boxes.calls().first();
    QVERIFY2(call.prompt.contains(expected), qPrintable(call.prompt));
    QVERIFY2(call.prompt.contains(QStringLiteral("calendar.mdb")), qPrintable(call.prompt));
    QCOMPARE(call.style & 0x70, int(MessageBoxes::Critical));
    QVERIFY(!window.isVisible());
    QVERIFY(window.store() == nullptr);

    if (contents.isEmpty()) {
        QVERIFY(!QFile::exists(path));
    } else {
        QCOMPARE(readAll(path), contents);
    }
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
}

void TestStartup::setsTodayAsReferenceDay()
{
    QTemporaryDir dir;
    Database::create(CalendarStore::pathIn(dir.path()));
    Doubles d;
    d.clock.set(QDateTime(QDate(2031, 7, 9), QTime(23, 59, 30)));
    frmCalendar window(d.seams(), dir.path());
    QVERIFY(window.Form_Load());
    QVERIFY(d.boxes.calls().isEmpty());
    QCOMPARE(window.monthView()->FechaActual, QStringLiteral("09/07/2031"));
    QCOMPARE(window.monthView()->dFechaActual, DatePattern::fromDate(QDate(2031, 7, 9)));
    QCOMPARE(window.outerWidth(), 3555);
}

void TestStartup::prunesEmptyLatestDays()
{
    QTemporaryDir dir;
    const QString path = CalendarStore::pathIn(dir.path());
    Database::create(path);
    {
        const auto db = Database::open(path);
        Statement insert = db->prepare(QStringLiteral(
            "INSERT INTO calendar (fecha, nota, festivo, alarma, Color) VALUES (?1, ?2, 0, 0, 5)"));
        for (int i = 0; i < 100; ++i) {
            insert.bind(1, DatePattern::fromDate(QDate(2020, 1, 1).addDays(i)));
            // Every fifth day carries nothing; the rest have a note.
            insert.bind(2, i % 5 == 0 ? QString() : QStringLiteral("nota %1").arg(i));
            insert.execute();
            insert.reset();
        }
    }
    Doubles d;
    frmCalendar window(d.seams(), dir.path());
    QVERIFY(window.Form_Load());

    Listing all = Listing::run(*window.store()->dbCalendar,
                               QStringLiteral("SELECT fecha FROM calendar ORDER BY fecha"));
    // 20 empty days, 8 of them among the first 40: only the 12 among the latest 60 go.
    QCOMPARE(all.recordCount(), 88);
    Listing kept = Listing::run(*window.store()->dbCalendar,
                                QStringLiteral("SELECT fecha FROM calendar WHERE len(nota) = 0"));
    QCOMPARE(kept.recordCount(), 8);
}

void TestStartup::looksOnlyInItsOwnFolder()
{
    QTemporaryDir withStore;
    QTemporaryDir without;
    Database::create(CalendarStore::pathIn(withStore.path()));
    Doubles d;
    frmCalendar window(d.seams(), without.path());
    QVERIFY(!window.Form_Load());
    QVERIFY(d.boxes.calls().first().prompt.contains(QDir::toNativeSeparators(without.path())));
    QVERIFY(!QFile::exists(CalendarStore::pathIn(without.path())));
}

void TestStartup::salirEnds()
{
    QTemporaryDir dir;
    Database::create(CalendarStore::pathIn(dir.path()));
    Doubles d;
    frmCalendar window(d.seams(), dir.path());
    QVERIFY(window.Form_Load());
    QSignalSpy ended(&window, &frmCalendar::ended);
    window.mSalir_Click();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toInt(), 0);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
