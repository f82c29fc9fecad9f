// What other programs' repeating events on the calendar server show among the notes: every
// listing of the notes panel holds them as rows of their own after their day's, read only and
// marked as the calendar's; the printed listings print them so; the search finds their text.
#include "CalendarSeries.h"
#include "Controls.h"
#include "FakeMessageBoxes.h"
#include "FakePrinter.h"
#include "TestStore.h"
#include "listings/ListingModel.h"
#include "listings/NotesGrid.h"
#include "listings/NotesPanel.h"
#include "listings/PeriodListings.h"
#include "listings/frmBuscar.h"
#include "store/domain/StoreGuard.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QDate kMarch5(1997, 3, 5);

// A store with two noted days and a day without a note in March 1997, a weekly class from the
// calendar (one of its days a noted one), a holiday of the calendar's, and a class in 1998.
struct Listed
{
    Listed()
        : guard([this](const StoreError& e, const QString&) { failures << e.message(); }),
          panel(*t.store, guard, &client), periods(panel, printer, boxes)
    {
        t.addNote(QDate(1997, 3, 5), u"Dentista"_s);
        t.addNote(QDate(1997, 3, 12), u"Cena con Ana"_s);
        t.addDay(QDate(1997, 3, 19), TestDayRow{.nota = u""_s, .color = 13});
        const auto at = [](int y, int m, int d, const QString& text, bool holiday = false) {
            return CalendarOccurrence{QDate(y, m, d), text, holiday};
        };
        CalendarSeries::keep(t.db(), u"clase.ics"_s,
                             {at(1997, 3, 4, u"18:00 Yoga"_s), at(1997, 3, 12, u"18:00 Yoga"_s),
                              at(1998, 1, 6, u"18:00 Yoga"_s)});
        CalendarSeries::keep(t.db(), u"fiesta.ics"_s, {at(1997, 3, 19, u"San José"_s, true)});
    }

    NotesGrid* table() const { return child<NotesGrid>(&panel, "table"); }
    ListingModel* model() const { return qobject_cast<ListingModel*>(table()->model()); }
    QString caption() const { return child<QLabel>(&panel, "caption")->text(); }
    // Each row as "05/03/97 Dentista", an occurrence's as "… [solo lectura]".
    QStringList rows() const
    {
        QStringList out;
        for (int row = 0; row < model()->rowCount(); ++row) {
            const QModelIndex note = model()->index(row, 1);
            QString line = model()->index(row, 0).data().toString() + u' ' + note.data().toString();
            if (!(model()->flags(note) & Qt::ItemIsEditable))
                line += u" [solo lectura]"_s;
            out << line;
        }
        return out;
    }

    TestStore t;
    QStringList failures;
    StoreGuard guard;
    FakePrinter printer;
    FakeMessageBoxes boxes;
    QWidget client;
    NotesPanel panel;
    PeriodListings periods;
};

enum class Which
{
    AllNotes,
    Month,
    Year,
    Holidays,
    Word,
    Colour
};

SelectionCriteria march1997()
{
    SelectionCriteria criteria;
    criteria.desde = qint64(DatePattern::fromDate(QDate(1997, 3, 1)));
    criteria.hasta = qint64(DatePattern::fromDate(QDate(1997, 3, 31)));
    return criteria;
}

void run(Listed& l, Which listing)
{
    SelectionCriteria criteria = march1997();
    switch (listing) {
    case Which::AllNotes:
        l.panel.mVerNotas_Click();
        return;
    case Which::Month:
        l.periods.mPantallaMes_Click(kMarch5);
        return;
    case Which::Year:
        l.periods.mPantallaAnyo_Click(kMarch5);
        return;
    case Which::Holidays:
        criteria.laboral = false;
        break;
    case Which::Word:
        criteria.word = u"YOGA"_s;
        break;
    case Which::Colour:
        criteria.colour = DayColour::Verde;
        break;
    }
    l.panel.MostrarListado(ListingRequest::selection(criteria), u" Notas seleccionadas"_s);
}

const QString kYoga4 = u"04/03/97 Del calendario: 18:00 Yoga [solo lectura]"_s;
const QString kDentista = u"05/03/97 Dentista"_s;
const QString kCena = u"12/03/97 Cena con Ana"_s;
const QString kYoga12 = u"12/03/97 Del calendario: 18:00 Yoga [solo lectura]"_s;
const QString kSanJose = u"19/03/97 Del calendario: San José (festivo) [solo lectura]"_s;
const QString kYoga98 = u"06/01/98 Del calendario: 18:00 Yoga [solo lectura]"_s;

} // namespace

Q_DECLARE_METATYPE(Which)

class TestCalendarRows : public QObject
{
    Q_OBJECT

private slots:
    // Each listing's rows in the grid, and its caption counting them all.
    void rows_data()
    {
        QTest::addColumn<Which>("listing");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("caption");
        QTest::newRow("every note")
            << Which::AllNotes << QStringList{kYoga4, kDentista, kCena, kYoga12, kSanJose, kYoga98}
            << u"6 Notas halladas"_s;
        QTest::newRow("the month")
            << Which::Month << QStringList{kYoga4, kDentista, kCena, kYoga12, kSanJose}
            << u"5 Notas halladas de marzo"_s;
        QTest::newRow("the year") << Which::Year
                                  << QStringList{kYoga4, kDentista, kCena, kYoga12, kSanJose}
                                  << u"5 Notas halladas de 1997"_s;
        QTest::newRow("a selection of holidays: the calendar's")
            << Which::Holidays << QStringList{kSanJose} << u"1 Notas seleccionadas"_s;
        QTest::newRow("a selection by a word found in the calendar's")
            << Which::Word << QStringList{kYoga4, kYoga12} << u"2 Notas seleccionadas"_s;
        QTest::newRow("a selection by colour: the day's own only")
            << Which::Colour << QStringList{u"19/03/97 "_s} << u"1 Notas seleccionadas"_s;
    }
    void rows()
    {
        QFETCH(Which, listing);
        QFETCH(QStringList, rows);
        QFETCH(QString, caption);
        Listed l;
        run(l, listing);
        QCOMPARE(l.rows(), rows);
        QCOMPARE(l.caption(), caption);
        QVERIFY(l.failures.isEmpty());
        // Typed into, a row of the calendar's takes nothing.
        for (int row = 0; row < l.model()->rowCount(); ++row) {
            const QModelIndex note = l.model()->index(row, 1);
            if (note.data().toString().startsWith(u"Del calendario"_s))
                QVERIFY(!l.model()->setData(note, u"cambiado"_s, Qt::EditRole));
        }
        QCOMPARE(l.t.storedNote(QDate(1997, 3, 4)), u"<no row>"_s);
    }

    // The printed listings print them too, marked.
    void printed_data()
    {
        QTest::addColumn<Which>("listing");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("the month")
            << Which::Month
            << QStringList{u"04/mar/97  Del calendario: 18:00 Yoga"_s, u"05/mar/97  Dentista"_s,
                           u"12/mar/97  Cena con Ana"_s, u"12/mar/97  Del calendario: 18:00 Yoga"_s,
                           u"19/mar/97  Del calendario: San José (festivo)"_s};
        QTest::newRow("a selection by a word")
            << Which::Word
            << QStringList{u"04/mar/97  Del calendario: 18:00 Yoga"_s,
                           u"12/mar/97  Del calendario: 18:00 Yoga"_s};
    }
    void printed()
    {
        QFETCH(Which, listing);
        QFETCH(QStringList, lines);
        Listed l;
        if (listing == Which::Month) {
            l.periods.mImpresoraMes_Click(kMarch5);
        } else {
            run(l, listing);
            l.periods.ImprimirListado(l.caption(), u"Selección"_s);
        }
        QCOMPARE(l.printer.lines.mid(3), lines);
        QCOMPARE(l.printer.lines.first(),
                 QString::number(lines.size()) + (listing == Which::Month
                                                      ? u" Notas halladas de marzo"_s
                                                      : u" Notas seleccionadas"_s));
        QCOMPARE(l.printer.endDocs, 1);
    }

    // "Buscar" and "Siguiente" find the calendar's text as they find notes, a day's own note
    // before what the calendar shows on it, and show it marked, the text found selected.
    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QStringList>("found"); // "caption|shown|selected", one per step
        const QString yoga4 = u"mar, 04/marzo/1997|Del calendario: 18:00 Yoga|Yoga"_s;
        const QString yoga12 = u"mié, 12/marzo/1997|Del calendario: 18:00 Yoga|Yoga"_s;
        const QString yoga98 = u"mar, 06/enero/1998|Del calendario: 18:00 Yoga|Yoga"_s;
        QTest::newRow("forwards, through the year's end")
            << u"yoga"_s << false << QStringList{yoga4, yoga12, yoga98, u"|FIN DE FICHERO|"_s};
        QTest::newRow("backwards")
            << u"yoga"_s << true << QStringList{yoga98, yoga12, yoga4, u"|FIN DE FICHERO|"_s};
        QTest::newRow("the day's own note first, then the calendar's")
            << u"a"_s << false
            << QStringList{u"mar, 04/marzo/1997|Del calendario: 18:00 Yoga|a"_s,
                           u"mié, 05/marzo/1997|Dentista|a"_s,
                           u"mié, 12/marzo/1997|Cena con Ana|a"_s,
                           u"mié, 12/marzo/1997|Del calendario: 18:00 Yoga|a"_s,
                           u"mié, 19/marzo/1997|Del calendario: San José|a"_s,
                           u"mar, 06/enero/1998|Del calendario: 18:00 Yoga|a"_s};
        QTest::newRow("the same, backwards")
            << u"a"_s << true
            << QStringList{u"mar, 06/enero/1998|Del calendario: 18:00 Yoga|a"_s,
                           u"mié, 19/marzo/1997|Del calendario: San José|a"_s,
                           u"mié, 12/marzo/1997|Del calendario: 18:00 Yoga|a"_s,
                           u"mié, 12/marzo/1997|Cena con Ana|a"_s,
                           u"mié, 05/marzo/1997|Dentista|a"_s,
                           u"mar, 04/marzo/1997|Del calendario: 18:00 Yoga|a"_s};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(bool, backwards);
        QFETCH(QStringList, found);
        Listed l;
        frmBuscar form(l.t.store->searchPoint(), l.guard);
        child<QLineEdit>(&form, "txtBuscar")->setText(text);
        child<QRadioButton>(&form, backwards ? "SSOptionAtras" : "SSOptionDelante")
            ->setChecked(true);
        const auto* hallado = child<QPlainTextEdit>(&form, "txtHallado");
        for (int step = 0; step < found.size(); ++step) {
            if (step == 0)
                form.cmdComenzar_Click();
            else
                form.cmdSiguiente_Click();
            const QString seen = child<QGroupBox>(&form, "SSFrameHallado")->title() + u'|' +
                                 hallado->toPlainText() + u'|' +
                                 hallado->textCursor().selectedText();
            QString expected = found[step];
            if (expected.startsWith(u'|')) // at the end the day of the last match stays
                expected.prepend(found[step - 1].section(u'|', 0, 0));
            QCOMPARE(seen, expected);
        }
        QVERIFY(l.failures.isEmpty());
    }
};

QTEST_MAIN(TestCalendarRows)
#include "tst_calendarrows.moc"
