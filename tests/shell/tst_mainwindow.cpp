#include "FakeClock.h"
#include "FakeMessageBoxes.h"
#include "TestSeams.h"
#include "listings/ListingModel.h"
#include "listings/NotesPanel.h"
#include "month/DayButton.h"
#include "month/DayEditor.h"
#include "month/MonthView.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate kMarch5(1997, 3, 5); // March 1997 starts on Saturday: six rows

int indexOf(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).dayOfWeek() - 1 + day.day() - 1;
}

// The main window started on a store of its own, with the test's seams.
struct Window
{
    explicit Window(const QDate& today = kMarch5)
    {
        clock.set(QDateTime(today, QTime(9, 7)));
        Database::create(CalendarStore::pathIn(dir.path()));
        window = std::make_unique<frmCalendar>(doubles.seams(), dir.path());
    }

    CalendarStore& store() const { return *window->store(); }
    NotesPanel& notes() const { return *window->notesPanel(); }

    void addDay(const QDate& day, const QString& nota)
    {
        store().dbCalendar->execute(
            QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, "
                           "Color) VALUES (%1, '%2', 0, 0, 5)")
                .arg(DatePattern::fromDate(day))
                .arg(nota));
        store().dbCalendar->noteWrite();
    }

    QString storedNote(const QDate& day) const
    {
        Listing l = Listing::run(*store().dbCalendar,
                                 QStringLiteral("SELECT nota FROM calendar WHERE fecha = %1")
                                     .arg(DatePattern::fromDate(day)));
        return l.recordCount() == 1 ? l.at(0, 0).toString() : QStringLiteral("<no row>");
    }

    QStringList listedNotes() const
    {
        QStringList notes;
        const ListingModel& m = *window->notesPanel()->model;
        for (int row = 0; row < m.rowCount(); ++row)
            notes << m.data(m.index(row, 1), Qt::DisplayRole).toString();
        return notes;
    }

    bool visible(const char* item) const { return window->menuItem(item)->isVisible(); }

    QTemporaryDir dir;
    TestSeams doubles;
    FakeMessageBoxes& boxes = doubles.boxes;
    FakeClock& clock = doubles.clock;
    std::unique_ptr<frmCalendar> window;
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
};

void TestMainWindow::startUp_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");

    QTest::newRow("a month of six rows") << kMarch5 << 4000 << "marzo"
                                         << "1997";
    QTest::newRow("a month of five rows") << QDate(1997, 9, 17) << 3550 << "septiembre"
                                          << "1997";
}

void TestMainWindow::startUp()
{
    QFETCH(QDate, today);
    QFETCH(int, height);
    QFETCH(QString, month);
    QFETCH(QString, year);

    Window w(today);
    QVERIFY(w.window->Form_Load());
    frmCalendar& f = *w.window;
    QCOMPARE(f.outerWidth(), 3555);
    QCOMPARE(f.outerHeight(), height);
    QCOMPARE(f.windowTitle(), QStringLiteral("Calendario"));
    QVERIFY(w.visible("mVerNotas"));
    QVERIFY(!w.visible("mOcultarNotas"));
    QVERIFY(!w.visible("mAbrirNotitas"));
    QVERIFY(w.visible("mCerrarNotitas"));
    QCOMPARE(f.menu("mMesactual")->title(), month);
    QCOMPARE(f.menu("manyoactual")->title(), year);
    QCOMPARE(f.menuItem("mCortar")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
    QCOMPARE(f.menuItem("mCopiar")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    QCOMPARE(f.menuItem("mPegar")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    QVERIFY(w.boxes.calls().isEmpty());
}

void TestMainWindow::showAndHideNotes()
{
    Window w;
    QVERIFY(w.window->Form_Load());
    w.addDay(kMarch5, QStringLiteral("uno"));
    w.addDay(kMarch5.addDays(1), QStringLiteral("dos"));

    w.window->mVerNotas_Click();
    QCOMPARE(w.window->outerWidth(), 7500);
    QVERIFY(!w.visible("mVerNotas"));
    QVERIFY(w.visible("mOcultarNotas"));
    QCOMPARE(w.listedNotes(), (QStringList{"uno", "dos"}));

    w.window->mOcultarNotas_Click();
    QCOMPARE(w.window->outerWidth(), 3555);
    QVERIFY(w.visible("mVerNotas"));
    QVERIFY(!w.visible("mOcultarNotas"));
    QCOMPARE(w.listedNotes(), (QStringList{"uno", "dos"}));
    QCOMPARE(w.notes().caption->text(), QStringLiteral("2 Notas halladas"));
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
    QVERIFY(w.window->Form_Load());
    w.addDay(QDate(1997, 4, 10), QStringLiteral("abril"));
    w.addDay(QDate(1997, 3, 1), QStringLiteral("marzo"));
    if (monthListing) {
        w.notes().MostrarListado(
            QStringLiteral("select fecha, nota from calendar where len(nota) > 0 and fecha >= %1 "
                           "and fecha < %2 order by fecha")
                .arg(DatePattern::fromDate(QDate(1997, 3, 1)))
                .arg(DatePattern::fromDate(QDate(1997, 4, 1))),
            QStringLiteral(" Notas de marzo"));
        QCOMPARE(w.listedNotes(), QStringList{"marzo"});
    }

    DayEditor& editor = *w.window->dayEditor();
    w.window->monthView()->SScmdDia(indexOf(kMarch5))->click();
    QCOMPARE(w.window->outerHeight(), DayEditor::kOpenHeight);
    editor.txtNota1->setPlainText(QStringLiteral("cena"));
    editor.SSOptionVerde13->setChecked(true);
    QVERIFY(editor.SSCmdAplicar_Click());

    QCOMPARE(w.window->outerWidth(), 7500);
    QCOMPARE(w.window->outerHeight(), 4000);
    QVERIFY(w.visible("mOcultarNotas"));
    QCOMPARE(w.notes().caption->text(), QStringLiteral("3 Notas halladas"));
    QCOMPARE(w.listedNotes(), (QStringList{"marzo", "cena", "abril"}));
    QCOMPARE(w.window->monthView()->SScmdDia(indexOf(kMarch5))->picture(), 15); // Verde, note
}

void TestMainWindow::salirWritesGridEdit()
{
    Window w;
    QVERIFY(w.window->Form_Load());
    w.addDay(kMarch5, QStringLiteral("antes"));
    w.window->mVerNotas_Click();
    ListingModel& m = *w.notes().model;
    QVERIFY(m.setData(m.index(0, 1), QStringLiteral("después"), Qt::EditRole));
    QCOMPARE(w.storedNote(kMarch5), QStringLiteral("antes"));

    w.window->mSalir_Click();
    QCOMPARE(w.storedNote(kMarch5), QStringLiteral("después"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
