#include "FakeMessageBoxes.h"
#include "NotitaTable.h"
#include "notitas/frmNota.h"
#include "platform/Twips.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

// One notita window over a store of its own, laid out as its slot owner lays it out.
struct Notita
{
    explicit Notita(int rows = 0) : window(1, *table.store, boxes)
    {
        table.addMany(rows);
        window.Form_Load();
    }

    // Binds the window to a row the way the start-up does: place first, then the text.
    void bind(qint64 indice, const QString& nota, double top, double left)
    {
        window.txtIndice->setText(QString::number(indice));
        window.restorePlace(top, left);
        window.txtNota->setPlainText(nota);
    }

    bool showWindow()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    NotitaTable table;
    FakeMessageBoxes boxes;
    frmNota window;
};

} // namespace

class TestFrmNota : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void contarNotitas_data();
    void contarNotitas();
    void guardarNotita_data();
    void guardarNotita();
    void everyKeystrokeCommits();
    void placeInTwips_data();
    void placeInTwips();
    void placeStoredOnFocusLossOnly();
    void storedPlaceKeptUntilMoved_data();
    void storedPlaceKeptUntilMoved();
    void deleteByDoubleClick_data();
    void deleteByDoubleClick();
    void deletingTheWindowSavesNothing();
};

void TestFrmNota::layout()
{
    Notita n;
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
    QCOMPARE(w.txtNota->geometry(), QRect(QPoint(0, 0), client));

    QVERIFY(w.txtIndice->isHidden());
    QCOMPARE(w.txtIndice->text(), QString());
    QCOMPARE(w.txtNota->palette().color(QPalette::Base), QColor(255, 255, 0));
    QVERIFY(w.txtNota->font().bold());
    QCOMPARE(w.txtNota->font().pointSizeF(), 8.25);
    QVERIFY(w.txtNota->font().families().contains(QStringLiteral("MS Sans Serif")));
}

void TestFrmNota::contarNotitas_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("counted");

    QTest::newRow("empty table") << 0 << 0;
    QTest::newRow("one row") << 1 << 1;
    QTest::newRow("ten rows") << 10 << 10;
    QTest::newRow("three hundred rows count as the byte's highest") << 300 << 255;
}

void TestFrmNota::contarNotitas()
{
    QFETCH(int, rows);
    QFETCH(int, counted);

    Notita n(rows);
    QCOMPARE(n.window.ContarNotitas(), counted);
    QCOMPARE(frmNota::ContarNotitas(*n.table.store), counted);
    QVERIFY(n.table.store->rsNota.eof()); // walked to the end
}

void TestFrmNota::guardarNotita_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("indice");
    QTest::addColumn<int>("written"); // the row that takes the text; 0 for none

    QTest::newRow("unbound window writes nothing") << 3 << "" << 0;
    QTest::newRow("a text that is no number writes nothing") << 3 << "dos" << 0;
    QTest::newRow("the bound row, the first") << 3 << "1" << 1;
    QTest::newRow("the bound row, in the middle") << 3 << "2" << 2;
    QTest::newRow("the bound row, the last") << 3 << "3" << 3;
    QTest::newRow("the indice compared as a number") << 3 << " 2.0 " << 2;
    QTest::newRow("a row that is gone writes nothing") << 3 << "7" << 0;
    QTest::newRow("empty table writes nothing") << 0 << "1" << 0;
}

void TestFrmNota::guardarNotita()
{
    QFETCH(int, rows);
    QFETCH(QString, indice);
    QFETCH(int, written);

    Notita n(rows);
    const QStringList before = n.table.rows();
    const int changes = n.table.changes();
    QSignalSpy changed(n.window.txtNota, &QPlainTextEdit::textChanged);
    n.window.txtIndice->setText(indice);
    n.window.setLeft(900);
    n.window.setTop(600);
    QCOMPARE(n.table.changes(), changes); // neither the binding nor the place saves

    // The text set by the program saves as a keystroke does, and so does a direct call.
    n.window.txtNota->setPlainText(QStringLiteral("escrito"));
    QCOMPARE(changed.size(), 1);
    n.window.GuardarNotita();
    QVERIFY(n.table.store->rsNota.eof());

    QStringList expected = before;
    if (written > 0)
        expected[written - 1] = NotitaTable::line(written, QStringLiteral("escrito"), 600, 900);
    QCOMPARE(n.table.rows(), expected);
    QCOMPARE(n.table.changes(), changes + (written > 0 ? 2 : 0));
}

void TestFrmNota::everyKeystrokeCommits()
{
    Notita n(3);
    n.bind(2, NotitaTable::textOf(2), NotitaTable::topOf(2), NotitaTable::leftOf(2));
    QVERIFY(n.showWindow());

    const QString typed = QStringLiteral("pan");
    QString expected = NotitaTable::textOf(2);
    const int before = n.table.changes();
    QTest::keyClick(n.window.txtNota, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(n.table.changes(), before); // a key that changes no text saves nothing
    for (int k = 0; k < typed.size(); ++k) {
        const int changes = n.table.changes();
        QTest::keyClick(n.window.txtNota, typed.at(k).toLatin1());
        expected += typed.at(k);
        QCOMPARE(n.table.changes(), changes + 1);
        // Read through another connection: what it sees is committed.
        QCOMPARE(n.table.row(2),
                 NotitaTable::line(2, expected, NotitaTable::topOf(2), NotitaTable::leftOf(2)));
    }
    QCOMPARE(n.table.row(1), NotitaTable::line(1, NotitaTable::textOf(1), NotitaTable::topOf(1),
                                               NotitaTable::leftOf(1)));
    QCOMPARE(n.table.row(3), NotitaTable::line(3, NotitaTable::textOf(3), NotitaTable::topOf(3),
                                               NotitaTable::leftOf(3)));

    // No limit on the text's length.
    const QString longText(5000, QLatin1Char('x'));
    n.window.txtNota->setPlainText(longText);
    QCOMPARE(n.table.row(2),
             NotitaTable::line(2, longText, NotitaTable::topOf(2), NotitaTable::leftOf(2)));
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

    Notita n;
    n.window.setTop(top);
    n.window.setLeft(left);
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
    Notita n(1);
    n.bind(1, NotitaTable::textOf(1), NotitaTable::topOf(1), NotitaTable::leftOf(1));
    QVERIFY(n.showWindow());
    n.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&n.window));
    n.window.txtNota->setFocus();
    QTRY_VERIFY(n.window.txtNota->hasFocus());

    const QString unmoved =
        NotitaTable::line(1, NotitaTable::textOf(1), NotitaTable::topOf(1), NotitaTable::leftOf(1));
    const int changes = n.table.changes();
    n.window.move(n.window.frameGeometry().topLeft() + QPoint(40, 20));
    QCoreApplication::processEvents();
    QCOMPARE(n.table.row(1), unmoved);
    QCOMPARE(n.table.changes(), changes);

    n.window.txtNota->clearFocus();
    QCOMPARE(n.table.changes(), changes + 1);
    QCOMPARE(n.table.row(1),
             NotitaTable::line(1, NotitaTable::textOf(1), NotitaTable::topOf(1) + 300,
                               NotitaTable::leftOf(1) + 600));
}

void TestFrmNota::storedPlaceKeptUntilMoved_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("left");
    QTest::addColumn<bool>("brought");

    QTest::newRow("on the screen: shown where it was") << 1500.0 << 3000.0 << false;
    QTest::newRow("between two pixels: shown at the nearest") << 1507.5 << 3001.25 << false;
    QTest::newRow("beyond the right and bottom edges") << 60000.0 << 90000.0 << true;
    QTest::newRow("beyond the left and top edges") << -30000.0 << -45000.0 << true;
    QTest::newRow("below the screen only") << 900000.0 << 1500.0 << true;
    QTest::newRow("partly off the right edge: left alone") << 1500.0 << 11000.0 << false;
}

void TestFrmNota::storedPlaceKeptUntilMoved()
{
    QFETCH(double, top);
    QFETCH(double, left);
    QFETCH(bool, brought);

    Notita n(1);
    n.bind(1, QStringLiteral("lejos"), top, left);
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
    }
    QVERIFY(n.window.keepsStoredPlace());

    // The restore's own save and the keystrokes after it leave the stored place as it was.
    const QString kept = NotitaTable::line(1, QStringLiteral("lejos"), top, left);
    QCOMPARE(n.table.row(1), kept);
    QTest::keyClick(n.window.txtNota, Qt::Key_End);
    QTest::keyClick(n.window.txtNota, 's');
    QCOMPARE(n.table.row(1), NotitaTable::line(1, QStringLiteral("lejoss"), top, left));

    // Once moved, the window's own place is stored by its next save.
    n.window.move(area.topLeft() + QPoint(30, 45));
    QTest::keyClick(n.window.txtNota, 't');
    QVERIFY(!n.window.keepsStoredPlace());
    QCOMPARE(n.table.row(1),
             NotitaTable::line(1, QStringLiteral("lejosst"), Twips::fromPixels(area.top() + 45),
                               Twips::fromPixels(area.left() + 30)));
}

void TestFrmNota::deleteByDoubleClick_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("indice");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("left"); // indices of the rows that remain
    QTest::addColumn<bool>("emptied");

    QTest::newRow("cancelled: nothing deleted")
        << 3 << "2" << int(MessageBoxes::Cancel) << QList<int>{1, 2, 3} << false;
    QTest::newRow("the second of three")
        << 3 << "2" << int(MessageBoxes::Ok) << QList<int>{1, 3} << false;
    QTest::newRow("the only notita: the table is empty")
        << 1 << "1" << int(MessageBoxes::Ok) << QList<int>{} << true;
    QTest::newRow("an unbound window deletes nothing")
        << 2 << "" << int(MessageBoxes::Ok) << QList<int>{1, 2} << false;
}

void TestFrmNota::deleteByDoubleClick()
{
    QFETCH(int, rows);
    QFETCH(QString, indice);
    QFETCH(int, answer);
    QFETCH(QList<int>, left);
    QFETCH(bool, emptied);

    Notita n(rows);
    const int k = indice.toInt();
    if (k > 0)
        n.bind(k, NotitaTable::textOf(k), NotitaTable::topOf(k), NotitaTable::leftOf(k));
    QVERIFY(n.showWindow());
    QSignalSpy empty(&n.window, &frmNota::becameEmpty);
    n.boxes.answerNext(answer);

    QTest::mouseDClick(n.window.txtNota->viewport(), Qt::LeftButton);

    QCOMPARE(n.boxes.calls().size(), 1);
    QCOMPARE(n.boxes.calls().first().prompt, QStringLiteral("¿Desea eliminar la notita?"));
    QCOMPARE(n.boxes.calls().first().title, QStringLiteral("Dialog"));
    QCOMPARE(n.boxes.calls().first().style,
             MessageBoxes::OkCancel | MessageBoxes::Question | MessageBoxes::DefaultButton2);

    QStringList expected;
    for (int r : left)
        expected << NotitaTable::line(r, NotitaTable::textOf(r), NotitaTable::topOf(r),
                                      NotitaTable::leftOf(r));
    QCOMPARE(n.table.rows(), expected);
    QCOMPARE(empty.size(), emptied ? 1 : 0);

    const bool deleted = answer == MessageBoxes::Ok && k > 0;
    QCOMPARE(n.window.isVisible(), !deleted);
    QCOMPARE(n.window.txtIndice->text(), deleted ? QString() : indice);
    QCOMPARE(n.window.txtNota->toPlainText(),
             deleted || k == 0 ? QString() : NotitaTable::textOf(k));
}

void TestFrmNota::deletingTheWindowSavesNothing()
{
    NotitaTable table;
    table.addMany(1);
    FakeMessageBoxes boxes;
    auto window = std::make_unique<frmNota>(1, *table.store, boxes);
    window->Form_Load();
    window->txtIndice->setText(QStringLiteral("1"));
    window->txtNota->setPlainText(QStringLiteral("última"));
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->txtNota->setFocus();
    QTRY_VERIFY(window->txtNota->hasFocus());
    window->move(window->frameGeometry().topLeft() + QPoint(15, 15));

    const int changes = table.changes();
    window.reset(); // shown and with the focus: a save now would come from a half-gone window
    QCOMPARE(table.changes(), changes);
}

QTEST_MAIN(TestFrmNota)
#include "tst_frmnota.moc"
