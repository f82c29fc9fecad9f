#include "Controls.h"
#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "LayoutCheck.h"
#include "MonthWiring.h"
#include "TestStore.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "month/Spinner.h"
#include "store/domain/StoreGuard.h"
#include "widgets/MnemonicStyle.h"
#include "widgets/NoteBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QDate kMarch5(1997, 3, 5); // a Wednesday; March 1997 starts on Saturday and takes six rows
const QDate kMarch2(1997, 3, 2); // a Sunday
const QDate kMarch20(1997, 3, 20);
const QDate kMarch3(1997, 3, 3);
const QDate kMarch10(1997, 3, 10);
const QDate kMarch31(1997, 3, 31);
const QDate kApril2(1997, 4, 2);

int indexOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
}

// A month view with its day editor on a bare client area, over an empty store of its own,
// wired as the main window wires them; the clock says 14:37. Every height asked for becomes the
// window's height, as in the main window.
struct Editor
{
    explicit Editor(const QDate& shown = kMarch5)
        : clock(QDateTime(kMarch5, QTime(14, 37))),
          view(s.store->days(), s.store->searchPoint(), clock, guard, &client),
          editor(s.store->days(), s.store->searchPoint(), clock, boxes, guard, &client)
    {
        wireMonthAndEditor(view, editor);
        show(shown);
    }

    void show(const QDate& day)
    {
        view.setFechaActual(day);
        view.MostrarMes();
    }
    DayButton* button(int index) const
    {
        const QByteArray name = "SScmdDia_" + QByteArray::number(index);
        return child<DayButton>(&view, name.constData());
    }
    void press(const QDate& day) { button(indexOf(day))->click(); }
    bool showWindow()
    {
        client.resize(300, 480);
        client.show();
        client.activateWindow();
        return QTest::qWaitForWindowActive(&client);
    }

    // festivo, alarma, hora, Color, nota
    void addDay(const QDate& day, const QVariantList& values)
    {
        s.addDay(day, {.nota = values[4],
                       .festivo = values[0],
                       .alarma = values[1],
                       .hora = values[2],
                       .color = values[3]});
    }

    QLineEdit* txtHora() const { return child<QLineEdit>(&editor, "txtHora"); }
    QLineEdit* txtMinuto() const { return child<QLineEdit>(&editor, "txtMinuto"); }
    QCheckBox* ssCheckAlarma() const { return child<QCheckBox>(&editor, "ssCheckAlarma"); }
    QCheckBox* SSCheckFestivo() const { return child<QCheckBox>(&editor, "SSCheckFestivo"); }
    QPlainTextEdit* txtNota1() const { return child<QPlainTextEdit>(&editor, "txtNota1"); }
    Spinner* VScrollHora() const { return child<Spinner>(&editor, "VScrollHora"); }
    Spinner* VScrollMinuto() const { return child<Spinner>(&editor, "VScrollMinuto"); }

    QString option() const
    {
        for (const QRadioButton* b : editor.findChildren<QRadioButton*>())
            if (b->isChecked())
                return b->text();
        return QString();
    }
    void choose(const QString& option)
    {
        for (QRadioButton* b : editor.findChildren<QRadioButton*>())
            b->setChecked(b->text() == option);
    }
    // What the editor shows, e.g. "14:37 alarma festivo Gris [nota]"; the time as its boxes
    // show it, in one form however it was set.
    QString shown() const
    {
        return QStringLiteral("%1:%2 %3 %4 %5 [%6]")
            .arg(txtHora()->text(), txtMinuto()->text())
            .arg(ssCheckAlarma()->isChecked() ? "alarma" : "-")
            .arg(SSCheckFestivo()->isChecked() ? "festivo" : "-")
            .arg(option(), txtNota1()->toPlainText());
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

QList<int> heights(const QSignalSpy& spy)
{
    QList<int> values;
    for (const auto& args : spy)
        values << args.first().toInt();
    return values;
}

} // namespace

class TestDayEditor : public QObject
{
    Q_OBJECT

private slots:
    void openAndClose_data();
    void openAndClose();
    void load_data();
    void load();
    void save_data();
    void save();
    void keepsEachYearApart();
    void refusesBadAlarmTime_data();
    void refusesBadAlarmTime();
    void rangeCheck_data();
    void rangeCheck();
    void spinners();
    void noteTakesTheKeyboard_data();
    void noteTakesTheKeyboard();
    void everythingFits_data();
    void everythingFits();
    void noteLimit_data();
    void noteLimit();
    void movesSearchPoint_data();
    void movesSearchPoint();
};

void TestDayEditor::openAndClose_data()
{
    QTest::addColumn<QList<int>>("presses"); // button indices
    QTest::addColumn<QList<int>>("windowHeights");
    QTest::addColumn<QList<int>>("gridHeights");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QDate>("selected"); // invalid: none

    const int d5 = indexOf(kMarch5);
    const QDate march6 = kMarch5.addDays(1);
    QTest::newRow("a day opens the editor")
        << QList<int>{d5} << QList<int>{6450} << QList<int>{5775} << "5/03/97" << kMarch5;
    QTest::newRow("the same day again closes it") << QList<int>{d5, d5} << QList<int>{6450, 4020}
                                                  << QList<int>{5775, 3370} << "5/03/97" << kMarch5;
    QTest::newRow("a third press opens it again")
        << QList<int>{d5, d5, d5} << QList<int>{6450, 4020, 6450} << QList<int>{5775, 3370, 5775}
        << "5/03/97" << kMarch5;
    QTest::newRow("another day keeps it open") << QList<int>{d5, d5 + 1} << QList<int>{6450, 6450}
                                               << QList<int>{5775, 5775} << "6/03/97" << march6;
    QTest::newRow("a blank leading button does nothing")
        << QList<int>{0} << QList<int>{} << QList<int>{} << "" << QDate();
}

void TestDayEditor::openAndClose()
{
    QFETCH(QList<int>, presses);
    QFETCH(QList<int>, windowHeights);
    QFETCH(QList<int>, gridHeights);
    QFETCH(QString, label);
    QFETCH(QDate, selected);

    Editor e;
    QSignalSpy windowSpy(&e.editor, &DayEditor::windowHeightRequested);
    QSignalSpy gridSpy(&e.editor, &DayEditor::gridHeightRequested);
    for (int index : presses)
        e.button(index)->click();
    QCOMPARE(heights(windowSpy), windowHeights);
    QCOMPARE(heights(gridSpy), gridHeights);
    QCOMPARE(child<QLabel>(&e.editor, "lblFecha")->text(), label);
    QCOMPARE(e.editor.FechaSeleccionada().value_or(QDate()), selected);
}

void TestDayEditor::load_data()
{
    QTest::addColumn<QVariantList>("row"); // festivo, alarma, hora, Color, nota; empty: none
    QTest::addColumn<QDate>("day");
    // The month showed the day as a holiday, and its row has gone since (another program).
    QTest::addColumn<bool>("shownHoliday");
    QTest::addColumn<QString>("shown");

    const QVariant none;
    QTest::newRow("weekday without row: the clock's time, Gris, nothing marked")
        << QVariantList{} << kMarch5 << false << "14:37 - - Gris []";
    QTest::newRow("Sunday without row: red, yet no holiday")
        << QVariantList{} << kMarch2 << false << "14:37 - - Gris []";
    QTest::newRow("weekday shown as a holiday, its row gone: a holiday")
        << QVariantList{} << kMarch5 << true << "14:37 - festivo Gris []";
    QTest::newRow("alarm off: the clock's time, not the stored one")
        << QVariantList{0, 0, DatePattern::fromTime(8, 15), 9, "cita"} << kMarch5 << false
        << "14:37 - - Negro [cita]";
    QTest::newRow("alarm on: the stored time")
        << QVariantList{0, 1, DatePattern::fromTime(9, 5), 13, "cena"} << kMarch5 << false
        << "09:05 alarma - Verde [cena]";
    QTest::newRow("alarm on without a time: the clock's time")
        << QVariantList{0, 1, none, 5, ""} << kMarch5 << false << "14:37 alarma - Gris []";
    QTest::newRow("holiday, also as -1 from older files")
        << QVariantList{-1, 0, none, 1, ""} << kMarch5 << false << "14:37 - festivo Azul []";
    QTest::newRow("a colour never written: the previous day's option stays")
        << QVariantList{0, 0, none, 7, "raro"} << kMarch5 << false << "14:37 - - Azul [raro]";
}

void TestDayEditor::load()
{
    QFETCH(QVariantList, row);
    QFETCH(QDate, day);
    QFETCH(bool, shownHoliday);
    QFETCH(QString, shown);

    Editor e;
    // A day opened before leaves every box filled and different.
    e.addDay(kMarch20, {1, 1, DatePattern::fromTime(20, 20), 1, "antes"});
    if (!row.isEmpty())
        e.addDay(day, row);
    if (shownHoliday)
        e.addDay(day, {1, 0, QVariant(), 5, ""});
    e.show(kMarch5);
    if (shownHoliday) {
        e.s.db().execute(QStringLiteral("DELETE FROM calendar WHERE fecha = %1")
                             .arg(DatePattern::fromDate(day)));
    }
    e.press(kMarch20);
    QCOMPARE(e.shown(), QStringLiteral("20:20 alarma festivo Azul [antes]"));
    e.press(day);
    QCOMPARE(e.shown(), shown);
}

void TestDayEditor::save_data()
{
    QTest::addColumn<bool>("existing");     // a row: alarm on at 12:00, Azul, note "vieja"
    QTest::addColumn<QStringList>("typed"); // hour, minute, note
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<bool>("holiday");
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("saves");
    QTest::addColumn<QVariantList>("row"); // festivo, alarma, hora, Color, nota, typeof(nota)

    QTest::newRow("new day with alarm, holiday and note")
        << false << QStringList{"7", "45", "cena"} << true << true << "Verde" << 1
        << QVariantList{1, 1, 7 / 24.0 + 45 / 1440.0, 13, "cena", "text"};
    QTest::newRow("new day with an empty note: a row with an empty text")
        << false << QStringList{"", "", ""} << false << false << "Gris" << 1
        << QVariantList{0, 0, QVariant(), 5, "", "text"};
    QTest::newRow("saved twice: still one row")
        << false << QStringList{"23", "59", "x"} << true << false << "Negro" << 2
        << QVariantList{0, 1, 23 / 24.0 + 59 / 1440.0, 9, "x", "text"};
    QTest::newRow("alarm at midnight") << false << QStringList{"0", "0", "x"} << true << false
                                       << "Azul" << 1 << QVariantList{0, 1, 0.0, 1, "x", "text"};
    QTest::newRow("alarm switched off keeps the old time")
        << true << QStringList{"3", "3", "nueva"} << false << false << "Negro" << 1
        << QVariantList{0, 0, 0.5, 9, "nueva", "text"};
}

void TestDayEditor::save()
{
    QFETCH(bool, existing);
    QFETCH(QStringList, typed);
    QFETCH(bool, alarm);
    QFETCH(bool, holiday);
    QFETCH(QString, option);
    QFETCH(int, saves);
    QFETCH(QVariantList, row);

    Editor e;
    if (existing)
        e.addDay(kMarch5, {0, 1, 0.5, 1, "vieja"});
    e.press(kMarch5);
    e.txtHora()->setText(typed[0]);
    e.txtMinuto()->setText(typed[1]);
    e.txtNota1()->setPlainText(typed[2]);
    e.ssCheckAlarma()->setChecked(alarm);
    e.SSCheckFestivo()->setChecked(holiday);
    e.choose(option);

    QSignalSpy windowSpy(&e.editor, &DayEditor::windowHeightRequested);
    QSignalSpy monthSpy(&e.view, &MonthView::windowHeightRequested);
    QSignalSpy savedSpy(&e.editor, &DayEditor::saved);
    for (int i = 0; i < saves; ++i)
        QVERIFY(e.editor.SSCmdAplicar_Click());

    QCOMPARE(e.s.dayCount(), 1);
    const QVariantList stored = e.s.dayRow(kMarch5);
    QCOMPARE(stored.size(), row.size());
    for (int c = 0; c < row.size(); ++c) {
        if (c == 2) // the alarm time, to well within a second
            QVERIFY(row[c].isNull() ? stored[c].isNull()
                                    : qAbs(stored[c].toDouble() - row[c].toDouble()) < 1e-9);
        else
            QCOMPARE(stored[c].toString(), row[c].toString());
    }
    QCOMPARE(savedSpy.size(), saves);
    QCOMPARE(heights(windowSpy), QList<int>(saves, 3720));
    QCOMPARE(heights(monthSpy).last(), 4000);
}

void TestDayEditor::keepsEachYearApart()
{
    const QDate in2030(2030, 5, 14);
    const QDate in1930(1930, 5, 14);
    Editor e(in2030);
    e.press(in2030);
    QCOMPARE(e.editor.FechaSeleccionada(), in2030);
    e.txtNota1()->setPlainText(QStringLiteral("en 2030"));
    QVERIFY(e.editor.SSCmdAplicar_Click());
    QCOMPARE(e.s.dayRow(in2030).value(4).toString(), QStringLiteral("en 2030"));

    e.show(in1930);
    e.press(in1930);
    QCOMPARE(e.shown(), QStringLiteral("14:37 - - Gris []"));
    e.show(in2030);
    e.press(in2030);
    QCOMPARE(e.shown(), QStringLiteral("14:37 - - Gris [en 2030]"));
}

void TestDayEditor::refusesBadAlarmTime_data()
{
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<bool>("existing");

    QTest::newRow("empty hour") << ""
                                << "05" << false;
    QTest::newRow("letters for the hour") << "ab"
                                          << "05" << false;
    QTest::newRow("a digit and a letter") << "7a"
                                          << "05" << false;
    QTest::newRow("minute past the hour's end") << "9"
                                                << "60" << false;
    QTest::newRow("an existing day stays as it was") << "ab"
                                                     << "05" << true;
}

void TestDayEditor::refusesBadAlarmTime()
{
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(bool, existing);

    Editor e;
    if (existing)
        e.addDay(kMarch5, {0, 1, 0.5, 1, "vieja"});
    const QVariantList before = e.s.dayRow(kMarch5);
    e.press(kMarch5);
    e.ssCheckAlarma()->setChecked(true);
    e.txtHora()->setText(hour);
    e.txtMinuto()->setText(minute);
    e.txtNota1()->setPlainText(QStringLiteral("nueva"));

    QSignalSpy windowSpy(&e.editor, &DayEditor::windowHeightRequested);
    QSignalSpy savedSpy(&e.editor, &DayEditor::saved);
    QVERIFY(!e.editor.SSCmdAplicar_Click());
    QCOMPARE(e.boxes.calls().size(), 1);
    QCOMPARE(e.boxes.calls().first().style, int(MessageBoxes::Exclamation));
    QCOMPARE(e.s.dayCount(), existing ? 1 : 0);
    QCOMPARE(e.s.dayRow(kMarch5), before);
    QVERIFY(windowSpy.isEmpty() && savedSpy.isEmpty());
}

void TestDayEditor::rangeCheck_data()
{
    QTest::addColumn<bool>("hourBox"); // else the minute box
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("keepsFocus");

    QTest::newRow("hour 24 is out of range") << true << "24" << true;
    QTest::newRow("hour 23 is the last") << true << "23" << false;
    QTest::newRow("hour 7a reads as 7") << true << "7a" << false;
    QTest::newRow("hour ab reads as 0") << true << "ab" << false;
    QTest::newRow("minute 60 is out of range") << false << "60" << true;
}

void TestDayEditor::rangeCheck()
{
    QFETCH(bool, hourBox);
    QFETCH(QString, typed);
    QFETCH(bool, keepsFocus);

    Editor e;
    QVERIFY(e.showWindow());
    e.press(kMarch5);
    QLineEdit* box = hourBox ? e.txtHora() : e.txtMinuto();
    QLineEdit* other = hourBox ? e.txtMinuto() : e.txtHora();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->clear();
    QTest::keyClicks(box, typed);
    QCOMPARE(box->text(), typed);

    other->setFocus();
    if (keepsFocus) {
        QTRY_VERIFY(box->hasFocus());
    } else {
        QTest::qWait(50);
        QVERIFY(other->hasFocus());
    }
}

void TestDayEditor::spinners()
{
    Editor e;
    QVERIFY(e.showWindow());
    e.press(kMarch5);
    e.txtHora()->setFocus();
    QTRY_VERIFY(e.VScrollHora()->isVisible());
    QVERIFY(!e.VScrollMinuto()->isVisible());
    e.txtMinuto()->setFocus();
    QTRY_VERIFY(e.VScrollMinuto()->isVisible());
    QVERIFY(!e.VScrollHora()->isVisible());

    e.VScrollHora()->setNumber(7);
    QCOMPARE(e.txtHora()->text(), QStringLiteral("07"));
    e.VScrollMinuto()->setNumber(3);
    QCOMPARE(e.txtMinuto()->text(), QStringLiteral("03"));

    QVERIFY(e.editor.SSCmdAplicar_Click());
    QVERIFY(!e.VScrollHora()->isVisible() && !e.VScrollMinuto()->isVisible());
}

void TestDayEditor::noteTakesTheKeyboard_data()
{
    QTest::addColumn<bool>("mouse"); // else Enter on the day
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("note"); // after "hola" is typed

    QTest::newRow("a day opened with the mouse: typing goes into its note") << true << "txtNota1"
                                                                            << "hola";
    QTest::newRow("a day opened from the keyboard: the keyboard stays on the day")
        << false << "SScmdDia_9"
        << "";
}

void TestDayEditor::noteTakesTheKeyboard()
{
    QFETCH(bool, mouse);
    QFETCH(QString, focused);
    QFETCH(QString, note);

    Editor e;
    QVERIFY(e.showWindow());
    DayButton* day = e.button(indexOf(kMarch5));
    day->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(day->hasFocus());
    if (mouse)
        QTest::mouseClick(day, Qt::LeftButton);
    else
        QTest::keyClick(day, Qt::Key_Return);
    QTRY_VERIFY(e.editor.isOpen());
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), focused);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("hola"));
    QCOMPARE(e.txtNota1()->toPlainText(), note);
}

void TestDayEditor::everythingFits_data()
{
    QTest::addColumn<QString>("spinner"); // the one shown, by object name; "" for none

    QTest::newRow("with no spinner") << QString();
    QTest::newRow("with the hour's spinner") << "VScrollHora";
    QTest::newRow("with the minute's spinner") << "VScrollMinuto";
}

void TestDayEditor::everythingFits()
{
    QFETCH(QString, spinner);

    // As the program draws it: in its own style.
    QApplication::setStyle(new MnemonicStyle);
    Editor e;
    QVERIFY(e.showWindow());
    e.press(kMarch5);
    if (!spinner.isEmpty())
        e.editor.findChild<QWidget*>(spinner)->show();
    LayoutCheck check;
    // The bell's strip runs under the alarm's box, which only shows its box; the open day's
    // band ends on the top edge of the alarm's frame, which is drawn over it.
    check.stacked = {{QStringLiteral("Image1"), QStringLiteral("ssCheckAlarma")},
                     {QStringLiteral("lblFecha"), QStringLiteral("FrameAlarma")}};
    check.captionsOutside = {QStringLiteral("ssCheckAlarma")};
    const QStringList faults = check.faults(&e.editor);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void TestDayEditor::noteLimit_data()
{
    QTest::addColumn<QString>("stored"); // the day's note as another program left it
    QTest::addColumn<int>("backspaces"); // pressed at the note's end before the input
    QTest::addColumn<bool>("paste");     // the input pasted from the clipboard, else typed
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected"); // shown after the input, and saved by "Aplicar"

    const QString n255(255, QLatin1Char('n'));
    const QString n250(250, QLatin1Char('n'));
    const QString n300(300, QLatin1Char('n'));
    const QString lines = QStringLiteral("una línea\r\n").repeated(25);
    const QString megabyte = QStringLiteral("nota larga ").repeated(100000);
    QTest::newRow("typing 300 characters into an empty note keeps 255")
        << QString() << 0 << false << n300 << n255;
    QTest::newRow("300 characters: shown whole, saved unchanged")
        << n300 << 0 << false << QString() << n300;
    QTest::newRow("CR LF line breaks: saved unchanged")
        << lines << 0 << false << QString() << lines;
    QTest::newRow("a megabyte: shown whole, saved unchanged")
        << megabyte << 0 << false << QString() << megabyte;
    QTest::newRow("typing into 255 adds nothing") << n255 << 0 << false << "xyz" << n255;
    QTest::newRow("typing into 300 adds nothing") << n300 << 0 << false << "xyz" << n300;
    QTest::newRow("typing fills the room left")
        << n250 << 0 << false << "abcdefg" << n250 + "abcde";
    QTest::newRow("pasting fills the room left")
        << n250 << 0 << true << "abcdefg" << n250 + "abcde";
    QTest::newRow("pasting into 255 adds nothing") << n255 << 0 << true << "abc" << n255;
    QTest::newRow("deleting from 300") << n300 << 3 << false << QString() << n300.chopped(3);
    QTest::newRow("deleting from 300 below 255, then typing")
        << n300 << 50 << false << "xyzuvw" << n250 + "xyzuv";
}

void TestDayEditor::noteLimit()
{
    QFETCH(QString, stored);
    QFETCH(int, backspaces);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    Editor e;
    e.s.addNote(kMarch5, stored);
    e.press(kMarch5);
    QPlainTextEdit* box = e.txtNota1();
    // The box shows a stored CR LF as the one line break the user types.
    const auto asShown = [](QString note) { return note.replace("\r\n", "\n"); };
    // A megabyte on one line shows in pieces of its own; read back, it is the line it was.
    auto* noteBox = qobject_cast<NoteBox*>(box);
    QVERIFY(noteBox);
    QVERIFY(noteBox->note() == asShown(stored));
    box->moveCursor(QTextCursor::End);
    for (int k = 0; k < backspaces; ++k)
        QTest::keyClick(box, Qt::Key_Backspace);
    if (paste) {
        QGuiApplication::clipboard()->setText(input);
        box->paste();
    } else {
        QTest::keyClicks(box, input);
    }
    QCOMPARE(noteBox->note().size(), asShown(expected).size());
    QVERIFY(noteBox->note() == asShown(expected));

    QVERIFY(e.editor.SSCmdAplicar_Click());
    const QString saved = e.s.storedNote(kMarch5);
    QCOMPARE(saved.size(), expected.size());
    QVERIFY(saved == expected); // compared whole, not printed: it may be a megabyte
}

void TestDayEditor::movesSearchPoint_data()
{
    QTest::addColumn<QDate>("opened"); // invalid: the month only laid out
    QTest::addColumn<bool>("forwards");
    QTest::addColumn<QDate>("next");

    QTest::newRow("opening a stored day, on") << kMarch10 << true << kMarch31;
    QTest::newRow("opening a stored day, back") << kMarch10 << false << kMarch3;
    QTest::newRow("opening a day without a row, on") << kMarch5 << true << kMarch10;
    QTest::newRow("opening a day without a row, back") << kMarch5 << false << kMarch3;
    QTest::newRow("laying out the month, on from its last day") << QDate() << true << kApril2;
    QTest::newRow("laying out the month, back from its last day") << QDate() << false << kMarch10;
}

void TestDayEditor::movesSearchPoint()
{
    QFETCH(QDate, opened);
    QFETCH(bool, forwards);
    QFETCH(QDate, next);

    Editor e;
    for (const QDate& day : {QDate(1997, 2, 27), kMarch3, kMarch10, kMarch31, kApril2})
        e.s.addNote(day, QStringLiteral("cita"));
    e.show(kMarch5);
    if (opened.isValid())
        e.press(opened);
    const SearchPoint::Result found = e.s.store->searchPoint().next(
        forwards ? SearchPoint::Direction::Forwards : SearchPoint::Direction::Backwards,
        NoteMatch(NoteMatch::prepare(QStringLiteral("cita"), false), false));
    QCOMPARE(found.kind, SearchPoint::Result::Found);
    QCOMPARE(found.date, next);
}

QTEST_MAIN(TestDayEditor)
#include "tst_dayeditor.moc"
