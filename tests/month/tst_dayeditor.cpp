#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include "month/Spinner.h"
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate kMarch5(1997, 3, 5); // a Wednesday; March 1997 starts on Saturday and takes six rows
const QDate kMarch2(1997, 3, 2); // a Sunday
const QDate kMarch20(1997, 3, 20);

int indexOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
}

// A month view with its day editor on a bare client area, over an empty store of its own; the
// clock says 14:37. Every height asked for becomes the window's height, as in the main window.
struct Editor
{
    explicit Editor(const QDate& shown = kMarch5)
        : clock(QDateTime(kMarch5, QTime(14, 37))), view(clock, &client),
          editor(view, clock, boxes, &client)
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
        view.setStore(store.get());
        editor.setStore(store.get());
        QObject::connect(&view, &MonthView::windowHeightRequested, &editor,
                         &DayEditor::setWindowHeight);
        QObject::connect(&editor, &DayEditor::windowHeightRequested, &editor,
                         &DayEditor::setWindowHeight);
        show(shown);
    }

    void show(const QDate& day)
    {
        view.FechaActual = day.toString(QStringLiteral("dd/MM/yyyy"));
        view.MostrarMes();
    }
    void press(const QDate& day) { view.SScmdDia(indexOf(day))->click(); }
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
        Statement insert = store->dbCalendar->prepare(
            QStringLiteral("INSERT INTO calendar (fecha, festivo, alarma, hora, Color, nota) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
        insert.bind(1, DatePattern::fromDate(day));
        for (int k = 0; k < values.size(); ++k)
            insert.bind(k + 2, values[k]);
        insert.execute();
        store->dbCalendar->noteWrite();
    }
    int rowCount() const
    {
        return Listing::run(*store->dbCalendar, "SELECT * FROM calendar").recordCount();
    }
    // festivo, alarma, hora, Color, nota and the SQL type of nota; empty without a row
    QVariantList row(const QDate& day) const
    {
        Listing l = Listing::run(*store->dbCalendar,
                                 QStringLiteral("SELECT festivo, alarma, hora, Color, nota, "
                                                "typeof(nota) FROM calendar WHERE fecha = %1")
                                     .arg(DatePattern::fromDate(day)));
        QVariantList values;
        for (int c = 0; l.recordCount() == 1 && c < l.columnCount(); ++c)
            values << l.at(0, c);
        return values;
    }

    QString option() const
    {
        for (const QRadioButton* b : client.findChildren<QRadioButton*>())
            if (b->isChecked())
                return b->text();
        return QString();
    }
    void choose(const QString& option)
    {
        for (QRadioButton* b : client.findChildren<QRadioButton*>())
            b->setChecked(b->text() == option);
    }
    // What the editor shows, e.g. "14:37 alarma festivo Gris [nota]".
    QString shown() const
    {
        return QStringLiteral("%1:%2 %3 %4 %5 [%6]")
            .arg(editor.txtHora->text().toInt())
            .arg(editor.txtMinuto->text().toInt(), 2, 10, QLatin1Char('0'))
            .arg(editor.ssCheckAlarma->isChecked() ? "alarma" : "-")
            .arg(editor.SSCheckFestivo->isChecked() ? "festivo" : "-")
            .arg(option(), editor.txtNota1->toPlainText());
    }

    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;
    FakeClock clock;
    FakeMessageBoxes boxes;
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
    void noteLimit();
};

void TestDayEditor::openAndClose_data()
{
    QTest::addColumn<QList<int>>("presses"); // button indices
    QTest::addColumn<QList<int>>("windowHeights");
    QTest::addColumn<QList<int>>("gridHeights");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("selected");

    const int d5 = indexOf(kMarch5);
    QTest::newRow("a day opens the editor")
        << QList<int>{d5} << QList<int>{6450} << QList<int>{5775} << "5/03/97"
        << "5/marzo/1997";
    QTest::newRow("the same day again closes it")
        << QList<int>{d5, d5} << QList<int>{6450, 4020} << QList<int>{5775, 3370} << "5/03/97"
        << "5/marzo/1997";
    QTest::newRow("a third press opens it again")
        << QList<int>{d5, d5, d5} << QList<int>{6450, 4020, 6450} << QList<int>{5775, 3370, 5775}
        << "5/03/97"
        << "5/marzo/1997";
    QTest::newRow("another day keeps it open")
        << QList<int>{d5, d5 + 1} << QList<int>{6450, 6450} << QList<int>{5775, 5775} << "6/03/97"
        << "6/marzo/1997";
    QTest::newRow("a blank leading button does nothing")
        << QList<int>{0} << QList<int>{} << QList<int>{} << ""
        << "";
}

void TestDayEditor::openAndClose()
{
    QFETCH(QList<int>, presses);
    QFETCH(QList<int>, windowHeights);
    QFETCH(QList<int>, gridHeights);
    QFETCH(QString, label);
    QFETCH(QString, selected);

    Editor e;
    QSignalSpy windowSpy(&e.editor, &DayEditor::windowHeightRequested);
    QSignalSpy gridSpy(&e.editor, &DayEditor::gridHeightRequested);
    for (int index : presses)
        e.view.SScmdDia(index)->click();
    QCOMPARE(heights(windowSpy), windowHeights);
    QCOMPARE(heights(gridSpy), gridHeights);
    QCOMPARE(e.editor.lblFecha->text(), label);
    QCOMPARE(e.editor.FechaSeleccionada, selected);
}

void TestDayEditor::load_data()
{
    QTest::addColumn<QVariantList>("row"); // festivo, alarma, hora, Color, nota; empty: none
    QTest::addColumn<QDate>("day");
    QTest::addColumn<bool>("redButton");
    QTest::addColumn<QString>("shown");

    const QVariant none;
    QTest::newRow("weekday without row: the clock's time, Gris, nothing marked")
        << QVariantList{} << kMarch5 << false << "14:37 - - Gris []";
    QTest::newRow("Sunday without row: red, yet no holiday")
        << QVariantList{} << kMarch2 << false << "14:37 - - Gris []";
    QTest::newRow("red weekday without row: a holiday")
        << QVariantList{} << kMarch5 << true << "14:37 - festivo Gris []";
    QTest::newRow("alarm off: the clock's time, not the stored one")
        << QVariantList{0, 0, DatePattern::fromTime(8, 15), 9, "cita"} << kMarch5 << false
        << "14:37 - - Negro [cita]";
    QTest::newRow("alarm on: the stored time")
        << QVariantList{0, 1, DatePattern::fromTime(9, 5), 13, "cena"} << kMarch5 << false
        << "9:05 alarma - Verde [cena]";
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
    QFETCH(bool, redButton);
    QFETCH(QString, shown);

    Editor e;
    // A day opened before leaves every box filled and different.
    e.addDay(kMarch20, {1, 1, DatePattern::fromTime(20, 20), 1, "antes"});
    if (!row.isEmpty())
        e.addDay(day, row);
    e.show(kMarch5);
    if (redButton)
        e.view.SScmdDia(indexOf(day))->setBackColor(QColor(255, 0, 0));
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
    e.editor.txtHora->setText(typed[0]);
    e.editor.txtMinuto->setText(typed[1]);
    e.editor.txtNota1->setPlainText(typed[2]);
    e.editor.ssCheckAlarma->setChecked(alarm);
    e.editor.SSCheckFestivo->setChecked(holiday);
    e.choose(option);

    QSignalSpy windowSpy(&e.editor, &DayEditor::windowHeightRequested);
    QSignalSpy monthSpy(&e.view, &MonthView::windowHeightRequested);
    QSignalSpy savedSpy(&e.editor, &DayEditor::saved);
    for (int i = 0; i < saves; ++i)
        QVERIFY(e.editor.SSCmdAplicar_Click());

    QCOMPARE(e.rowCount(), 1);
    const QVariantList stored = e.row(kMarch5);
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
    QCOMPARE(e.editor.FechaSeleccionada, QStringLiteral("14/mayo/2030"));
    e.editor.txtNota1->setPlainText(QStringLiteral("en 2030"));
    QVERIFY(e.editor.SSCmdAplicar_Click());
    QCOMPARE(e.row(in2030).value(4).toString(), QStringLiteral("en 2030"));

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
    const QVariantList before = e.row(kMarch5);
    e.press(kMarch5);
    e.editor.ssCheckAlarma->setChecked(true);
    e.editor.txtHora->setText(hour);
    e.editor.txtMinuto->setText(minute);
    e.editor.txtNota1->setPlainText(QStringLiteral("nueva"));

    QSignalSpy windowSpy(&e.editor, &DayEditor::windowHeightRequested);
    QSignalSpy savedSpy(&e.editor, &DayEditor::saved);
    QVERIFY(!e.editor.SSCmdAplicar_Click());
    QCOMPARE(e.boxes.calls().size(), 1);
    QCOMPARE(e.boxes.calls().first().style, int(MessageBoxes::Exclamation));
    QCOMPARE(e.rowCount(), existing ? 1 : 0);
    QCOMPARE(e.row(kMarch5), before);
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
    QLineEdit* box = hourBox ? e.editor.txtHora : e.editor.txtMinuto;
    QLineEdit* other = hourBox ? e.editor.txtMinuto : e.editor.txtHora;
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
    DayEditor& d = e.editor;
    d.txtHora->setFocus();
    QTRY_VERIFY(d.VScrollHora->isVisible());
    QVERIFY(!d.VScrollMinuto->isVisible());
    d.txtMinuto->setFocus();
    QTRY_VERIFY(d.VScrollMinuto->isVisible());
    QVERIFY(!d.VScrollHora->isVisible());

    d.VScrollHora->setNumber(7);
    QCOMPARE(d.txtHora->text(), QStringLiteral("7"));
    d.VScrollMinuto->setNumber(3);
    QCOMPARE(d.txtMinuto->text(), QStringLiteral("3"));

    QVERIFY(d.SSCmdAplicar_Click());
    QVERIFY(!d.VScrollHora->isVisible() && !d.VScrollMinuto->isVisible());
}

void TestDayEditor::noteLimit()
{
    Editor e;
    e.press(kMarch5);
    e.editor.txtNota1->setPlainText(QString(300, QLatin1Char('n')));
    QCOMPARE(e.editor.txtNota1->toPlainText(), QString(255, QLatin1Char('n')));
}

QTEST_MAIN(TestDayEditor)
#include "tst_dayeditor.moc"
