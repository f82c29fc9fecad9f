#include "listings/frmBuscar.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
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
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
        for (int i = 0; i < notes.size(); ++i) {
            if (notes[i] != kNoRow)
                addDay(kFirst.addDays(i), notes[i]);
        }
        store->rsCalendar.moveFirst();
        form = std::make_unique<frmBuscar>(store.get());
    }

    void addDay(const QDate& day, const QString& nota)
    {
        Statement insert = store->dbCalendar->prepare(QStringLiteral(
            "INSERT INTO calendar (fecha, nota, festivo, alarma, Color) VALUES (?1, ?2, 0, 0, 5)"));
        insert.bind(1, DatePattern::fromDate(day));
        insert.bind(2, nota == kNull ? QVariant() : QVariant(nota));
        insert.execute();
        store->dbCalendar->noteWrite();
    }

    void setOptions(bool backwards, bool matchCase)
    {
        (backwards ? form->SSOptionAtras : form->SSOptionDelante)->setChecked(true);
        form->SSCheckMm->setChecked(matchCase);
    }

    void buscar(const QString& text, bool backwards, bool matchCase = false)
    {
        form->txtBuscar->setText(text);
        setOptions(backwards, matchCase);
        QTest::mouseClick(form->cmdComenzar, Qt::LeftButton);
    }

    // The day rsCalendar stands on, as an offset from kFirst; -1 without a current row.
    int currentDay() const
    {
        const TableCursor& rs = store->rsCalendar;
        if (!rs.hasCurrent())
            return -1;
        const double fecha = rs.value(QStringLiteral("fecha")).toDouble();
        return int(kFirst.daysTo(DatePattern::toDate(fecha)));
    }

    QString caption() const { return form->SSFrameHallado->title(); }
    QString shown() const { return form->txtHallado->toPlainText(); }
    QString selected() const { return form->txtHallado->textCursor().selectedText(); }
    int selectionStart() const { return form->txtHallado->textCursor().selectionStart(); }

    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;
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
};

void TestBuscar::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips"); // relative to the frame the control sits in

    QTest::newRow("label") << "Label1"
                           << "Buscar:" << QRect(120, 60, 915, 255);
    QTest::newRow("search text") << "txtBuscar"
                                 << "" << QRect(60, 300, 1515, 315);
    QTest::newRow("case option") << "SSCheckMm"
                                 << "May./Min." << QRect(120, 660, 1455, 315);
    QTest::newRow("direction frame") << "Frame1"
                                     << "Buscar hacia..." << QRect(1740, 60, 1335, 975);
    QTest::newRow("backwards") << "SSOptionAtras"
                               << "Atras" << QRect(180, 300, 1035, 255);
    QTest::newRow("forwards") << "SSOptionDelante"
                              << "Delante" << QRect(180, 660, 1035, 195);
    QTest::newRow("search button") << "cmdComenzar"
                                   << "&Buscar" << QRect(3180, 60, 1035, 315);
    QTest::newRow("next button") << "cmdSiguiente"
                                 << "&Siguiente" << QRect(3180, 420, 1035, 315);
    QTest::newRow("cancel button") << "cmdCancelar"
                                   << "&Cancelar" << QRect(3180, 780, 1035, 315);
    QTest::newRow("found frame") << "SSFrameHallado"
                                 << "" << QRect(60, 1200, 4155, 855);
    QTest::newRow("found note") << "txtHallado"
                                << "" << QRect(60, 180, 4035, 615);
}

void TestBuscar::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    Search s;
    auto* widget = s.form->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
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
    QVERIFY(f.SSOptionAtras->isChecked());
    QVERIFY(!f.SSOptionDelante->isChecked());
    QVERIFY(!f.SSCheckMm->isChecked());
    QVERIFY(f.txtHallado->isReadOnly());
    QCOMPARE(f.txtHallado->palette().color(QPalette::Base), QColor(0, 255, 255));
    QCOMPARE(f.Line1->geometry(),
             QRect(Twips::toPixels(60), Twips::toPixels(1140), Twips::toPixels(4140), 1));

    // The tab order, read from the focus chain among the controls that take the focus.
    const QList<QWidget*> expected{f.txtBuscar,   f.cmdComenzar,   f.cmdSiguiente,
                                   f.cmdCancelar, f.SSOptionAtras, f.SSOptionDelante,
                                   f.txtHallado,  f.SSCheckMm};
    QList<QWidget*> chain;
    QWidget* w = f.txtBuscar;
    do {
        if (expected.contains(w))
            chain << w;
        w = w->nextInFocusChain();
    } while (w != f.txtBuscar && chain.size() < 20);
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

    const QString upper = frmBuscar::upperCase(text);
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

    QCOMPARE(s.form->TextoBuscado, matchCase ? text : frmBuscar::upperCase(text));
    if (day < 0) {
        QCOMPARE(s.shown(), kNotFound);
        QCOMPARE(s.caption(), QString());
        return;
    }
    QCOMPARE(s.currentDay(), day);
    QCOMPARE(s.caption(), captionOf(day));
    QCOMPARE(s.form->Posicion, position);
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
    QCOMPARE(s.store->rsCalendar.bof(), backwards);
    QCOMPARE(s.store->rsCalendar.eof(), !backwards);
    QCOMPARE(s.currentDay(), -1);
}

void TestBuscar::steps_data()
{
    // Steps: "Buscar<" / "Buscar>" (with the text of txtBuscar), "Siguiente<" / "Siguiente>",
    // "text=..." (typing into txtBuscar), "case=on" / "case=off", "seek=N" (a day lookup by
    // another window). Results, one a step: the day shown, "NO" for CADENA NO ENCONTRADA,
    // "FIN" for FIN DE FICHERO, "" for a step that searches nothing.
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
    QTest::newRow("a day lookup between two steps, backwards")
        << QStringList{"t", "t", "t", "t", "t"}
        << QStringList{"text=t", "Buscar<", "seek=2", "Siguiente<", "Siguiente<"}
        << QStringList{"", "4", "", "1", "0"};
    QTest::newRow("a day lookup between two steps, forwards")
        << QStringList{"t", "t", "t", "t", "t"}
        << QStringList{"text=t", "Buscar>", "seek=3", "Siguiente>"}
        << QStringList{"", "0", "", "4"};
    QTest::newRow("a lookup of a day without a row, forwards: its next day")
        << QStringList{"t", "t", kNoRow, "t", "t"}
        << QStringList{"text=t", "Buscar<", "seek=2", "Siguiente>"}
        << QStringList{"", "4", "", "3"};
    QTest::newRow("a lookup of a day without a row, backwards: its day before")
        << QStringList{"t", "t", kNoRow, "t", "t"}
        << QStringList{"text=t", "Buscar>", "seek=2", "Siguiente<"}
        << QStringList{"", "0", "", "1"};
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
            f.txtBuscar->setText(step.mid(5));
        } else if (step.startsWith(QLatin1String("case="))) {
            f.SSCheckMm->setChecked(step == QLatin1String("case=on"));
        } else if (step.startsWith(QLatin1String("seek="))) {
            s.store->rsCalendar.seek(DatePattern::fromDate(kFirst.addDays(step.mid(5).toInt())));
        } else {
            (step.endsWith(QLatin1Char('<')) ? f.SSOptionAtras : f.SSOptionDelante)
                ->setChecked(true);
            QTest::mouseClick(step.startsWith(QLatin1String("Buscar")) ? f.cmdComenzar
                                                                       : f.cmdSiguiente,
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
            QVERIFY2(s.selected().compare(f.TextoBuscado, Qt::CaseInsensitive) == 0,
                     qPrintable(where + QStringLiteral(": ") + s.selected()));
            QVERIFY2(s.selectionStart() == f.Posicion - 1, qPrintable(where));
            lastCaption = s.caption();
        }
    }
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
    s.form->SSFrameHallado->setTitle(QStringLiteral("antes"));
    s.form->txtHallado->setPlainText(QStringLiteral("antes"));
    s.buscar(QStringLiteral("algo"), backwards);
    QCOMPARE(s.caption(), QStringLiteral("antes"));
    QCOMPARE(s.shown(), QStringLiteral("antes"));
    QVERIFY(s.store->rsCalendar.bof());
    QVERIFY(s.store->rsCalendar.eof());
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
    f.txtBuscar->setFocus();
    QTRY_VERIFY(f.txtBuscar->hasFocus());
    QVERIFY(!f.txtHallado->hasFocus());
    QCOMPARE(s.selected(), QStringLiteral("pan"));

    const QPalette palette = f.txtHallado->palette();
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight), QColor(0, 0, 160));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::HighlightedText),
             palette.color(QPalette::Active, QPalette::HighlightedText));

    // Drawn as well: the marked text shows the strong highlight on the cyan box.
    const QImage image = f.txtHallado->viewport()->grab().toImage();
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
    QTest::mouseClick(f.cmdCancelar, Qt::LeftButton);
    QVERIFY(!f.isVisible());
    f.showAndRaise();
    QVERIFY(f.isVisible());
    // Shown again as it was left.
    QCOMPARE(s.shown(), QStringLiteral("uno"));
    QCOMPARE(f.txtBuscar->text(), QStringLiteral("uno"));
}

QTEST_MAIN(TestBuscar)
#include "tst_buscar.moc"
