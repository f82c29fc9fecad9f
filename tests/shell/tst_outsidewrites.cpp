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

using namespace Qt::StringLiterals;

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
        other.addNotita(u"tres"_s, 600, 900);
        other.addNote(kToday, u"cita"_s);
        session = Session::start(doubles.seams(), other.folder());
        // A save waits a moment for the lock, not the ten seconds the user is given.
        session->store().database().setBusyTimeout(200);
    }

    frmCalendar& window() const { return session->window(); }
    // What another program does, on its own connection.
    void otherDoes(const QString& sql) { other.db().execute(sql); }
    // The program looks for other programs' writes, as its timer does.
    void look() { session->store().outsideWrites().check(); }
    QString storedNotita() const { return other.notitaRow(1).section(u'|', 1, 1); }

    frmNota* notita(int k) const
    {
        return child<NotitaSlots>(&window(), "notitas")->existingWindow(k);
    }
    QPlainTextEdit* notitaBox(int k) const { return child<QPlainTextEdit>(notita(k), "txtNota"); }
    MonthView* month() const { return child<MonthView>(&window(), "MonthView"); }
    DayEditor* editor() const { return child<DayEditor>(&window(), "DayEditor"); }
    QPlainTextEdit* dayBox() const { return child<QPlainTextEdit>(editor(), "txtNota1"); }
    QTableView* table() const
    {
        return child<QTableView>(child<NotesPanel>(&window(), "DBGridCalendar"), "table");
    }
    QString listed(int row) const
    {
        return table()->model()->index(row, 1).data(Qt::DisplayRole).toString();
    }
    void listRow(int row) { table()->setCurrentIndex(table()->model()->index(row, 1)); }

    // Opens the 5th in the day editor (the tenth button: the 1st is a Saturday) and the notes
    // list.
    void openDayAndList()
    {
        child<DayButton>(month(), "SScmdDia_9")->click();
        window().mVerNotas_Click();
    }
    // Types at the end of the first notita, of the open day or of the list's first note
    // (without leaving its row).
    void type(const QString& part, const QString& text)
    {
        if (part == "notita"_L1) {
            notitaBox(1)->moveCursor(QTextCursor::End);
            QTest::keyClicks(notitaBox(1), text);
        } else if (part == "day"_L1) {
            QTest::keyClick(dayBox(), Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(dayBox(), text);
        } else {
            listRow(0);
            table()->model()->setData(table()->model()->index(0, 1), listed(0) + text,
                                      Qt::EditRole);
        }
    }

    // What a part shows now.
    QString shown(const QString& part) const
    {
        if (part == "notita"_L1)
            return notita(1)->isVisible() ? notitaBox(1)->toPlainText() : u"<oculta>"_s;
        if (part == "new notita"_L1)
            return notita(2) && notita(2)->isVisible() ? notitaBox(2)->toPlainText() : QString();
        if (part == "day"_L1)
            return dayBox()->toPlainText();
        if (part == "list"_L1)
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

// Another program writing the store while the windows show it (a second connection to the
// file): what it writes is shown wherever the user is not editing, and never written over; a
// notita it deleted is written again when typed into; while it holds the lock, what is typed
// waits and is written once the lock is free, and the program goes on.
class TestOutsideWrites : public QObject
{
    Q_OBJECT

private slots:
    void otherWrite_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<bool>("typed"); // "Z" typed into it, before the program has looked
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected"); // shown; typed: notita rows, or the 5th's note

        const QString notitaText = u"UPDATE Nota SET nota = 'ext 399'"_s;
        const QString noteOf5 = u"UPDATE calendar SET nota = 'ext 399'"_s;
        QTest::newRow("notita: its new text") << "notita" << false << notitaText << "ext 399";
        QTest::newRow("notita: deleted there, it goes")
            << "notita" << false << u"DELETE FROM Nota"_s << "<oculta>";
        QTest::newRow("notita: added there, it shows")
            << "new notita" << false
            << u"INSERT INTO Nota (nota, \"Top\", \"Left\") VALUES ('nueva', 900, 900)"_s
            << "nueva";
        QTest::newRow("open day: its new note") << "day" << false << noteOf5 << "ext 399";
        QTest::newRow("notes list: the new note") << "list" << false << noteOf5 << "ext 399";
        QTest::newRow("month: a day noted there is marked")
            << "month" << false
            << u"INSERT INTO calendar (fecha, nota, festivo, alarma, Color) VALUES "
               "(%1, 'nueva', 0, 0, 5)"_s.arg(DatePattern::fromDate(kOther))
            << "7";
        QTest::newRow("typed: notita changed there")
            << "notita" << true << notitaText << "1|tresZ · ext 399|600|900";
        QTest::newRow("typed: notita deleted there, written again")
            << "notita" << true << u"DELETE FROM Nota"_s << "2|tresZ|600|900";
        QTest::newRow("typed: open day changed there")
            << "day" << true << noteOf5 << "citaZ · ext 399";
        QTest::newRow("typed: open day deleted there, written again")
            << "day" << true << u"DELETE FROM calendar"_s << "citaZ";
        QTest::newRow("typed: notes list changed there")
            << "list" << true << noteOf5 << "citaZ · ext 399";
    }
    void otherWrite()
    {
        QFETCH(QString, part);
        QFETCH(bool, typed);
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        Desk desk;
        QVERIFY(desk.session);
        desk.openDayAndList();
        // A notita writes each keystroke: it is typed into once the window is stale.
        if (typed && part != "notita"_L1)
            desk.type(part, u"Z"_s);
        desk.otherDoes(sql);
        if (!typed) {
            desk.look();
            QCOMPARE(desk.shown(part), expected);
            // Showing it wrote nothing back.
            if (part == "notita"_L1 && expected != "<oculta>"_L1)
                QCOMPARE(desk.storedNotita(), expected);
        } else if (part == "notita"_L1) {
            desk.type(part, u"Z"_s);
            QCOMPARE(desk.other.notitaRows().join(u'\n'), expected);
            QCOMPARE(desk.notitaBox(1)->toPlainText(), expected.section(u'|', 1, 1));
        } else {
            if (part == "day"_L1)
                QVERIFY(desk.editor()->SSCmdAplicar_Click());
            else
                desk.listRow(1);
            QCOMPARE(desk.other.storedNote(kToday), expected);
        }
        QVERIFY(desk.doubles.boxes.calls().isEmpty());
    }

    void lockHoldsTypingBack_data()
    {
        QTest::addColumn<QString>("part");
        QTest::newRow("typed into a notita") << "notita";
        QTest::newRow("typed into the notes list, row left") << "list";
    }
    void lockHoldsTypingBack()
    {
        QFETCH(QString, part);
        Desk desk;
        QVERIFY(desk.session);
        desk.openDayAndList();
        const auto stored = [&] {
            return part == "notita"_L1 ? desk.storedNotita() : desk.other.storedNote(kToday);
        };
        const QString before = stored();
        LockingProgram other(desk.other.path(), "BEGIN IMMEDIATE;");
        if (!other.holding)
            QSKIP("the sqlite3 program is not there to hold the store");
        // A save's whole wait, as the program has it.
        desk.session->store().database().setBusyTimeout(Database::kSaveWaitMs);
        QElapsedTimer typing;
        typing.start();
        for (const QString& key : {u"a"_s, u"b"_s}) {
            desk.type(part, key);
            if (part == "list"_L1)
                desk.listRow(1);
        }
        // Held back at once (not after a save's whole wait), and said once, without a box to
        // answer; the program goes on.
        QVERIFY2(typing.elapsed() < Database::kSaveWaitMs / 2,
                 qPrintable(QString::number(typing.elapsed())));
        QCOMPARE(stored(), before);
        QMessageBox* notice = desk.window().busyNotice()->box();
        QVERIFY(notice);
        QVERIFY2(notice->text().contains(u"está en uso por"_s), qPrintable(notice->text()));
        QVERIFY(!notice->isModal());
        QVERIFY(desk.doubles.boxes.calls().isEmpty());
        QVERIFY(!desk.session->guard().failed());

        QVERIFY(other.run("COMMIT;"));
        QTRY_COMPARE(stored(), before + u"ab"_s);
        QTRY_VERIFY(!desk.window().busyNotice()->box());
    }

    void closingWhileHeld_data()
    {
        QTest::addColumn<bool>("freedBeforeClosing");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("told");
        QTest::newRow("freed: written at the close") << true << "tresZ" << QString();
        QTest::newRow("still held: the close says what was not saved")
            << false << u"tres"_s << "No se ha podido guardar el texto de la notita.";
    }
    void closingWhileHeld()
    {
        QFETCH(bool, freedBeforeClosing);
        QFETCH(QString, stored);
        QFETCH(QString, told);
        Desk desk;
        QVERIFY(desk.session);
        LockingProgram other(desk.other.path(), "BEGIN IMMEDIATE;");
        if (!other.holding)
            QSKIP("the sqlite3 program is not there to hold the store");
        desk.type(u"notita"_s, u"Z"_s);
        if (freedBeforeClosing)
            QVERIFY(other.run("COMMIT;"));
        desk.window().Form_Unload();
        if (!freedBeforeClosing)
            QVERIFY(other.run("COMMIT;"));
        QCOMPARE(desk.storedNotita(), stored);
        const QList<FakeMessageBoxes::Call>& calls = desk.doubles.boxes.calls();
        QCOMPARE(calls.size(), told.isEmpty() ? 0 : 1);
        if (!told.isEmpty())
            QVERIFY2(calls[0].prompt.contains(told), qPrintable(calls[0].prompt));
    }
};

QTEST_MAIN(TestOutsideWrites)
#include "tst_outsidewrites.moc"
