#include "Controls.h"
#include "LayoutCheck.h"
#include "TestStore.h"
#include "listings/frmBuscar.h"
#include "platform/Fonts.h"
#include "store/domain/StoreGuard.h"
#include "widgets/MnemonicStyle.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QDate kFirst(1997, 5, 5); // a Monday

const QString kNoRow = QStringLiteral("<no row>");
const QString kNull = QStringLiteral("<null>");
const QString kNotFound = QStringLiteral("CADENA NO ENCONTRADA");
const QString kEnd = QStringLiteral("FIN DE FICHERO");

// The search window over a store of its own, whose days start at kFirst, one a day.
struct Search
{
    explicit Search(const QStringList& notes = {})
        : guard([this](const StoreError& e, const QString&) { failures << e.message(); })
    {
        for (int i = 0; i < notes.size(); ++i) {
            if (notes[i] != kNoRow)
                t.addDay(kFirst.addDays(i),
                         TestDayRow{.nota = notes[i] == kNull ? QVariant() : QVariant(notes[i])});
        }
        point().toFirst();
        form = std::make_unique<frmBuscar>(point(), guard);
    }

    SearchPoint& point() const { return t.store->searchPoint(); }

    void setOptions(bool backwards, bool matchCase)
    {
        (backwards ? SSOptionAtras() : SSOptionDelante())->setChecked(true);
        SSCheckMm()->setChecked(matchCase);
    }

    void buscar(const QString& text, bool backwards, bool matchCase = false)
    {
        txtBuscar()->setText(text);
        setOptions(backwards, matchCase);
        QTest::mouseClick(cmdComenzar(), Qt::LeftButton);
    }

    // The day the search's point stands on, as an offset from kFirst; -1 at either end. The
    // point tells its day only through a search: one noted day back and forward again brings
    // it back onto the day it stood on, a noted day when the search left it there.
    int currentDay() const
    {
        if (point().atStart() || point().atEnd())
            return -1;
        const NoteMatch any(QString(), true);
        point().next(SearchPoint::Direction::Backwards, any);
        const SearchPoint::Result back = point().next(SearchPoint::Direction::Forwards, any);
        return back.kind == SearchPoint::Result::Found ? int(kFirst.daysTo(back.date)) : -1;
    }

    QLineEdit* txtBuscar() const { return child<QLineEdit>(form.get(), "txtBuscar"); }
    QCheckBox* SSCheckMm() const { return child<QCheckBox>(form.get(), "SSCheckMm"); }
    QRadioButton* SSOptionAtras() const { return child<QRadioButton>(form.get(), "SSOptionAtras"); }
    QRadioButton* SSOptionDelante() const
    {
        return child<QRadioButton>(form.get(), "SSOptionDelante");
    }
    QPushButton* cmdComenzar() const { return child<QPushButton>(form.get(), "cmdComenzar"); }
    QPushButton* cmdSiguiente() const { return child<QPushButton>(form.get(), "cmdSiguiente"); }
    QPushButton* cmdCancelar() const { return child<QPushButton>(form.get(), "cmdCancelar"); }
    QGroupBox* SSFrameHallado() const { return child<QGroupBox>(form.get(), "SSFrameHallado"); }
    QPlainTextEdit* txtHallado() const { return child<QPlainTextEdit>(form.get(), "txtHallado"); }
    QFrame* Line1() const { return child<QFrame>(form.get(), "Line1"); }

    QString caption() const { return SSFrameHallado()->title(); }
    QString shown() const { return txtHallado()->toPlainText(); }
    QString selected() const { return txtHallado()->textCursor().selectedText(); }
    int selectionStart() const { return txtHallado()->textCursor().selectionStart(); }

    TestStore t;
    QStringList failures;
    StoreGuard guard;
    std::unique_ptr<frmBuscar> form;
};

QString captionOf(int day)
{
    return DatePattern::format(DatePattern::fromDate(kFirst.addDays(day)),
                               QStringLiteral("ddd, dd/mmmm/yyyy"));
}

} // namespace

class TestBuscar : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void startState();
    void upperCase_data();
    void upperCase();
    void matching_data();
    void matching();
    void notFound_data();
    void notFound();
    void steps_data();
    void steps();
    void emptyTable_data();
    void emptyTable();
    void selectionVisibleWithoutFocus();
    void cancelHidesAndMenuShows();
    void enterPresses_data();
    void enterPresses();
    void everythingFits();
};

void TestBuscar::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    // What each control says; that it all can be read is everythingFits.

    QTest::newRow("label") << "Label1"
                           << "Buscar:";
    QTest::newRow("search text") << "txtBuscar"
                                 << "";
    QTest::newRow("case option") << "SSCheckMm"
                                 << "May./Min.";
    QTest::newRow("direction frame") << "Frame1"
                                     << "Buscar hacia...";
    QTest::newRow("backwards") << "SSOptionAtras"
                               << "Atras";
    QTest::newRow("forwards") << "SSOptionDelante"
                              << "Delante";
    QTest::newRow("search button") << "cmdComenzar"
                                   << "&Buscar";
    QTest::newRow("next button") << "cmdSiguiente"
                                 << "&Siguiente";
    QTest::newRow("cancel button") << "cmdCancelar"
                                   << "&Cancelar";
    QTest::newRow("found frame") << "SSFrameHallado"
                                 << "";
    QTest::newRow("found note") << "txtHallado"
                                << "";
}

void TestBuscar::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);

    Search s;
    auto* widget = s.form->findChild<QWidget*>(name);
    QVERIFY(widget);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        text = button->text();
    else if (auto* box = qobject_cast<QGroupBox*>(widget))
        text = box->title();
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        text = edit->text();
    else if (auto* note = qobject_cast<QPlainTextEdit*>(widget))
        text = note->toPlainText();
    QCOMPARE(text, caption);
    QCOMPARE(widget->font(), Fonts::sansSerif(8.25, true));
}

void TestBuscar::startState()
{
    Search s;
    frmBuscar& f = *s.form;
    QVERIFY(f.isWindow());
    QCOMPARE(f.windowTitle(), QStringLiteral("Buscar..."));
    QCOMPARE(f.size(), QSize(Twips::toPixels(4260), Twips::toPixels(2085)));
    QVERIFY(s.SSOptionAtras()->isChecked());
    QVERIFY(!s.SSOptionDelante()->isChecked());
    QVERIFY(!s.SSCheckMm()->isChecked());
    QVERIFY(s.txtHallado()->isReadOnly());
    QCOMPARE(s.txtHallado()->palette().color(QPalette::Base), QColor(0, 255, 255));
    QCOMPARE(s.Line1()->geometry(),
             QRect(Twips::toPixels(60), Twips::toPixels(1140), Twips::toPixels(4140), 1));

    // The tab order, read from the focus chain among the controls that take the focus.
    const QList<QWidget*> expected{s.txtBuscar(),   s.cmdComenzar(),   s.cmdSiguiente(),
                                   s.cmdCancelar(), s.SSOptionAtras(), s.SSOptionDelante(),
                                   s.txtHallado(),  s.SSCheckMm()};
    QList<QWidget*> chain;
    QWidget* w = s.txtBuscar();
    do {
        if (expected.contains(w))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != s.txtBuscar() && chain.size() < 20);
    QCOMPARE(chain, expected);
}

void TestBuscar::upperCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain letters") << "Reunion"
                                   << "REUNION";
    QTest::newRow("accented letters keep their accents") << "médico ñandú"
                                                         << "MÉDICO ÑANDÚ";
    QTest::newRow("sharp s stays one letter") << "Straße"
                                              << "STRAßE";
    QTest::newRow("a ligature stays one letter") << "\uFB01n"
                                                 << "\uFB01N";
    QTest::newRow("letters beyond the basic plane")
        << QString::fromUtf8("\xF0\x90\x90\xA8 y \xC3\x9F")
        << QString::fromUtf8("\xF0\x90\x90\x80 Y \xC3\x9F");
}

void TestBuscar::upperCase()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    const QString upper = NoteMatch::upperCase(text);
    QCOMPARE(upper, expected);
    QCOMPARE(upper.size(), text.size());
}

void TestBuscar::matching_data()
{
    QTest::addColumn<QStringList>("notes"); // one a day from kFirst
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("backwards");
    QTest::addColumn<int>("day");      // -1: not found
    QTest::addColumn<int>("position"); // Posicion
    QTest::addColumn<QString>("selected");

    const QStringList reunion{"la reunion del lunes", "Reunion de vecinos", "REUNION anual"};
    QTest::newRow("case ignored, backwards: the latest day, any case")
        << reunion << "reunion" << false << true << 2 << 1 << "REUNION";
    QTest::newRow("case ignored, forwards: the first day, any case")
        << reunion << "Reunion" << false << false << 0 << 4 << "reunion";
    QTest::newRow("case kept: reunion only as written, backwards")
        << reunion << "reunion" << true << true << 0 << 4 << "reunion";
    QTest::newRow("case kept: Reunion only as written, forwards")
        << reunion << "Reunion" << true << false << 1 << 1 << "Reunion";
    QTest::newRow("case kept: REUNION only as written, forwards")
        << reunion << "REUNION" << true << false << 2 << 1 << "REUNION";
    QTest::newRow("case kept: a mixed case written nowhere")
        << reunion << "reUNION" << true << true << -1 << 0 << "";

    const QStringList medico{"Cita con el Médico", "ir al medico"};
    QTest::newRow("accents kept apart: medico finds only medico, backwards")
        << medico << "medico" << false << true << 1 << 7 << "medico";
    QTest::newRow("accents kept apart: MEDICO never finds Médico, forwards")
        << medico << "MEDICO" << false << false << 1 << 7 << "medico";
    QTest::newRow("accents kept apart: médico finds Médico")
        << medico << "médico" << false << false << 0 << 13 << "Médico";
    QTest::newRow("accents kept apart: Médico as written with the case kept")
        << medico << "Médico" << true << true << 0 << 13 << "Médico";

    QTest::newRow("letters that grow in upper case keep the note's positions")
        << QStringList{"Straße 5, Gießen"} << "gießen" << false << true << 0 << 11 << "Gießen";
    QTest::newRow("a stored line break of two characters, then the text")
        << QStringList{"uno\r\ndos\r\ntres cuatro"} << "cuatro" << false << true << 0 << 16
        << "cuatro";

    const QStringList gaps{kNull, "", "primera", kNoRow, "segunda", ""};
    QTest::newRow("empty text, forwards: the first day with a note, nothing selected")
        << gaps << "" << false << false << 2 << 1 << "";
    QTest::newRow("empty text, backwards: the latest day with a note, nothing selected")
        << gaps << "" << false << true << 4 << 1 << "";
    QTest::newRow("two occurrences in one note: the first one")
        << QStringList{"dentista y dentista"} << "dentista" << false << false << 0 << 1
        << "dentista";
}

void TestBuscar::matching()
{
    QFETCH(QStringList, notes);
    QFETCH(QString, text);
    QFETCH(bool, matchCase);
    QFETCH(bool, backwards);
    QFETCH(int, day);
    QFETCH(int, position);
    QFETCH(QString, selected);

    Search s(notes);
    s.buscar(text, backwards, matchCase);

    QCOMPARE(s.form->TextoBuscado(), matchCase ? text : NoteMatch::upperCase(text));
    if (day < 0) {
        QCOMPARE(s.shown(), kNotFound);
        QCOMPARE(s.caption(), QString());
        return;
    }
    QCOMPARE(s.currentDay(), day);
    QCOMPARE(s.caption(), captionOf(day));
    QCOMPARE(s.form->Posicion(), position);
    QCOMPARE(s.shown(), QString(notes[day]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QCOMPARE(s.selected(), selected);
    if (selected.isEmpty())
        QCOMPARE(s.selectionStart(), 0);
}

void TestBuscar::notFound_data()
{
    QTest::addColumn<bool>("backwards");

    QTest::newRow("backwards: the cursor left at bof") << true;
    QTest::newRow("forwards: the cursor left at eof") << false;
}

void TestBuscar::notFound()
{
    QFETCH(bool, backwards);

    Search s({"primera nota", "segunda nota", "tercera nota"});
    s.buscar(QStringLiteral("segunda"), backwards);
    QCOMPARE(s.caption(), captionOf(1)); // a caption for the miss to clear

    s.buscar(QStringLiteral("cuarta"), backwards);
    QCOMPARE(s.shown(), kNotFound);
    QCOMPARE(s.caption(), QString());
    QCOMPARE(s.point().atStart(), backwards);
    QCOMPARE(s.point().atEnd(), !backwards);
    QCOMPARE(s.currentDay(), -1);
}

void TestBuscar::steps_data()
{
    // Steps: "Buscar<" / "Buscar>" (with the text of txtBuscar), "Siguiente<" / "Siguiente>",
    // "text=..." (typing into txtBuscar), "case=on" / "case=off", "seek=N" (the user opens day
    // N: the point is placed on it), "read=N" (day N read, as the day editor and the alarm
    // read a day), "month" (the days of kFirst's month read, as the alarm reads them).
    // Results, one a step: the day shown, "NO" for CADENA NO ENCONTRADA, "FIN" for FIN DE
    // FICHERO, "" for a step that searches nothing.
    QTest::addColumn<QStringList>("notes");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("results");

    const QStringList three{"cena", "nada", "cena con Ana", "CENA"};
    QTest::newRow("backwards through every match, then FIN DE FICHERO twice")
        << three << QStringList{"text=cena",  "Buscar<",    "Siguiente<",
                                "Siguiente<", "Siguiente<", "Siguiente<"}
        << QStringList{"", "3", "2", "0", "FIN", "FIN"};
    QTest::newRow("forwards through every match, then FIN DE FICHERO twice")
        << three << QStringList{"text=cena",  "Buscar>",    "Siguiente>",
                                "Siguiente>", "Siguiente>", "Siguiente>"}
        << QStringList{"", "0", "2", "3", "FIN", "FIN"};
    QTest::newRow("direction changed between Buscar and Siguiente")
        << three << QStringList{"text=cena",  "Buscar<",    "Siguiente<",
                                "Siguiente>", "Siguiente>", "Siguiente<"}
        << QStringList{"", "3", "2", "3", "FIN", "3"};
    QTest::newRow("a changed search text waits for the next Buscar")
        << QStringList{"pan", "leche", "pan y leche"}
        << QStringList{"text=pan", "Buscar>", "text=leche", "Siguiente>", "Buscar>"}
        << QStringList{"", "0", "", "2", "1"};
    QTest::newRow("the case option is read at every step")
        << QStringList{"abc", "ABC", "abc"}
        << QStringList{"text=ABC", "Buscar<", "case=on", "Siguiente<", "Siguiente<"}
        << QStringList{"", "2", "", "1", "FIN"};
    QTest::newRow("two occurrences in one note, found once per day")
        << QStringList{"x y x", "x x x", "y"}
        << QStringList{"text=x", "Buscar>", "Siguiente>", "Siguiente>"}
        << QStringList{"", "0", "1", "FIN"};
    QTest::newRow("a day opened between two steps, backwards")
        << QStringList{"t", "t", "t", "t", "t"}
        << QStringList{"text=t", "Buscar<", "seek=2", "Siguiente<", "Siguiente<"}
        << QStringList{"", "4", "", "1", "0"};
    QTest::newRow("a day opened between two steps, forwards")
        << QStringList{"t", "t", "t", "t", "t"}
        << QStringList{"text=t", "Buscar>", "seek=3", "Siguiente>"}
        << QStringList{"", "0", "", "4"};
    QTest::newRow("a day without a row opened, forwards: its next day")
        << QStringList{"t", "t", kNoRow, "t", "t"}
        << QStringList{"text=t", "Buscar<", "seek=2", "Siguiente>"}
        << QStringList{"", "4", "", "3"};
    QTest::newRow("a day without a row opened, backwards: its day before")
        << QStringList{"t", "t", kNoRow, "t", "t"}
        << QStringList{"text=t", "Buscar>", "seek=2", "Siguiente<"}
        << QStringList{"", "0", "", "1"};
    QTest::newRow("a day and a month read between two steps, backwards: no move")
        << QStringList{"t", "t", "t", "t", "t"}
        << QStringList{"text=t", "Buscar<", "read=1", "month", "Siguiente<"}
        << QStringList{"", "4", "", "", "3"};
    QTest::newRow("a day and a month read between two steps, forwards: no move")
        << QStringList{"t", "t", "t", "t", "t"}
        << QStringList{"text=t", "Buscar>", "read=3", "month", "Siguiente>"}
        << QStringList{"", "0", "", "", "1"};
    QTest::newRow("after CADENA NO ENCONTRADA backwards, Siguiente ends at once")
        << three << QStringList{"text=zzz", "Buscar<", "Siguiente<", "text=cena", "Buscar>"}
        << QStringList{"", "NO", "FIN", "", "0"};
}

void TestBuscar::steps()
{
    QFETCH(QStringList, notes);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, results);
    QCOMPARE(steps.size(), results.size());

    Search s(notes);
    frmBuscar& f = *s.form;
    QString lastCaption;
    for (int i = 0; i < steps.size(); ++i) {
        const QString step = steps[i];
        const QString where = QStringLiteral("step %1: %2").arg(i).arg(step);
        if (step.startsWith(QLatin1String("text="))) {
            s.txtBuscar()->setText(step.mid(5));
        } else if (step.startsWith(QLatin1String("case="))) {
            s.SSCheckMm()->setChecked(step == QLatin1String("case=on"));
        } else if (step.startsWith(QLatin1String("seek="))) {
            s.point().placeAt(kFirst.addDays(step.mid(5).toInt()));
        } else if (step.startsWith(QLatin1String("read="))) {
            QVERIFY(s.t.store->days().find(kFirst.addDays(step.mid(5).toInt())));
        } else if (step == QLatin1String("month")) {
            QVERIFY(!s.t.store->days().between(QDate(1997, 5, 1), QDate(1997, 5, 31)).empty());
        } else {
            (step.endsWith(QLatin1Char('<')) ? s.SSOptionAtras() : s.SSOptionDelante())
                ->setChecked(true);
            QTest::mouseClick(step.startsWith(QLatin1String("Buscar")) ? s.cmdComenzar()
                                                                       : s.cmdSiguiente(),
                              Qt::LeftButton);
        }

        const QString expected = results[i];
        if (expected.isEmpty())
            continue;
        if (expected == QLatin1String("NO")) {
            QVERIFY2(s.shown() == kNotFound, qPrintable(where));
            QVERIFY2(s.caption().isEmpty(), qPrintable(where));
            lastCaption.clear();
        } else if (expected == QLatin1String("FIN")) {
            QVERIFY2(s.shown() == kEnd, qPrintable(where));
            QVERIFY2(s.caption() == lastCaption,
                     qPrintable(where + QStringLiteral(": ") + s.caption()));
        } else {
            const int day = expected.toInt();
            QVERIFY2(s.currentDay() == day,
                     qPrintable(where + QStringLiteral(": day %1").arg(s.currentDay())));
            QVERIFY2(s.caption() == captionOf(day), qPrintable(where));
            QVERIFY2(s.shown() == notes[day], qPrintable(where));
            QVERIFY2(s.selected().compare(f.TextoBuscado(), Qt::CaseInsensitive) == 0,
                     qPrintable(where + QStringLiteral(": ") + s.selected()));
            QVERIFY2(s.selectionStart() == f.Posicion() - 1, qPrintable(where));
            lastCaption = s.caption();
        }
    }
    QVERIFY(s.failures.isEmpty());
}

void TestBuscar::emptyTable_data()
{
    QTest::addColumn<bool>("backwards");

    QTest::newRow("backwards") << true;
    QTest::newRow("forwards") << false;
}

void TestBuscar::emptyTable()
{
    QFETCH(bool, backwards);

    Search s;
    s.SSFrameHallado()->setTitle(QStringLiteral("antes"));
    s.txtHallado()->setPlainText(QStringLiteral("antes"));
    s.buscar(QStringLiteral("algo"), backwards);
    QCOMPARE(s.caption(), QStringLiteral("antes"));
    QCOMPARE(s.shown(), QStringLiteral("antes"));
    QVERIFY(s.point().atStart());
    QVERIFY(s.point().atEnd());
}

void TestBuscar::selectionVisibleWithoutFocus()
{
    // A desktop whose unfocused selections are pale: the found text must not fade with them.
    const QPalette original = QApplication::palette();
    QPalette desktop = original;
    desktop.setColor(QPalette::Active, QPalette::Highlight, QColor(0, 0, 160));
    desktop.setColor(QPalette::Inactive, QPalette::Highlight, QColor(224, 224, 224));
    QApplication::setPalette(desktop);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });

    Search s({"comprar pan"});
    frmBuscar& f = *s.form;
    f.showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    s.buscar(QStringLiteral("pan"), true);
    s.txtBuscar()->setFocus();
    QTRY_VERIFY(s.txtBuscar()->hasFocus());
    QVERIFY(!s.txtHallado()->hasFocus());
    QCOMPARE(s.selected(), QStringLiteral("pan"));

    const QPalette palette = s.txtHallado()->palette();
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight), QColor(0, 0, 160));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::HighlightedText),
             palette.color(QPalette::Active, QPalette::HighlightedText));

    // Drawn as well: the marked text shows the strong highlight on the cyan box.
    const QImage image = s.txtHallado()->viewport()->grab().toImage();
    int marked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            marked += QColor(image.pixel(x, y)) == QColor(0, 0, 160);
    }
    QVERIFY2(marked > 20, qPrintable(QString::number(marked)));
}

void TestBuscar::cancelHidesAndMenuShows()
{
    Search s({"uno"});
    frmBuscar& f = *s.form;
    f.showAndRaise();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    s.buscar(QStringLiteral("uno"), true);
    QTest::mouseClick(s.cmdCancelar(), Qt::LeftButton);
    QVERIFY(!f.isVisible());
    f.showAndRaise();
    QVERIFY(f.isVisible());
    // Shown again as it was left.
    QCOMPARE(s.shown(), QStringLiteral("uno"));
    QCOMPARE(s.txtBuscar()->text(), QStringLiteral("uno"));
}

void TestBuscar::enterPresses_data()
{
    QTest::addColumn<QString>("focus"); // the control Enter is pressed on
    QTest::addColumn<QString>("shown"); // "hidden" when the window closed

    // Notes one a day from kFirst; the search goes back from the last.
    QTest::newRow("in the search box: Buscar") << "txtBuscar"
                                               << "dos cena";
    QTest::newRow("on the case option: Buscar") << "SSCheckMm"
                                                << "dos cena";
    QTest::newRow("on a direction: Buscar") << "SSOptionAtras"
                                            << "dos cena";
    QTest::newRow("on Siguiente: the next one") << "cmdSiguiente"
                                                << "una cena";
    QTest::newRow("on Cancelar: the window closes") << "cmdCancelar"
                                                    << "hidden";
}

void TestBuscar::enterPresses()
{
    QFETCH(QString, focus);
    QFETCH(QString, shown);

    Search s({"una cena", "nada", "dos cena"});
    frmBuscar& f = *s.form;
    f.showAndRaise();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    s.txtBuscar()->setText(QStringLiteral("cena"));
    if (focus == QLatin1String("cmdSiguiente"))
        s.cmdComenzar()->click(); // a search under way, continued by Enter
    auto* target = f.findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(f.isVisible() ? s.shown() : QStringLiteral("hidden"), shown);
}

void TestBuscar::everythingFits()
{
    Search s;
    // As the program draws it: in its own style.
    QApplication::setStyle(new MnemonicStyle);
    s.form->show();
    const QStringList faults = LayoutCheck().faults(s.form.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestBuscar)
#include "tst_buscar.moc"
