#include "FakeMessageBoxes.h"
#include "NotitaTable.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "platform/Twips.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QtTest>

namespace {

// The ten notita slots over a store of their own, with the two menu items as the main window
// starts them: the notitas shown, so "Ocultar notitas" is the one in the menu.
struct Slots
{
    explicit Slots(int rows = 0)
        : abrir(QStringLiteral("Ver notitas")), cerrar(QStringLiteral("Ocultar notitas"))
    {
        abrir.setVisible(false);
        table.addMany(rows);
        notitas = std::make_unique<NotitaSlots>(*table.store, boxes, &abrir, &cerrar);
    }

    QList<int> created() const
    {
        QList<int> result;
        for (int k = 1; k <= NotitaSlots::kSlots; ++k) {
            if (notitas->existingWindow(k))
                result << k;
        }
        return result;
    }

    QList<int> visible() const
    {
        QList<int> result;
        for (int k = 1; k <= NotitaSlots::kSlots; ++k) {
            const frmNota* w = notitas->existingWindow(k);
            if (w && w->isVisible())
                result << k;
        }
        return result;
    }

    // Every window made so far as "slot:indice:text:shown:Top:Left".
    QStringList windows() const
    {
        QStringList result;
        for (int k = 1; k <= NotitaSlots::kSlots; ++k) {
            const frmNota* w = notitas->existingWindow(k);
            if (!w)
                continue;
            result << QStringLiteral("%1:%2:%3:%4:%5:%6")
                          .arg(k)
                          .arg(w->txtIndice->text(), w->txtNota->toPlainText())
                          .arg(w->isVisible() ? 1 : 0)
                          .arg(w->Top())
                          .arg(w->Left());
        }
        return result;
    }

    // The visible windows bound to a row.
    QList<frmNota*> showing(qint64 indice) const
    {
        QList<frmNota*> result;
        for (int k = 1; k <= NotitaSlots::kSlots; ++k) {
            frmNota* w = notitas->existingWindow(k);
            if (w && w->isVisible() && w->txtIndice->text() == QString::number(indice))
                result << w;
        }
        return result;
    }

    QStringList prompts() const
    {
        QStringList result;
        for (const FakeMessageBoxes::Call& call : boxes.calls())
            result << call.prompt;
        return result;
    }

    NotitaTable table;
    FakeMessageBoxes boxes;
    QAction abrir;
    QAction cerrar;
    std::unique_ptr<NotitaSlots> notitas; // made last, gone first: its windows need the store
};

// A hidden menu item always reports itself disabled: this is whether it is enabled once shown.
bool enabledWhenShown(QAction& action)
{
    const bool visible = action.isVisible();
    action.setVisible(true);
    const bool enabled = action.isEnabled();
    action.setVisible(visible);
    return enabled;
}

QString storedLine(int k, const QString& nota)
{
    return NotitaTable::line(k, nota, NotitaTable::topOf(k), NotitaTable::leftOf(k));
}

const QString kAdd = QStringLiteral("¿Desea añadir una notita?");
const QString kTooMany = QStringLiteral("Solo se permiten 10 notitas");

} // namespace

class TestNotitaSlots : public QObject
{
    Q_OBJECT

private slots:
    void restore_data();
    void restore();
    void restoreBeyondEveryScreen();
    void add_data();
    void add();
    void addPlacesNewOnesApart();
    void showAndHide_data();
    void showAndHide();
    void deleteThroughWindow_data();
    void deleteThroughWindow();
    void addAfterDelete_data();
    void addAfterDelete();
    void refusalAfterReshuffle();
    void verAfterDeleteShowsEachRowOnce();
};

void TestNotitaSlots::restore_data()
{
    QTest::addColumn<QVariantList>("notas"); // the stored rows, in table order; NULL allowed
    QTest::addColumn<bool>("menuEnabled");

    QVariantList ten, twelve;
    for (int k = 1; k <= 12; ++k)
        (k <= 10 ? ten : twelve) << NotitaTable::textOf(k);
    twelve = ten + twelve;

    QTest::newRow("empty table: no window, Ocultar notitas disabled") << QVariantList{} << false;
    QTest::newRow("three rows: windows 1 to 3, no others made")
        << QVariantList{NotitaTable::textOf(1), NotitaTable::textOf(2), NotitaTable::textOf(3)}
        << true;
    QTest::newRow("a NULL nota shows as an empty box")
        << QVariantList{QStringLiteral("uno"), QVariant(), QStringLiteral("tres")} << true;
    QTest::newRow("exactly ten rows") << ten << true;
    QTest::newRow("twelve rows: the first ten shown, the rest untouched") << twelve << true;
}

void TestNotitaSlots::restore()
{
    QFETCH(QVariantList, notas);
    QFETCH(bool, menuEnabled);

    Slots s;
    for (int k = 1; k <= notas.size(); ++k)
        s.table.add(notas[k - 1], NotitaTable::topOf(k), NotitaTable::leftOf(k));
    const int changes = s.table.changes();

    s.notitas->MostrarNotitas();

    const int shown = std::min(int(notas.size()), NotitaSlots::kSlots);
    QList<int> slotsShown;
    QStringList windows, rows;
    for (int k = 1; k <= notas.size(); ++k) {
        const QString text = notas[k - 1].toString();
        if (k <= shown) {
            slotsShown << k;
            windows << QStringLiteral("%1:%1:%2:1:%3:%4")
                           .arg(k)
                           .arg(text)
                           .arg(NotitaTable::topOf(k))
                           .arg(NotitaTable::leftOf(k));
            rows << storedLine(k, text); // bound by setting the text, which saves it
        } else {
            rows << storedLine(k, text);
        }
    }
    QCOMPARE(s.created(), slotsShown);
    QCOMPARE(s.visible(), slotsShown);
    QCOMPARE(s.windows(), windows);
    QCOMPARE(s.table.rows(), rows);
    QCOMPARE(s.table.changes(), changes + shown); // one save for each window bound
    QCOMPARE(enabledWhenShown(s.cerrar), menuEnabled);
    QVERIFY(s.cerrar.isVisible());
    QVERIFY(!s.abrir.isVisible());
    QVERIFY(s.boxes.calls().isEmpty());
}

void TestNotitaSlots::restoreBeyondEveryScreen()
{
    Slots s;
    s.table.add(QStringLiteral("aquí"), 1500, 3000);
    s.table.add(QStringLiteral("en la pantalla que ya no está"), 30000, 45000);
    s.notitas->MostrarNotitas();

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    frmNota* away = s.notitas->existingWindow(2);
    QVERIFY(away->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(away));
    QVERIFY(area.contains(away->frameGeometry()));
    QCOMPARE(s.notitas->existingWindow(1)->frameGeometry().topLeft(), QPoint(200, 100));

    // The place in the store stays as it was until the notita is moved and saves itself.
    const QString kept =
        NotitaTable::line(2, QStringLiteral("en la pantalla que ya no está"), 30000, 45000);
    QCOMPARE(s.table.row(2), kept);
    away->txtNota_LostFocus();
    QCOMPARE(s.table.row(2), kept);
    away->setLeft(600);
    away->setTop(900);
    away->txtNota_LostFocus();
    QCOMPARE(s.table.row(2),
             NotitaTable::line(2, QStringLiteral("en la pantalla que ya no está"), 900, 600));
}

void TestNotitaSlots::add_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("hiddenFirst"); // "Ocultar notitas" before the add
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("prompts");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<int>("boundSlot"); // the window that shows the last row after; 0: none
    QTest::addColumn<QString>("boundText");
    QTest::addColumn<bool>("verVisible");

    const int ok = MessageBoxes::Ok;
    QTest::newRow("no rows: one added, window 1 with an empty box")
        << 0 << false << ok << QStringList{kAdd} << 1 << 1 << "" << false;
    QTest::newRow("cancelled: nothing added")
        << 2 << false << int(MessageBoxes::Cancel) << QStringList{kAdd} << 2 << 0 << "" << false;
    QTest::newRow("three rows: the fourth in window 4")
        << 3 << false << ok << QStringList{kAdd} << 4 << 4 << "" << false;
    QTest::newRow("while hidden: shown, and Ver notitas stays in the menu")
        << 2 << true << ok << QStringList{kAdd} << 3 << 3 << "" << true;
    QTest::newRow("ten rows: refused, window 10 shown on the last row")
        << 10 << true << ok << QStringList{kAdd, kTooMany} << 10 << 10 << NotitaTable::textOf(10)
        << true;
    QTest::newRow("twelve rows: refused, no window changed")
        << 12 << false << ok << QStringList{kAdd, kTooMany} << 12 << 0 << "" << false;
}

void TestNotitaSlots::add()
{
    QFETCH(int, rows);
    QFETCH(bool, hiddenFirst);
    QFETCH(int, answer);
    QFETCH(QStringList, prompts);
    QFETCH(int, rowsAfter);
    QFETCH(int, boundSlot);
    QFETCH(QString, boundText);
    QFETCH(bool, verVisible);

    Slots s(rows);
    s.notitas->MostrarNotitas();
    if (hiddenFirst)
        s.notitas->mCerrarNotitas_Click();
    const QStringList storedBefore = s.table.rows();
    const QStringList windowsBefore = s.windows();
    s.boxes.answerNext(answer);

    s.notitas->mAnyadirNotita_Click();

    QCOMPARE(s.prompts(), prompts);
    const QList<FakeMessageBoxes::Call> calls = s.boxes.calls();
    QCOMPARE(calls.first().title, QStringLiteral("Atención"));
    QCOMPARE(calls.first().style,
             MessageBoxes::OkCancel | MessageBoxes::Question | MessageBoxes::DefaultButton2);
    if (calls.size() > 1) {
        QCOMPARE(calls.at(1).title, QStringLiteral("Dialog"));
        QCOMPARE(calls.at(1).style, MessageBoxes::OkOnly | MessageBoxes::Critical);
    }

    // The new row is the store's own: an indice of its choosing, no text, the place at zero,
    // until the notita saves itself.
    QStringList stored = storedBefore;
    if (rowsAfter > rows)
        stored << NotitaTable::line(rowsAfter, QStringLiteral("NULL"), 0, 0);
    QCOMPARE(s.table.rows(), stored);

    // Every other window is as it was.
    QStringList others = s.windows();
    QStringList othersBefore = windowsBefore;
    if (boundSlot > 0) {
        frmNota* bound = s.notitas->existingWindow(boundSlot);
        QVERIFY(bound);
        QVERIFY(bound->isVisible());
        QCOMPARE(bound->txtIndice->text(), QString::number(rowsAfter));
        QCOMPARE(bound->txtNota->toPlainText(), boundText);
        const QString prefix = QString::number(boundSlot) + QLatin1Char(':');
        others.removeIf([&](const QString& w) { return w.startsWith(prefix); });
        othersBefore.removeIf([&](const QString& w) { return w.startsWith(prefix); });
    }
    QCOMPARE(others, othersBefore);

    QCOMPARE(s.abrir.isVisible(), verVisible);
    QCOMPARE(s.cerrar.isVisible(), !verVisible);
    QCOMPARE(enabledWhenShown(s.cerrar), rowsAfter > 0);
}

void TestNotitaSlots::addPlacesNewOnesApart()
{
    Slots s;
    s.notitas->MostrarNotitas();
    QVERIFY(!enabledWhenShown(s.cerrar));
    for (int k = 1; k <= 3; ++k)
        s.notitas->SSPanel1_Click();
    QVERIFY(enabledWhenShown(s.cerrar));
    QCOMPARE(s.visible(), (QList<int>{1, 2, 3}));

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QList<QPoint> places;
    for (int k = 1; k <= 3; ++k) {
        frmNota* w = s.notitas->existingWindow(k);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(area.contains(w->frameGeometry()));
        QVERIFY(!places.contains(w->frameGeometry().topLeft()));
        places << w->frameGeometry().topLeft();
    }

    // The place reaches the store when the notita first saves itself.
    frmNota* second = s.notitas->existingWindow(2);
    QTest::keyClick(second->txtNota, 'x');
    QCOMPARE(s.table.row(2),
             NotitaTable::line(2, QStringLiteral("x"), second->Top(), second->Left()));
    QVERIFY(second->Top() > 0 || second->Left() > 0);
}

void TestNotitaSlots::showAndHide_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QList<int>>("created");
    QTest::addColumn<QList<int>>("visible");
    QTest::addColumn<bool>("verVisible");
    QTest::addColumn<bool>("ocultarEnabled");

    const QList<int> all{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("Ocultar notitas hides them all and makes the unused windows, hidden")
        << 3 << QStringList{"ocultar"} << all << QList<int>{} << true << true;
    QTest::newRow("Ver notitas shows the stored ones again")
        << 3 << QStringList{"ocultar", "ver"} << all << QList<int>{1, 2, 3} << false << true;
    QTest::newRow("Ver notitas on an empty table disables Ocultar notitas")
        << 0 << QStringList{"ver"} << QList<int>{} << QList<int>{} << false << false;
    QTest::newRow("the end of the program hides them without making any")
        << 3 << QStringList{"fin"} << QList<int>{1, 2, 3} << QList<int>{} << false << true;
}

void TestNotitaSlots::showAndHide()
{
    QFETCH(int, rows);
    QFETCH(QStringList, commands);
    QFETCH(QList<int>, created);
    QFETCH(QList<int>, visible);
    QFETCH(bool, verVisible);
    QFETCH(bool, ocultarEnabled);

    Slots s(rows);
    s.notitas->MostrarNotitas();
    const QStringList stored = s.table.rows();
    for (const QString& command : commands) {
        if (command == QLatin1String("ocultar"))
            s.notitas->mCerrarNotitas_Click();
        else if (command == QLatin1String("ver"))
            s.notitas->mabrirnotitas_Click();
        else
            s.notitas->hideAll();
    }
    QCOMPARE(s.created(), created);
    QCOMPARE(s.visible(), visible);
    QCOMPARE(s.abrir.isVisible(), verVisible);
    QCOMPARE(s.cerrar.isVisible(), !verVisible);
    QCOMPARE(enabledWhenShown(s.cerrar), ocultarEnabled);
    QCOMPARE(s.table.rows(), stored);
    for (int k = rows + 1; k <= NotitaSlots::kSlots; ++k) {
        if (const frmNota* w = s.notitas->existingWindow(k))
            QCOMPARE(w->txtIndice->text(), QString()); // made, but bound to nothing
    }
}

void TestNotitaSlots::deleteThroughWindow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QList<int>>("remaining");
    QTest::addColumn<bool>("ocultarEnabled");

    QTest::newRow("cancelled: the notita stays")
        << 2 << 2 << int(MessageBoxes::Cancel) << QList<int>{1, 2} << true;
    QTest::newRow("the only notita: Ocultar notitas disabled")
        << 1 << 1 << int(MessageBoxes::Ok) << QList<int>{} << false;
    QTest::newRow("the second of three: the others stay bound and shown")
        << 3 << 2 << int(MessageBoxes::Ok) << QList<int>{1, 3} << true;
}

void TestNotitaSlots::deleteThroughWindow()
{
    QFETCH(int, rows);
    QFETCH(int, slot);
    QFETCH(int, answer);
    QFETCH(QList<int>, remaining);
    QFETCH(bool, ocultarEnabled);

    Slots s(rows);
    s.notitas->MostrarNotitas();
    frmNota* w = s.notitas->existingWindow(slot);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    s.boxes.answerNext(answer);
    QTest::mouseDClick(w->txtNota->viewport(), Qt::LeftButton);

    QStringList stored;
    for (int k : remaining)
        stored << storedLine(k, NotitaTable::textOf(k));
    QCOMPARE(s.table.rows(), stored);
    for (int k : remaining) {
        QCOMPARE(s.showing(k).size(), 1);
        QCOMPARE(s.showing(k).first()->txtNota->toPlainText(), NotitaTable::textOf(k));
    }
    QCOMPARE(w->isVisible(), remaining.contains(slot));
    QCOMPARE(enabledWhenShown(s.cerrar), ocultarEnabled);
}

void TestNotitaSlots::addAfterDelete_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("deleted"); // slots, in the order their notitas are deleted
    QTest::addColumn<bool>("verBetween");    // "Ver notitas" after the deletes
    QTest::addColumn<int>("newSlot");

    QTest::newRow("the middle of three deleted: its window takes the new one")
        << 3 << QList<int>{2} << false << 2;
    QTest::newRow("the first of three deleted: its window takes the new one")
        << 3 << QList<int>{1} << false << 1;
    QTest::newRow("the last of three deleted: window n is free")
        << 3 << QList<int>{3} << false << 3;
    QTest::newRow("two of four deleted: window n is free again")
        << 4 << QList<int>{3, 1} << false << 3;
    QTest::newRow("two of four deleted, window n busy: the first free one")
        << 4 << QList<int>{1, 2} << false << 1;
    QTest::newRow("Ver notitas after a delete, then a new one") << 4 << QList<int>{1} << true << 4;
}

void TestNotitaSlots::addAfterDelete()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, deleted);
    QFETCH(bool, verBetween);
    QFETCH(int, newSlot);

    Slots s(rows);
    s.notitas->MostrarNotitas();
    QList<int> remaining;
    for (int k = 1; k <= rows; ++k)
        remaining << k;
    for (int slot : deleted) {
        frmNota* w = s.notitas->existingWindow(slot);
        remaining.removeOne(w->txtIndice->text().toInt());
        QVERIFY(w->txtNota_DblClick());
    }
    if (verBetween)
        s.notitas->mabrirnotitas_Click();

    s.notitas->SSPanel1_Click();
    const int added = rows + 1;

    frmNota* fresh = s.notitas->existingWindow(newSlot);
    QVERIFY(fresh);
    QVERIFY(fresh->isVisible());
    QCOMPARE(fresh->txtIndice->text(), QString::number(added));
    QCOMPARE(fresh->txtNota->toPlainText(), QString());
    QCOMPARE(s.showing(added).size(), 1);

    // Every stored row keeps its text and is shown once, by a window that shows that text.
    QStringList stored;
    for (int k : remaining) {
        stored << storedLine(k, NotitaTable::textOf(k));
        const QList<frmNota*> windows = s.showing(k);
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first()->txtNota->toPlainText(), NotitaTable::textOf(k));
    }
    QCOMPARE(s.table.rows(), stored + QStringList{NotitaTable::line(added, "NULL", 0, 0)});

    // What is typed into the new notita reaches its row only.
    QTest::keyClick(fresh->txtNota, 'z');
    QCOMPARE(s.table.rows(),
             stored + QStringList{NotitaTable::line(added, "z", fresh->Top(), fresh->Left())});
}

void TestNotitaSlots::refusalAfterReshuffle()
{
    // Ten notitas; the third is deleted and a new one takes window 3; then an eleventh is
    // refused, and window 10 is bound to the last row, which window 3 showed.
    Slots s(10);
    s.notitas->MostrarNotitas();
    QVERIFY(s.notitas->existingWindow(3)->txtNota_DblClick());
    s.notitas->SSPanel1_Click();
    frmNota* third = s.notitas->existingWindow(3);
    QCOMPARE(third->txtIndice->text(), QStringLiteral("11"));
    QTest::keyClicks(third->txtNota, QStringLiteral("once"));
    const double top = third->Top();
    const double left = third->Left();
    const QString eleventh = NotitaTable::line(11, QStringLiteral("once"), top, left);
    s.boxes.clear();

    s.notitas->SSPanel1_Click();

    QCOMPARE(s.prompts(), (QStringList{kAdd, kTooMany}));
    frmNota* tenth = s.notitas->existingWindow(10);
    QVERIFY(tenth->isVisible());
    QCOMPARE(tenth->txtIndice->text(), QStringLiteral("11"));
    QCOMPARE(tenth->txtNota->toPlainText(), QStringLiteral("once"));
    QStringList stored;
    for (int k : {1, 2, 4, 5, 6, 7, 8, 9, 10}) {
        stored << storedLine(k, NotitaTable::textOf(k));
        QCOMPARE(s.showing(k).size(), 1);
        QCOMPARE(s.showing(k).first()->txtNota->toPlainText(), NotitaTable::textOf(k));
    }
    QCOMPARE(s.showing(11).size(), 1);
    QCOMPARE(s.table.rows(), stored + QStringList{eleventh});

    QTest::keyClick(tenth->txtNota, Qt::Key_End);
    QTest::keyClick(tenth->txtNota, 's');
    QCOMPARE(s.table.rows(),
             stored + QStringList{NotitaTable::line(11, QStringLiteral("onces"), top, left)});
}

void TestNotitaSlots::verAfterDeleteShowsEachRowOnce()
{
    // Four notitas, the first deleted: "Ver notitas" puts rows 2..4 in windows 1..3, and
    // window 4, which showed row 4, lets it go rather than show it a second time.
    Slots s(4);
    s.notitas->MostrarNotitas();
    QVERIFY(s.notitas->existingWindow(1)->txtNota_DblClick());
    s.notitas->mabrirnotitas_Click();

    QCOMPARE(s.visible(), (QList<int>{1, 2, 3}));
    for (int k = 2; k <= 4; ++k) {
        QCOMPARE(s.showing(k).size(), 1);
        QCOMPARE(s.showing(k).first(), s.notitas->existingWindow(k - 1));
        QCOMPARE(s.showing(k).first()->txtNota->toPlainText(), NotitaTable::textOf(k));
    }
    frmNota* fourth = s.notitas->existingWindow(4);
    QCOMPARE(fourth->txtIndice->text(), QString());
    QCOMPARE(fourth->txtNota->toPlainText(), QString());
    QCOMPARE(s.table.rows(), (QStringList{storedLine(2, NotitaTable::textOf(2)),
                                          storedLine(3, NotitaTable::textOf(3)),
                                          storedLine(4, NotitaTable::textOf(4))}));
}

QTEST_MAIN(TestNotitaSlots)
#include "tst_notitaslots.moc"
