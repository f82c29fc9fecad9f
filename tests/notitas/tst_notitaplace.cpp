#include "FakeMessageBoxes.h"
#include "TestStore.h"
#include "notitas/NotitaSlots.h"
#include "notitas/frmNota.h"
#include "store/domain/StoreGuard.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QtTest>

// Where a new notita goes: beside the main window in a free place on its screen, never over it.

class TestNotitaPlace : public QObject
{
    Q_OBJECT

private slots:
    void newNotitaBesideCalendar_data();
    void newNotitaBesideCalendar();
    void spokenNotita();
};

void TestNotitaPlace::newNotitaBesideCalendar_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("calendar at the screen's left") << "left";
    QTest::newRow("calendar at the screen's right") << "right";
}

void TestNotitaPlace::newNotitaBesideCalendar()
{
    QFETCH(QString, where);

    TestStore t;
    FakeMessageBoxes boxes; // answers "Aceptar"
    QStringList failures;
    StoreGuard guard([&failures](const StoreError& e, const QString&) { failures << e.message(); });
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size(245, 460);
    const QRect calendar =
        where == QLatin1String("left")
            ? QRect(area.topLeft() + QPoint(10, 20), size)
            : QRect(QPoint(area.right() + 1 - size.width() - 10, area.top() + 20), size);
    NotitaSlots notitas(t.store->notitas(), boxes, guard, [calendar] { return calendar; });

    QList<QRect> placed;
    for (int k = 1; k <= 3; ++k) {
        notitas.SSPanel1_Click();
        frmNota* notita = notitas.existingWindow(k);
        QVERIFY(notita && notita->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(notita));
        const QRect outer(notita->frameGeometry().topLeft(), notita->outerSize());
        QVERIFY(area.contains(outer));
        QVERIFY(!outer.intersects(calendar));
        if (where == QLatin1String("left"))
            QVERIFY(outer.left() > calendar.right());
        else
            QVERIFY(outer.right() < calendar.left());
        for (const QRect& other : placed)
            QVERIFY(!outer.intersects(other));
        placed << outer;
    }
    // The first stands level with the calendar's top, beside it.
    QCOMPARE(placed.first().top(), calendar.top());
    QCOMPARE(t.notitaCount(), 3);
    QVERIFY(failures.isEmpty());
    notitas.hideAll();
}

void TestNotitaPlace::spokenNotita()
{
    TestStore t;
    t.addNotita(QStringLiteral("Llamar al fontanero"), 300, 450);
    FakeMessageBoxes boxes;
    StoreGuard guard([](const StoreError& e, const QString&) { QFAIL(qPrintable(e.message())); });
    NotitaSlots notitas(t.store->notitas(), boxes, guard);
    notitas.MostrarNotitas();
    frmNota* notita = notitas.existingWindow(1);
    QVERIFY(notita);
    auto* box = notita->findChild<QPlainTextEdit*>(QStringLiteral("txtNota"));
    QVERIFY(box);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Notita 1"));
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Llamar al fontanero"));
    QCOMPARE(iface->role(), QAccessible::EditableText);

    // What the user types is what is read.
    box->setPlainText(QStringLiteral("Llamar al fontanero mañana"));
    QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("Llamar al fontanero mañana"));
    notitas.hideAll();
}

QTEST_MAIN(TestNotitaPlace)
#include "tst_notitaplace.moc"
