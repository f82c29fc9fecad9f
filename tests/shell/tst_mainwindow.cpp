#include "Controls.h"
#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "listings/NotesPanel.h"
#include "listings/frmBuscar.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "shell/Session.h"
#include "shell/frmCalendar.h"
#include "store/jet/DatePattern.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

#include <map>

namespace {

const QDate kMarch5(1997, 3, 5); // March 1997 starts on Saturday: six rows

int indexOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
}

// The main window of a session on a store of its own, with the test's seams; the store is
// seeded before start().
struct Window
{
    explicit Window(const QDate& today = kMarch5) { clock.set(QDateTime(today, QTime(9, 7))); }

    bool start()
    {
        session = Session::start(doubles.seams(), store.folder());
        return session != nullptr;
    }

    frmCalendar& window() const { return session->window(); }
    // The notes list and the day editor, once a listing has run and a day has been opened.
    NotesPanel& notes() const { return *child<NotesPanel>(&window(), "DBGridCalendar"); }
    DayEditor& editor() const { return *child<DayEditor>(&window(), "DayEditor"); }
    QTableView* table() const { return child<QTableView>(&notes(), "table"); }
    QString caption() const { return child<QLabel>(&notes(), "caption")->text(); }
    QPlainTextEdit* noteBox() const { return child<QPlainTextEdit>(&editor(), "txtNota1"); }
    QAction* item(const char* name) const { return child<QAction>(&window(), name); }
    bool visible(const char* name) const { return item(name)->isVisible(); }

    DayButton* dayButton(const QDate& day) const
    {
        const QByteArray name = "SScmdDia_" + QByteArray::number(indexOf(day));
        return child<DayButton>(child<MonthView>(&window(), "MonthView"), name.constData());
    }

    QStringList listedNotes() const
    {
        QStringList notes;
        const QAbstractItemModel& m = *table()->model();
        for (int row = 0; row < m.rowCount(); ++row)
            notes << m.data(m.index(row, 1), Qt::DisplayRole).toString();
        return notes;
    }

    // Shown and active, so that a click moves the keyboard focus as the user's would.
    bool showActive() const
    {
        window().show();
        if (!QTest::qWaitForWindowExposed(&window()))
            return false;
        window().activateWindow();
        return QTest::qWaitForWindowActive(&window());
    }

    TestStore store;
    TestSeams doubles;
    FakeMessageBoxes& boxes = doubles.boxes;
    FakeClock& clock = doubles.clock;
    std::unique_ptr<Session> session;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void showAndHideNotes();
    void savedDayListsAllNotes_data();
    void savedDayListsAllNotes();
    void salirWritesGridEdit();
    void dayButtonTakesGridEdit_data();
    void dayButtonTakesGridEdit();
    void siguienteGoesOnAfterAlarmCheck_data();
    void siguienteGoesOnAfterAlarmCheck();
};

void TestMainWindow::startUp_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("notitas");
    QTest::addColumn<bool>("hideEnabled"); // "Ocultar notitas"

    QTest::newRow("a month of six rows, no notita: nothing to hide") << kMarch5 << 4000 << "marzo"
                                                                     << "1997" << 0 << false;
    QTest::newRow("a month of five rows, notitas stored: they can be hidden")
        << QDate(1997, 9, 17) << 3550 << "septiembre"
        << "1997" << 2 << true;
}

void TestMainWindow::startUp()
{
    QFETCH(QDate, today);
    QFETCH(int, height);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(int, notitas);
    QFETCH(bool, hideEnabled);

    Window w(today);
    w.store.addNotitas(notitas);
    QVERIFY(w.start());
    frmCalendar& f = w.window();
    QCOMPARE(f.outerWidth(), 3555);
    QCOMPARE(f.outerHeight(), height);
    QCOMPARE(f.windowTitle(), QStringLiteral("Calendario"));
    QVERIFY(w.visible("mVerNotas"));
    QVERIFY(!w.visible("mOcultarNotas"));
    QVERIFY(!w.visible("mAbrirNotitas"));
    QVERIFY(w.visible("mCerrarNotitas"));
    QCOMPARE(w.item("mCerrarNotitas")->isEnabled(), hideEnabled);
    QCOMPARE(child<QMenu>(&f, "mMesactual")->title().remove(QLatin1Char('&')), month);
    QCOMPARE(child<QMenu>(&f, "manyoactual")->title().remove(QLatin1Char('&')), year);
    QCOMPARE(w.item("mCortar")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    QCOMPARE(w.item("mCopiar")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(w.item("mPegar")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    QVERIFY(w.boxes.calls().isEmpty());
}

void TestMainWindow::showAndHideNotes()
{
    Window w;
    w.store.addNote(kMarch5, QStringLiteral("uno"));
    w.store.addNote(kMarch5.addDays(1), QStringLiteral("dos"));
    QVERIFY(w.start());

    w.item("mVerNotas")->trigger();
    QCOMPARE(w.window().outerWidth(), 7500);
    QVERIFY(!w.visible("mVerNotas"));
    QVERIFY(w.visible("mOcultarNotas"));
    QCOMPARE(w.listedNotes(), (QStringList{"uno", "dos"}));

    w.item("mOcultarNotas")->trigger();
    QCOMPARE(w.window().outerWidth(), 3555);
    QVERIFY(w.visible("mVerNotas"));
    QVERIFY(!w.visible("mOcultarNotas"));
    QCOMPARE(w.listedNotes(), (QStringList{"uno", "dos"}));
    QCOMPARE(w.caption(), QStringLiteral("2 Notas halladas"));
}

void TestMainWindow::savedDayListsAllNotes_data()
{
    QTest::addColumn<bool>("monthListing"); // else the panel is hidden

    QTest::newRow("panel hidden: shown with every note") << false;
    QTest::newRow("a month listing shown: replaced by every note") << true;
}

void TestMainWindow::savedDayListsAllNotes()
{
    QFETCH(bool, monthListing);

    Window w;
    w.store.addNote(QDate(1997, 4, 10), QStringLiteral("abril"));
    w.store.addNote(QDate(1997, 3, 1), QStringLiteral("marzo"));
    QVERIFY(w.start());
    if (monthListing) {
        w.item("mPantallaMes")->trigger();
        QCOMPARE(w.listedNotes(), QStringList{"marzo"});
    }

    w.dayButton(kMarch5)->click();
    DayEditor& editor = w.editor();
    QCOMPARE(w.window().outerHeight(), DayEditor::kOpenHeight);
    w.noteBox()->setPlainText(QStringLiteral("cena"));
    child<QRadioButton>(&editor, "SSOptionVerde13")->setChecked(true);
    QVERIFY(editor.SSCmdAplicar_Click());

    QCOMPARE(w.window().outerWidth(), 7500);
    QCOMPARE(w.window().outerHeight(), 4000);
    QVERIFY(w.visible("mOcultarNotas"));
    QCOMPARE(w.caption(), QStringLiteral("3 Notas halladas"));
    QCOMPARE(w.listedNotes(), (QStringList{"marzo", "cena", "abril"}));
    QCOMPARE(w.dayButton(kMarch5)->picture(), 15); // Verde, note
}

void TestMainWindow::salirWritesGridEdit()
{
    Window w;
    w.store.addNote(kMarch5, QStringLiteral("antes"));
    QVERIFY(w.start());
    w.window().mVerNotas_Click();
    QAbstractItemModel& m = *w.table()->model();
    QVERIFY(m.setData(m.index(0, 1), QStringLiteral("después"), Qt::EditRole));
    QCOMPARE(w.store.storedNote(kMarch5), QStringLiteral("antes"));

    w.window().mSalir_Click();
    QCOMPARE(w.store.storedNote(kMarch5), QStringLiteral("después"));
}

// A note typed into the list and not yet written, on the day the user then presses: the day
// opens with what was typed, and what is then saved from the editor is what the store keeps.
void TestMainWindow::dayButtonTakesGridEdit_data()
{
    QTest::addColumn<QDate>("openBefore"); // invalid: no day open
    QTest::addColumn<bool>("pressAgain");  // the press closed the editor on its own day

    QTest::newRow("no day open") << QDate() << false;
    QTest::newRow("another day open") << kMarch5.addDays(1) << false;
    QTest::newRow("the same day open: closed, then opened again") << kMarch5 << true;
}

void TestMainWindow::dayButtonTakesGridEdit()
{
    QFETCH(QDate, openBefore);
    QFETCH(bool, pressAgain);

    Window w;
    w.store.addNote(kMarch5, QStringLiteral("antes"));
    w.store.addNote(QDate(1997, 3, 20), QStringLiteral("otra"));
    QVERIFY(w.start());
    QVERIFY(w.showActive());
    if (openBefore.isValid()) {
        QTest::mouseClick(w.dayButton(openBefore), Qt::LeftButton);
        QVERIFY(w.editor().isOpen());
    }

    w.item("mVerNotas")->trigger();
    QTableView* table = w.table();
    const QModelIndex cell = table->model()->index(0, 1);
    QCOMPARE(cell.data().toString(), QStringLiteral("antes"));
    table->setFocus();
    table->setCurrentIndex(cell);
    table->edit(cell);
    QPointer<QLineEdit> cellEditor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(cellEditor);
    cellEditor->selectAll();
    QTest::keyClicks(cellEditor, QStringLiteral("desde la lista"));
    // Still only in the cell's editor: neither the grid nor the store has it yet.
    QCOMPARE(cell.data().toString(), QStringLiteral("antes"));
    QCOMPARE(w.store.storedNote(kMarch5), QStringLiteral("antes"));

    QTest::mouseClick(w.dayButton(kMarch5), Qt::LeftButton);
    QCOMPARE(w.editor().FechaSeleccionada().value_or(QDate()), kMarch5);
    QCOMPARE(w.noteBox()->toPlainText(), QStringLiteral("desde la lista"));
    QCOMPARE(w.store.storedNote(kMarch5), QStringLiteral("desde la lista"));
    QCOMPARE(w.editor().isOpen(), !pressAgain);
    if (pressAgain) {
        QTest::mouseClick(w.dayButton(kMarch5), Qt::LeftButton);
        QVERIFY(w.editor().isOpen());
        QCOMPARE(w.noteBox()->toPlainText(), QStringLiteral("desde la lista"));
    }

    QPlainTextEdit* noteBox = w.noteBox();
    noteBox->setFocus();
    noteBox->selectAll();
    QTest::keyClicks(noteBox, QStringLiteral("la del editor"));
    QTest::mouseClick(child<QPushButton>(&w.editor(), "SScmdAplicar"), Qt::LeftButton);
    QCOMPARE(w.store.storedNote(kMarch5), QStringLiteral("la del editor"));
    QCOMPARE(w.listedNotes(), (QStringList{"la del editor", "otra"}));

    // Nothing typed in the list earlier comes back over it at the end.
    w.window().mSalir_Click();
    QCOMPARE(w.store.storedNote(kMarch5), QStringLiteral("la del editor"));
    QVERIFY(w.boxes.calls().isEmpty());
}

// The alarm looks at today's day every minute; "Siguiente" still goes on from the day the
// search found last, not from today.
void TestMainWindow::siguienteGoesOnAfterAlarmCheck_data()
{
    QTest::addColumn<bool>("forwards");
    QTest::addColumn<QList<QDate>>("found"); // by "Buscar", then by "Siguiente" after each tick

    const QDate first(1997, 3, 1);
    const QDate tenth(1997, 3, 10);
    const QDate twentieth(1997, 3, 20);
    QTest::newRow("backwards, from the latest day down past today")
        << false << QList<QDate>{twentieth, tenth, kMarch5, first};
    QTest::newRow("forwards, from the earliest day up past today")
        << true << QList<QDate>{first, kMarch5, tenth, twentieth};
}

void TestMainWindow::siguienteGoesOnAfterAlarmCheck()
{
    QFETCH(bool, forwards);
    QFETCH(QList<QDate>, found);

    const std::map<QDate, QString> notes{
        {QDate(1997, 3, 1), QStringLiteral("cita uno")},
        {kMarch5, QStringLiteral("cita con alarma")},
        {QDate(1997, 3, 10), QStringLiteral("cita diez")},
        {QDate(1997, 3, 20), QStringLiteral("cita veinte")},
    };
    Window w; // 5 March 1997, 09:07
    for (const auto& [day, note] : notes) {
        TestDayRow row{.nota = note};
        if (day == kMarch5) {
            row.alarma = 1;
            row.hora = DatePattern::fromTime(9, 8);
        }
        w.store.addDay(day, row);
    }
    w.store.addNote(QDate(1997, 3, 15), QStringLiteral("nada que ver"));
    QVERIFY(w.start());

    w.window().mBucar_Click();
    auto* buscar = child<frmBuscar>(&w.window(), "frmBuscar");
    child<QLineEdit>(buscar, "txtBuscar")->setText(QStringLiteral("cita"));
    child<QRadioButton>(buscar, forwards ? "SSOptionDelante" : "SSOptionAtras")->click();
    auto* siguiente = child<QPushButton>(buscar, "cmdSiguiente");
    auto* hallado = child<QPlainTextEdit>(buscar, "txtHallado");
    auto* day = child<QGroupBox>(buscar, "SSFrameHallado");
    const auto shows = [&](const QDate& date) {
        QCOMPARE(hallado->toPlainText(), notes.at(date));
        QCOMPARE(day->title(), DatePattern::format(DatePattern::fromDate(date),
                                                   QStringLiteral("ddd, dd/mmmm/yyyy")));
    };

    child<QPushButton>(buscar, "cmdComenzar")->click();
    shows(found.first());
    if (QTest::currentTestFailed())
        return;
    for (qsizetype k = 1; k < found.size(); ++k) {
        w.clock.advanceMs(60 * 1000);
        w.window().Timer1_Timer();
        if (k == 1) { // 09:08: today's alarm rings
            QCOMPARE(w.doubles.sound.played.size(), 1);
            QCOMPARE(w.boxes.calls().last().prompt,
                     QStringLiteral("A sonado la ALARMA a las 09:08"));
        }
        siguiente->click();
        shows(found.at(k));
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(w.doubles.sound.played.size(), 1);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
