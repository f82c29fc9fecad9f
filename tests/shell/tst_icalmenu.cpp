#include "Controls.h"
#include "TestSeams.h"
#include "TestStore.h"
#include "ical/ui/ImportDialog.h"
#include "listings/NotesPanel.h"
#include "month/DayButton.h"
#include "month/DayMarkPictures.h"
#include "month/MonthView.h"
#include "shell/Session.h"
#include "shell/frmCalendar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

namespace {

// An iCalendar file of one all-day event on 20 March 1997.
const QByteArray kOneEvent = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//prueba//ES\r\n"
                             "BEGIN:VEVENT\r\nUID:uno@prueba\r\nDTSTAMP:19970101T000000Z\r\n"
                             "DTSTART;VALUE=DATE:19970320\r\nSUMMARY:Dentista\r\n"
                             "END:VEVENT\r\nEND:VCALENDAR\r\n";

// A yearly event since 1990 on 1 May, and a single one on 20 March 1997.
const QByteArray kYearlyAndOne = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//prueba//ES\r\n"
                                 "BEGIN:VEVENT\r\nUID:mayo@prueba\r\nDTSTAMP:19970101T000000Z\r\n"
                                 "DTSTART;VALUE=DATE:19900501\r\nRRULE:FREQ=YEARLY\r\n"
                                 "SUMMARY:Día del Trabajo\r\nEND:VEVENT\r\n"
                                 "BEGIN:VEVENT\r\nUID:uno@prueba\r\nDTSTAMP:19970101T000000Z\r\n"
                                 "DTSTART;VALUE=DATE:19970320\r\nSUMMARY:Dentista\r\n"
                                 "END:VEVENT\r\nEND:VCALENDAR\r\n";

// How the test answers the import window, and what the window offered.
struct ImportAnswer
{
    bool accepted = true;
    bool everyEventIsHoliday = false;
    int year = 0; // 0: as offered
    QDate from;   // both or neither: the days asked for
    QDate to;

    bool asked = false;
    int offeredYear = 0;
};

} // namespace

// "Exportar a iCalendar…" and "Importar de iCalendar…" of the "Archivo" menu.
class TestIcalMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exportWritesTheChosenFile_data();
    void exportWritesTheChosenFile();
    void importRedrawsTheMonthAndTheList();
    void damagedFileLeavesTheStoreAsItWas();
    void cancelledDialogDoesNothing();
    void importAsChosen_data();
    void importAsChosen();
    void importCancelledAfterTheFileDoesNothing();

private:
    // The import window, once it comes up, is answered as answer_ says.
    void answerTheImportWindow()
    {
        answerer_ = std::make_unique<QTimer>();
        QObject::connect(answerer_.get(), &QTimer::timeout, answerer_.get(), [this] {
            auto* dialog = qobject_cast<ImportDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answerer_->stop();
            answer_.asked = true;
            auto* year = child<QSpinBox>(dialog, "spinAnno");
            answer_.offeredYear = year->value();
            if (answer_.year)
                year->setValue(answer_.year);
            child<QCheckBox>(dialog, "chkFestivos")->setChecked(answer_.everyEventIsHoliday);
            if (answer_.from.isValid()) {
                child<QCheckBox>(dialog, "chkDias")->setChecked(true);
                child<QDateEdit>(dialog, "fechaDesde")->setDate(answer_.from);
                child<QDateEdit>(dialog, "fechaHasta")->setDate(answer_.to);
            }
            answer_.accepted ? dialog->accept() : dialog->reject();
        });
        answerer_->start(5);
    }

    void trigger(const char* name) { child<QAction>(window_, name)->trigger(); }
    QString folder() const { return store_->folder(); }
    QString writeFile(const QString& name, const QByteArray& bytes) const
    {
        const QString path = QDir(folder()).filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return path;
    }

    std::unique_ptr<TestStore> store_;
    std::unique_ptr<TestSeams> doubles_;
    std::unique_ptr<Session> session_;
    frmCalendar* window_ = nullptr;
    ImportAnswer answer_;
    std::unique_ptr<QTimer> answerer_;
};

void TestIcalMenu::init()
{
    store_ = std::make_unique<TestStore>();
    store_->addNote(QDate(1997, 3, 5), QStringLiteral("Reunión"));
    doubles_ = std::make_unique<TestSeams>(); // 5 March 1997
    session_ = Session::start(doubles_->seams(), store_->folder());
    QVERIFY(session_);
    window_ = &session_->window();
    answer_ = ImportAnswer{};
    answerTheImportWindow();
}

void TestIcalMenu::cleanup()
{
    answerer_.reset();
    window_ = nullptr;
    session_.reset();
    doubles_.reset();
    store_.reset();
}

void TestIcalMenu::exportWritesTheChosenFile_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("a name with its extension") << "dias.ics"
                                               << "dias.ics";
    QTest::newRow("a name without one gets .ics") << "dias"
                                                  << "dias.ics";
}

void TestIcalMenu::exportWritesTheChosenFile()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    doubles_->files.answer = QDir(folder()).filePath(typed);
    trigger("mExportarICalendar");
    QFile file(QDir(folder()).filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("SUMMARY:Reunión"));
    const auto& calls = doubles_->boxes.calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].title, QStringLiteral("Exportar a iCalendar"));
    QCOMPARE(calls[0].style & 0x70, int(MessageBoxes::Information));
    QVERIFY2(calls[0].prompt.contains(QStringLiteral("Exportado")), qPrintable(calls[0].prompt));
}

void TestIcalMenu::importRedrawsTheMonthAndTheList()
{
    const QString path = QDir(folder()).filePath(QStringLiteral("uno.ics"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kOneEvent);
    file.close();
    window_->mVerNotas_Click();
    auto* day20 = child<DayButton>(child<MonthView>(window_, "MonthView"),
                                   "SScmdDia_24"); // March 1997: Sat 1st
    QCOMPARE(day20->text(), QStringLiteral("20"));
    QCOMPARE(day20->picture(), DayMarkPictures::neutralPicture());

    doubles_->files.answer = path;
    trigger("mImportarICalendar");
    QCOMPARE(store_->storedNote(QDate(1997, 3, 20)), QStringLiteral("Dentista"));
    QCOMPARE(day20->picture(), DayMarkPictures::pictureFor(DayColours::kNeutral, false, true));
    QCOMPARE(child<QLabel>(child<NotesPanel>(window_, "DBGridCalendar"), "caption")->text(),
             QStringLiteral("2 Notas halladas"));
    const auto& calls = doubles_->boxes.calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].title, QStringLiteral("Importar de iCalendar"));
    QCOMPARE(calls[0].style & 0x70, int(MessageBoxes::Information));
}

void TestIcalMenu::damagedFileLeavesTheStoreAsItWas()
{
    const QString path = QDir(folder()).filePath(QStringLiteral("roto.ics"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kOneEvent.left(kOneEvent.size() / 2));
    file.close();
    doubles_->files.answer = path;
    trigger("mImportarICalendar");
    QCOMPARE(store_->dayCount(), 1);
    const auto& calls = doubles_->boxes.calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].style & 0x70, int(MessageBoxes::Exclamation));
    QVERIFY2(calls[0].prompt.contains(path), qPrintable(calls[0].prompt));
    QVERIFY(!session_->guard().failed()); // a refused file is no failure of the store
    QVERIFY(!answer_.asked);              // refused before any question
}

void TestIcalMenu::cancelledDialogDoesNothing()
{
    doubles_->files.answer.clear();
    trigger("mExportarICalendar");
    trigger("mImportarICalendar");
    QCOMPARE(doubles_->files.captions,
             QStringList({"Exportar a iCalendar", "Importar de iCalendar"}));
    QVERIFY(doubles_->boxes.calls().isEmpty());
    QCOMPARE(store_->dayCount(), 1);
}

void TestIcalMenu::importAsChosen_data()
{
    QTest::addColumn<bool>("everyEventIsHoliday");
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("notes"); // of 20 March 1997, 1 May 1997, 1 May 1998, 2003
    QTest::addColumn<bool>("holidays");     // the days imported marked as holidays

    const QString none = QStringLiteral("<no row>");
    const QString dentista = QStringLiteral("Dentista");
    const QString mayo = QStringLiteral("Día del Trabajo");
    QTest::newRow("as offered: the year shown and the next, no holidays")
        << false << 0 << QDate() << QDate() << QStringList{dentista, mayo, mayo, none} << false;
    QTest::newRow("every event a holiday")
        << true << 0 << QDate() << QDate() << QStringList{dentista, mayo, mayo, none} << true;
    QTest::newRow("a later year: from the single event's year on")
        << false << 2003 << QDate() << QDate() << QStringList{dentista, mayo, mayo, mayo} << false;
    QTest::newRow("days given: only the events on them")
        << false << 0 << QDate(1997, 4, 1) << QDate(2003, 12, 31)
        << QStringList{none, mayo, mayo, mayo} << false;
}

void TestIcalMenu::importAsChosen()
{
    QFETCH(bool, everyEventIsHoliday);
    QFETCH(int, year);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, notes);
    QFETCH(bool, holidays);

    doubles_->files.answer = writeFile(QStringLiteral("fiestas.ics"), kYearlyAndOne);
    answer_ = ImportAnswer{true, everyEventIsHoliday, year, from, to};
    trigger("mImportarICalendar");

    QVERIFY(answer_.asked);
    QCOMPARE(answer_.offeredYear, 1997); // the year the calendar shows
    const QList<QDate> days{QDate(1997, 3, 20), QDate(1997, 5, 1), QDate(1998, 5, 1),
                            QDate(2003, 5, 1)};
    for (qsizetype i = 0; i < days.size(); ++i) {
        QCOMPARE(store_->storedNote(days[i]), notes[i]);
        if (notes[i] != QStringLiteral("<no row>"))
            QCOMPARE(store_->dayRow(days[i]).at(0).toBool(), holidays);
    }
    const auto& calls = doubles_->boxes.calls();
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].style & 0x70, int(MessageBoxes::Information));
}

void TestIcalMenu::importCancelledAfterTheFileDoesNothing()
{
    doubles_->files.answer = writeFile(QStringLiteral("uno.ics"), kOneEvent);
    answer_.accepted = false;
    trigger("mImportarICalendar");
    QVERIFY(answer_.asked);
    QCOMPARE(store_->dayCount(), 1);
    QVERIFY(doubles_->boxes.calls().isEmpty());
}

QTEST_MAIN(TestIcalMenu)
#include "tst_icalmenu.moc"
