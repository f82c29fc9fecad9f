// What other programs' repeating events on the calendar server show on their days: the month
// draws such a day as a day with a note (and red for a holiday), and the day editor shows it
// read only under the note, which stays the day's own and is saved without it.
#include "CalendarSeries.h"
#include "Controls.h"
#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "MonthWiring.h"
#include "TestStore.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "store/domain/StoreGuard.h"
#include "widgets/NoteBox.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QDate kDay(1997, 3, 5); // a Wednesday; March 1997 starts on Saturday
const QColor kRed(255, 0, 0);

int indexOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
}

// "18:00 Yoga" or "San Isidro!" (a holiday): what the calendar shows on kDay.
std::vector<CalendarOccurrence> onDay(const QStringList& texts, const QDate& day = kDay)
{
    std::vector<CalendarOccurrence> out;
    for (const QString& text : texts)
        out.push_back({day, text.endsWith(u'!') ? text.chopped(1) : text, text.endsWith(u'!')});
    return out;
}

// The month and its day editor, wired as the main window wires them, on a store of its own.
struct Shown
{
    Shown()
        : clock(QDateTime(kDay, QTime(9, 0))),
          view(t.store->days(), t.store->searchPoint(), clock, guard, &client),
          editor(t.store->days(), t.store->searchPoint(), clock, boxes, guard, &client)
    {
        wireMonthAndEditor(view, editor);
    }
    void show()
    {
        view.setFechaActual(kDay);
        view.MostrarMes();
    }
    DayButton* button(const QDate& day = kDay) const
    {
        const QByteArray name = "SScmdDia_" + QByteArray::number(indexOf(day));
        return child<DayButton>(&view, name.constData());
    }
    QLabel* line() const { return child<QLabel>(&editor, "lblCalendario"); }
    NoteBox* note() const { return child<NoteBox>(&editor, "txtNota1"); }

    TestStore t;
    FakeClock clock;
    FakeMessageBoxes boxes;
    StoreGuard guard{
        [](const StoreError& error, const QString&) { QFAIL(qPrintable(error.message())); }};
    QWidget client;
    MonthView view;
    DayEditor editor;
};

} // namespace

class TestCalendarShown : public QObject
{
    Q_OBJECT

private slots:
    // The day's button as the month draws it, and again after a sync changed what is shown.
    void month_data()
    {
        QTest::addColumn<QVariantList>("row"); // Color, alarma, nota; empty: no row
        QTest::addColumn<QStringList>("calendar");
        QTest::addColumn<int>("picture");
        QTest::addColumn<bool>("red");
        QTest::addColumn<QString>("spoken"); // how the button's name ends

        const QVariantList noRow;
        QTest::newRow("nothing of either: the plain day")
            << noRow << QStringList{} << 5 << false << "1997, hoy";
        QTest::newRow("no row of its own: grey with the note's mark")
            << noRow << QStringList{u"18:00 Yoga"_s} << 7 << false
            << "1997, hoy, del calendario: 18:00 Yoga";
        QTest::newRow("green with an alarm: its alarm and the note's mark")
            << QVariantList{13, 1, u""_s} << QStringList{u"18:00 Yoga"_s} << 16 << false
            << "alarma, del calendario: 18:00 Yoga";
        QTest::newRow("blue with a note of its own: the same mark for both")
            << QVariantList{1, 0, u"Dentista"_s} << QStringList{u"18:00 Yoga"_s} << 3 << false
            << "con nota: Dentista, del calendario: 18:00 Yoga";
        QTest::newRow("a holiday of the calendar's: red, as a holiday")
            << noRow << QStringList{u"San José!"_s} << 7 << true
            << "del calendario: San José (festivo)";
        QTest::newRow("two of them: both said")
            << noRow << QStringList{u"18:00 Yoga"_s, u"20:00 Coro"_s} << 7 << false
            << "del calendario: 18:00 Yoga · 20:00 Coro";
    }
    void month()
    {
        QFETCH(QVariantList, row);
        QFETCH(QStringList, calendar);
        QFETCH(int, picture);
        QFETCH(bool, red);
        QFETCH(QString, spoken);
        for (const bool afterSync : {false, true}) {
            Shown s;
            if (!row.isEmpty())
                s.t.addDay(kDay, {.nota = row[2], .alarma = row[1], .color = row[0]});
            if (afterSync)
                s.show(); // drawn first; the sync's write is seen afterwards
            CalendarSeries::keep(s.t.db(), u"a.ics"_s, onDay(calendar));
            if (afterSync)
                s.view.showStoredDays();
            else
                s.show();
            QCOMPARE(s.button()->picture(), picture);
            QCOMPARE(s.button()->backColor() == kRed, red);
            QVERIFY2(s.button()->accessibleName().endsWith(spoken),
                     qPrintable(s.button()->accessibleName()));
            // The days around it show nothing of it.
            QCOMPARE(s.button(kDay.addDays(1))->picture(), 5);
        }
    }

    // The open day in the editor: its own note in the box, and what the calendar shows on it
    // read only under the box; "Aplicar" saves the note alone.
    void editor_data()
    {
        QTest::addColumn<QString>("note"); // the day's own
        QTest::addColumn<QStringList>("calendar");
        QTest::addColumn<QString>("line"); // empty: no line
        QTest::newRow("nothing of the calendar's: the box whole, no line")
            << u"Dentista"_s << QStringList{} << u""_s;
        QTest::newRow("a weekly class, the day without a note")
            << u""_s << QStringList{u"18:00 Clase de yoga"_s}
            << u"Del calendario: 18:00 Clase de yoga"_s;
        QTest::newRow("beside the day's own note")
            << u"Dentista"_s << QStringList{u"18:00 Clase de yoga"_s}
            << u"Del calendario: 18:00 Clase de yoga"_s;
        QTest::newRow("two of them, and a holiday")
            << u"Dentista"_s << QStringList{u"18:00 Yoga"_s, u"San José!"_s}
            << u"Del calendario: 18:00 Yoga · San José (festivo)"_s;
    }
    void editor()
    {
        QFETCH(QString, note);
        QFETCH(QStringList, calendar);
        QFETCH(QString, line);
        Shown s;
        if (!note.isEmpty())
            s.t.addNote(kDay, note);
        CalendarSeries::keep(s.t.db(), u"a.ics"_s, onDay(calendar));
        CalendarSeries::keep(s.t.db(), u"b.ics"_s, onDay({u"Otro día"_s}, kDay.addDays(1)));
        s.show();
        s.button()->click();
        QVERIFY(s.editor.isOpen());
        QCOMPARE(s.note()->note(), note);
        QCOMPARE(s.line()->isVisibleTo(&s.editor), !line.isEmpty());
        QCOMPARE(s.note()->height(), Twips::toPixels(line.isEmpty() ? 1095 : 1095 - 240));
        if (!line.isEmpty()) {
            QCOMPARE(s.line()->accessibleName(), line);
            QVERIFY(line.startsWith(s.line()->text().chopped(1)));
            // Under the note box, never over it.
            QVERIFY(s.line()->geometry().top() >= s.note()->geometry().bottom());
        }
        // Saved as it was typed: the day's own note, nothing of the calendar's.
        s.note()->setNote(note + u" 10h"_s);
        QVERIFY(s.editor.SSCmdAplicar_Click());
        QCOMPARE(s.t.storedNote(kDay), note + u" 10h"_s);
        QCOMPARE(s.button()->picture(), 7);
    }

    // A sync changed what the calendar shows on the open day: the line follows at once, also
    // while the user is typing the day's note, which stays as typed.
    void editorFollows_data()
    {
        QTest::addColumn<bool>("typing");
        QTest::newRow("the day untouched") << false;
        QTest::newRow("the note being typed") << true;
    }
    void editorFollows()
    {
        QFETCH(bool, typing);
        Shown s;
        CalendarSeries::keep(s.t.db(), u"a.ics"_s, onDay({u"18:00 Clase de yoga"_s}));
        s.show();
        s.button()->click();
        if (typing)
            s.note()->setNote(u"Llevar esterilla"_s);
        CalendarSeries::keep(s.t.db(), u"a.ics"_s, onDay({u"18:00 Clase de pilates"_s}));
        s.editor.showStoredDay();
        QCOMPARE(s.line()->accessibleName(), u"Del calendario: 18:00 Clase de pilates"_s);
        QCOMPARE(s.note()->note(), typing ? u"Llevar esterilla"_s : QString());
        SeriesBook(s.t.db()).remove(u"a.ics"_s);
        s.editor.showStoredDay();
        QVERIFY(!s.line()->isVisibleTo(&s.editor));
        QCOMPARE(s.note()->height(), Twips::toPixels(1095));
    }
};

QTEST_MAIN(TestCalendarShown)
#include "tst_calendarshown.moc"
