#include "Controls.h"
#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "MonthWiring.h"
#include "Spoken.h"
#include "TestStore.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthPanel.h"
#include "month/MonthView.h"
#include "store/domain/StoreGuard.h"

#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

// The month and its day editor used without a mouse: the arrows and Enter on the days, Tab and
// Escape in the editor; what a screen reader says of the days and buttons; and the tips that
// the mouse finds over the day panel.

namespace {

const QDate kToday(1997, 3, 5); // a Wednesday; March 1997 starts on Saturday and takes six rows

int indexOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
}

// A month view with its day editor on a client area of their own, wired as the main window
// wires them, over an empty store; the clock says 5 March 1997, 14:37.
struct Calendar
{
    Calendar()
        : clock(QDateTime(kToday, QTime(14, 37))),
          view(s.store->days(), s.store->searchPoint(), clock, guard, &client),
          editor(s.store->days(), s.store->searchPoint(), clock, boxes, guard, &client)
    {
        wireMonthAndEditor(view, editor);
        client.resize(240, 400);
    }

    void show(const QDate& day)
    {
        view.setFechaActual(day);
        view.MostrarMes();
    }
    // Shown and active: the keyboard reaches only the active window.
    bool showActive()
    {
        client.show();
        client.activateWindow();
        return QTest::qWaitForWindowActive(&client);
    }
    DayButton* button(int index) const
    {
        const QByteArray name = "SScmdDia_" + QByteArray::number(index);
        return child<DayButton>(&view, name.constData());
    }
    DayButton* button(const QDate& day) const { return button(indexOf(day)); }
    QString focused() const
    {
        const QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QStringLiteral("<none>");
    }

    TestStore s;
    FakeClock clock;
    FakeMessageBoxes boxes;
    StoreGuard guard{
        [](const StoreError& error, const QString&) { QFAIL(qPrintable(error.message())); }};
    QWidget client;
    MonthView view;
    DayEditor editor;
};

} // namespace

class TestMonthAccess : public QObject
{
    Q_OBJECT

private slots:
    void editorTabOrder_data();
    void editorTabOrder();
    void arrowsChooseColourStop();
    void escapeClosesEditor_data();
    void escapeClosesEditor();
    void arrowsMoveAmongDays_data();
    void arrowsMoveAmongDays();
    void pageKeysChangeMonth_data();
    void pageKeysChangeMonth();
    void keysOpenFocusedDay_data();
    void keysOpenFocusedDay();
    void oneTabStopAmongDays_data();
    void oneTabStopAmongDays();
    void keyboardRoundTrip_data();
    void keyboardRoundTrip();
    void spokenDays_data();
    void spokenDays();
    void spokenControls_data();
    void spokenControls();
    void panelTips_data();
    void panelTips();
    void panelCoversBand();
};

void TestMonthAccess::editorTabOrder_data()
{
    QTest::addColumn<int>("colour"); // of the open day's row; 0: no row
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<QStringList>("visited");

    const QStringList forwards = {"SSCheckFestivo", "SSOptionGris5", "ssCheckAlarma", "txtHora",
                                  "txtMinuto",      "SScmdAplicar",  "SScmdCerrar"};
    QTest::newRow("Tab from the note, a day without row: Gris is the colour stop")
        << 0 << false << forwards;
    QStringList green = forwards;
    green[1] = QStringLiteral("SSOptionVerde13");
    QTest::newRow("Tab from the note, a green day: Verde is the colour stop")
        << 13 << false << green;
    QStringList blue = forwards;
    blue[1] = QStringLiteral("SSOptionAzul1");
    QTest::newRow("Tab from the note, a blue day: Azul is the colour stop") << 1 << false << blue;

    QStringList back = forwards;
    std::reverse(back.begin(), back.end());
    back.removeFirst(); // the walk back starts on "Cerrar"
    back << QStringLiteral("txtNota1");
    QTest::newRow("Shift+Tab from Cerrar back to the note") << 0 << true << back;
}

void TestMonthAccess::editorTabOrder()
{
    QFETCH(int, colour);
    QFETCH(bool, backwards);
    QFETCH(QStringList, visited);

    Calendar c;
    if (colour != 0)
        c.s.addDay(kToday, {.nota = QStringLiteral("cita"), .color = colour});
    c.show(kToday);
    QVERIFY(c.showActive());
    c.button(kToday)->click();
    QVERIFY(c.editor.isOpen() && c.editor.isVisible());

    QWidget* start = child<QWidget>(&c.editor, backwards ? "SScmdCerrar" : "txtNota1");
    start->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(c.focused(), start->objectName());

    QStringList steps;
    for (int k = 0; k < visited.size(); ++k) {
        if (backwards)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        steps << c.focused();
    }
    QCOMPARE(steps, visited);
    // Tab never types into the note.
    QCOMPARE(child<QPlainTextEdit>(&c.editor, "txtNota1")->toPlainText(),
             colour != 0 ? QStringLiteral("cita") : QString());
}

void TestMonthAccess::arrowsChooseColourStop()
{
    Calendar c;
    c.show(kToday);
    QVERIFY(c.showActive());
    c.button(kToday)->click(); // a day without row: Gris
    auto* gris = child<QAbstractButton>(&c.editor, "SSOptionGris5");
    auto* verde = child<QAbstractButton>(&c.editor, "SSOptionVerde13");
    gris->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(gris->hasFocus());

    // The arrows choose among the colours, and Tab then stops at the one chosen.
    QTest::keyClick(gris, Qt::Key_Right);
    QVERIFY(verde->isChecked());
    QCOMPARE(c.focused(), QStringLiteral("SSOptionVerde13"));
    QTest::keyClick(verde, Qt::Key_Tab);
    QCOMPARE(c.focused(), QStringLiteral("ssCheckAlarma"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(c.focused(), QStringLiteral("SSOptionVerde13"));
    QTest::keyClick(verde, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(c.focused(), QStringLiteral("SSCheckFestivo"));

    // A day loaded with another colour moves the stop to it.
    c.s.addDay(kToday.addDays(1), {.color = 9});
    c.button(kToday.addDays(1))->click();
    QVERIFY(child<QAbstractButton>(&c.editor, "SSOptionNegro9")->isChecked());
    child<QWidget>(&c.editor, "SSCheckFestivo")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(c.focused(), QStringLiteral("SSOptionNegro9"));
    // The mouse still reaches every option.
    QTest::mouseClick(child<QAbstractButton>(&c.editor, "SSOptionAzul1"), Qt::LeftButton);
    QCOMPARE(c.focused(), QStringLiteral("SSOptionAzul1"));
}

void TestMonthAccess::escapeClosesEditor_data()
{
    QTest::addColumn<QString>("control"); // focused when Escape is pressed

    for (const char* name : {"txtNota1", "SSCheckFestivo", "SSOptionGris5", "ssCheckAlarma",
                             "txtHora", "txtMinuto", "SScmdAplicar", "SScmdCerrar"})
        QTest::addRow("from %s: closed as by Cerrar", name) << QString::fromLatin1(name);
    // Wherever the keyboard is in the window.
    QTest::newRow("from another day's button: closed") << QStringLiteral("day");
    QTest::newRow("from the open day's button: closed") << QStringLiteral("open day");
    QTest::newRow("from a move to another month: closed") << QStringLiteral("SSCmdMasMes");
}

void TestMonthAccess::escapeClosesEditor()
{
    QFETCH(QString, control);

    Calendar c;
    c.s.addDay(kToday, {.nota = QStringLiteral("cita"), .color = 9});
    c.show(kToday);
    QVERIFY(c.showActive());
    c.button(kToday)->click();
    QVERIFY(c.editor.isOpen());
    const QVariantList stored = c.s.dayRow(kToday);

    // Everything changed, nothing saved.
    child<QPlainTextEdit>(&c.editor, "txtNota1")->setPlainText(QStringLiteral("otra cosa"));
    child<QAbstractButton>(&c.editor, "SSCheckFestivo")->setChecked(true);
    child<QAbstractButton>(&c.editor, "SSOptionGris5")->setChecked(true);

    QWidget* target = nullptr;
    if (control == QLatin1String("day"))
        target = c.button(kToday.addDays(1));
    else if (control == QLatin1String("open day"))
        target = c.button(kToday);
    else if (control.startsWith(QLatin1String("SSCmd")))
        target = child<QWidget>(&c.view, control.toUtf8().constData());
    else
        target = child<QWidget>(&c.editor, control.toUtf8().constData());
    target->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(target->hasFocus());

    QSignalSpy windowSpy(&c.editor, &DayEditor::windowHeightRequested);
    QSignalSpy gridSpy(&c.editor, &DayEditor::gridHeightRequested);
    QSignalSpy savedSpy(&c.editor, &DayEditor::saved);
    QTest::keyClick(target, Qt::Key_Escape);

    QCOMPARE(windowSpy.size(), 1);
    QCOMPARE(windowSpy.first().first().toInt(), 4020);
    QCOMPARE(gridSpy.size(), 1);
    QCOMPARE(gridSpy.first().first().toInt(), 3350);
    QVERIFY(!c.editor.isOpen());
    QVERIFY(!c.editor.isVisible());
    // Closed, a second Escape has nothing more to close.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(windowSpy.size(), 1);
    QCOMPARE(savedSpy.size(), 0);
    QCOMPARE(c.s.dayRow(kToday), stored);
    QCOMPARE(c.s.dayCount(), 1);
    QCOMPARE(c.editor.FechaSeleccionada(), std::optional<QDate>(kToday));
}

void TestMonthAccess::arrowsMoveAmongDays_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QDate>("to");

    const QDate march(1997, 3, 1); // Saturday: 1st on button 5, 31st on button 35
    QTest::newRow("Right: the next day")
        << march.addDays(4) << int(Qt::Key_Right) << march.addDays(5);
    QTest::newRow("Left: the day before")
        << march.addDays(4) << int(Qt::Key_Left) << march.addDays(3);
    QTest::newRow("Down: a week on") << march.addDays(4) << int(Qt::Key_Down) << march.addDays(11);
    QTest::newRow("Up: a week back") << march.addDays(11) << int(Qt::Key_Up) << march.addDays(4);
    QTest::newRow("Right across the row's end, Sunday to Monday")
        << QDate(1997, 3, 2) << int(Qt::Key_Right) << QDate(1997, 3, 3);
    QTest::newRow("Down into the sixth row")
        << QDate(1997, 3, 24) << int(Qt::Key_Down) << QDate(1997, 3, 31);
    QTest::newRow("Left from the 1st: the blank button before it is no stop")
        << march << int(Qt::Key_Left) << march;
    QTest::newRow("Up from the first week: blank buttons above are no stop")
        << QDate(1997, 3, 3) << int(Qt::Key_Up) << QDate(1997, 3, 3);
    QTest::newRow("Right from the last day: the hidden button after it is no stop")
        << QDate(1997, 3, 31) << int(Qt::Key_Right) << QDate(1997, 3, 31);
    QTest::newRow("Down from the last week: hidden buttons below are no stop")
        << QDate(1997, 3, 25) << int(Qt::Key_Down) << QDate(1997, 3, 25);
    QTest::newRow("Down in February from Monday: row five is hidden")
        << QDate(2027, 2, 22) << int(Qt::Key_Down) << QDate(2027, 2, 22);
    QTest::newRow("Up from the top left day of a month starting on Monday")
        << QDate(2027, 2, 1) << int(Qt::Key_Up) << QDate(2027, 2, 1);
    QTest::newRow("Left from the 1st on Monday: no day before it in the grid")
        << QDate(2027, 2, 1) << int(Qt::Key_Left) << QDate(2027, 2, 1);
}

void TestMonthAccess::arrowsMoveAmongDays()
{
    QFETCH(QDate, from);
    QFETCH(int, key);
    QFETCH(QDate, to);

    Calendar c;
    c.show(from);
    QVERIFY(c.showActive());
    DayButton* start = c.button(from);
    start->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(start->hasFocus());
    QSignalSpy daySpy(&c.view, &MonthView::dayClicked);

    QTest::keyClick(start, Qt::Key(key));
    QCOMPARE(c.focused(), c.button(to)->objectName());
    QCOMPARE(c.button(to)->text(), QString::number(to.day()));
    QVERIFY(c.button(to)->isVisible());
    QCOMPARE(daySpy.size(), 0); // moving opens nothing
    QVERIFY(!c.editor.isOpen());
}

void TestMonthAccess::pageKeysChangeMonth_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<QDate>("to"); // the day the keyboard is on after it, in the month shown

    QTest::newRow("Page Down: the same day a month on")
        << QDate(1997, 3, 12) << int(Qt::Key_PageDown) << false << QDate(1997, 4, 12);
    QTest::newRow("Page Up: the same day a month back")
        << QDate(1997, 3, 12) << int(Qt::Key_PageUp) << false << QDate(1997, 2, 12);
    QTest::newRow("Page Down from 31 January: the last of February")
        << QDate(1997, 1, 31) << int(Qt::Key_PageDown) << false << QDate(1997, 2, 28);
    QTest::newRow("Page Up from January: December of the year before")
        << QDate(1998, 1, 15) << int(Qt::Key_PageUp) << false << QDate(1997, 12, 15);
    QTest::newRow("Ctrl+Page Down: the same day a year on")
        << QDate(1997, 3, 12) << int(Qt::Key_PageDown) << true << QDate(1998, 3, 12);
    QTest::newRow("Ctrl+Page Up from 29 February: the 28th a year back")
        << QDate(1996, 2, 29) << int(Qt::Key_PageUp) << true << QDate(1995, 2, 28);
    QTest::newRow("Page Down from the sixth row into a month of five")
        << QDate(1997, 3, 31) << int(Qt::Key_PageDown) << false << QDate(1997, 4, 30);
    QTest::newRow("Page Down in December 9999: nowhere to go")
        << QDate(9999, 12, 15) << int(Qt::Key_PageDown) << false << QDate(9999, 12, 15);
}

void TestMonthAccess::pageKeysChangeMonth()
{
    QFETCH(QDate, from);
    QFETCH(int, key);
    QFETCH(bool, ctrl);
    QFETCH(QDate, to);

    Calendar c;
    c.show(from);
    QVERIFY(c.showActive());
    c.button(from)->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(c.button(from)->hasFocus());
    QTest::keyClick(c.button(from), Qt::Key(key), ctrl ? Qt::ControlModifier : Qt::NoModifier);

    QCOMPARE(c.view.dFechaActual(), to);
    QCOMPARE(c.focused(), c.button(to)->objectName());
    QCOMPARE(c.button(to)->text(), QString::number(to.day()));
    QVERIFY(c.button(to)->isVisible());
    // Tab comes back to it.
    QCOMPARE(c.button(to)->focusPolicy(), Qt::StrongFocus);
    QVERIFY(!c.editor.isOpen());
}

void TestMonthAccess::keysOpenFocusedDay_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");

    QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("space") << int(Qt::Key_Space) << int(Qt::NoModifier);
}

void TestMonthAccess::keysOpenFocusedDay()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);

    Calendar c;
    c.s.addDay(QDate(1997, 3, 12), {.festivo = 1});
    c.show(kToday);
    QVERIFY(c.showActive());
    DayButton* start = c.button(kToday);
    start->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(start->hasFocus());
    QTest::keyClick(start, Qt::Key_Down); // onto the 12th, a holiday
    QSignalSpy daySpy(&c.view, &MonthView::dayClicked);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                    Qt::KeyboardModifiers(Qt::KeyboardModifier(modifiers)));
    QTRY_COMPARE(daySpy.size(), 1);
    QCOMPARE(daySpy.first().at(0).toDate(), QDate(1997, 3, 12));
    QCOMPARE(daySpy.first().at(1).toBool(), true); // drawn red
    QVERIFY(c.editor.isOpen());
    QCOMPARE(c.editor.FechaSeleccionada(), std::optional<QDate>(QDate(1997, 3, 12)));
    QTest::qWait(50);
    QCOMPARE(daySpy.size(), 1); // once
}

void TestMonthAccess::oneTabStopAmongDays_data()
{
    QTest::addColumn<QDate>("reference"); // the month's reference day
    QTest::addColumn<int>("first");       // the buttons that show a day
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("then"); // what moves the stop: "", "arrow", "click"
    QTest::addColumn<QDate>("stop");

    QTest::newRow("six rows: the reference day is the stop")
        << QDate(1997, 3, 15) << 5 << 35 << QString() << QDate(1997, 3, 15);
    QTest::newRow("four rows from Monday: the reference day is the stop")
        << QDate(2027, 2, 10) << 0 << 27 << QString() << QDate(2027, 2, 10);
    QTest::newRow("an arrow moves the stop with the focus")
        << QDate(1997, 3, 15) << 5 << 35 << "arrow" << QDate(1997, 3, 16);
    QTest::newRow("a click moves the stop with the focus")
        << QDate(1997, 3, 15) << 5 << 35 << "click" << QDate(1997, 3, 3);
}

void TestMonthAccess::oneTabStopAmongDays()
{
    QFETCH(QDate, reference);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, then);
    QFETCH(QDate, stop);

    Calendar c;
    c.show(QDate(1997, 9, 1)); // another month's layout first: nothing of it stays
    c.show(reference);
    QVERIFY(c.showActive());
    if (then == QLatin1String("arrow")) {
        c.button(reference)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(c.button(reference), Qt::Key_Right);
    } else if (then == QLatin1String("click")) {
        // The day opens, and its note takes the keyboard.
        QTest::mouseClick(c.button(stop), Qt::LeftButton);
        QCOMPARE(c.focused(), QStringLiteral("txtNota1"));
    }

    // Buttons without a day take no focus; of the days, one is reached by Tab, and the mouse
    // reaches every one.
    for (int i = 0; i < MonthView::kButtons; ++i) {
        const Qt::FocusPolicy policy = c.button(i)->focusPolicy();
        if (i < first || i > last)
            QCOMPARE(policy, Qt::NoFocus);
        else if (i == indexOf(stop))
            QCOMPARE(policy, Qt::StrongFocus);
        else
            QCOMPARE(policy, Qt::ClickFocus);
    }
    // The month laid out again (a day saved) keeps the stop on the day the keyboard is on.
    c.view.MostrarMes();
    QCOMPARE(c.button(stop)->focusPolicy(), Qt::StrongFocus);
}

void TestMonthAccess::keyboardRoundTrip_data()
{
    QTest::addColumn<QString>("closeWith");
    QTest::addColumn<QString>("note"); // as stored after the round trip

    QTest::newRow("Escape: nothing written") << "Escape"
                                             << "<no row>";
    QTest::newRow("space on Cerrar: nothing written") << "SScmdCerrar"
                                                      << "<no row>";
    QTest::newRow("space on Aplicar: written") << "SScmdAplicar"
                                               << "Dentista";
    QTest::newRow("the open day again: nothing written") << "day"
                                                         << "<no row>";
}

void TestMonthAccess::keyboardRoundTrip()
{
    QFETCH(QString, closeWith);
    QFETCH(QString, note);

    Calendar c;
    c.show(kToday);
    QVERIFY(c.showActive());
    const QDate day(1997, 3, 12);
    c.button(kToday)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(c.button(kToday), Qt::Key_Down);
    QCOMPARE(c.focused(), c.button(day)->objectName());

    // Enter opens the day; one Tab reaches its note, Shift+Tab goes back to the day.
    QTest::keyClick(c.button(day), Qt::Key_Return);
    QTRY_VERIFY(c.editor.isVisible());
    QTest::keyClick(c.button(day), Qt::Key_Tab);
    QCOMPARE(c.focused(), QStringLiteral("txtNota1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(c.focused(), c.button(day)->objectName());
    QTest::keyClick(c.button(day), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Dentista"));

    if (closeWith == QLatin1String("Escape")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    } else if (closeWith == QLatin1String("day")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    } else {
        QWidget* button = child<QWidget>(&c.editor, closeWith.toUtf8().constData());
        while (QApplication::focusWidget() != button &&
               c.editor.isAncestorOf(QApplication::focusWidget()))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button);
        QTest::keyClick(button, Qt::Key_Space);
    }
    QVERIFY(!c.editor.isVisible());
    // The keyboard is back on the day it opened, never on a control beyond the editor.
    QTRY_COMPARE(c.focused(), c.button(day)->objectName());
    QCOMPARE(c.s.storedNote(day), note);
}

void TestMonthAccess::spokenDays_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QVariantList>("row"); // festivo, alarma, hora, Color, nota; empty: none
    QTest::addColumn<QString>("name");

    const QVariant none;
    const QString longNote = QString(200, QLatin1Char('x'));
    QTest::newRow("a day without row: its date")
        << QDate(1997, 3, 4) << QVariantList{} << "martes 4 de marzo de 1997";
    QTest::newRow("a Sunday") << QDate(1997, 3, 2) << QVariantList{}
                              << "domingo 2 de marzo de 1997";
    QTest::newRow("today") << kToday << QVariantList{} << "miércoles 5 de marzo de 1997, hoy";
    QTest::newRow("a grey row without marks: only its date")
        << QDate(1997, 3, 6) << QVariantList{0, 0, none, 5, ""} << "jueves 6 de marzo de 1997";
    QTest::newRow("a holiday") << QDate(1997, 3, 19) << QVariantList{1, 0, none, 5, ""}
                               << "miércoles 19 de marzo de 1997, festivo";
    QTest::newRow("a green day") << QDate(1997, 3, 20) << QVariantList{0, 0, none, 13, ""}
                                 << "jueves 20 de marzo de 1997, color verde";
    QTest::newRow("a blue day") << QDate(1997, 3, 20) << QVariantList{0, 0, none, 1, ""}
                                << "jueves 20 de marzo de 1997, color azul";
    QTest::newRow("a black day") << QDate(1997, 3, 20) << QVariantList{0, 0, none, 9, ""}
                                 << "jueves 20 de marzo de 1997, color negro";
    QTest::newRow("an alarm at its time")
        << QDate(1997, 3, 21) << QVariantList{0, 1, DatePattern::fromTime(9, 5), 5, ""}
        << "viernes 21 de marzo de 1997, alarma a las 09:05";
    QTest::newRow("an alarm switched off says nothing of its time")
        << QDate(1997, 3, 21) << QVariantList{0, 0, DatePattern::fromTime(9, 5), 5, ""}
        << "viernes 21 de marzo de 1997";
    QTest::newRow("a note") << QDate(1997, 3, 22) << QVariantList{0, 0, none, 5, "Reunión"}
                            << "sábado 22 de marzo de 1997, con nota: Reunión";
    QTest::newRow("a note of several lines, read as one")
        << QDate(1997, 3, 22) << QVariantList{0, 0, none, 5, "Comprar\r\npan  y leche"}
        << "sábado 22 de marzo de 1997, con nota: Comprar pan y leche";
    QTest::newRow("a long note, cut") << QDate(1997, 3, 22) << QVariantList{0, 0, none, 5, longNote}
                                      << QStringLiteral("sábado 22 de marzo de 1997, con nota: ") +
                                             QString(160, 'x') + QStringLiteral("…");
    QTest::newRow("today with every mark, in the order they show")
        << kToday << QVariantList{1, 1, DatePattern::fromTime(9, 5), 13, "Reunión"}
        << "miércoles 5 de marzo de 1997, hoy, festivo, color verde, alarma a las 09:05, con "
           "nota: Reunión";
    QTest::newRow("a blank button before the 1st says nothing")
        << QDate() << QVariantList{} << QString();
}

void TestMonthAccess::spokenDays()
{
    QFETCH(QDate, day);
    QFETCH(QVariantList, row);
    QFETCH(QString, name);

    Calendar c;
    if (!row.isEmpty()) {
        c.s.addDay(
            day,
            {.nota = row[4], .festivo = row[0], .alarma = row[1], .hora = row[2], .color = row[3]});
    }
    c.show(kToday);
    DayButton* button = day.isValid() ? c.button(day) : c.button(0);
    QCOMPARE(spoken(button), name);
    QCOMPARE(QAccessible::queryAccessibleInterface(button)->role(), QAccessible::Button);

    // A day saved from the editor says what it holds now.
    if (day.isValid() && row.isEmpty()) {
        c.button(day)->click();
        child<QPlainTextEdit>(&c.editor, "txtNota1")->setPlainText(QStringLiteral("Dentista"));
        QVERIFY(c.editor.SSCmdAplicar_Click());
        QCOMPARE(spoken(c.button(day)), name + QStringLiteral(", con nota: Dentista"));
    }
}

void TestMonthAccess::spokenControls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    // The moves say what they do, not "<<".
    QTest::newRow("a year back") << "SSCmdMenosAnyo"
                                 << "Retrocede un año"
                                 << "Retrocede un año";
    QTest::newRow("a month back") << "SSCmdMenosMes"
                                  << "Retrocede un mes"
                                  << "Retrocede un mes";
    QTest::newRow("a month on") << "SSCmdMasMes"
                                << "Avanza un mes"
                                << "Avanza un mes";
    QTest::newRow("a year on") << "SSCmdMasAnyo"
                               << "Avanza un año"
                               << "Avanza un año";
    // The editor's boxes are named by what they hold; their tips describe them.
    QTest::newRow("the note") << "txtNota1"
                              << "Nota del día"
                              << "Aqui puede escribir su nota del dia";
    QTest::newRow("the holiday box") << "SSCheckFestivo"
                                     << "Festivo"
                                     << "Marca la fecha como festivo";
    QTest::newRow("the alarm box, whose caption is out of sight") << "ssCheckAlarma"
                                                                  << "Alarma"
                                                                  << "Activa la alarma";
    QTest::newRow("the hour") << "txtHora"
                              << "Hora de la alarma"
                              << "Determina hora de alarma";
    QTest::newRow("the minute") << "txtMinuto"
                                << "Minuto de la alarma"
                                << "Determina minuto de alarma";
    QTest::newRow("a colour option") << "SSOptionVerde13"
                                     << "Verde"
                                     << "";
    QTest::newRow("the colours") << "FrameColores"
                                 << "Color del día"
                                 << "";
    QTest::newRow("Aplicar") << "SScmdAplicar"
                             << "Aplicar"
                             << "Guarda los cambios efectuados";
    QTest::newRow("Cerrar") << "SScmdCerrar"
                            << "Cerrar"
                            << "Cierra sin guardar modificaciones";
}

void TestMonthAccess::spokenControls()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);

    Calendar c;
    c.show(kToday);
    c.button(kToday)->click();
    QWidget* w = c.client.findChild<QWidget*>(control);
    QVERIFY2(w, qPrintable(control));
    QCOMPARE(spoken(w), name);
    QCOMPARE(spoken(w, QAccessible::Description), description);
}

void TestMonthAccess::panelTips_data()
{
    QTest::addColumn<QString>("over"); // a control, or "hidden" for the place of a hidden button
    QTest::addColumn<QString>("tip");

    const QString panelTip = QStringLiteral("Pulsando aqui añade una notita");
    QTest::newRow("a day button: no tip") << "SScmdDia_10" << QString();
    QTest::newRow("a blank button before the 1st: no tip") << "SScmdDia_0" << QString();
    QTest::newRow("a weekday header: no tip") << "Label4" << QString();
    QTest::newRow("the Sunday header: no tip") << "Label5" << QString();
    QTest::newRow("where a hidden button would be: the panel's tip") << "hidden" << panelTip;
    QTest::newRow("the panel's free corner: the panel's tip") << "corner" << panelTip;
    QTest::newRow("a move button keeps its own tip") << "SSCmdMasMes"
                                                     << "Avanza un mes";
}

void TestMonthAccess::panelTips()
{
    QFETCH(QString, over);
    QFETCH(QString, tip);

    Calendar c;
    c.show(QDate(1997, 9, 15)); // five rows: buttons 30 to 36 hidden
    QVERIFY(c.showActive());
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible() && QToolTip::text().isEmpty());

    auto* panel = child<MonthPanel>(&c.view, "SSPanel1");
    QPoint inClient;
    if (over == QLatin1String("hidden")) {
        QVERIFY(c.button(33)->isHidden());
        inClient = panel->mapTo(&c.client, c.button(33)->geometry().center());
    } else if (over == QLatin1String("corner")) {
        // Left of column 0, under the last row.
        inClient = panel->mapTo(&c.client, QPoint(2, panel->height() - 3));
    } else {
        QWidget* w = c.view.findChild<QWidget*>(over);
        QVERIFY2(w, qPrintable(over));
        inClient = w->mapTo(&c.client, w->rect().center());
    }
    // As Qt sends it: to the widget under the mouse, which passes it on to its parents.
    QWidget* under = c.client.childAt(inClient);
    QVERIFY(under);
    if (over == QLatin1String("hidden") || over == QLatin1String("corner"))
        QCOMPARE(under, static_cast<QWidget*>(panel));
    QHelpEvent event(QEvent::ToolTip, under->mapFrom(&c.client, inClient),
                     c.client.mapToGlobal(inClient));
    QApplication::sendEvent(under, &event);

    if (tip.isEmpty()) {
        QTest::qWait(20);
        QVERIFY(!QToolTip::isVisible());
        QVERIFY(QToolTip::text().isEmpty());
    } else {
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), tip);
    }
    QToolTip::hideText();
}

void TestMonthAccess::panelCoversBand()
{
    // The day panel overlaps the foot of the cyan title band: it is drawn over it, whole.
    Calendar c;
    c.show(kToday);
    auto* band = child<QLabel>(&c.view, "lblFondo");
    auto* panel = child<MonthPanel>(&c.view, "SSPanel1");
    const QRect overlap = band->geometry().intersected(panel->geometry());
    QVERIFY(!overlap.isEmpty());
    const QImage drawn = c.view.grab().toImage();
    const QColor cyan(0, 255, 255);
    // Below the panel's top edge line, in the overlap, nothing of the band shows.
    for (int y = overlap.top() + 2; y <= overlap.bottom(); ++y) {
        for (int x = overlap.left() + 2; x < overlap.right() - 2; x += 7)
            QVERIFY2(drawn.pixelColor(x, y) != cyan,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }
    // Above the panel the band is cyan.
    QCOMPARE(drawn.pixelColor(overlap.center().x(), overlap.top() - 3), cyan);
}

QTEST_MAIN(TestMonthAccess)
#include "tst_monthaccess.moc"
