#include "Controls.h"
#include "FakeMessageBoxes.h"
#include "TestStore.h"
#include "notitas/frmNota.h"
#include "store/domain/StoreGuard.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

// The store of a window's fixture, seeded before the window is made: rows 1..rows as the
// fixture store writes them, in the program's own table or in one of another program.
NotitaBook& seeded(TestStore& table, int rows, const QString& notaTable)
{
    if (!notaTable.isEmpty()) {
        table.db().execute(QStringLiteral("DROP TABLE Nota"));
        table.db().execute(notaTable);
        table.store.reset();
        table.store = CalendarStore::open(table.folder());
    }
    table.addNotitas(rows);
    if (!notaTable.isEmpty()) // another program's table numbers its rows itself
        table.db().execute(QStringLiteral("UPDATE Nota SET indice = rowid"));
    return table.store->notitas();
}

// One notita window over a store of its own, laid out as its slot owner lays it out.
struct NoteWindow
{
    explicit NoteWindow(int rows = 0, const QString& notaTable = {})
        : book(seeded(table, rows, notaTable)),
          guard([this](const StoreError& error, const QString& unsaved) {
              failures << error.message() + QLatin1Char('/') + unsaved;
          }),
          window(1, book, boxes, guard)
    {
        window.Form_Load();
    }

    // Binds the window to a stored row the way the start-up does.
    void bindStored(qint64 row)
    {
        const std::optional<Notita> stored = book.read(row);
        QVERIFY2(stored, "the row to bind is stored");
        window.bind(*stored);
    }

    bool showWindow()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    QPlainTextEdit* txtNota() const { return child<QPlainTextEdit>(&window, "txtNota"); }
    // The bound row; 0, which no row has, for none.
    qint64 bound() const { return window.boundRow().value_or(0); }

    TestStore table;
    NotitaBook& book;
    FakeMessageBoxes boxes;
    QStringList failures;
    StoreGuard guard;
    frmNota window;
};

} // namespace

class TestFrmNota : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void guardarNotita_data();
    void guardarNotita();
    void everyKeystrokeCommits();
    void placeInTwips_data();
    void placeInTwips();
    void placeStoredOnFocusLossOnly();
    void storedPlaceKeptUntilMoved_data();
    void storedPlaceKeptUntilMoved();
    void storedTextKeptUntilChanged_data();
    void storedTextKeptUntilChanged();
    void deleteByDoubleClick_data();
    void deleteByDoubleClick();
    void deletingTheWindowSavesNothing();
};

void TestFrmNota::layout()
{
    NoteWindow n;
    frmNota& w = n.window;
    QCOMPARE(w.objectName(), QStringLiteral("frmNota1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Notita"));
    QVERIFY(w.isWindow());
    QVERIFY(!w.parent());
    const Qt::WindowFlags flags = w.windowFlags();
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    const QSize client(Twips::toPixels(3030), Twips::toPixels(915));
    QCOMPARE(w.minimumSize(), client);
    QCOMPARE(w.maximumSize(), client);
    QPlainTextEdit* txtNota = n.txtNota();
    QCOMPARE(txtNota->geometry(), QRect(QPoint(0, 0), client));

    // The binding is the window's own: no control shows it, and a new window has none.
    QVERIFY(w.findChildren<QLineEdit*>().isEmpty());
    QVERIFY(!w.boundRow());
    QCOMPARE(w.text(), QString());
    QCOMPARE(txtNota->palette().color(QPalette::Base), QColor(255, 255, 0));
    QVERIFY(txtNota->font().bold());
    QCOMPARE(txtNota->font().pointSizeF(), 8.25);
    QVERIFY(txtNota->font().families().contains(QStringLiteral("MS Sans Serif")));
}

void TestFrmNota::guardarNotita_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("notaTable"); // empty: the program's own
    QTest::addColumn<int>("bound");         // the row the window is bound to; 0 for none
    QTest::addColumn<bool>("unbound");      // bound, then unbound again
    QTest::addColumn<int>("written");       // the row that takes the text; 0 for none

    const QString own;
    QTest::newRow("unbound window writes nothing") << 3 << own << 0 << false << 0;
    QTest::newRow("a window unbound again writes nothing more") << 3 << own << 2 << true << 0;
    QTest::newRow("the bound row, the first") << 3 << own << 1 << false << 1;
    QTest::newRow("the bound row, in the middle") << 3 << own << 2 << false << 2;
    QTest::newRow("the bound row, the last") << 3 << own << 3 << false << 3;
    QTest::newRow("the indice compared as a number, stored as a real one")
        << 3 << "CREATE TABLE Nota (indice REAL, nota TEXT, \"Top\" REAL, \"Left\" REAL)" << 2
        << false << 2;
    // Deleted by another program while the window showed it: nothing typed is lost.
    QTest::newRow("a row that is gone is written again as a new one")
        << 3 << own << 7 << false << 4;
    QTest::newRow("empty table: written again as the first row") << 0 << own << 1 << false << 1;
}

void TestFrmNota::guardarNotita()
{
    QFETCH(int, rows);
    QFETCH(QString, notaTable);
    QFETCH(int, bound);
    QFETCH(bool, unbound);
    QFETCH(int, written);

    NoteWindow n(rows, notaTable);
    const QStringList stored = n.table.notitaRows();
    // Placed 900 twips left and 600 down, and bound as a new notita is, at that place.
    const QPoint place(Twips::toPixels(900), Twips::toPixels(600));
    n.window.move(place);
    if (bound > 0)
        n.window.bindNew(bound, place);
    if (unbound)
        n.window.unbind();
    QCOMPARE(n.window.Left(), 900.0);
    QCOMPARE(n.window.Top(), 600.0);
    // A new notita's place is written as it is bound (with its empty text; as a new row where
    // the bound one is gone); unbinding writes nothing.
    QStringList before = stored;
    if (bound > 0) {
        const int at = unbound ? bound : written;
        const QString empty = TestStore::notitaLine(at, QString(), 600, 900);
        if (at > before.size())
            before << empty;
        else
            before[at - 1] = empty;
    }
    QCOMPARE(n.table.notitaRows(), before);
    const int changes = n.table.changes();

    // The text set by the program saves as a keystroke does, and so does a direct call.
    QSignalSpy changed(n.txtNota(), &QPlainTextEdit::textChanged);
    n.txtNota()->setPlainText(QStringLiteral("escrito"));
    QCOMPARE(changed.size(), 1);
    n.window.GuardarNotita();

    QStringList expected = before;
    if (written > 0)
        expected[written - 1] = TestStore::notitaLine(written, QStringLiteral("escrito"), 600, 900);
    QCOMPARE(n.table.notitaRows(), expected);
    QCOMPARE(n.window.boundRow().value_or(0), bound > 0 && !unbound ? written : 0);
    // One write a save.
    QCOMPARE(n.table.changes(), changes + (written > 0 ? 2 : 0));
    QVERIFY(n.failures.isEmpty());
}

void TestFrmNota::everyKeystrokeCommits()
{
    NoteWindow n(3);
    const int bindChanges = n.table.changes();
    n.bindStored(2);
    QCOMPARE(n.table.changes(), bindChanges); // binding a stored notita writes nothing
    QVERIFY(n.showWindow());

    const QString typed = QStringLiteral("pan");
    QString expected = TestStore::textOf(2);
    const int before = n.table.changes();
    QTest::keyClick(n.txtNota(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(n.table.changes(), before); // a key that changes no text saves nothing
    for (int k = 0; k < typed.size(); ++k) {
        const int changes = n.table.changes();
        QTest::keyClick(n.txtNota(), typed.at(k).toLatin1());
        expected += typed.at(k);
        QCOMPARE(n.table.changes(), changes + 1);
        // Read through another connection: what it sees is committed.
        QCOMPARE(n.table.notitaRow(2),
                 TestStore::notitaLine(2, expected, TestStore::topOf(2), TestStore::leftOf(2)));
    }
    QCOMPARE(
        n.table.notitaRow(1),
        TestStore::notitaLine(1, TestStore::textOf(1), TestStore::topOf(1), TestStore::leftOf(1)));
    QCOMPARE(
        n.table.notitaRow(3),
        TestStore::notitaLine(3, TestStore::textOf(3), TestStore::topOf(3), TestStore::leftOf(3)));

    // No limit on the text's length.
    const QString longText(5000, QLatin1Char('x'));
    n.txtNota()->setPlainText(longText);
    QCOMPARE(n.table.notitaRow(2),
             TestStore::notitaLine(2, longText, TestStore::topOf(2), TestStore::leftOf(2)));
}

void TestFrmNota::placeInTwips_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("left");
    QTest::addColumn<QPoint>("pixels");
    QTest::addColumn<double>("readTop");
    QTest::addColumn<double>("readLeft");

    QTest::newRow("whole pixels") << 1500.0 << 3000.0 << QPoint(200, 100) << 1500.0 << 3000.0;
    QTest::newRow("the nearest pixel") << 1507.0 << 22.0 << QPoint(1, 100) << 1500.0 << 15.0;
    QTest::newRow("the corner") << 0.0 << 0.0 << QPoint(0, 0) << 0.0 << 0.0;
}

void TestFrmNota::placeInTwips()
{
    QFETCH(double, top);
    QFETCH(double, left);
    QFETCH(QPoint, pixels);
    QFETCH(double, readTop);
    QFETCH(double, readLeft);

    NoteWindow n;
    n.window.bind(Notita{1, QString(), top, left}); // a place in twips, as the store gives it
    QCOMPARE(n.window.frameGeometry().topLeft(), pixels);
    QCOMPARE(n.window.Top(), readTop);
    QCOMPARE(n.window.Left(), readLeft);
    // The outer position counts the frame, before and after the window is shown.
    QVERIFY(n.showWindow());
    QCOMPARE(n.window.frameGeometry().topLeft(), pixels);
    QCOMPARE(n.window.Top(), readTop);
    QCOMPARE(n.window.Left(), readLeft);
}

void TestFrmNota::placeStoredOnFocusLossOnly()
{
    NoteWindow n(1);
    n.bindStored(1);
    QVERIFY(n.showWindow());
    n.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&n.window));
    n.txtNota()->setFocus();
    QTRY_VERIFY(n.txtNota()->hasFocus());

    const QString unmoved =
        TestStore::notitaLine(1, TestStore::textOf(1), TestStore::topOf(1), TestStore::leftOf(1));
    const int changes = n.table.changes();
    n.window.move(n.window.frameGeometry().topLeft() + QPoint(40, 20));
    QCoreApplication::processEvents();
    QCOMPARE(n.table.notitaRow(1), unmoved);
    QCOMPARE(n.table.changes(), changes);

    n.txtNota()->clearFocus();
    QCOMPARE(n.table.changes(), changes + 1);
    QCOMPARE(n.table.notitaRow(1),
             TestStore::notitaLine(1, TestStore::textOf(1), TestStore::topOf(1) + 300,
                                   TestStore::leftOf(1) + 600));
}

void TestFrmNota::storedPlaceKeptUntilMoved_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("left");
    QTest::addColumn<bool>("brought");
    QTest::addColumn<QSize>("seen"); // what shows of a window left where it was; empty: no check

    QTest::newRow("on the screen: shown where it was") << 1500.0 << 3000.0 << false << QSize();
    QTest::newRow("between two pixels: shown at the nearest")
        << 1507.5 << 3001.25 << false << QSize();
    QTest::newRow("beyond the right and bottom edges") << 60000.0 << 90000.0 << true << QSize();
    QTest::newRow("beyond the left and top edges") << -30000.0 << -45000.0 << true << QSize();
    QTest::newRow("below the screen only") << 900000.0 << 1500.0 << true << QSize();
    QTest::newRow("partly off the right edge: left alone") << 1500.0 << 11000.0 << false << QSize();

    // Places worked out from the screen there is: what of the window they leave on it.
    const QRect a = QGuiApplication::primaryScreen()->availableGeometry();
    const auto twips = [](int pixels) { return double(Twips::fromPixels(pixels)); };
    QTest::newRow("Top -1470, Left 19185: a strip above the screen or right of it")
        << -1470.0 << 19185.0 << true << QSize();
    QTest::newRow("a 1-pixel line along the bottom edge")
        << twips(a.bottom()) << twips(a.left() + 100) << true << QSize();
    QTest::newRow("19x19 in the bottom right corner")
        << twips(a.bottom() + 1 - 19) << twips(a.right() + 1 - 19) << true << QSize();
    QTest::newRow("20 wide but 19 high in the bottom right corner")
        << twips(a.bottom() + 1 - 19) << twips(a.right() + 1 - 20) << true << QSize();
    QTest::newRow("20x20 in the bottom right corner: left alone")
        << twips(a.bottom() + 1 - 20) << twips(a.right() + 1 - 20) << false << QSize(20, 20);
    QTest::newRow("entirely off to the left")
        << twips(a.top() + 100) << twips(a.left() - 2000) << true << QSize();
}

void TestFrmNota::storedPlaceKeptUntilMoved()
{
    QFETCH(double, top);
    QFETCH(double, left);
    QFETCH(bool, brought);
    QFETCH(QSize, seen);

    if (QGuiApplication::screens().size() != 1)
        QSKIP("the places are worked out for a desktop of one screen");

    NoteWindow n;
    n.table.addNotita(QStringLiteral("lejos"), top, left);
    const int changes = n.table.changes();
    n.bindStored(1);
    QVERIFY(n.showWindow());

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect outer = n.window.frameGeometry();
    const QPoint asked(Twips::toPixels(int(std::lround(left))),
                       Twips::toPixels(int(std::lround(top))));
    if (brought) {
        QVERIFY2(area.contains(outer), "the window was brought inside the screen");
        QVERIFY(outer.topLeft() != asked);
    } else {
        QCOMPARE(outer.topLeft(), asked);
        if (seen.isValid())
            QCOMPARE(area.intersected(outer).size(), seen);
    }
    QVERIFY(n.window.keepsStoredPlace());

    // The binding writes nothing, and the keystrokes after it leave the stored place as it was.
    const QString kept = TestStore::notitaLine(1, QStringLiteral("lejos"), top, left);
    QCOMPARE(n.table.notitaRow(1), kept);
    QCOMPARE(n.table.changes(), changes);
    QTest::keyClick(n.txtNota(), Qt::Key_End);
    QTest::keyClick(n.txtNota(), 's');
    QCOMPARE(n.table.notitaRow(1), TestStore::notitaLine(1, QStringLiteral("lejoss"), top, left));
    QVERIFY(n.window.keepsStoredPlace());

    // Once moved, the window's own place is stored by its next save.
    n.window.move(area.topLeft() + QPoint(30, 45));
    QTest::keyClick(n.txtNota(), 't');
    QVERIFY(!n.window.keepsStoredPlace());
    QCOMPARE(n.table.notitaRow(1),
             TestStore::notitaLine(1, QStringLiteral("lejosst"), Twips::fromPixels(area.top() + 45),
                                   Twips::fromPixels(area.left() + 30)));
}

void TestFrmNota::storedTextKeptUntilChanged_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("writes");
    QTest::addColumn<QString>("text"); // the row's text after
    QTest::addColumn<QPoint>("moved"); // how far the row's place moved, in pixels

    const QString stored = QStringLiteral("pan\r\nleche");
    QTest::newRow("neither typed in nor moved: a focus loss writes nothing")
        << "foco" << 0 << stored << QPoint();
    QTest::newRow("moved: the new place, with the text as stored")
        << "mover" << 1 << stored << QPoint(15, 30);
    QTest::newRow("typed: the text as the box holds it, by the key and the focus loss")
        << "teclear" << 2 << QStringLiteral("pan\nlechex") << QPoint();
    QTest::newRow("changed with no signal, then saved: the text as the box holds it")
        << "callado" << 1 << QStringLiteral("otra") << QPoint();
}

void TestFrmNota::storedTextKeptUntilChanged()
{
    QFETCH(QString, action);
    QFETCH(int, writes);
    QFETCH(QString, text);
    QFETCH(QPoint, moved);

    NoteWindow n;
    n.table.addNotita(QStringLiteral("pan\r\nleche"), TestStore::topOf(1), TestStore::leftOf(1));
    n.bindStored(1);
    QVERIFY(n.showWindow());
    const int changes = n.table.changes();

    if (action == QLatin1String("mover")) {
        n.window.move(n.window.frameGeometry().topLeft() + moved);
    } else if (action == QLatin1String("teclear")) {
        QTest::keyClick(n.txtNota(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(n.txtNota(), 'x');
    } else if (action == QLatin1String("callado")) {
        const QSignalBlocker quiet(n.txtNota());
        n.txtNota()->setPlainText(QStringLiteral("otra"));
    }
    n.window.txtNota_LostFocus();

    QCOMPARE(n.table.changes(), changes + writes);
    QCOMPARE(n.table.notitaRow(1),
             TestStore::notitaLine(1, text, TestStore::topOf(1) + Twips::fromPixels(moved.y()),
                                   TestStore::leftOf(1) + Twips::fromPixels(moved.x())));
}

void TestFrmNota::deleteByDoubleClick_data()
{
    QTest::addColumn<bool>("fromMenu"); // "Eliminar notita" of its menu, else a double click
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("bound"); // 0: the window is bound to no row
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("left"); // indices of the rows that remain
    QTest::addColumn<bool>("emptied");

    for (const bool menu : {false, true}) {
        const char* way = menu ? "menu" : "double click";
        QTest::addRow("%s, cancelled: nothing deleted", way)
            << menu << 3 << 2 << int(MessageBoxes::Cancel) << QList<int>{1, 2, 3} << false;
        QTest::addRow("%s: the second of three", way)
            << menu << 3 << 2 << int(MessageBoxes::Ok) << QList<int>{1, 3} << false;
        QTest::addRow("%s: the only notita, the table is empty", way)
            << menu << 1 << 1 << int(MessageBoxes::Ok) << QList<int>{} << true;
        QTest::addRow("%s: an unbound window deletes nothing", way)
            << menu << 2 << 0 << int(MessageBoxes::Ok) << QList<int>{1, 2} << false;
    }
}

void TestFrmNota::deleteByDoubleClick()
{
    QFETCH(bool, fromMenu);
    QFETCH(int, rows);
    QFETCH(int, bound);
    QFETCH(int, answer);
    QFETCH(QList<int>, left);
    QFETCH(bool, emptied);

    NoteWindow n(rows);
    if (bound > 0)
        n.bindStored(bound);
    QVERIFY(n.showWindow());
    QSignalSpy empty(&n.window, &frmNota::becameEmpty);
    n.boxes.answerNext(answer);

    if (fromMenu) {
        // As the keyboard's menu key asks for it.
        QContextMenuEvent ask(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              n.txtNota()->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(n.txtNota()->viewport(), &ask);
        QTRY_VERIFY(QApplication::activePopupWidget());
        auto* remove = QApplication::activePopupWidget()->findChild<QAction*>(
            QStringLiteral("mEliminarNotita"));
        QVERIFY(remove);
        QCOMPARE(remove->text(), QStringLiteral("Eliminar notita"));
        remove->trigger();
        QApplication::activePopupWidget()->close();
        QTRY_COMPARE(n.boxes.calls().size(), 1);
    } else {
        QTest::mouseDClick(n.txtNota()->viewport(), Qt::LeftButton);
    }

    QCOMPARE(n.boxes.calls().size(), 1);
    QCOMPARE(n.boxes.calls().first().prompt, QStringLiteral("¿Desea eliminar la notita?"));
    QCOMPARE(n.boxes.calls().first().title, QStringLiteral("Dialog"));
    QCOMPARE(n.boxes.calls().first().style,
             MessageBoxes::OkCancel | MessageBoxes::Question | MessageBoxes::DefaultButton2);

    QStringList expected;
    for (int r : left)
        expected << TestStore::notitaLine(r, TestStore::textOf(r), TestStore::topOf(r),
                                          TestStore::leftOf(r));
    QCOMPARE(n.table.notitaRows(), expected);
    QCOMPARE(empty.size(), emptied ? 1 : 0);

    const bool deleted = answer == MessageBoxes::Ok && bound > 0;
    QCOMPARE(n.window.isVisible(), !deleted);
    QCOMPARE(n.bound(), deleted ? 0 : qint64(bound));
    QCOMPARE(n.window.text(), deleted || bound == 0 ? QString() : TestStore::textOf(bound));
}

void TestFrmNota::deletingTheWindowSavesNothing()
{
    TestStore table;
    table.addNotitas(1);
    FakeMessageBoxes boxes;
    QStringList failures;
    StoreGuard guard([&](const StoreError& error, const QString&) { failures << error.message(); });
    auto window = std::make_unique<frmNota>(1, table.store->notitas(), boxes, guard);
    window->Form_Load();
    window->bind(*table.store->notitas().read(1));
    QPlainTextEdit* txtNota = child<QPlainTextEdit>(window.get(), "txtNota");
    txtNota->setPlainText(QStringLiteral("última"));
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    txtNota->setFocus();
    QTRY_VERIFY(txtNota->hasFocus());
    window->move(window->frameGeometry().topLeft() + QPoint(15, 15));

    const int changes = table.changes();
    window.reset(); // shown and with the focus: a save now would come from a half-gone window
    QCOMPARE(table.changes(), changes);
    QVERIFY(failures.isEmpty());
}

QTEST_MAIN(TestFrmNota)
#include "tst_frmnota.moc"
