#include "Controls.h"
#include "FakeMessageBoxes.h"
#include "TestStore.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "store/domain/StoreGuard.h"

#include <QPlainTextEdit>
#include <QThread>
#include <QtTest>

#include <atomic>

// Another program holding the store's write lock for a moment: a keystroke's save waits for it
// and then succeeds, instead of failing and ending the program.
class TestNotitaLock : public QObject
{
    Q_OBJECT

private slots:
    void keystrokeWaitsForOtherWriter();
};

void TestNotitaLock::keystrokeWaitsForOtherWriter()
{
    TestStore table;
    const qint64 indice = table.addNotita(QStringLiteral("pan"), 600, 900);
    FakeMessageBoxes boxes;
    QStringList failures;
    StoreGuard guard([&](const StoreError& error, const QString&) { failures << error.message(); });
    NotitaSlots notitas(table.store->notitas(), boxes, guard);
    notitas.MostrarNotitas();
    frmNota* nota = notitas.window(1);
    QCOMPARE(nota->boundRow().value_or(0), indice);
    QPlainTextEdit* txtNota = child<QPlainTextEdit>(nota, "txtNota");

    constexpr int kHoldMs = 700;
    std::atomic<bool> locked = false;
    std::atomic<bool> released = false;
    const QByteArray path = QFile::encodeName(table.path());
    std::unique_ptr<QThread> other(QThread::create([&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "UPDATE calendar SET nota = nota", nullptr, nullptr, nullptr);
        locked = true;
        QThread::msleep(kHoldMs);
        released = true; // set before the lock goes: a save that returns earlier did not wait
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }));
    other->start();
    QTRY_VERIFY(locked);

    txtNota->moveCursor(QTextCursor::End);
    txtNota->insertPlainText(QStringLiteral(" y leche"));
    QVERIFY(released); // the save could only be written once the other writer let go
    other->wait();

    QCOMPARE(table.notitaRow(indice).section(QLatin1Char('|'), 1, 1),
             QStringLiteral("pan y leche"));
    QVERIFY(boxes.calls().isEmpty());
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestNotitaLock)
#include "tst_notitalock.moc"
