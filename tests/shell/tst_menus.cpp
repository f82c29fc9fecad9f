#include "Controls.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "listings/NotesPanel.h"
#include "listings/frmBuscar.h"
#include "listings/frmSeleccion.h"
#include "notitas/NotitaSlots.h"
#include "shell/Session.h"
#include "shell/frmCalendar.h"
#include "widgets/WindowPlace.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest>

// Every menu item of the main window reaches the command it names.
class TestMenus : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listingsCoverTheShownMonthAndYear_data();
    void listingsCoverTheShownMonthAndYear();
    void dialogsOpenOnFirstUse();
    void bothHelpItemsOpenTheHelp();
    void windowsOpenBesideTheCalendar_data();
    void windowsOpenBesideTheCalendar();
    void notitaItems();

private:
    QAction* item(const QString& name) const
    {
        return child<QAction>(window_, name.toUtf8().constData());
    }

    std::unique_ptr<TestStore> store_;
    std::unique_ptr<TestSeams> doubles_;
    std::unique_ptr<Session> session_;
    frmCalendar* window_ = nullptr;
};

void TestMenus::init()
{
    store_ = std::make_unique<TestStore>();
    store_->addNote(QDate(1997, 3, 20), QStringLiteral("en marzo"));
    store_->addNote(QDate(1997, 6, 2), QStringLiteral("en junio"));
    doubles_ = std::make_unique<TestSeams>(); // 5 March 1997
    session_ = Session::start(doubles_->seams(), store_->folder());
    QVERIFY(session_);
    window_ = &session_->window();
}

void TestMenus::cleanup()
{
    window_ = nullptr;
    session_.reset();
    doubles_.reset();
    store_.reset();
}

void TestMenus::listingsCoverTheShownMonthAndYear_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("printedLines");
    QTest::newRow("month on screen") << "mPantallaMes"
                                     << "1 Notas halladas de marzo" << 0;
    QTest::newRow("month on paper") << "mImpresoraMes"
                                    << "1 Notas halladas de marzo" << 4;
    QTest::newRow("year on screen") << "mPantallaAnyo"
                                    << "2 Notas halladas de 1997" << 0;
    QTest::newRow("year on paper") << "mImpresoraAnyo"
                                   << "2 Notas halladas de 1997" << 5;
}

void TestMenus::listingsCoverTheShownMonthAndYear()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, printedLines);
    item(name)->trigger();
    QCOMPARE(child<QLabel>(window_->notesPanel(), "caption")->text(), caption);
    QCOMPARE(window_->outerWidth(), frmCalendar::kWideWidth);
    QCOMPARE(doubles_->printer.lines.size(), printedLines);
    if (printedLines > 0)
        QCOMPARE(doubles_->printer.lines.first(), caption);
}

void TestMenus::dialogsOpenOnFirstUse()
{
    QVERIFY(!window_->seleccion());
    item(QStringLiteral("mSelección"))->trigger();
    QVERIFY(window_->seleccion() && window_->seleccion()->isVisible());

    QVERIFY(!window_->buscar());
    item(QStringLiteral("mBucar"))->trigger();
    QVERIFY(window_->buscar() && window_->buscar()->isVisible());
}

void TestMenus::bothHelpItemsOpenTheHelp()
{
    item(QStringLiteral("mInstrucciones"))->trigger();
    item(QStringLiteral("mAcerca"))->trigger();
    QCOMPARE(doubles_->help.requested,
             QStringList({QStringLiteral("Tarvelo.HLP"), QStringLiteral("Tarvelo.HLP")}));
}

void TestMenus::windowsOpenBesideTheCalendar_data()
{
    QTest::addColumn<QStringList>("items"); // triggered in turn
    QTest::addColumn<QStringList>("windows");

    QTest::newRow("Seleccionar...") << QStringList{"mSelección"} << QStringList{"frmSeleccion"};
    QTest::newRow("Buscar...") << QStringList{"mBucar"} << QStringList{"frmBuscar"};
    QTest::newRow("both: neither over the other")
        << QStringList{"mSelección", "mBucar"} << QStringList{"frmSeleccion", "frmBuscar"};
}

void TestMenus::windowsOpenBesideTheCalendar()
{
    QFETCH(QStringList, items);
    QFETCH(QStringList, windows);

    // The calendar at the screen's right edge: the windows go to its left.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window_->move(screen.right() + 1 - window_->frameGeometry().width(), screen.top() + 40);
    QVERIFY(QTest::qWaitForWindowExposed(window_));
    const QRect calendar = window_->frameGeometry();

    QList<QRect> opened;
    for (qsizetype k = 0; k < items.size(); ++k) {
        item(items[k])->trigger();
        auto* opened_window = window_->findChild<QWidget*>(windows[k]);
        QVERIFY(opened_window && opened_window->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(opened_window));
        const QRect outer(opened_window->frameGeometry().topLeft(),
                          WindowPlace::outerSize(*opened_window));
        QVERIFY2(screen.contains(outer), qPrintable(windows[k]));
        QVERIFY2(!outer.intersects(calendar), qPrintable(windows[k]));
        for (const QRect& other : opened)
            QVERIFY2(!outer.intersects(other), qPrintable(windows[k]));
        opened << outer;
    }

    // An open window moved by the user stays where it was put when asked for again.
    auto* first = window_->findChild<QWidget*>(windows.first());
    first->move(screen.topLeft() + QPoint(5, 5));
    const QPoint put = first->pos();
    item(items.first())->trigger();
    QCOMPARE(first->pos(), put);

    // The help is asked for beside the calendar.
    item(QStringLiteral("mInstrucciones"))->trigger();
    QCOMPARE(doubles_->help.besides, QList<QRect>{window_->frameGeometry()});
}

void TestMenus::notitaItems()
{
    QAction* add = item(QStringLiteral("mAnyadirNotita"));
    QAction* hide = item(QStringLiteral("mCerrarNotitas"));
    QAction* show = item(QStringLiteral("mAbrirNotitas"));
    QVERIFY(!hide->isEnabled()); // no notita yet

    add->trigger(); // the question is answered "Aceptar" by the test's boxes
    QCOMPARE(window_->notitas()->ContarNotitas(), 1);
    QCOMPARE(store_->notitaCount(), 1);
    QVERIFY(hide->isEnabled());

    hide->trigger();
    QVERIFY(!hide->isVisible());
    QVERIFY(show->isVisible());
    show->trigger();
    QVERIFY(hide->isVisible());
    QVERIFY(!show->isVisible());
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
