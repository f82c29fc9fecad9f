#include "FakeMessageBoxes.h"
#include "NotitaTable.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"

#include <QAction>
#include <QLineEdit>
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
    NotitaTable table;
    const qint64 indice = table.add(QStringLiteral("pan"), 600, 900);
    FakeMessageBoxes boxes;
    QAction abrir;
    QAction cerrar;
    NotitaSlots notitas(*table.store, boxes, &abrir, &cerrar);
    notitas.MostrarNotitas();
    frmNota* nota = notitas.window(1);
    QCOMPARE(nota->txtIndice->text(), QString::number(indice));

    constexpr int kHoldMs = 700;
    std::atomic<bool> locked = false;
    std::atomic<bool> released = false;
    const QByteArray path = QFile::encodeName(CalendarStore::pathIn(table.dir.path()));
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

    nota->txtNota->moveCursor(QTextCursor::End);
    nota->txtNota->insertPlainText(QStringLiteral(" y leche"));
    QVERIFY(released); // the save could only be written once the other writer let go
    other->wait();

    QCOMPARE(table.row(indice).section(QLatin1Char('|'), 1, 1), QStringLiteral("pan y leche"));
    QVERIFY(boxes.calls().isEmpty());
}

QTEST_MAIN(TestNotitaLock)
#include "tst_notitalock.moc"
