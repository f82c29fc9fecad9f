#include "listings/ListingModel.h"
#include "listings/NotesGrid.h"
#include "listings/NotesPanel.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDate kFirst(1997, 3, 5);

// A notes panel on a bare client area, over a store of its own.
struct Panel
{
    Panel() : panel(&client)
    {
        Database::create(CalendarStore::pathIn(dir.path()));
        store = CalendarStore::open(dir.path());
        panel.setStore(store.get());
    }

    // Days from kFirst on, one a day, noted "nota 0", "nota 1", ...
    void addNotedDays(int count)
    {
        for (int i = 0; i < count; ++i)
            addDay(kFirst.addDays(i), QStringLiteral("nota %1").arg(i));
    }

    void addDay(const QDate& day, const QString& nota)
    {
        store->dbCalendar->execute(
            QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, "
                           "Color) VALUES (%1, '%2', 0, 0, 5)")
                .arg(DatePattern::fromDate(day))
                .arg(nota));
        store->dbCalendar->noteWrite();
    }

    QString storedNote(const QDate& day) const
    {
        Listing l = Listing::run(*store->dbCalendar,
                                 QStringLiteral("SELECT nota FROM calendar WHERE fecha = %1")
                                     .arg(DatePattern::fromDate(day)));
        return l.recordCount() == 1 ? l.at(0, 0).toString() : QStringLiteral("<no row>");
    }

    QModelIndex nota(int row) const { return panel.model->index(row, 1); }

    QTemporaryDir dir;
    std::unique_ptr<CalendarStore> store;
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
        p.addDay(QDate(1996, 1, 1), QStringLiteral(""));
    QSignalSpy shown(&p.panel, &NotesPanel::shown);
    p.panel.mVerNotas_Click();

    QCOMPARE(shown.size(), 1);
    QCOMPARE(p.panel.caption->text(), caption);
    QCOMPARE(p.panel.model->rowCount(), notedDays);
    QCOMPARE(p.panel.recordCount(), notedDays);
    for (int row = 0; row < notedDays; ++row)
        QCOMPARE(p.panel.model->data(p.nota(row), Qt::DisplayRole).toString(),
                 QStringLiteral("nota %1").arg(row));
}

void TestNotesPanel::columns()
{
    Panel p;
    p.addNotedDays(1);
    p.panel.mVerNotas_Click();
    const ListingModel& m = *p.panel.model;

    QCOMPARE(m.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Fecha"));
    QCOMPARE(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Nota"));
    QCOMPARE(m.data(m.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("05/03/97"));
    QVERIFY(!(m.flags(m.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);

    // An edit longer than a note can be is cut to its length.
    QVERIFY(p.panel.model->setData(p.nota(0), QString(300, QLatin1Char('n')), Qt::EditRole));
    p.panel.commitPendingEdit();
    QCOMPARE(p.storedNote(kFirst), QString(255, QLatin1Char('n')));
}

void TestNotesPanel::writesEditWhen_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("hides");

    QTest::newRow("the current row moves to another row") << "move" << false;
    QTest::newRow("the pending edit is committed, as Salir does") << "commit" << false;
    QTest::newRow("a new listing runs") << "listing" << false;
    QTest::newRow("the panel is hidden") << "hide" << true;
}

void TestNotesPanel::writesEditWhen()
{
    QFETCH(QString, action);
    QFETCH(bool, hides);

    Panel p;
    p.addNotedDays(3);
    p.panel.mVerNotas_Click();
    p.panel.table->setCurrentIndex(p.nota(0));
    QVERIFY(p.panel.model->setData(p.nota(0), QStringLiteral("cambiada"), Qt::EditRole));
    p.panel.table->setCurrentIndex(p.nota(0).siblingAtColumn(0)); // same row, other column
    QCOMPARE(p.storedNote(kFirst), QStringLiteral("nota 0"));
    QCOMPARE(p.panel.model->data(p.nota(0), Qt::DisplayRole).toString(),
             QStringLiteral("cambiada"));

    QSignalSpy hidden(&p.panel, &NotesPanel::hidden);
    if (action == QLatin1String("move"))
        p.panel.table->setCurrentIndex(p.nota(2));
    else if (action == QLatin1String("commit"))
        p.panel.commitPendingEdit();
    else if (action == QLatin1String("listing"))
        p.panel.MostrarListado(
            QStringLiteral("select fecha, nota from calendar where len(nota) > 0 and fecha > %1 "
                           "order by fecha")
                .arg(DatePattern::fromDate(kFirst)),
            QStringLiteral(" Notas halladas"));
    else
        p.panel.mOcultarNotas_Click();

    QCOMPARE(p.storedNote(kFirst), QStringLiteral("cambiada"));
    QCOMPARE(p.storedNote(kFirst.addDays(1)), QStringLiteral("nota 1"));
    QVERIFY(!p.panel.model->hasPendingEdit());
    QCOMPARE(hidden.size(), hides ? 1 : 0);
}

void TestNotesPanel::writesOpenEditor()
{
    Panel p;
    p.addNotedDays(2);
    p.client.resize(600, 400);
    p.client.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.client));
    p.panel.mVerNotas_Click();

    NotesGrid* table = p.panel.table;
    table->setCurrentIndex(p.nota(1));
    table->edit(p.nota(1));
    auto* editor = table->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("escrita sin Intro"));
    QCOMPARE(p.storedNote(kFirst.addDays(1)), QStringLiteral("nota 1"));

    p.panel.commitPendingEdit();
    QCOMPARE(p.storedNote(kFirst.addDays(1)), QStringLiteral("escrita sin Intro"));
    QCOMPARE(p.panel.model->data(p.nota(1), Qt::DisplayRole).toString(),
             QStringLiteral("escrita sin Intro"));
}

QTEST_MAIN(TestNotesPanel)
#include "tst_notespanel.moc"
