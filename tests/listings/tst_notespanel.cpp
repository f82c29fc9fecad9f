#include "Controls.h"
#include "TestStore.h"
#include "listings/ListingModel.h"
#include "listings/NotesGrid.h"
#include "listings/NotesPanel.h"
#include "listings/frmBuscar.h"
#include "store/domain/StoreGuard.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QDate kFirst(1997, 3, 5);

// A notes panel on a bare client area, over a store of its own.
struct Panel
{
    Panel()
        : guard([this](const StoreError& e, const QString&) { failures << e.message(); }),
          panel(*t.store, guard, &client)
    {
    }

    // Days from kFirst on, one a day, noted "nota 0", "nota 1", ...
    void addNotedDays(int count)
    {
        for (int i = 0; i < count; ++i)
            t.addNote(kFirst.addDays(i), QStringLiteral("nota %1").arg(i));
    }

    QLabel* caption() const { return child<QLabel>(&panel, "caption"); }
    NotesGrid* table() const { return child<NotesGrid>(&panel, "table"); }
    ListingModel* model() const { return qobject_cast<ListingModel*>(table()->model()); }
    QModelIndex nota(int row) const { return model()->index(row, 1); }
    DayBook& days() const { return t.store->days(); }

    void showClient()
    {
        client.resize(600, 400);
        client.show();
        QVERIFY(QTest::qWaitForWindowExposed(&client));
    }

    // Opens the cell editor of a row's note and types into it, the way the user does.
    QLineEdit* typeInto(int row, const QString& keys, bool replace = true)
    {
        table()->setCurrentIndex(nota(row));
        table()->edit(nota(row));
        auto* editor = table()->findChild<QLineEdit*>();
        if (editor) {
            if (replace)
                editor->selectAll();
            QTest::keyClicks(editor, keys);
        }
        return editor;
    }

    TestStore t;
    QStringList failures;
    StoreGuard guard;
    QWidget client;
    NotesPanel panel;
};

} // namespace

class TestNotesPanel : public QObject
{
    Q_OBJECT

private slots:
    void listsEveryNote_data();
    void listsEveryNote();
    void columns();
    void writesEditWhen_data();
    void writesEditWhen();
    void writesOpenEditor();
    void longStoredNote_data();
    void longStoredNote();
};

void TestNotesPanel::listsEveryNote_data()
{
    QTest::addColumn<int>("notedDays");
    QTest::addColumn<bool>("emptyDay"); // a row kept with an empty note
    QTest::addColumn<QString>("caption");

    QTest::newRow("no notes") << 0 << false << "0 Notas halladas";
    QTest::newRow("twelve noted days") << 12 << false << "12 Notas halladas";
    QTest::newRow("a day with an empty note is left out") << 12 << true << "12 Notas halladas";
}

void TestNotesPanel::listsEveryNote()
{
    QFETCH(int, notedDays);
    QFETCH(bool, emptyDay);
    QFETCH(QString, caption);

    Panel p;
    p.addNotedDays(notedDays);
    if (emptyDay)
        p.t.addNote(QDate(1996, 1, 1), QStringLiteral(""));
    QSignalSpy shown(&p.panel, &NotesPanel::shown);
    p.panel.mVerNotas_Click();

    QCOMPARE(shown.size(), 1);
    QCOMPARE(p.caption()->text(), caption);
    QCOMPARE(p.model()->rowCount(), notedDays);
    QCOMPARE(p.panel.recordCount(), notedDays);
    for (int row = 0; row < notedDays; ++row)
        QCOMPARE(p.model()->data(p.nota(row), Qt::DisplayRole).toString(),
                 QStringLiteral("nota %1").arg(row));
    QVERIFY(p.failures.isEmpty());
}

void TestNotesPanel::columns()
{
    Panel p;
    p.addNotedDays(1);
    p.panel.mVerNotas_Click();
    const ListingModel& m = *p.model();

    QCOMPARE(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Fecha"));
    QCOMPARE(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Nota"));
    QCOMPARE(m.data(m.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("05/03/97"));
    QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);

    // An edit longer than a note can be is cut to its length.
    QVERIFY(p.model()->setData(p.nota(0), QString(300, QLatin1Char('n')), Qt::EditRole));
    p.panel.commitPendingEdit();
    QCOMPARE(p.t.storedNote(kFirst), QString(255, QLatin1Char('n')));
}

void TestNotesPanel::writesEditWhen_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("hides");
    QTest::addColumn<bool>("byThePanel"); // the grid itself let go of the edit

    QTest::newRow("the current row moves to another row") << "move" << false << true;
    QTest::newRow("the pending edit is committed, as Salir does") << "commit" << false << true;
    QTest::newRow("a new listing runs") << "listing" << false << true;
    QTest::newRow("the panel is hidden") << "hide" << true << true;
    QTest::newRow("the day is read, as the day editor does") << "find" << false << false;
    QTest::newRow("its month is read, as the alarm does") << "between" << false << false;
    QTest::newRow("a search reaches the day") << "search" << false << false;
}

void TestNotesPanel::writesEditWhen()
{
    QFETCH(QString, action);
    QFETCH(bool, hides);
    QFETCH(bool, byThePanel);

    Panel p;
    p.addNotedDays(3);
    p.showClient();
    p.panel.mVerNotas_Click();
    QVERIFY(p.typeInto(0, QStringLiteral("cambiada")));
    p.table()->setCurrentIndex(p.nota(0).siblingAtColumn(0)); // same row, other column
    QCOMPARE(p.t.storedNote(kFirst), QStringLiteral("nota 0"));
    QCOMPARE(p.model()->data(p.nota(0), Qt::DisplayRole).toString(), QStringLiteral("cambiada"));

    QSignalSpy hidden(&p.panel, &NotesPanel::hidden);
    if (action == QLatin1String("move")) {
        p.table()->setCurrentIndex(p.nota(2));
    } else if (action == QLatin1String("commit")) {
        p.panel.commitPendingEdit();
    } else if (action == QLatin1String("listing")) {
        p.panel.MostrarListado(ListingRequest::period(kFirst.addDays(1), QDate(9999, 12, 31)),
                               QStringLiteral(" Notas halladas"));
    } else if (action == QLatin1String("hide")) {
        p.panel.mOcultarNotas_Click();
    } else if (action == QLatin1String("find")) {
        const std::optional<Day> day = p.days().find(kFirst);
        QVERIFY(day);
        QCOMPARE(day->note, QStringLiteral("cambiada"));
    } else if (action == QLatin1String("between")) {
        const std::vector<Day> month = p.days().between(QDate(1997, 3, 1), QDate(1997, 3, 31));
        QCOMPARE(month.size(), std::size_t(3));
        QCOMPARE(month.front().note, QStringLiteral("cambiada"));
    } else {
        frmBuscar search(p.t.store->searchPoint(), p.guard);
        child<QLineEdit>(&search, "txtBuscar")->setText(QStringLiteral("cambiada"));
        child<QPushButton>(&search, "cmdComenzar")->click();
        QCOMPARE(child<QGroupBox>(&search, "SSFrameHallado")->title(),
                 DatePattern::format(DatePattern::fromDate(kFirst),
                                     QStringLiteral("ddd, dd/mmmm/yyyy")));
        QCOMPARE(child<QPlainTextEdit>(&search, "txtHallado")->toPlainText(),
                 QStringLiteral("cambiada"));
    }

    QCOMPARE(p.t.storedNote(kFirst), QStringLiteral("cambiada"));
    QCOMPARE(p.t.storedNote(kFirst.addDays(1)), QStringLiteral("nota 1"));
    QVERIFY(!p.model()->hasPendingEdit()); // written, and held nowhere else
    if (byThePanel)
        QVERIFY(!p.model()->hasPendingEdit());
    QCOMPARE(hidden.size(), hides ? 1 : 0);

    // Leaving the row afterwards writes nothing new.
    const int changes = p.t.changes();
    p.table()->setCurrentIndex(p.nota(1));
    QCOMPARE(p.t.storedNote(kFirst), QStringLiteral("cambiada"));
    QCOMPARE(p.t.changes(), changes);
    QVERIFY(p.failures.isEmpty());
}

void TestNotesPanel::writesOpenEditor()
{
    Panel p;
    p.addNotedDays(2);
    p.showClient();
    p.panel.mVerNotas_Click();

    QVERIFY(p.typeInto(1, QStringLiteral("escrita sin Intro")));
    QCOMPARE(p.t.storedNote(kFirst.addDays(1)), QStringLiteral("nota 1"));

    p.panel.commitPendingEdit();
    QCOMPARE(p.t.storedNote(kFirst.addDays(1)), QStringLiteral("escrita sin Intro"));
    QCOMPARE(p.model()->data(p.nota(1), Qt::DisplayRole).toString(),
             QStringLiteral("escrita sin Intro"));
}

void TestNotesPanel::longStoredNote_data()
{
    QTest::addColumn<QString>("keys"); // typed at the end of the note; "" opens and leaves
    QTest::addColumn<bool>("replace"); // the whole note selected first
    QTest::addColumn<QString>("stored");

    const QString whole = QString(299, QLatin1Char('l')) + QLatin1Char('z');
    QTest::newRow("opened and left without a change: kept whole") << "" << false << whole;
    QTest::newRow("typing beyond its length: refused, kept whole") << "mas" << false << whole;
    QTest::newRow("its last character replaced: the edit written")
        << "\bY" << false << QString(299, QLatin1Char('l')) + QLatin1Char('Y');
    QTest::newRow("replaced by a short note: the edit written") << "corta" << true << "corta";
}

void TestNotesPanel::longStoredNote()
{
    QFETCH(QString, keys);
    QFETCH(bool, replace);
    QFETCH(QString, stored);

    // A note longer than the program lets the user type, written by another program.
    Panel p;
    const QString whole = QString(299, QLatin1Char('l')) + QLatin1Char('z');
    p.t.addNote(kFirst, whole);
    p.t.addNote(kFirst.addDays(1), QStringLiteral("corta"));
    p.showClient();
    p.panel.mVerNotas_Click();

    QLineEdit* editor = p.typeInto(0, QString(), replace);
    QVERIFY(editor);
    QCOMPARE(editor->text(), whole);
    if (!replace)
        editor->end(false);
    for (const QChar key : keys) {
        if (key == QLatin1Char('\b'))
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
            QTest::keyClicks(editor, QString(key));
    }
    p.table()->setCurrentIndex(p.nota(1));

    QCOMPARE(p.t.storedNote(kFirst), stored);
    QCOMPARE(p.model()->data(p.nota(0), Qt::DisplayRole).toString(), stored);
    QCOMPARE(p.t.storedNote(kFirst.addDays(1)), QStringLiteral("corta"));
    QVERIFY(p.failures.isEmpty());
}

QTEST_MAIN(TestNotesPanel)
#include "tst_notespanel.moc"
