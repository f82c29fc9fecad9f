#include "Controls.h"
#include "LockingProgram.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "listings/NotesPanel.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "shell/Session.h"
#include "shell/StoreBusyNotice.h"
#include "shell/frmCalendar.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

// Another program writing the store while the windows show it (a second connection to the
// file): what it writes is shown wherever the user is not editing, and never written over; a
// notita it deleted is written again when typed into; while it holds the lock, what is typed
// waits and is written once the lock is free, and the program goes on.
class TestOutsideWrites : public QObject
{
    Q_OBJECT

private slots:
    void otherWriteIsShown_data();
    void otherWriteIsShown();
    void typingOverOtherWriteKeepsBoth_data();
    void typingOverOtherWriteKeepsBoth();
    void lockHoldsTypingBack_data();
    void lockHoldsTypingBack();
    void closingWhileHeld_data();
    void closingWhileHeld();
};

namespace {

const QDate kToday(1997, 3, 5); // March 1997 starts on Saturday
const QDate kOther(1997, 3, 12);

// The program on a store that another program (the fixture's own connection) writes too:
// one notita "tres" and the 5th with the note "cita", seeded before the program starts.
struct Desk
{
    Desk()
    {
        doubles.clock.set(QDateTime(kToday, QTime(9, 7)));
        other.addNotita(QStringLiteral("tres"), 600, 900);
        other.addNote(kToday, QStringLiteral("cita"));
        session = Session::start(doubles.seams(), other.folder());
        // A save waits a moment for the lock, not the ten seconds the user is given.
        session->store().database().setBusyTimeout(200);
    }

    frmCalendar& window() const { return session->window(); }
    // What another program does, on its own connection.
    void otherDoes(const QString& sql) { other.db().execute(sql); }
    // The program looks for other programs' writes, as its timer does.
    void look() { session->store().outsideWrites().check(); }

    frmNota* notita(int k) const
    {
        return child<NotitaSlots>(&window(), "notitas")->existingWindow(k);
    }
    MonthView* month() const { return child<MonthView>(&window(), "MonthView"); }
    DayEditor* editor() const { return child<DayEditor>(&window(), "DayEditor"); }
    QPlainTextEdit* notitaBox(int k) const { return child<QPlainTextEdit>(notita(k), "txtNota"); }
    // March 1997 starts on a Saturday: the 5th is the tenth button.
    void openDay() { child<DayButton>(month(), "SScmdDia_9")->click(); }
    QPlainTextEdit* dayBox() const { return child<QPlainTextEdit>(editor(), "txtNota1"); }
    void listNotes() { window().mVerNotas_Click(); }
    QTableView* table() const
    {
        return child<QTableView>(child<NotesPanel>(&window(), "DBGridCalendar"), "table");
    }
    QString listed(int row) const
    {
        return table()->model()->index(row, 1).data(Qt::DisplayRole).toString();
    }
    // Types into the notes list's note of row, without leaving the row.
    void typeInList(int row, const QString& text)
    {
        const QModelIndex index = table()->model()->index(row, 1);
        table()->setCurrentIndex(index);
        table()->model()->setData(index, listed(row) + text, Qt::EditRole);
    }
    void leaveListRow() { table()->setCurrentIndex(table()->model()->index(1, 1)); }

    // What a part shows now.
    QString shown(const QString& part) const
    {
        if (part == QLatin1String("notita"))
            return notita(1)->isVisible() ? notitaBox(1)->toPlainText()
                                          : QStringLiteral("<oculta>");
        if (part == QLatin1String("new notita"))
            return notita(2) && notita(2)->isVisible() ? notitaBox(2)->toPlainText() : QString();
        if (part == QLatin1String("day"))
            return dayBox()->toPlainText();
        if (part == QLatin1String("list"))
            return listed(0);
        // The month: the picture of the 12th, which shows whether it has a note.
        const QByteArray name = "SScmdDia_" + QByteArray::number(kOther.day() + 4);
        return QString::number(child<DayButton>(month(), name.constData())->picture());
    }

    TestStore other;
    TestSeams doubles;
    std::unique_ptr<Session> session;
};

} // namespace

void TestOutsideWrites::otherWriteIsShown_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("shown");

    const QString noteOf5 = QStringLiteral("UPDATE calendar SET nota = 'ext 399'");
    QTest::newRow("notita: its new text") << "notita"
                                          << "UPDATE Nota SET nota = 'ext 399'"
                                          << "ext 399";
    QTest::newRow("notita: deleted there, it goes") << "notita"
                                                    << "DELETE FROM Nota"
                                                    << "<oculta>";
    QTest::newRow("notita: added there, it shows")
        << "new notita"
        << "INSERT INTO Nota (nota, \"Top\", \"Left\") VALUES ('nueva', 900, 900)"
        << "nueva";
    QTest::newRow("open day: its new note") << "day" << noteOf5 << "ext 399";
    QTest::newRow("notes list: the new note") << "list" << noteOf5 << "ext 399";
    QTest::newRow("month: a day noted there is marked")
        << "month"
        << QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, Color) VALUES "
                          "(%1, 'nueva', 0, 0, 5)")
               .arg(DatePattern::fromDate(kOther))
        << "7";
}

void TestOutsideWrites::otherWriteIsShown()
{
    QFETCH(QString, part);
    QFETCH(QString, sql);
    QFETCH(QString, shown);
    Desk desk;
    QVERIFY(desk.session);
    desk.openDay();
    desk.listNotes();
    desk.otherDoes(sql);
    desk.look();
    QCOMPARE(desk.shown(part), shown);
    // Showing it wrote nothing back.
    if (part == QLatin1String("notita") && shown != QLatin1String("<oculta>"))
        QCOMPARE(desk.other.notitaRow(1).section(QLatin1Char('|'), 1, 1), shown);
    QVERIFY(desk.doubles.boxes.calls().isEmpty());
}

void TestOutsideWrites::typingOverOtherWriteKeepsBoth_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("stored"); // notita rows, or the 5th's note

    QTest::newRow("notita changed there") << "notita"
                                          << "UPDATE Nota SET nota = 'ext 399'"
                                          << "1|tresZ · ext 399|600|900";
    QTest::newRow("notita deleted there: written again") << "notita"
                                                         << "DELETE FROM Nota"
                                                         << "2|tresZ|600|900";
    QTest::newRow("open day changed there") << "day"
                                            << "UPDATE calendar SET nota = 'ext 399'"
                                            << "citaZ · ext 399";
    QTest::newRow("open day deleted there: written again") << "day"
                                                           << "DELETE FROM calendar"
                                                           << "citaZ";
    QTest::newRow("notes list changed there") << "list"
                                              << "UPDATE calendar SET nota = 'ext 399'"
                                              << "citaZ · ext 399";
}

void TestOutsideWrites::typingOverOtherWriteKeepsBoth()
{
    QFETCH(QString, part);
    QFETCH(QString, sql);
    QFETCH(QString, stored);
    Desk desk;
    QVERIFY(desk.session);
    if (part == QLatin1String("day")) {
        desk.openDay();
        QTest::keyClick(desk.dayBox(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(desk.dayBox(), QStringLiteral("Z"));
    } else if (part == QLatin1String("list")) {
        desk.listNotes();
        desk.typeInList(0, QStringLiteral("Z"));
    }
    // The other program writes before the program has looked: the window is stale.
    desk.otherDoes(sql);
    if (part == QLatin1String("notita")) {
        desk.notitaBox(1)->moveCursor(QTextCursor::End);
        QTest::keyClicks(desk.notitaBox(1), QStringLiteral("Z"));
        QCOMPARE(desk.other.notitaRows().join(QLatin1Char('\n')), stored);
        QCOMPARE(desk.notitaBox(1)->toPlainText(), stored.section(QLatin1Char('|'), 1, 1));
    } else {
        if (part == QLatin1String("day"))
            QVERIFY(desk.editor()->SSCmdAplicar_Click());
        else
            desk.leaveListRow();
        QCOMPARE(desk.other.storedNote(kToday), stored);
    }
    QVERIFY(desk.doubles.boxes.calls().isEmpty());
}

void TestOutsideWrites::lockHoldsTypingBack_data()
{
    QTest::addColumn<QString>("part");
    QTest::newRow("typed into a notita") << "notita";
    QTest::newRow("typed into the notes list, row left") << "list";
}

void TestOutsideWrites::lockHoldsTypingBack()
{
    QFETCH(QString, part);
    Desk desk;
    QVERIFY(desk.session);
    if (part == QLatin1String("list"))
        desk.listNotes();
    const auto stored = [&] {
        return part == QLatin1String("notita")
                   ? desk.other.notitaRow(1).section(QLatin1Char('|'), 1, 1)
                   : desk.other.storedNote(kToday);
    };
    const QString before = stored();
    LockingProgram other(desk.other.path(), "BEGIN IMMEDIATE;");
    if (!other.holding)
        QSKIP("the sqlite3 program is not there to hold the store");
    // A save's whole wait, as the program has it.
    desk.session->store().database().setBusyTimeout(Database::kSaveWaitMs);
    QElapsedTimer typing;
    typing.start();
    for (const QString& key : {QStringLiteral("a"), QStringLiteral("b")}) {
        if (part == QLatin1String("notita")) {
            desk.notitaBox(1)->moveCursor(QTextCursor::End);
            QTest::keyClicks(desk.notitaBox(1), key);
        } else {
            desk.typeInList(0, key);
            desk.leaveListRow();
            desk.table()->setCurrentIndex(desk.table()->model()->index(0, 1));
        }
    }
    // Held back at once (not after a save's whole wait), and said once, without a box to
    // answer; the program goes on.
    QVERIFY2(typing.elapsed() < Database::kSaveWaitMs / 2,
             qPrintable(QString::number(typing.elapsed())));
    QCOMPARE(stored(), before);
    QMessageBox* notice = desk.window().busyNotice()->box();
    QVERIFY(notice);
    QVERIFY2(notice->text().contains(QStringLiteral("está en uso por")),
             qPrintable(notice->text()));
    QVERIFY(!notice->isModal());
    QVERIFY(desk.doubles.boxes.calls().isEmpty());
    QVERIFY(!desk.session->guard().failed());

    QVERIFY(other.run("COMMIT;"));
    QTRY_COMPARE(stored(), before + QStringLiteral("ab"));
    QTRY_VERIFY(!desk.window().busyNotice()->box());
}

void TestOutsideWrites::closingWhileHeld_data()
{
    QTest::addColumn<bool>("freedBeforeClosing");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("told");
    QTest::newRow("freed: written at the close") << true << "tresZ"
                                                 << "";
    QTest::newRow("still held: the close says what was not saved")
        << false << "tres"
        << "No se ha podido guardar el texto de la notita.";
}

void TestOutsideWrites::closingWhileHeld()
{
    QFETCH(bool, freedBeforeClosing);
    QFETCH(QString, stored);
    QFETCH(QString, told);
    Desk desk;
    QVERIFY(desk.session);
    LockingProgram other(desk.other.path(), "BEGIN IMMEDIATE;");
    if (!other.holding)
        QSKIP("the sqlite3 program is not there to hold the store");
    desk.notitaBox(1)->moveCursor(QTextCursor::End);
    QTest::keyClicks(desk.notitaBox(1), QStringLiteral("Z"));
    if (freedBeforeClosing)
        QVERIFY(other.run("COMMIT;"));
    desk.window().Form_Unload();
    if (!freedBeforeClosing)
        QVERIFY(other.run("COMMIT;"));
    QCOMPARE(desk.other.notitaRow(1).section(QLatin1Char('|'), 1, 1), stored);
    const QList<FakeMessageBoxes::Call>& calls = desk.doubles.boxes.calls();
    QCOMPARE(calls.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(calls[0].prompt.contains(told), qPrintable(calls[0].prompt));
}

QTEST_MAIN(TestOutsideWrites)
#include "tst_outsidewrites.moc"
