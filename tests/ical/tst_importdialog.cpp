#include "ical/ui/ImportDialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

// The questions asked once a calendar file is chosen for import.
class TestImportDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void offersTheYearWithoutDays();
    void daysGivenReplaceTheYear();
    void daysOfferedFollowTheYear();
    void daysBackwardsCannotBeImported();
    void saysOverWhichDaysRecurringEventsRepeat_data();
    void saysOverWhichDaysRecurringEventsRepeat();
    void enterImportsEscapeCancels_data();
    void enterImportsEscapeCancels();

private:
    template <typename T> T* child(const char* name) const
    {
        auto* found = dialog_->findChild<T*>(QString::fromUtf8(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QPushButton* importButton() const
    {
        return dialog_->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    }

    std::unique_ptr<ImportDialog> dialog_;
};

void TestImportDialog::init()
{
    dialog_ =
        std::make_unique<ImportDialog>(QStringLiteral("Importar de iCalendar"),
                                       QStringLiteral("/tmp/fiestas.ics"), 2027, std::nullopt);
}

void TestImportDialog::cleanup()
{
    dialog_.reset();
}

void TestImportDialog::offersTheYearWithoutDays()
{
    const ImportOptions choice = dialog_->options();
    QCOMPARE(choice.everyEventIsHoliday, false);
    QCOMPARE(choice.shownYear, 2027);
    QVERIFY(!choice.from.isValid() && !choice.to.isValid());
    QVERIFY(!child<QDateEdit>("fechaDesde")->isEnabled());
    QVERIFY(importButton()->isEnabled());

    child<QCheckBox>("chkFestivos")->setChecked(true);
    QVERIFY(dialog_->options().everyEventIsHoliday);
}

void TestImportDialog::daysGivenReplaceTheYear()
{
    child<QCheckBox>("chkDias")->setChecked(true);
    QVERIFY(!child<QSpinBox>("spinAnno")->isEnabled());
    child<QDateEdit>("fechaDesde")->setDate(QDate(2027, 3, 1));
    child<QDateEdit>("fechaHasta")->setDate(QDate(2028, 2, 29));
    const ImportOptions choice = dialog_->options();
    QCOMPARE(choice.from, QDate(2027, 3, 1));
    QCOMPARE(choice.to, QDate(2028, 2, 29));
}

void TestImportDialog::daysOfferedFollowTheYear()
{
    child<QSpinBox>("spinAnno")->setValue(2030);
    child<QCheckBox>("chkDias")->setChecked(true);
    QCOMPARE(dialog_->options().from, QDate(2030, 1, 1));
    QCOMPARE(dialog_->options().to, QDate(2030, 12, 31));
}

void TestImportDialog::daysBackwardsCannotBeImported()
{
    child<QCheckBox>("chkDias")->setChecked(true);
    child<QDateEdit>("fechaDesde")->setDate(QDate(2027, 6, 1));
    child<QDateEdit>("fechaHasta")->setDate(QDate(2027, 5, 31));
    QVERIFY(!importButton()->isEnabled());
    child<QCheckBox>("chkDias")->setChecked(false); // days no longer asked for
    QVERIFY(importButton()->isEnabled());
}

void TestImportDialog::saysOverWhichDaysRecurringEventsRepeat_data()
{
    QTest::addColumn<QDate>("earliestSingle"); // invalid: the file has none
    QTest::addColumn<int>("year");             // set in the dialog; 0: as offered
    QTest::addColumn<bool>("days");            // the days from 01/03/2027 to 31/05/2027 asked for
    QTest::addColumn<QString>("said");

    QTest::newRow("no single event: the year shown and the next")
        << QDate() << 0 << false << "del 01/01/2027 al 31/12/2028";
    QTest::newRow("from an earlier single event")
        << QDate(2019, 5, 5) << 0 << false << "del 01/01/2019 al 31/12/2028";
    QTest::newRow("a later single event changes nothing")
        << QDate(2030, 5, 5) << 0 << false << "del 01/01/2027 al 31/12/2028";
    QTest::newRow("another year chosen")
        << QDate() << 2040 << false << "del 01/01/2040 al 31/12/2041";
    QTest::newRow("days asked for")
        << QDate(2019, 5, 5) << 0 << true << "del 01/03/2027 al 31/05/2027";
}

void TestImportDialog::saysOverWhichDaysRecurringEventsRepeat()
{
    QFETCH(QDate, earliestSingle);
    QFETCH(int, year);
    QFETCH(bool, days);
    QFETCH(QString, said);

    dialog_ = std::make_unique<ImportDialog>(
        QStringLiteral("Importar de iCalendar"), QStringLiteral("/tmp/fiestas.ics"), 2027,
        earliestSingle.isValid() ? std::optional<QDate>(earliestSingle) : std::nullopt);
    if (year)
        child<QSpinBox>("spinAnno")->setValue(year);
    if (days) {
        child<QCheckBox>("chkDias")->setChecked(true);
        child<QDateEdit>("fechaDesde")->setDate(QDate(2027, 3, 1));
        child<QDateEdit>("fechaHasta")->setDate(QDate(2027, 5, 31));
    }
    const QString text = child<QLabel>("lblRepeticion")->text();
    QVERIFY2(text.contains(said), qPrintable(text));
}

void TestImportDialog::enterImportsEscapeCancels_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter imports") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestImportDialog::enterImportsEscapeCancels()
{
    QFETCH(int, key);
    QFETCH(int, result);
    QCOMPARE(importButton()->text(), QStringLiteral("&Importar"));
    QTimer::singleShot(0, dialog_.get(),
                       [&] { QTest::keyClick(child<QCheckBox>("chkFestivos"), Qt::Key(key)); });
    QCOMPARE(dialog_->exec(), result);
}

QTEST_MAIN(TestImportDialog)

#include "tst_importdialog.moc"
