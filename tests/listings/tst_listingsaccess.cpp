#include "Controls.h"
#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "FakePrinter.h"
#include "Spoken.h"
#include "TestStore.h"
#include "listings/NotesPanel.h"
#include "listings/frmBuscar.h"
#include "listings/frmSeleccion.h"
#include "store/domain/ListingRequest.h"
#include "store/domain/StoreGuard.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

// The listings from the keyboard and aloud: Escape closes "Seleccionar..." and "Buscar..." as
// their close buttons do, and the notes grid, its rows and the dialogs' boxes say what they are.

namespace {

const QDate kToday(1997, 3, 5);

// The two dialogs and the notes panel over a store of their own with a few days.
struct Listings
{
    Listings()
        : guard([this](const StoreError& e, const QString&) { failures << e.message(); }),
          clock(QDateTime(kToday, QTime(9, 7))), panel(*t.store, guard, &client),
          seleccion(panel, t.store->searchPoint(), printer, boxes, clock, guard),
          buscar(t.store->searchPoint(), guard)
    {
        t.addNote(QDate(1997, 3, 5), QStringLiteral("Reunión de equipo"));
        t.addDay(QDate(1997, 3, 19), {.nota = QString(), .festivo = 1});
        t.addDay(QDate(1997, 5, 2), {.nota = QVariant()});
        t.store->searchPoint().toFirst();
    }

    QWidget* dialog(const QString& name)
    {
        return name == QLatin1String("Seleccionar") ? static_cast<QWidget*>(&seleccion)
                                                    : static_cast<QWidget*>(&buscar);
    }
    void open(const QString& name)
    {
        if (name == QLatin1String("Seleccionar"))
            seleccion.mSeleccion_Click();
        else
            buscar.showAndRaise();
    }

    TestStore t;
    QStringList failures;
    StoreGuard guard;
    FakeClock clock;
    FakeMessageBoxes boxes;
    FakePrinter printer;
    QWidget client;
    NotesPanel panel;
    frmSeleccion seleccion;
    frmBuscar buscar;
};

} // namespace

class TestListingsAccess : public QObject
{
    Q_OBJECT

private slots:
    void escapeCloses_data();
    void escapeCloses();
    void spokenGridRows_data();
    void spokenGridRows();
    void spokenBoxes_data();
    void spokenBoxes();
};

void TestListingsAccess::escapeCloses_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("control"); // focused when Escape is pressed
    QTest::addColumn<QString>("typed");   // into it first, when it is a line box

    for (const char* control :
         {"MaskDesde", "txtNota", "cmdPantalla", "OptionVerde", "CheckFestivo", "Command1"})
        QTest::addRow("Seleccionar, from %s", control)
            << "Seleccionar" << QString::fromLatin1(control) << QString();
    QTest::newRow("Seleccionar, a wrong date in Desde: closed without a word") << "Seleccionar"
                                                                               << "MaskDesde"
                                                                               << "32/13/1997";
    QTest::newRow("Seleccionar, a word being typed") << "Seleccionar"
                                                     << "txtNota"
                                                     << "Reun";
    for (const char* control :
         {"txtBuscar", "SSCheckMm", "SSOptionAtras", "cmdComenzar", "cmdCancelar", "txtHallado"})
        QTest::addRow("Buscar, from %s", control)
            << "Buscar" << QString::fromLatin1(control) << QString();
    QTest::newRow("Buscar, a text being typed") << "Buscar"
                                                << "txtBuscar"
                                                << "equipo";
}

void TestListingsAccess::escapeCloses()
{
    QFETCH(QString, dialog);
    QFETCH(QString, control);
    QFETCH(QString, typed);

    Listings l;
    QWidget* window = l.dialog(dialog);
    l.open(dialog);
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget* target = child<QWidget>(window, control.toUtf8().constData());
    target->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(target->hasFocus());
    if (auto* box = qobject_cast<QLineEdit*>(target); box && !typed.isEmpty()) {
        box->selectAll();
        QTest::keyClicks(box, typed);
    }
    const int listed = l.panel.recordCount();

    QTest::keyClick(target, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QTest::qWait(20); // a deferred check of a date box would speak now
    QVERIFY2(l.boxes.calls().isEmpty(), qPrintable(l.boxes.calls().value(0).prompt));
    QCOMPARE(l.panel.recordCount(), listed); // nothing listed
    QCOMPARE(l.printer.lines.size(), 0);
    QVERIFY(l.failures.isEmpty());

    // Opened again, it is as it was left.
    l.open(dialog);
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (auto* box = qobject_cast<QLineEdit*>(target); box && !typed.isEmpty())
        QVERIFY2(box->displayText().startsWith(typed.left(2)), qPrintable(box->displayText()));
    window->hide();
}

void TestListingsAccess::spokenGridRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("shown"); // the date as the grid shows it

    QTest::newRow("a day with its note") << 0 << "miércoles 5 de marzo de 1997"
                                         << "Reunión de equipo"
                                         << "05/03/97";
    QTest::newRow("an empty note") << 1 << "miércoles 19 de marzo de 1997"
                                   << "sin nota"
                                   << "19/03/97";
    QTest::newRow("a note never written") << 2 << "viernes 2 de mayo de 1997"
                                          << "sin nota"
                                          << "02/05/97";
}

void TestListingsAccess::spokenGridRows()
{
    QFETCH(int, row);
    QFETCH(QString, date);
    QFETCH(QString, note);
    QFETCH(QString, shown);

    Listings l;
    // Every stored day, with a note or not.
    SelectionCriteria everyDay;
    everyDay.desde = qint64(DatePattern::fromDate(QDate(100, 1, 1)));
    everyDay.hasta = qint64(DatePattern::fromDate(QDate(9999, 12, 31)));
    QVERIFY(l.panel.MostrarListado(ListingRequest::selection(everyDay), QStringLiteral(" días")));
    QCOMPARE(l.panel.recordCount(), 3);
    auto* table = child<QTableView>(&l.panel, "table");
    const QAbstractItemModel& model = *table->model();
    QCOMPARE(model.data(model.index(row, 0), Qt::AccessibleTextRole).toString(), date);
    QCOMPARE(model.data(model.index(row, 1), Qt::AccessibleTextRole).toString(), note);

    // As a screen reader meets them: the grid by its name, each cell by its spoken text.
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(table);
    QVERIFY(grid);
    QCOMPARE(grid->text(QAccessible::Name), QStringLiteral("Lista de notas"));
    QAccessibleTableInterface* cells = grid->tableInterface();
    QVERIFY(cells);
    QCOMPARE(cells->rowCount(), 3);
    QCOMPARE(cells->cellAt(row, 0)->text(QAccessible::Name), date);
    QCOMPARE(cells->cellAt(row, 1)->text(QAccessible::Name), note);
    // What the grid shows stays as it was.
    QCOMPARE(model.data(model.index(row, 0), Qt::DisplayRole).toString(), shown);
}

void TestListingsAccess::spokenBoxes_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");

    QTest::newRow("Seleccionar: the first day") << "Seleccionar"
                                                << "MaskDesde"
                                                << "Desde"
                                                << "Primer día, dd/mm/aaaa";
    QTest::newRow("Seleccionar: the last day") << "Seleccionar"
                                               << "MaskHasta"
                                               << "Hasta"
                                               << "Último día, dd/mm/aaaa";
    QTest::newRow("Seleccionar: the word") << "Seleccionar"
                                           << "txtNota"
                                           << "Palabra en nota"
                                           << "";
    QTest::newRow("Buscar: the text sought") << "Buscar"
                                             << "txtBuscar"
                                             << "Texto que se busca"
                                             << "";
    QTest::newRow("Buscar: the day found") << "Buscar"
                                           << "SSFrameHallado"
                                           << "Día hallado"
                                           << "";
    QTest::newRow("Buscar: the note found") << "Buscar"
                                            << "txtHallado"
                                            << "Nota hallada"
                                            << "";
}

void TestListingsAccess::spokenBoxes()
{
    QFETCH(QString, dialog);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);

    Listings l;
    QWidget* w = child<QWidget>(l.dialog(dialog), control.toUtf8().constData());
    QCOMPARE(spoken(w), name);
    if (!description.isEmpty())
        QCOMPARE(spoken(w, QAccessible::Description), description);
}

QTEST_MAIN(TestListingsAccess)
#include "tst_listingsaccess.moc"
