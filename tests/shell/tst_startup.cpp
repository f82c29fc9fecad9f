#include "Controls.h"
#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "month/MonthView.h"
#include "shell/Session.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "store/jet/DatePattern.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <utility>
#include <vector>

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

bool anyWindowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); });
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
    const std::unique_ptr<Session> session = Session::start(d.seams(), dir.path());
    // No session: neither a store nor a window is left behind.
    QVERIFY(!session);

    QCOMPARE(d.boxes.calls().size(), 1);
    const auto& call = d.boxes.calls().first();
    QVERIFY2(call.prompt.contains(expected), qPrintable(call.prompt));
    QVERIFY2(call.prompt.contains(QStringLiteral("calendar.mdb")), qPrintable(call.prompt));
    QCOMPARE(call.style & 0x70, int(MessageBoxes::Critical));
    QVERIFY(!anyWindowShown());

    if (contents.isEmpty()) {
        QVERIFY(!QFile::exists(path));
    } else {
        QCOMPARE(readAll(path), contents);
    }
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
}

void TestStartup::setsTodayAsReferenceDay()
{
    TestStore store;
    Doubles d;
    d.clock.set(QDateTime(QDate(2031, 7, 9), QTime(23, 59, 30)));
    const std::unique_ptr<Session> session = Session::start(d.seams(), store.folder());
    QVERIFY(session);
    QVERIFY(d.boxes.calls().isEmpty());
    const QDate reference = child<MonthView>(&session->window(), "MonthView")->dFechaActual();
    QCOMPARE(reference.toString(QStringLiteral("dd/MM/yyyy")), QStringLiteral("09/07/2031"));
    QCOMPARE(DatePattern::fromDate(reference), DatePattern::fromDate(QDate(2031, 7, 9)));
    QCOMPARE(session->window().outerWidth(), 3555);
}

void TestStartup::prunesEmptyLatestDays()
{
    TestStore store;
    std::vector<std::pair<QDate, TestDayRow>> rows;
    for (int i = 0; i < 100; ++i) {
        // Every fifth day carries nothing; the rest have a note.
        rows.emplace_back(
            QDate(2020, 1, 1).addDays(i),
            TestDayRow{.nota = i % 5 == 0 ? QString() : QStringLiteral("nota %1").arg(i)});
    }
    store.addDays(rows);

    Doubles d;
    const std::unique_ptr<Session> session = Session::start(d.seams(), store.folder());
    QVERIFY(session);

    // The window comes up first; the empty days go once the whole file has been read.
    // 20 empty days, 8 of them among the first 40: only the 12 among the latest 60 go.
    QTRY_COMPARE(store.dayCount(), 88);
    int kept = 0;
    for (const auto& [date, row] : rows) {
        const QVariantList stored = store.dayRow(date);
        if (!stored.isEmpty() && stored[4].toString().isEmpty())
            ++kept;
    }
    QCOMPARE(kept, 8);
}

void TestStartup::looksOnlyInItsOwnFolder()
{
    TestStore withStore;
    QTemporaryDir without;
    Doubles d;
    const std::unique_ptr<Session> session = Session::start(d.seams(), without.path());
    QVERIFY(!session);
    QVERIFY(d.boxes.calls().first().prompt.contains(QDir::toNativeSeparators(without.path())));
    QVERIFY(!QFile::exists(CalendarStore::pathIn(without.path())));
}

void TestStartup::salirEnds()
{
    TestStore store;
    Doubles d;
    const std::unique_ptr<Session> session = Session::start(d.seams(), store.folder());
    QVERIFY(session);
    QSignalSpy ended(&session->window(), &frmCalendar::ended);
    session->window().mSalir_Click();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toInt(), 0);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
