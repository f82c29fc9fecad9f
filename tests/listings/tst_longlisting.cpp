#include "Controls.h"
#include "TestStore.h"
#include "listings/NotesGrid.h"
#include "listings/NotesPanel.h"
#include "store/domain/ListingRequest.h"
#include "store/domain/StoreGuard.h"
#include "store/listings/NoteListing.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

namespace {

const QDate kFirst(1800, 1, 1);
constexpr int kDays = 100000;

// A notes panel over 100k noted days; only what is on screen is read.
struct LongPanel
{
    LongPanel()
        : guard([this](const StoreError& e, const QString&) { failures << e.message(); }),
          panel(*t.store, guard, &client)
    {
        t.db().execute(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO calendar (fecha, nota, festivo, alarma, Color) "
                "SELECT %2 + i, 'nota ' || i, 0, 0, 5 FROM n")
                .arg(kDays - 1)
                .arg(DatePattern::fromDate(kFirst)));
        t.db().noteWrite();
        client.resize(600, 400);
        panel.resize(panel.width(), 380);
    }

    // "Ver notas", or a selection of every day, which counts its days and gathers them after.
    void list(const QString& which)
    {
        if (which == QLatin1String("Ver notas")) {
            panel.mVerNotas_Click();
            return;
        }
        SelectionCriteria every;
        every.desde = qint64(DatePattern::fromDate(kFirst));
        every.hasta = qint64(DatePattern::fromDate(QDate(9999, 12, 31)));
        panel.MostrarListado(ListingRequest::selection(every), QStringLiteral(" Notas halladas"));
    }

    NotesGrid* table() const { return child<NotesGrid>(&panel, "table"); }
    // The rows the grid shows now, as "dd/mm/yy nota".
    QStringList visibleRows() const
    {
        QStringList rows;
        const QAbstractItemModel* model = table()->model();
        const int top = table()->rowAt(0);
        const int bottom = table()->rowAt(table()->viewport()->height() - 1);
        for (int row = top; row >= 0 && row <= (bottom < 0 ? model->rowCount() - 1 : bottom);
             ++row) {
            rows << model->index(row, 0).data().toString() + QLatin1Char(' ') +
                        model->index(row, 1).data().toString();
        }
        return rows;
    }

    TestStore t;
    QStringList failures;
    StoreGuard guard;
    QWidget client;
    NotesPanel panel;
};

} // namespace

class TestLongListing : public QObject
{
    Q_OBJECT

private slots:
    void scrolledToTheEndShowsTheLastDay_data();
    void scrolledToTheEndShowsTheLastDay();
    void editFarDownWritesThatDay_data() { scrolledToTheEndShowsTheLastDay_data(); }
    void editFarDownWritesThatDay();
    void selectionGathersItsDaysWhileShown();
};

void TestLongListing::scrolledToTheEndShowsTheLastDay_data()
{
    QTest::addColumn<QString>("listing");
    QTest::newRow("Ver notas") << "Ver notas";
    QTest::newRow("a selection of every day") << "selection";
}

void TestLongListing::scrolledToTheEndShowsTheLastDay()
{
    QFETCH(QString, listing);
    LongPanel p;
    p.list(listing);
    p.client.show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.client));
    QCOMPARE(child<QLabel>(&p.panel, "caption")->text(), QStringLiteral("100000 Notas halladas"));
    p.table()->verticalScrollBar()->setValue(p.table()->verticalScrollBar()->maximum());
    QApplication::processEvents();
    const QStringList rows = p.visibleRows();
    QVERIFY(!rows.isEmpty());
    const QDate last = kFirst.addDays(kDays - 1);
    QCOMPARE(rows.last(), last.toString(QStringLiteral("dd/MM/")) +
                              QString::number(last.year() % 100).rightJustified(2, u'0') +
                              QStringLiteral(" nota 99999"));
    QVERIFY(p.failures.isEmpty());
}

void TestLongListing::editFarDownWritesThatDay()
{
    QFETCH(QString, listing);
    LongPanel p;
    p.list(listing);
    p.client.show();
    QVERIFY(QTest::qWaitForWindowActive(&p.client));
    const int row = 87654;
    const QModelIndex index = p.table()->model()->index(row, 1);
    p.table()->scrollTo(index);
    p.table()->setCurrentIndex(index);
    p.table()->edit(index);
    auto* editor = p.table()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("cambiada"));
    // Leaving the row writes the note of that day, and only that one.
    QTest::keyClick(editor, Qt::Key_Down);
    QTRY_COMPARE(p.t.storedNote(kFirst.addDays(row)), QStringLiteral("cambiada"));
    QCOMPARE(p.t.storedNote(kFirst.addDays(row - 1)), QStringLiteral("nota %1").arg(row - 1));
    QCOMPARE(p.t.storedNote(kFirst.addDays(row + 1)), QStringLiteral("nota %1").arg(row + 1));
    QCOMPARE(p.table()->model()->index(row, 1).data().toString(), QStringLiteral("cambiada"));
    QVERIFY(p.failures.isEmpty());
}

void TestLongListing::selectionGathersItsDaysWhileShown()
{
    LongPanel p;
    p.list(QStringLiteral("selection"));
    QCOMPARE(child<QLabel>(&p.panel, "caption")->text(), QStringLiteral("100000 Notas halladas"));
    QVERIFY(!p.panel.listing().gathered()); // counted; the first rows' days gathered
    QCOMPARE(p.table()->model()->index(0, 1).data().toString(), QStringLiteral("nota 0"));
    QTRY_VERIFY(p.panel.listing().gathered()); // the rest, while the event loop turns
    QCOMPARE(p.panel.listing().dateAt(kDays - 1), kFirst.addDays(kDays - 1));
    QVERIFY(p.failures.isEmpty());
}

QTEST_MAIN(TestLongListing)
#include "tst_longlisting.moc"
