#include "TestSeams.h"
#include "listings/NotesPanel.h"
#include "listings/frmBuscar.h"
#include "listings/frmSeleccion.h"
#include "notitas/NotitaSlots.h"
#include "shell/frmCalendar.h"
#include "store/CalendarStore.h"
#include "store/DatePattern.h"

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
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
    void notitaItems();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TestSeams> doubles_;
    std::unique_ptr<frmCalendar> window_;
};

void TestMenus::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    Database::create(CalendarStore::pathIn(dir_->path()));
    doubles_ = std::make_unique<TestSeams>(); // 5 March 1997
    window_ = std::make_unique<frmCalendar>(doubles_->seams(), dir_->path());
    QVERIFY(window_->Form_Load());
    window_->store()->dbCalendar->execute(
        QStringLiteral("INSERT INTO calendar (fecha, nota, festivo, alarma, Color) VALUES "
                       "(%1, 'en marzo', 0, 0, 5), (%2, 'en junio', 0, 0, 5)")
            .arg(DatePattern::fromDate(QDate(1997, 3, 20)))
            .arg(DatePattern::fromDate(QDate(1997, 6, 2))));
    window_->store()->dbCalendar->noteWrite();
}

void TestMenus::cleanup()
{
    window_.reset();
    doubles_.reset();
    dir_.reset();
}

void TestMenus::listingsCoverTheShownMonthAndYear_data()
{
    QTest::addColumn<QString>("item");
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
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(int, printedLines);
    window_->menuItem(item)->trigger();
    QCOMPARE(window_->notesPanel()->caption->text(), caption);
    QCOMPARE(window_->outerWidth(), frmCalendar::kWideWidth);
    QCOMPARE(doubles_->printer.lines.size(), printedLines);
    if (printedLines > 0)
        QCOMPARE(doubles_->printer.lines.first(), caption);
}

void TestMenus::dialogsOpenOnFirstUse()
{
    QVERIFY(!window_->seleccion());
    window_->menuItem(QStringLiteral("mSelección"))->trigger();
    QVERIFY(window_->seleccion() && window_->seleccion()->isVisible());

    QVERIFY(!window_->buscar());
    window_->menuItem(QStringLiteral("mBucar"))->trigger();
    QVERIFY(window_->buscar() && window_->buscar()->isVisible());
}

void TestMenus::bothHelpItemsOpenTheHelp()
{
    window_->menuItem(QStringLiteral("mInstrucciones"))->trigger();
    window_->menuItem(QStringLiteral("mAcerca"))->trigger();
    QCOMPARE(doubles_->help.requested,
             QStringList({QStringLiteral("Tarvelo.HLP"), QStringLiteral("Tarvelo.HLP")}));
}

void TestMenus::notitaItems()
{
    QAction* add = window_->menuItem(QStringLiteral("mAnyadirNotita"));
    QAction* hide = window_->menuItem(QStringLiteral("mCerrarNotitas"));
    QAction* show = window_->menuItem(QStringLiteral("mAbrirNotitas"));
    QVERIFY(!hide->isEnabled()); // no notita yet

    add->trigger(); // the question is answered "Aceptar" by the test's boxes
    QCOMPARE(window_->notitas()->ContarNotitas(), 1);
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
