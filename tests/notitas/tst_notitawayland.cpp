#include "FakeMessageBoxes.h"
#include "TestStore.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "store/domain/StoreGuard.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QtTest>

// On a Wayland compositor, which neither tells a program where its windows are nor lets it
// put them: whatever the user does to the notitas (typing, the keyboard going from one to
// another, the program ending), the places stored stay as they were, the texts are written,
// and a new notita's place is not made up. Run by e2e_wayland.sh under weston; elsewhere
// there is nothing to see.
class TestNotitaWayland : public QObject
{
    Q_OBJECT

private slots:
    void placesStay_data();
    void placesStay();
};

void TestNotitaWayland::placesStay_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("typing into one") << "type";
    QTest::newRow("the keyboard going to another") << "focus";
    QTest::newRow("the program ending") << "end";
    QTest::newRow("a new notita typed into") << "new";
}

void TestNotitaWayland::placesStay()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        QSKIP("only a Wayland compositor hides the windows' places");
    QFETCH(QString, action);
    TestStore table;
    table.addNotitas(3);
    const QStringList before = table.notitaRows();
    FakeMessageBoxes boxes;
    QStringList failures;
    StoreGuard guard([&](const StoreError& error, const QString&) { failures << error.message(); });
    NotitaSlots notitas(table.store->notitas(), boxes, guard);
    notitas.MostrarNotitas();
    for (int k = 1; k <= 3; ++k)
        QVERIFY(QTest::qWaitForWindowExposed(notitas.window(k)));
    QTest::qWait(200); // the compositor has configured them

    const auto box = [&](int k) {
        return notitas.window(k)->findChild<QPlainTextEdit*>(QStringLiteral("txtNota"));
    };
    QStringList expected = before;
    if (action == QLatin1String("type")) {
        // Typed as text changes: Qt's Wayland input method fails on keys without a seat, and
        // the compositor has no keyboard.
        box(2)->setFocus();
        box(2)->moveCursor(QTextCursor::End);
        box(2)->insertPlainText(QStringLiteral(" s"));
        box(2)->insertPlainText(QStringLiteral("í"));
        expected[1] = TestStore::notitaLine(2, TestStore::textOf(2) + QStringLiteral(" sí"),
                                            TestStore::topOf(2), TestStore::leftOf(2));
    } else if (action == QLatin1String("focus")) {
        for (int k : {1, 2, 3, 1}) {
            notitas.window(k)->activateWindow();
            box(k)->setFocus();
            QTest::qWait(50);
        }
    } else if (action == QLatin1String("end")) {
        box(3)->setFocus();
        notitas.hideAll();
    } else {
        boxes.answerNext(MessageBoxes::Ok);
        notitas.SSPanel1_Click();
        frmNota* fresh = notitas.window(4);
        QVERIFY(QTest::qWaitForWindowExposed(fresh));
        QPlainTextEdit* freshBox = fresh->findChild<QPlainTextEdit*>(QStringLiteral("txtNota"));
        freshBox->setFocus();
        freshBox->insertPlainText(QStringLiteral("nue"));
        freshBox->insertPlainText(QStringLiteral("va"));
        notitas.hideAll();
        // The new row has the text and the place it was given when it was added, no other.
        const QString added = table.notitaRow(4);
        QCOMPARE(added.section(QLatin1Char('|'), 1, 1), QStringLiteral("nueva"));
        QCOMPARE(added.section(QLatin1Char('|'), 2), QStringLiteral("0|0"));
        expected << added;
    }
    QCOMPARE(table.notitaRows(), expected);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestNotitaWayland)
#include "tst_notitawayland.moc"
