#include "Controls.h"
#include "FakeMessageBoxes.h"
#include "TestStore.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "store/domain/StoreGuard.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <sqlite3.h>

namespace {

QPlainTextEdit* txtNota(const frmNota* window)
{
    return child<QPlainTextEdit>(window, "txtNota");
}

// The row a window is bound to; 0, which no row has, for none.
qint64 boundOf(const frmNota* window)
{
    return window->boundRow().value_or(0);
}

// The ten notita slots over a store of their own, with the two menu items as the main window
// starts them (the notitas shown, so "Ocultar notitas" is the one in the menu) and follows the
// slots' signals with them.
struct Slots
{
    explicit Slots(int rows = 0)
        : abrir(QStringLiteral("Ver notitas")), cerrar(QStringLiteral("Ocultar notitas")),
          guard([this](const StoreError& error, const QString& unsaved) {
              failures << error.message() + QLatin1Char('/') + unsaved;
          })
    {
        abrir.setVisible(false);
        table.addNotitas(rows);
        notitas = std::make_unique<NotitaSlots>(table.store->notitas(), boxes, guard);
        QObject::connect(notitas.get(), &NotitaSlots::notitasShown, &cerrar, [this] {
            cerrar.setVisible(true);
            abrir.setVisible(false);
        });
        QObject::connect(notitas.get(), &NotitaSlots::notitasHidden, &cerrar, [this] {
            cerrar.setVisible(false);
            abrir.setVisible(true);
        });
        QObject::connect(notitas.get(), &NotitaSlots::tableEmptied, &cerrar,
                         [this] { cerrar.setEnabled(false); });
        QObject::connect(notitas.get(), &NotitaSlots::notitaAdded, &cerrar,
                         [this] { cerrar.setEnabled(true); });
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
            const QString indice = w->boundRow() ? QString::number(*w->boundRow()) : QString();
            result << QStringLiteral("%1:%2:%3:%4:%5:%6")
                          .arg(k)
                          .arg(indice, w->text())
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
            if (w && w->isVisible() && w->boundRow() == indice)
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

    TestStore table;
    FakeMessageBoxes boxes;
    QAction abrir;
    QAction cerrar;
    QStringList failures; // what the store guard was told
    StoreGuard guard;
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
    return TestStore::notitaLine(k, nota, TestStore::topOf(k), TestStore::leftOf(k));
}

// Every stored notita exactly as another program reads it from the file:
// "indice|type of nota|nota's bytes in hex|Top|Left".
QStringList rawNotitas(const TestStore& table)
{
    QStringList result;
    sqlite3* reader = nullptr;
    const QByteArray file = QFile::encodeName(table.path());
    if (sqlite3_open_v2(file.constData(), &reader, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(reader,
                           "SELECT indice || '|' || typeof(nota) || '|' || hex(nota) || '|' || "
                           "quote(\"Top\") || '|' || quote(\"Left\") FROM Nota ORDER BY rowid",
                           -1, &select, nullptr);
        while (select && sqlite3_step(select) == SQLITE_ROW) {
            result << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(select, 0)));
        }
        sqlite3_finalize(select);
    }
    sqlite3_close(reader);
    return result;
}

const QString kAdd = QStringLiteral("¿Desea añadir una notita?");
const QString kTooMany = QStringLiteral("Solo se permiten 10 notitas");

} // namespace

class TestNotitaSlots : public QObject
{
    Q_OBJECT

private slots:
    void contarNotitas_data();
    void contarNotitas();
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
    void bindingWritesNothing_data();
    void bindingWritesNothing();
    void signalsDriveTheMenuPair_data();
    void signalsDriveTheMenuPair();
};

void TestNotitaSlots::contarNotitas_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("counted");

    QTest::newRow("empty table") << 0 << 0;
    QTest::newRow("one row") << 1 << 1;
    QTest::newRow("ten rows") << 10 << 10;
    QTest::newRow("three hundred rows count as the byte's highest") << 300 << 255;
}

void TestNotitaSlots::contarNotitas()
{
    QFETCH(int, rows);
    QFETCH(int, counted);

    Slots s(rows);
    const int changes = s.table.changes();
    QCOMPARE(s.notitas->ContarNotitas(), counted);
    QCOMPARE(s.table.store->notitas().count(), counted);
    QCOMPARE(s.table.changes(), changes); // counting writes nothing
    QVERIFY(s.failures.isEmpty());
}

void TestNotitaSlots::restore_data()
{
    QTest::addColumn<QVariantList>("notas"); // the stored rows, in table order; NULL allowed
    QTest::addColumn<bool>("menuEnabled");

    QVariantList ten, twelve;
    for (int k = 1; k <= 12; ++k)
        (k <= 10 ? ten : twelve) << TestStore::textOf(k);
    twelve = ten + twelve;

    QTest::newRow("empty table: no window, Ocultar notitas disabled") << QVariantList{} << false;
    QTest::newRow("three rows: windows 1 to 3, no others made")
        << QVariantList{TestStore::textOf(1), TestStore::textOf(2), TestStore::textOf(3)} << true;
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
        s.table.addNotita(notas[k - 1], TestStore::topOf(k), TestStore::leftOf(k));
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
                           .arg(TestStore::topOf(k))
                           .arg(TestStore::leftOf(k));
        }
        // Binding writes nothing: every row stays as it was stored, a Null nota included.
        rows << storedLine(k, notas[k - 1].isNull() ? QStringLiteral("NULL") : text);
    }
    QCOMPARE(s.created(), slotsShown);
    QCOMPARE(s.visible(), slotsShown);
    QCOMPARE(s.windows(), windows);
    QCOMPARE(s.table.notitaRows(), rows);
    QCOMPARE(s.table.changes(), changes); // no save for a window bound
    QCOMPARE(enabledWhenShown(s.cerrar), menuEnabled);
    QVERIFY(s.cerrar.isVisible());
    QVERIFY(!s.abrir.isVisible());
    QVERIFY(s.boxes.calls().isEmpty());
}

void TestNotitaSlots::restoreBeyondEveryScreen()
{
    Slots s;
    s.table.addNotita(QStringLiteral("aquí"), 1500, 3000);
    s.table.addNotita(QStringLiteral("en la pantalla que ya no está"), 30000, 45000);
    s.notitas->MostrarNotitas();

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    frmNota* away = s.notitas->existingWindow(2);
    QVERIFY(away->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(away));
    QVERIFY(area.contains(away->frameGeometry()));
    QCOMPARE(s.notitas->existingWindow(1)->frameGeometry().topLeft(), QPoint(200, 100));

    // The place in the store stays as it was until the notita is moved and saves itself.
    const QString kept =
        TestStore::notitaLine(2, QStringLiteral("en la pantalla que ya no está"), 30000, 45000);
    QCOMPARE(s.table.notitaRow(2), kept);
    away->txtNota_LostFocus();
    QCOMPARE(s.table.notitaRow(2), kept);
    away->move(Twips::toPixels(600), Twips::toPixels(900));
    away->txtNota_LostFocus();
    QCOMPARE(s.table.notitaRow(2),
             TestStore::notitaLine(2, QStringLiteral("en la pantalla que ya no está"), 900, 600));
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
        << 10 << true << ok << QStringList{kAdd, kTooMany} << 10 << 10 << TestStore::textOf(10)
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
    const QStringList storedBefore = s.table.notitaRows();
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

    // The new row is the store's own, with an indice of its choosing, no text, and the place
    // its window was given, so that a notita left empty comes back there.
    QStringList stored = storedBefore;
    if (rowsAfter > rows) {
        const frmNota* added = s.notitas->existingWindow(boundSlot);
        QVERIFY(added);
        QVERIFY(added->Top() > 0 || added->Left() > 0);
        stored << TestStore::notitaLine(rowsAfter, QString(), added->Top(), added->Left());
        // Asked for by the user, it has the keyboard.
        QTRY_COMPARE(QApplication::activeWindow(), added);
        QTRY_VERIFY(txtNota(added)->hasFocus());
    }
    QCOMPARE(s.table.notitaRows(), stored);

    // Every other window is as it was.
    QStringList others = s.windows();
    QStringList othersBefore = windowsBefore;
    if (boundSlot > 0) {
        frmNota* bound = s.notitas->existingWindow(boundSlot);
        QVERIFY(bound);
        QVERIFY(bound->isVisible());
        QCOMPARE(boundOf(bound), qint64(rowsAfter));
        QCOMPARE(bound->text(), boundText);
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

    // The place reaches the store as the notita is made, and follows it from then on.
    frmNota* second = s.notitas->existingWindow(2);
    QTest::keyClick(txtNota(second), 'x');
    QCOMPARE(s.table.notitaRow(2),
             TestStore::notitaLine(2, QStringLiteral("x"), second->Top(), second->Left()));
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
    const QStringList stored = s.table.notitaRows();
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
    QCOMPARE(s.table.notitaRows(), stored);
    for (int k = rows + 1; k <= NotitaSlots::kSlots; ++k) {
        if (const frmNota* w = s.notitas->existingWindow(k))
            QVERIFY(!w->boundRow()); // made, but bound to nothing
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
    QTest::mouseDClick(txtNota(w)->viewport(), Qt::LeftButton);

    QStringList stored;
    for (int k : remaining)
        stored << storedLine(k, TestStore::textOf(k));
    QCOMPARE(s.table.notitaRows(), stored);
    for (int k : remaining) {
        QCOMPARE(s.showing(k).size(), 1);
        QCOMPARE(s.showing(k).first()->text(), TestStore::textOf(k));
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
        remaining.removeOne(int(boundOf(w)));
        QVERIFY(w->txtNota_DblClick());
    }
    if (verBetween)
        s.notitas->mabrirnotitas_Click();

    s.notitas->SSPanel1_Click();
    const int added = rows + 1;

    frmNota* fresh = s.notitas->existingWindow(newSlot);
    QVERIFY(fresh);
    QVERIFY(fresh->isVisible());
    QCOMPARE(boundOf(fresh), qint64(added));
    QCOMPARE(fresh->text(), QString());
    QCOMPARE(s.showing(added).size(), 1);

    // Every stored row keeps its text and is shown once, by a window that shows that text.
    QStringList stored;
    for (int k : remaining) {
        stored << storedLine(k, TestStore::textOf(k));
        const QList<frmNota*> windows = s.showing(k);
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first()->text(), TestStore::textOf(k));
    }
    QCOMPARE(s.table.notitaRows(), stored + QStringList{TestStore::notitaLine(
                                                added, QString(), fresh->Top(), fresh->Left())});

    // What is typed into the new notita reaches its row only.
    QTest::keyClick(txtNota(fresh), 'z');
    QCOMPARE(s.table.notitaRows(),
             stored + QStringList{TestStore::notitaLine(added, "z", fresh->Top(), fresh->Left())});
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
    QCOMPARE(boundOf(third), qint64(11));
    QTest::keyClicks(txtNota(third), QStringLiteral("once"));
    const double top = third->Top();
    const double left = third->Left();
    const QString eleventh = TestStore::notitaLine(11, QStringLiteral("once"), top, left);
    s.boxes.clear();

    s.notitas->SSPanel1_Click();

    QCOMPARE(s.prompts(), (QStringList{kAdd, kTooMany}));
    frmNota* tenth = s.notitas->existingWindow(10);
    QVERIFY(tenth->isVisible());
    QCOMPARE(boundOf(tenth), qint64(11));
    QCOMPARE(tenth->text(), QStringLiteral("once"));
    QStringList stored;
    for (int k : {1, 2, 4, 5, 6, 7, 8, 9, 10}) {
        stored << storedLine(k, TestStore::textOf(k));
        QCOMPARE(s.showing(k).size(), 1);
        QCOMPARE(s.showing(k).first()->text(), TestStore::textOf(k));
    }
    QCOMPARE(s.showing(11).size(), 1);
    QCOMPARE(s.table.notitaRows(), stored + QStringList{eleventh});

    QTest::keyClick(txtNota(tenth), Qt::Key_End);
    QTest::keyClick(txtNota(tenth), 's');
    QCOMPARE(s.table.notitaRows(),
             stored + QStringList{TestStore::notitaLine(11, QStringLiteral("onces"), top, left)});
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
        QCOMPARE(s.showing(k).first()->text(), TestStore::textOf(k));
    }
    frmNota* fourth = s.notitas->existingWindow(4);
    QVERIFY(!fourth->boundRow());
    QCOMPARE(fourth->text(), QString());
    QCOMPARE(s.table.notitaRows(),
             (QStringList{storedLine(2, TestStore::textOf(2)), storedLine(3, TestStore::textOf(3)),
                          storedLine(4, TestStore::textOf(4))}));
}

void TestNotitaSlots::bindingWritesNothing_data()
{
    QTest::addColumn<QVariant>("nota"); // the first notita's; two ordinary ones follow
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("movedText"); // what a save of the moved notita writes

    QString big;
    for (int line = 1; big.size() < (1 << 20); ++line)
        big +=
            QStringLiteral("línea %1 de una notita muy larga, que se muestra entera\n").arg(line);

    QTest::newRow("a CR LF text keeps its CR LF")
        << QVariant(QStringLiteral("pan\r\nleche")) << QStringLiteral("pan\nleche")
        << QStringLiteral("pan\r\nleche");
    // Moved, it is written as the store writes any text it is given: empty, not Null.
    QTest::newRow("a Null text stays Null") << QVariant() << QString() << QString();
    QTest::newRow("a 1 MB text, shown whole") << QVariant(big) << big << big;
}

void TestNotitaSlots::bindingWritesNothing()
{
    QFETCH(QVariant, nota);
    QFETCH(QString, shown);
    QFETCH(QString, movedText);

    Slots s;
    s.table.addNotita(nota, TestStore::topOf(1), TestStore::leftOf(1));
    for (int k = 2; k <= 3; ++k)
        s.table.addNotita(TestStore::textOf(k), TestStore::topOf(k), TestStore::leftOf(k));
    const QStringList stored = rawNotitas(s.table);
    const int changes = s.table.changes();

    // The start-up, then "Ocultar notitas" and "Ver notitas", which binds them all again.
    s.notitas->MostrarNotitas();
    frmNota* first = s.notitas->existingWindow(1);
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->text(), shown);
    QCOMPARE(rawNotitas(s.table), stored);
    QCOMPARE(s.table.changes(), changes);
    s.notitas->mCerrarNotitas_Click();
    s.notitas->mabrirnotitas_Click();
    QCOMPARE(first->text(), shown);
    QCOMPARE(rawNotitas(s.table), stored);
    QCOMPARE(s.table.changes(), changes);
    // Nor does the focus going in and out again, the notita neither typed in nor moved.
    first->txtNota_LostFocus();
    QCOMPARE(rawNotitas(s.table), stored);
    QCOMPARE(s.table.changes(), changes);

    // Moved, its new place is written with the text as it was stored.
    first->move(first->frameGeometry().topLeft() + QPoint(15, 30));
    first->txtNota_LostFocus();
    const double top = TestStore::topOf(1) + 450;
    const double left = TestStore::leftOf(1) + 225;
    QCOMPARE(s.table.changes(), changes + 1);
    QCOMPARE(s.table.notitaRow(1), TestStore::notitaLine(1, movedText, top, left));

    // A keystroke is the user's change: it writes the row, as the window holds it.
    QTest::keyClick(txtNota(first), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(s.table.changes(), changes + 1);
    QTest::keyClick(txtNota(first), 'x');
    QCOMPARE(s.table.changes(), changes + 2);
    QCOMPARE(s.table.notitaRow(1), TestStore::notitaLine(1, shown + QLatin1Char('x'), top, left));
    QCOMPARE(rawNotitas(s.table).mid(1), stored.mid(1));
    QVERIFY(s.failures.isEmpty());
}

void TestNotitaSlots::signalsDriveTheMenuPair_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("before"); // commands run before the signals are watched
    QTest::addColumn<QString>("command");
    // How often each signal came: notitasShown, notitasHidden, tableEmptied, notitaAdded.
    QTest::addColumn<QList<int>>("signalled");
    QTest::addColumn<bool>("verVisible");
    QTest::addColumn<bool>("ocultarEnabled");

    const QStringList started{"inicio"};
    const QStringList hidden{"inicio", "ocultar"};
    QTest::newRow("start-up on an empty table: tableEmptied")
        << 0 << QStringList{} << "inicio" << QList<int>{0, 0, 1, 0} << false << false;
    QTest::newRow("start-up with notitas: no signal")
        << 2 << QStringList{} << "inicio" << QList<int>{0, 0, 0, 0} << false << true;
    QTest::newRow("Ver notitas: notitasShown")
        << 2 << hidden << "ver" << QList<int>{1, 0, 0, 0} << false << true;
    QTest::newRow("Ver notitas on an empty table: notitasShown and tableEmptied")
        << 0 << hidden << "ver" << QList<int>{1, 0, 1, 0} << false << false;
    QTest::newRow("Ocultar notitas: notitasHidden")
        << 2 << started << "ocultar" << QList<int>{0, 1, 0, 0} << true << true;
    QTest::newRow("deleting the last notita: tableEmptied")
        << 1 << started << "borrar" << QList<int>{0, 0, 1, 0} << false << false;
    QTest::newRow("deleting one of two: no signal")
        << 2 << started << "borrar" << QList<int>{0, 0, 0, 0} << false << true;
    QTest::newRow("an add to an empty table: notitaAdded")
        << 0 << started << "añadir" << QList<int>{0, 0, 0, 1} << false << true;
    QTest::newRow("an add while hidden: notitaAdded, the menu pair stays")
        << 1 << hidden << "añadir" << QList<int>{0, 0, 0, 1} << true << true;
    QTest::newRow("an add cancelled: no signal")
        << 0 << started << "cancelar" << QList<int>{0, 0, 0, 0} << false << false;
    QTest::newRow("an add refused at ten: no signal")
        << 10 << started << "añadir" << QList<int>{0, 0, 0, 0} << false << true;
}

void TestNotitaSlots::signalsDriveTheMenuPair()
{
    QFETCH(int, rows);
    QFETCH(QStringList, before);
    QFETCH(QString, command);
    QFETCH(QList<int>, signalled);
    QFETCH(bool, verVisible);
    QFETCH(bool, ocultarEnabled);

    Slots s(rows);
    const auto run = [&](const QString& name) {
        if (name == QLatin1String("inicio")) {
            s.notitas->MostrarNotitas();
        } else if (name == QLatin1String("ver")) {
            s.notitas->mabrirnotitas_Click();
        } else if (name == QLatin1String("ocultar")) {
            s.notitas->mCerrarNotitas_Click();
        } else if (name == QLatin1String("borrar")) {
            s.boxes.answerNext(MessageBoxes::Ok);
            QVERIFY(s.notitas->existingWindow(1)->txtNota_DblClick());
        } else {
            s.boxes.answerNext(name == QLatin1String("cancelar") ? MessageBoxes::Cancel
                                                                 : MessageBoxes::Ok);
            s.notitas->mAnyadirNotita_Click();
        }
    };
    for (const QString& name : before)
        run(name);
    if (QTest::currentTestFailed())
        return;
    QSignalSpy shown(s.notitas.get(), &NotitaSlots::notitasShown);
    QSignalSpy hidden(s.notitas.get(), &NotitaSlots::notitasHidden);
    QSignalSpy emptied(s.notitas.get(), &NotitaSlots::tableEmptied);
    QSignalSpy added(s.notitas.get(), &NotitaSlots::notitaAdded);

    run(command);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(
        (QList<int>{int(shown.size()), int(hidden.size()), int(emptied.size()), int(added.size())}),
        signalled);
    QCOMPARE(s.abrir.isVisible(), verVisible);
    QCOMPARE(s.cerrar.isVisible(), !verVisible);
    QCOMPARE(enabledWhenShown(s.cerrar), ocultarEnabled);
    QVERIFY(s.failures.isEmpty());
}

QTEST_MAIN(TestNotitaSlots)
#include "tst_notitaslots.moc"
