#include "Controls.h"
#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "FakePrinter.h"
#include "LayoutCheck.h"
#include "TestStore.h"
#include "listings/ListingPrinter.h"
#include "listings/NotesPanel.h"
#include "listings/frmSeleccion.h"
#include "store/domain/StoreGuard.h"
#include "store/jet/JetPattern.h"
#include "store/listings/SelectionQuery.h"
#include "widgets/Colours.h"
#include "widgets/MnemonicStyle.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// The colour option chosen; none for "Todos".
using Colour = std::optional<DayColour>;
const Colour kTodos;
const Colour kAzul = DayColour::Azul;
const Colour kNegro = DayColour::Negro;
const Colour kVerde = DayColour::Verde;

struct SeededDay
{
    QDate date;
    QVariant nota;
    int festivo;
    int color;
};

// Stored out of order on purpose: the listings and the search's point go by date.
const SeededDay kDays[] = {
    {QDate(1997, 3, 5), QString("Reunión de equipo"), 0, 1},
    {QDate(1996, 12, 24), QString("Nochebuena 96"), 1, 1},
    {QDate(1997, 1, 1), QString("Año nuevo"), 1, 1},
    {QDate(1997, 1, 6), QString("Reyes"), 1, 13},
    {QDate(1997, 3, 19), QString(""), 0, 5},
    {QDate(1997, 5, 1), QString("Cena con O'Brien"), 1, 9},
    {QDate(1997, 5, 2), QVariant(), 0, 5},
    {QDate(1997, 8, 15), QString("reunion anual [interna]"), 1, 5},
    {QDate(1997, 10, 12), QString("Pago 100%_total"), 0, 13},
    {QDate(1997, 12, 31), QString("Nochevieja"), 0, 9},
    {QDate(1998, 1, 1), QString("Año nuevo 98"), 1, 1},
};

const QDate kToday(1997, 3, 5);

// The selection window over a store of its own, with the notes panel it lists into.
struct Selection
{
    explicit Selection(bool withDays = true)
        : guard([this](const StoreError& e, const QString&) { failures << e.message(); }),
          clock(QDateTime(kToday, QTime(9, 7))), panel(*t.store, guard, &client),
          dialog(panel, point(), printer, boxes, clock, guard)
    {
        if (withDays) {
            std::vector<std::pair<QDate, TestDayRow>> rows;
            for (const SeededDay& day : kDays)
                rows.emplace_back(
                    day.date,
                    TestDayRow{.nota = day.nota, .festivo = day.festivo, .color = day.color});
            t.addDays(rows);
            // As the program finds it once started: on the first day.
            point().toFirst();
        }
    }

    SearchPoint& point() const { return t.store->searchPoint(); }
    const NoteListing& listing() const { return t.store->listing(); }
    QString caption() const { return child<QLabel>(&panel, "caption")->text(); }
    // A search for a text no note holds, run off the end of the days in its direction.
    void searchRunOff(SearchPoint::Direction direction) const
    {
        point().begin(direction, NoteMatch(QStringLiteral("NINGUNA NOTA"), false));
    }

    void setDates(const QString& desde, const QString& hasta)
    {
        MaskDesde()->setText(desde);
        MaskHasta()->setText(hasta);
    }

    void choose(bool festivo, bool laboral, Colour colour, const QString& word)
    {
        CheckFestivo()->setChecked(festivo);
        CheckLaboral()->setChecked(laboral);
        QRadioButton* option = Option1();
        if (colour == DayColour::Azul)
            option = OptionAzul();
        else if (colour == DayColour::Negro)
            option = OptionNegro();
        else if (colour == DayColour::Verde)
            option = OptionVerde();
        option->setChecked(true);
        txtNota()->setText(word);
    }

    QList<QDate> listed()
    {
        QList<QDate> dates;
        for (int row = 0; row < listing().recordCount(); ++row)
            dates << listing().dateAt(row);
        return dates;
    }

    // Every row of both tables, to tell that nothing was changed.
    QList<QVariantList> contents() const
    {
        QList<QVariantList> rows;
        for (const char* table : {"calendar", "Nota"}) {
            Listing all = Listing::run(
                t.db(),
                QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(table)));
            for (int row = 0; row < all.recordCount(); ++row) {
                QVariantList values;
                for (int column = 0; column < all.columnCount(); ++column)
                    values << all.at(row, column);
                rows << values;
            }
        }
        return rows;
    }

    QRadioButton* OptionAzul() const { return child<QRadioButton>(&dialog, "OptionAzul"); }
    QRadioButton* OptionNegro() const { return child<QRadioButton>(&dialog, "OptionNegro"); }
    QRadioButton* OptionVerde() const { return child<QRadioButton>(&dialog, "OptionVerde"); }
    QRadioButton* Option1() const { return child<QRadioButton>(&dialog, "Option1"); }
    QCheckBox* CheckFestivo() const { return child<QCheckBox>(&dialog, "CheckFestivo"); }
    QCheckBox* CheckLaboral() const { return child<QCheckBox>(&dialog, "CheckLaboral"); }
    QLineEdit* MaskDesde() const { return child<QLineEdit>(&dialog, "MaskDesde"); }
    QLineEdit* MaskHasta() const { return child<QLineEdit>(&dialog, "MaskHasta"); }
    QLineEdit* txtNota() const { return child<QLineEdit>(&dialog, "txtNota"); }
    QPushButton* Command1() const { return child<QPushButton>(&dialog, "Command1"); }
    QPushButton* Command2() const { return child<QPushButton>(&dialog, "Command2"); }
    QPushButton* Command3() const { return child<QPushButton>(&dialog, "Command3"); }
    QPushButton* cmdPantalla() const { return child<QPushButton>(&dialog, "cmdPantalla"); }

    TestStore t;
    QStringList failures;
    StoreGuard guard;
    FakeClock clock;
    FakePrinter printer;
    FakeMessageBoxes boxes;
    QWidget client;
    NotesPanel panel;
    frmSeleccion dialog;
};

QList<QDate> datesOf(std::initializer_list<int> indexes)
{
    QList<QDate> dates;
    for (int i : indexes)
        dates << kDays[i].date;
    std::sort(dates.begin(), dates.end());
    return dates;
}

// The days of 1997 in kDays, by index: 0 Mar 5, 2 Jan 1, 3 Jan 6, 4 Mar 19, 5 May 1, 6 May 2,
// 7 Aug 15, 8 Oct 12, 9 Dec 31.
const QString k1997Range = QStringLiteral(" WHERE fecha BETWEEN 35431 AND 35795");

} // namespace

Q_DECLARE_METATYPE(Colour)

class TestSeleccion : public QObject
{
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void everythingFits();
    void window();
    void tabOrder();
    void pieces_data();
    void pieces();
    void opening_data();
    void opening();
    void listings_data();
    void listings();
    void alguna();
    void printedTitles_data();
    void printedTitles();
    void keptAfterCerrar();
    void pointAtEnd();
    void pointAtStart();
    void refusedDates_data();
    void refusedDates();
    void lostFocus_data();
    void lostFocus();
    void focusEvents();
    void hostileWords_data();
    void hostileWords();
    void randomWords();
};

void TestSeleccion::controls_data()
{
    // What each control says and where it belongs; where it stands is the form's own business,
    // and that it all can be read is everythingFits.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour"); // invalid: the style's own

    const QColor plain;
    // The layout's colour, darkened where the desktop's background would not let it be read.
    const auto readable = [](const QColor& colour) {
        return Colours::readableOn(colour, QApplication::palette().color(QPalette::Window));
    };
    const auto row = [&](const char* name, const char* parent, const char* text,
                         const QColor& colour) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent)
                            << QString::fromUtf8(text) << colour;
    };
    row("Frame1", "frmSeleccion", "Color", plain);
    row("OptionAzul", "Frame1", "Azul", QColor(0, 0, 255));
    row("OptionNegro", "Frame1", "Negro", plain);
    row("Option1", "Frame1", "Todos", readable(QColor(128, 128, 128)));
    row("OptionVerde", "Frame1", "Verde", readable(QColor(0, 192, 0)));
    row("Frame2", "frmSeleccion", "Festivo", plain);
    row("CheckFestivo", "Frame2", "Festivo", readable(QColor(255, 0, 0)));
    row("CheckLaboral", "Frame2", "Laboral", readable(QColor(128, 128, 128)));
    row("Frame3", "frmSeleccion", "Fechas", plain);
    row("Label1", "Frame3", "Desde", plain);
    row("MaskDesde", "Frame3", "__/__/____", plain);
    row("Label2", "Frame3", "Hasta", plain);
    row("MaskHasta", "Frame3", "__/__/____", plain);
    row("Frame4", "frmSeleccion", "Palabra en Nota", plain);
    row("txtNota", "Frame4", "", plain);
    row("Command3", "Frame4", "&Alguna", plain);
    row("cmdPantalla", "frmSeleccion", "&Pantalla", plain);
    row("Command2", "frmSeleccion", "&Impresora", plain);
    row("Command1", "frmSeleccion", "&Cerrar", plain);
}

void TestSeleccion::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QColor, colour);

    Selection s(false);
    auto* widget = s.dialog.findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->font().bold(), true);
    QCOMPARE(widget->font().pointSizeF(), 8.25);

    QString shown;
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        shown = box->title();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        shown = button->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        shown = label->text();
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        shown = edit->displayText();
    QCOMPARE(shown, text);
    if (colour.isValid())
        QCOMPARE(widget->palette().color(QPalette::WindowText), colour);
}

void TestSeleccion::everythingFits()
{
    Selection s(false);
    // As the program draws it: in its own style.
    QApplication::setStyle(new MnemonicStyle);
    s.dialog.show();
    s.setDates(QStringLiteral("28/08/2008"), QStringLiteral("30/08/2008"));
    const QStringList faults = LayoutCheck().faults(&s.dialog);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    // Each date box is named by its caption for a screen reader.
    QCOMPARE(s.MaskDesde()->accessibleName(), QStringLiteral("Desde"));
    QCOMPARE(s.MaskHasta()->accessibleName(), QStringLiteral("Hasta"));
}

void TestSeleccion::window()
{
    Selection s(false);
    frmSeleccion& d = s.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("Seleccionar..."));
    QVERIFY(d.isWindow());
    QCOMPARE(d.size(), QSize(Twips::toPixels(4215), Twips::toPixels(1905)));
    QVERIFY(s.Option1()->isChecked());
    QVERIFY(!s.OptionAzul()->isChecked() && !s.OptionNegro()->isChecked() &&
            !s.OptionVerde()->isChecked());
    QVERIFY(s.CheckFestivo()->isChecked());
    QVERIFY(s.CheckLaboral()->isChecked());
    for (QLineEdit* box : {s.MaskDesde(), s.MaskHasta()}) {
        QCOMPARE(box->inputMask(), QStringLiteral("99/99/9999;_"));
        QCOMPARE(box->maxLength(), 10);
        QCOMPARE(box->displayText(), QStringLiteral("__/__/____"));
    }
    d.Command3_Click();
    QCOMPARE(s.txtNota()->text(), QStringLiteral("?"));

    // Owned by the main window, yet a window of its own that leaves the main one usable.
    QWidget main;
    frmSeleccion owned(s.panel, s.point(), s.printer, s.boxes, s.clock, s.guard, &main);
    QVERIFY(owned.isWindow());
    QCOMPARE(owned.parentWidget(), &main);
    owned.mSeleccion_Click();
    QVERIFY(owned.isVisible());
    QVERIFY(!owned.isModal());
}

void TestSeleccion::tabOrder()
{
    Selection s(false);
    const QList<QWidget*> expected{
        s.OptionAzul(),   s.OptionNegro(),  s.OptionVerde(), s.MaskDesde(), s.MaskHasta(),
        s.Command1(),     s.txtNota(),      s.cmdPantalla(), s.Command2(),  s.Option1(),
        s.CheckFestivo(), s.CheckLaboral(), s.Command3()};
    QList<QWidget*> seen;
    QWidget* w = s.OptionAzul();
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            seen << w;
        w = w->nextInFocusChain();
    } while (w != s.OptionAzul());
    QCOMPARE(seen, expected);
}

void TestSeleccion::pieces_data()
{
    QTest::addColumn<bool>("festivo");
    QTest::addColumn<bool>("laboral");
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("title");

    const QString select = QStringLiteral("SELECT fecha, nota FROM calendar") + k1997Range;
    const QString order = QStringLiteral(" ORDER by fecha");
    const QString between = QStringLiteral("4 Hallados entre 01/01/1997 y 31/12/1997");

    QTest::newRow("red holidays, to the letter")
        << true << false << kAzul << ""
        << "SELECT fecha, nota FROM calendar WHERE fecha BETWEEN 35431 AND 35795 and "
           "Festivo <> False and color=1 ORDER by fecha"
        << between + ", FESTIVOS, AZULES";
    QTest::newRow("both holiday boxes: no filter")
        << true << true << kTodos << "" << select + order << between;
    QTest::newRow("neither holiday box: no filter")
        << false << false << kTodos << "" << select + order << between;
    QTest::newRow("working days, black")
        << false << true << kNegro << "" << select + " and Festivo = False and color=9" + order
        << between + ", LABORABLES, NEGROS";
    QTest::newRow("green") << true << true << kVerde << "" << select + " and color=13" + order
                           << between + ", VERDES";
    QTest::newRow("padded word: trimmed in the query, as typed in the title")
        << true << true << kTodos << "  reunión " << select + " AND nota LIKE '*reunión*'" + order
        << between + " y con \"  REUNIÓN \"";
    QTest::newRow("every filter at once")
        << true << false << kVerde << "Año"
        << select + " and Festivo <> False and color=13 AND nota LIKE '*Año*'" + order
        << between + ", FESTIVOS, VERDES y con \"AÑO\"";
    QTest::newRow("apostrophes doubled, title as typed")
        << true << true << kTodos << "O'Brien's"
        << select + " AND nota LIKE '*O''Brien''s*'" + order << between + " y con \"O'BRIEN'S\"";
    QTest::newRow("a statement stays inside the quotes")
        << true << true << kTodos << "'; DROP TABLE calendar; --"
        << select + " AND nota LIKE '*''; DROP TABLE calendar; --*'" + order
        << between + " y con \"'; DROP TABLE CALENDAR; --\"";
    QTest::newRow("pattern characters kept")
        << true << true << kTodos << "[a-c]?#*" << select + " AND nota LIKE '*[a-c]?#**'" + order
        << between + " y con \"[A-C]?#*\"";
    QTest::newRow("a NUL is dropped from the query")
        << true << true << kTodos << QString::fromUtf16(u"a\u0000'b", 4)
        << select + " AND nota LIKE '*a''b*'" + order
        << between + " y con \"" + QString::fromUtf16(u"A\u0000'B", 4) + "\"";
}

void TestSeleccion::pieces()
{
    QFETCH(bool, festivo);
    QFETCH(bool, laboral);
    QFETCH(Colour, colour);
    QFETCH(QString, word);
    QFETCH(QString, query);
    QFETCH(QString, title);

    SelectionCriteria q;
    q.desde = 35431;
    q.hasta = 35795;
    q.festivo = festivo;
    q.laboral = laboral;
    q.colour = colour;
    q.word = word;
    QCOMPARE(SelectionQuery::query(q), query);
    QCOMPARE(q.title(4, QStringLiteral("01/01/1997"), QStringLiteral("31/12/1997")), title);
}

void TestSeleccion::opening_data()
{
    QTest::addColumn<bool>("withDays");
    QTest::addColumn<QString>("hasta"); // typed before opening
    QTest::addColumn<QString>("expected");

    QTest::newRow("rows stored: the latest day") << true << ""
                                                 << "01/01/1998";
    QTest::newRow("empty table: today") << false << ""
                                        << "05/03/1997";
    QTest::newRow("a date already there is kept") << true << "15/06/1997"
                                                  << "15/06/1997";
}

void TestSeleccion::opening()
{
    QFETCH(bool, withDays);
    QFETCH(QString, hasta);
    QFETCH(QString, expected);

    Selection s(withDays);
    s.MaskHasta()->setText(hasta);
    s.dialog.mSeleccion_Click();
    QVERIFY(s.dialog.isVisible());
    QCOMPARE(s.MaskHasta()->displayText(), expected);
    QCOMPARE(s.MaskDesde()->displayText(), QStringLiteral("__/__/____"));
    QVERIFY(s.boxes.calls().isEmpty());
    QVERIFY(s.listing().query().isEmpty());
}

void TestSeleccion::listings_data()
{
    QTest::addColumn<QString>("desde");
    QTest::addColumn<bool>("festivo");
    QTest::addColumn<bool>("laboral");
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<QDate>>("dates");

    const QString select = QStringLiteral("SELECT fecha, nota FROM calendar") + k1997Range;
    const QString order = QStringLiteral(" ORDER by fecha");

    QTest::newRow("first listing: Desde takes the earliest, every stored day")
        << "" << true << true << kTodos << ""
        << "SELECT fecha, nota FROM calendar WHERE fecha BETWEEN 35423 AND 35796 ORDER by fecha"
        << datesOf({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    QTest::newRow("both holiday boxes: every day of the range")
        << "01/01/1997" << true << true << kTodos << "" << select + order
        << datesOf({0, 2, 3, 4, 5, 6, 7, 8, 9});
    QTest::newRow("neither holiday box: every day of the range")
        << "01/01/1997" << false << false << kTodos << "" << select + order
        << datesOf({0, 2, 3, 4, 5, 6, 7, 8, 9});
    QTest::newRow("holidays") << "01/01/1997" << true << false << kTodos << ""
                              << select + " and Festivo <> False" + order << datesOf({2, 3, 5, 7});
    QTest::newRow("working days") << "01/01/1997" << false << true << kTodos << ""
                                  << select + " and Festivo = False" + order
                                  << datesOf({0, 4, 6, 8, 9});
    QTest::newRow("blue: no grey day") << "01/01/1997" << true << true << kAzul << ""
                                       << select + " and color=1" + order << datesOf({0, 2});
    QTest::newRow("black: no grey day") << "01/01/1997" << true << true << kNegro << ""
                                        << select + " and color=9" + order << datesOf({5, 9});
    QTest::newRow("green: no grey day") << "01/01/1997" << true << true << kVerde << ""
                                        << select + " and color=13" + order << datesOf({3, 8});
    QTest::newRow("blue holidays")
        << "01/01/1997" << true << false << kAzul << ""
        << select + " and Festivo <> False and color=1" + order << datesOf({2});
    QTest::newRow("padded word trimmed; accents kept apart")
        << "01/01/1997" << true << true << kTodos << "  reunion   "
        << select + " AND nota LIKE '*reunion*'" + order << datesOf({7});
    QTest::newRow("word in any case") << "01/01/1997" << true << true << kTodos << "AÑO"
                                      << select + " AND nota LIKE '*AÑO*'" + order << datesOf({2});
    QTest::newRow("Desde after Hasta: nothing")
        << "01/01/1998" << true << true << kTodos << ""
        << "SELECT fecha, nota FROM calendar WHERE fecha BETWEEN 35796 AND 35795 ORDER by fecha"
        << QList<QDate>{};
}

void TestSeleccion::listings()
{
    QFETCH(QString, desde);
    QFETCH(bool, festivo);
    QFETCH(bool, laboral);
    QFETCH(Colour, colour);
    QFETCH(QString, word);
    QFETCH(QString, query);
    QFETCH(QList<QDate>, dates);

    Selection s;
    s.dialog.mSeleccion_Click();
    if (!desde.isEmpty())
        s.setDates(desde, QStringLiteral("31/12/1997"));
    s.choose(festivo, laboral, colour, word);
    QSignalSpy shown(&s.panel, &NotesPanel::shown);
    QVERIFY(s.dialog.cmdPantalla_Click());

    QCOMPARE(s.listing().query(), query);
    QCOMPARE(s.listed(), dates);
    QCOMPARE(s.caption(), QString::number(dates.size()) + QStringLiteral(" Notas seleccionadas"));
    QCOMPARE(shown.size(), 1);
    if (desde.isEmpty())
        QCOMPARE(s.MaskDesde()->displayText(), QStringLiteral("24/12/1996"));
    QVERIFY(s.boxes.calls().isEmpty());
    QVERIFY(s.printer.lines.isEmpty());
    QCOMPARE(s.printer.endDocs, 0);
}

void TestSeleccion::alguna()
{
    Selection s;
    s.setDates(QStringLiteral("01/01/1997"), QStringLiteral("31/12/1997"));
    s.Command3()->click();
    QCOMPARE(s.txtNota()->text(), QStringLiteral("?"));
    s.cmdPantalla()->click();
    // The empty note of 19 March and the Null one of 2 May are left out.
    QCOMPARE(s.listed(), datesOf({0, 2, 3, 5, 7, 8, 9}));
    QCOMPARE(s.caption(), QStringLiteral("7 Notas seleccionadas"));
}

void TestSeleccion::printedTitles_data()
{
    QTest::addColumn<bool>("festivo");
    QTest::addColumn<bool>("laboral");
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("hasta");
    QTest::addColumn<QStringList>("lines");

    const QString rule = ListingPrinter::rule();
    const QString heading = ListingPrinter::heading();
    QTest::newRow("holidays of 1997")
        << true << false << kTodos << ""
        << "31/12/1997"
        << QStringList{"4 Hallados entre 01/01/1997 y 31/12/1997, FESTIVOS",
                       rule,
                       heading,
                       "01/ene/97  Año nuevo",
                       "06/ene/97  Reyes",
                       "01/may/97  Cena con O'Brien",
                       "15/ago/97  reunion anual [interna]"};
    QTest::newRow("working days in blue")
        << false << true << kAzul << ""
        << "31/12/1997"
        << QStringList{"1 Hallados entre 01/01/1997 y 31/12/1997, LABORABLES, AZULES", rule,
                       heading, "05/mar/97  Reunión de equipo"};
    QTest::newRow("days without a note print with an empty note")
        << false << true << kTodos << ""
        << "02/05/1997"
        << QStringList{"3 Hallados entre 01/01/1997 y 02/05/1997, LABORABLES",
                       rule,
                       heading,
                       "05/mar/97  Reunión de equipo",
                       "19/mar/97  ",
                       "02/may/97  "};
    QTest::newRow("word in the title in upper case, as typed")
        << true << true << kNegro << " o'brien"
        << "31/12/1997"
        << QStringList{"1 Hallados entre 01/01/1997 y 31/12/1997, NEGROS y con \" O'BRIEN\"", rule,
                       heading, "01/may/97  Cena con O'Brien"};
    QTest::newRow("nothing found: nothing printed") << true << true << kTodos << "no existe"
                                                    << "31/12/1997" << QStringList{};
}

void TestSeleccion::printedTitles()
{
    QFETCH(bool, festivo);
    QFETCH(bool, laboral);
    QFETCH(Colour, colour);
    QFETCH(QString, word);
    QFETCH(QString, hasta);
    QFETCH(QStringList, lines);

    Selection s;
    s.setDates(QStringLiteral("01/01/1997"), hasta);
    s.choose(festivo, laboral, colour, word);
    QVERIFY(s.dialog.Command2_Click());
    QCOMPARE(s.printer.lines, lines);
    QCOMPARE(s.printer.endDocs, lines.isEmpty() ? 0 : 1);
    QCOMPARE(s.caption(), QString::number(qMax(0, int(lines.size()) - 3)) +
                              QStringLiteral(" Notas seleccionadas"));
    // The document is named for what it holds, in words a file name can carry.
    const QString document = QStringLiteral("Notas seleccionadas del 01-01-1997 al ") +
                             QString(hasta).replace(QLatin1Char('/'), QLatin1Char('-'));
    QCOMPARE(s.printer.documentNames, lines.isEmpty() ? QStringList() : QStringList{document});
}

void TestSeleccion::keptAfterCerrar()
{
    Selection s;
    s.dialog.mSeleccion_Click();
    s.setDates(QStringLiteral("02/01/1997"), QStringLiteral("30/11/1997"));
    s.choose(false, true, kVerde, QStringLiteral("pago"));
    QVERIFY(s.dialog.cmdPantalla_Click());
    s.Command1()->click();
    QVERIFY(!s.dialog.isVisible());

    s.dialog.mSeleccion_Click();
    QVERIFY(s.dialog.isVisible());
    QCOMPARE(s.MaskDesde()->displayText(), QStringLiteral("02/01/1997"));
    QCOMPARE(s.MaskHasta()->displayText(), QStringLiteral("30/11/1997"));
    QVERIFY(!s.CheckFestivo()->isChecked());
    QVERIFY(s.CheckLaboral()->isChecked());
    QVERIFY(s.OptionVerde()->isChecked());
    QCOMPARE(s.txtNota()->text(), QStringLiteral("pago"));
    QVERIFY(s.dialog.cmdPantalla_Click());
    QCOMPARE(s.listed(), datesOf({8}));
}

void TestSeleccion::pointAtEnd()
{
    Selection s;
    s.searchRunOff(SearchPoint::Direction::Forwards);
    QVERIFY(s.point().atEnd());
    s.dialog.mSeleccion_Click();
    QCOMPARE(s.MaskHasta()->displayText(), QStringLiteral("05/03/1997"));
    // Desde is still filled from the first day: the point is not at its start.
    QVERIFY(s.dialog.cmdPantalla_Click());
    QCOMPARE(s.MaskDesde()->displayText(), QStringLiteral("24/12/1996"));
    QCOMPARE(s.listed(), datesOf({0, 1, 2, 3}));
}

void TestSeleccion::pointAtStart()
{
    Selection s;
    s.dialog.mSeleccion_Click();
    s.searchRunOff(SearchPoint::Direction::Backwards);
    QVERIFY(s.point().atStart());
    const QList<QVariantList> before = s.contents();

    for (bool print : {false, true}) {
        s.boxes.clear();
        QVERIFY(!(print ? s.dialog.Command2_Click() : s.dialog.cmdPantalla_Click()));
        QCOMPARE(s.MaskDesde()->displayText(), QStringLiteral("__/__/____"));
        QCOMPARE(s.boxes.calls().size(), 1);
        QCOMPARE(s.boxes.calls().first().prompt, QStringLiteral("Fecha erronea"));
        QCOMPARE(s.dialog.focusWidget(), s.MaskDesde());
    }
    s.dialog.MaskDesde_LostFocus();
    QCOMPARE(s.MaskDesde()->displayText(), QStringLiteral("__/__/____"));
    QCOMPARE(s.boxes.calls().size(), 2);
    QVERIFY(s.listing().query().isEmpty());
    QVERIFY(s.printer.lines.isEmpty());
    QCOMPARE(s.contents(), before);
}

void TestSeleccion::refusedDates_data()
{
    QTest::addColumn<bool>("withDays");
    QTest::addColumn<QString>("desde");
    QTest::addColumn<QString>("hasta");
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("refused"); // the box that gets the focus back

    QTest::newRow("empty Hasta") << true << "01/01/1997"
                                 << "" << false << "MaskHasta";
    QTest::newRow("empty Hasta, printing") << true << "01/01/1997"
                                           << "" << true << "MaskHasta";
    QTest::newRow("no 31 February") << true << "31/02/1997"
                                    << "31/12/1997" << false << "MaskDesde";
    QTest::newRow("half-typed Desde") << true << "01/0"
                                      << "31/12/1997" << true << "MaskDesde";
    QTest::newRow("month 13 in Hasta") << true << "01/01/1997"
                                       << "01/13/1997" << false << "MaskHasta";
    QTest::newRow("year 0099 is no year of the calendar") << true << "01/01/0099"
                                                          << "31/12/1997" << false << "MaskDesde";
    QTest::newRow("empty Desde over an empty table") << false << ""
                                                     << "31/12/1997" << true << "MaskDesde";
    QTest::newRow("both wrong: Desde first") << true << "00/00/0000"
                                             << "99/99/9999" << false << "MaskDesde";
}

void TestSeleccion::refusedDates()
{
    QFETCH(bool, withDays);
    QFETCH(QString, desde);
    QFETCH(QString, hasta);
    QFETCH(bool, print);
    QFETCH(QString, refused);

    Selection s(withDays);
    s.dialog.show();
    s.setDates(desde, hasta);
    s.txtNota()->setFocus();
    const QList<QVariantList> before = s.contents();
    QSignalSpy shown(&s.panel, &NotesPanel::shown);
    QVERIFY(!(print ? s.dialog.Command2_Click() : s.dialog.cmdPantalla_Click()));

    QCOMPARE(s.boxes.calls().size(), 1);
    const FakeMessageBoxes::Call& call = s.boxes.calls().first();
    QCOMPARE(call.prompt, QStringLiteral("Fecha erronea"));
    QCOMPARE(call.style, int(MessageBoxes::OkOnly));
    QCOMPARE(call.title, QStringLiteral("Tarvelo"));
    QCOMPARE(s.dialog.focusWidget()->objectName(), refused);
    QCOMPARE(shown.size(), 0);
    QVERIFY(s.listing().query().isEmpty());
    QVERIFY(s.printer.lines.isEmpty());
    QCOMPARE(s.printer.endDocs, 0);
    QCOMPARE(s.contents(), before);
}

void TestSeleccion::lostFocus_data()
{
    QTest::addColumn<bool>("desde");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("refused");

    QTest::newRow("empty Desde takes the earliest day") << true << ""
                                                        << "24/12/1996" << false;
    QTest::newRow("a date in Desde stays") << true << "07/07/1997"
                                           << "07/07/1997" << false;
    QTest::newRow("no such day in Desde") << true << "30/02/1997"
                                          << "30/02/1997" << true;
    QTest::newRow("half-typed Desde") << true << "12/1"
                                      << "12/1_/____" << true;
    QTest::newRow("empty Hasta takes today") << false << ""
                                             << "05/03/1997" << false;
    QTest::newRow("a date in Hasta stays") << false << "08/08/2008"
                                           << "08/08/2008" << false;
    QTest::newRow("no such day in Hasta") << false << "29/02/1997"
                                          << "29/02/1997" << true;
}

void TestSeleccion::lostFocus()
{
    QFETCH(bool, desde);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(bool, refused);

    Selection s;
    s.dialog.show();
    QLineEdit* box = desde ? s.MaskDesde() : s.MaskHasta();
    box->setText(typed);
    s.txtNota()->setFocus();
    desde ? s.dialog.MaskDesde_LostFocus() : s.dialog.MaskHasta_LostFocus();
    QCOMPARE(box->displayText(), expected);
    QCOMPARE(s.boxes.calls().size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(s.boxes.calls().first().prompt, QStringLiteral("Fecha erronea"));
        QCOMPARE(s.dialog.focusWidget(), box);
    } else {
        QCOMPARE(s.dialog.focusWidget(), s.txtNota());
    }

    box->setText(QStringLiteral("01/02/1997"));
    box->deselect();
    desde ? s.dialog.MaskDesde_GotFocus() : s.dialog.MaskHasta_GotFocus();
    QCOMPARE(box->selectedText(), QStringLiteral("01/02/1997"));
}

void TestSeleccion::focusEvents()
{
    // The handlers run on the window's own focus changes, once the change has settled.
    Selection s;
    s.dialog.mSeleccion_Click();
    QVERIFY(QTest::qWaitForWindowActive(&s.dialog));
    s.MaskHasta()->setText(QStringLiteral("31/12/1997"));
    s.MaskDesde()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(s.MaskDesde()->selectedText(), QStringLiteral("__/__/____"));
    s.MaskHasta()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(s.MaskDesde()->displayText(), QStringLiteral("24/12/1996"));
    QTRY_COMPARE(s.MaskHasta()->selectedText(), QStringLiteral("31/12/1997"));

    // A wrong date takes the focus back, once, without the boxes passing the blame around.
    s.txtNota()->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    QVERIFY(s.boxes.calls().isEmpty());
    s.MaskHasta()->setText(QStringLiteral("32/12/1997"));
    s.MaskDesde()->setText(QStringLiteral("00/01/1997"));
    s.MaskDesde()->setFocus(Qt::TabFocusReason);
    s.MaskHasta()->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(s.boxes.calls().size(), 1);
    QTest::qWait(50);
    QCOMPARE(s.boxes.calls().size(), 1);
    QCOMPARE(QApplication::focusWidget(), s.MaskDesde());
}

void TestSeleccion::hostileWords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QList<QDate>>("dates");

    QTest::newRow("apostrophe, searched as typed") << "O'Brien" << datesOf({5});
    QTest::newRow("apostrophe alone") << "'" << datesOf({5});
    QTest::newRow("two apostrophes") << "''" << QList<QDate>{};
    QTest::newRow("a statement after a quote") << "'; DROP TABLE calendar; --" << QList<QDate>{};
    QTest::newRow("a condition after a quote") << "x' OR '1'='1" << QList<QDate>{};
    QTest::newRow("a comment after a quote") << "'--" << QList<QDate>{};
    QTest::newRow("a subquery after a quote")
        << "' OR fecha IN (SELECT fecha FROM calendar) OR '" << QList<QDate>{};
    QTest::newRow("open bracket alone: itself") << "[" << datesOf({7});
    QTest::newRow("unfinished range") << "[a-" << QList<QDate>{};
    QTest::newRow("closing bracket alone: itself") << "]" << datesOf({7});
    QTest::newRow("reversed range holds nothing") << "[z-a]" << QList<QDate>{};
    QTest::newRow("bracket list keeps its meaning") << "[xyz]" << datesOf({3});
    QTest::newRow("star keeps its meaning") << "*" << datesOf({0, 2, 3, 4, 5, 7, 8, 9});
    QTest::newRow("question mark keeps its meaning") << "?" << datesOf({0, 2, 3, 5, 7, 8, 9});
    QTest::newRow("hash keeps its meaning") << "#" << datesOf({8});
    QTest::newRow("percent and underscore are plain") << "%_" << datesOf({8});
    QTest::newRow("double quote") << "\"" << QList<QDate>{};
    QTest::newRow("backslash") << "\\'" << QList<QDate>{};
    QTest::newRow("semicolon") << ";" << QList<QDate>{};
    QTest::newRow("NUL inside the word") << QString::fromUtf16(u"O\u0000'Brien", 8) << datesOf({5});
    QTest::newRow("lone surrogate") << QString(QChar(0xd800)) << QList<QDate>{};
    QTest::newRow("a very long word") << QString(1000, QLatin1Char('\'')) << QList<QDate>{};
}

void TestSeleccion::hostileWords()
{
    QFETCH(QString, word);
    QFETCH(QList<QDate>, dates);

    Selection s;
    s.setDates(QStringLiteral("01/01/1997"), QStringLiteral("31/12/1997"));
    s.txtNota()->setMaxLength(32767);
    s.choose(true, true, kTodos, word);
    const QList<QVariantList> before = s.contents();
    for (bool print : {false, true}) {
        QVERIFY(print ? s.dialog.Command2_Click() : s.dialog.cmdPantalla_Click());
        QVERIFY2(s.failures.isEmpty(), qPrintable(s.failures.join(QLatin1Char('\n'))));
        QCOMPARE(s.listed(), dates);
    }
    QVERIFY(s.boxes.calls().isEmpty());
    QCOMPARE(s.contents(), before);
    QCOMPARE(s.printer.endDocs, dates.isEmpty() ? 0 : 1);
}

void TestSeleccion::randomWords()
{
    // Whatever is typed, the listing is exactly the days of the range whose note holds the
    // trimmed word as a pattern: no word reaches beyond its own quotes.
    Selection s;
    s.setDates(QStringLiteral("01/01/1997"), QStringLiteral("31/12/1997"));
    const QList<QVariantList> before = s.contents();
    const QString alphabet = QStringLiteral("'\"[]!-*?#%_;\\ ()=oOnNaéÑ1 \t");
    QRandomGenerator random(19970305);
    for (int round = 0; round < 400; ++round) {
        QString word;
        const int length = random.bounded(1, 12);
        for (int i = 0; i < length; ++i)
            word += alphabet.at(random.bounded(int(alphabet.size())));
        s.txtNota()->setText(word);
        QVERIFY2(s.dialog.cmdPantalla_Click() && s.failures.isEmpty(),
                 qPrintable(word + QStringLiteral(": ") + s.failures.join(QLatin1Char('\n'))));
        const JetPattern pattern(QLatin1Char('*') + word.trimmed() + QLatin1Char('*'));
        QList<QDate> expected;
        for (const SeededDay& day : kDays) {
            if (day.date.year() == 1997 && !day.nota.isNull() &&
                pattern.matches(day.nota.toString()))
                expected << day.date;
        }
        std::sort(expected.begin(), expected.end());
        QVERIFY2(s.listed() == expected, qPrintable(word));
    }
    QCOMPARE(s.contents(), before);
    QVERIFY(s.boxes.calls().isEmpty());
}

QTEST_MAIN(TestSeleccion)
#include "tst_seleccion.moc"
